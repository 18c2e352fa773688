#pragma once

#include <functional>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/checkbutton.h>

#include "model/website_switches.hpp"

namespace quenlith {

// The switches of a website's on/off settings that one place of a screen shows, each with its
// caption, bound to its member of the record being edited. Absent optional settings read as off;
// flipping a switch stores a definite on or off.
class WebsiteSwitchRows : public Gtk::Box {
public:
    // `shows` picks the settings of this place; `profile` returns the record being edited.
    WebsiteSwitchRows(std::function<bool(const WebsiteSwitch&)> shows, std::function<WebAppProfile&()> profile);

    // Runs after the person flipped a switch. The owner sets it once it is built.
    void setOnChange(std::function<void()> changed) { changed_ = std::move(changed); }

    // Shows the record's values without reporting a change.
    void refresh();

private:
    struct Row {
        const WebsiteSwitch* setting;
        Gtk::CheckButton* toggle;
    };

    std::function<WebAppProfile&()> profile_;
    std::function<void()> changed_;
    std::vector<Row> rows_;
    bool updating_ = false;
};

}  // namespace quenlith
