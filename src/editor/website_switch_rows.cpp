#include "editor/website_switch_rows.hpp"

#include "model/localization.hpp"
#include "model/tray_presence.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

WebsiteSwitchRows::WebsiteSwitchRows(const std::vector<const WebsiteSwitch*>& settings,
                                     std::function<WebAppProfile&()> profile, TrayPresence* tray)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8), profile_(std::move(profile)), tray_(tray) {
    for (const WebsiteSwitch* shown : settings) {
        const WebsiteSwitch& setting = *shown;
        auto* toggle = makeSwitch(localizedString(setting.label));
        pack_start(*toggle, Gtk::PACK_SHRINK);
        if (*setting.caption) pack_start(*makeCaption(localizedString(setting.caption)), Gtk::PACK_SHRINK);
        Gtk::Label* noTray = nullptr;
        if (setting.needsTray && tray_) {
            noTray = makeCaption(noTrayExplanation());
            noTray->set_no_show_all(true);
            pack_start(*noTray, Gtk::PACK_SHRINK);
        }
        toggle->signal_toggled().connect([this, toggle, &setting] {
            if (updating_) return;
            setting.set(profile_(), toggle->get_active());
            if (changed_) changed_();
        });
        rows_.push_back({&setting, toggle, noTray});
    }
    if (tray_) tray_->signal_changed().connect(sigc::mem_fun(*this, &WebsiteSwitchRows::showTray));
    showTray();
    refresh();
}

void WebsiteSwitchRows::showTray() {
    const bool available = !tray_ || tray_->available();
    for (const auto& row : rows_)
        if (row.noTray) {
            row.toggle->set_sensitive(available);
            row.noTray->set_visible(!available);
        }
}

void WebsiteSwitchRows::refresh() {
    updating_ = true;
    for (const auto& row : rows_) row.toggle->set_active(row.setting->isOn(profile_()));
    updating_ = false;
}

}  // namespace quenlith
