#include "editor/website_switch_rows.hpp"

#include "model/localization.hpp"
#include "ui/form_rows.hpp"

namespace quenlith {

WebsiteSwitchRows::WebsiteSwitchRows(std::function<bool(const WebsiteSwitch&)> shows,
                                     std::function<WebAppProfile&()> profile)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8), profile_(std::move(profile)) {
    for (const auto& setting : websiteSwitches()) {
        if (!shows(setting)) continue;
        auto* toggle = makeSwitch(localizedString(setting.label));
        pack_start(*toggle, Gtk::PACK_SHRINK);
        if (*setting.caption) pack_start(*makeCaption(localizedString(setting.caption)), Gtk::PACK_SHRINK);
        toggle->signal_toggled().connect([this, toggle, &setting] {
            if (updating_) return;
            setting.set(profile_(), toggle->get_active());
            if (changed_) changed_();
        });
        rows_.push_back({&setting, toggle});
    }
    refresh();
}

void WebsiteSwitchRows::refresh() {
    updating_ = true;
    for (const auto& row : rows_) row.toggle->set_active(row.setting->isOn(profile_()));
    updating_ = false;
}

}  // namespace quenlith
