#include "editor/website_switch_rows.hpp"

#include "ui/form_rows.hpp"

namespace quenlith {

WebsiteSwitchRows::WebsiteSwitchRows(std::function<bool(const WebsiteSwitch&)> shows,
                                     std::function<WebAppProfile&()> profile, std::function<void()> changed)
    : Gtk::Box(Gtk::ORIENTATION_VERTICAL, 8), profile_(std::move(profile)), changed_(std::move(changed)) {
    for (auto& setting : websiteSwitches()) {
        if (!shows(setting)) continue;
        auto* toggle = makeSwitch(setting.label);
        pack_start(*toggle, Gtk::PACK_SHRINK);
        if (!setting.caption.empty()) pack_start(*makeCaption(setting.caption), Gtk::PACK_SHRINK);
        const std::size_t index = rows_.size();
        toggle->signal_toggled().connect([this, index] {
            if (updating_) return;
            const Row& row = rows_[index];
            row.setting.set(profile_(), row.toggle->get_active());
            if (changed_) changed_();
        });
        rows_.push_back({std::move(setting), toggle});
    }
    refresh();
}

void WebsiteSwitchRows::refresh() {
    updating_ = true;
    for (const auto& row : rows_) row.toggle->set_active(row.setting.isOn(profile_()));
    updating_ = false;
}

}  // namespace quenlith
