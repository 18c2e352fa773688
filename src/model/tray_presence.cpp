#include "model/tray_presence.hpp"

#include "model/localization.hpp"

namespace quenlith {

void TrayPresence::setAvailable(bool available) {
    if (available == available_) return;
    available_ = available;
    changed_.emit();
}

std::string trayControlTitle(std::string_view english, bool trayAvailable) {
    if (!trayAvailable) {
        if (english == "Show in Tray") return localizedString("Show in Tray (No Tray Found)");
        if (english == "Add to Tray") return localizedString("Add to Tray (No Tray Found)");
        if (english == "Remove from Tray") return localizedString("Remove from Tray (No Tray Found)");
    }
    return localizedString(english);
}

std::string noTrayExplanation() {
    return localizedString("No tray was found on this desktop. Tray icons appear once a tray is running.");
}

}  // namespace quenlith
