#pragma once

#include <functional>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/label.h>

#include "model/website_switches.hpp"

namespace quenlith {

class TrayPresence;

// The switches of a website's on/off settings that one place of a screen shows, each with its
// caption, bound to its member of the record being edited. Absent optional settings read as off;
// flipping a switch stores a definite on or off.
class WebsiteSwitchRows : public Gtk::Box {
public:
    // `settings` are the settings of this place, in its order; `profile` returns the record being
    // edited. With `tray`, a setting that needs a tray is off and says why while there is none.
    WebsiteSwitchRows(const std::vector<const WebsiteSwitch*>& settings,
                      std::function<WebAppProfile&()> profile, TrayPresence* tray = nullptr);

    // Runs after the person flipped a switch. The owner sets it once it is built.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    // Shows the record's values without reporting a change.
    void refresh();

private:
    struct Row {
        const WebsiteSwitch* setting;
        Gtk::CheckButton* toggle;
        Gtk::Label* noTray = nullptr;  // for a setting that needs a tray
    };
    void showTray();

    std::function<WebAppProfile&()> profile_;
    std::function<void()> changed_;
    std::vector<Row> rows_;
    TrayPresence* tray_;
    bool updating_ = false;
};

}  // namespace quenlith
