#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <gtkmm/image.h>
#include <gtkmm/togglebutton.h>

namespace quenlith {

// An ActionButton that switches something on and off (a window kept above): a toggle button, so
// that assistive technologies read whether it is on. It shows what its owner says is the state;
// a click asks the owner to switch, and the owner answers with the state that came of it.
class ActionToggleButton : public Gtk::ToggleButton {
public:
    ActionToggleButton(std::string_view symbol, const std::string& toolTip);

    // Run by a click, which has flipped the button already; the action answers with setOn, the
    // state it has brought about. May be replaced at any time.
    void setOnToggle(std::function<void()> action) { onToggle_ = std::move(action); }

    // Shows the state; runs nothing.
    void setOn(bool on);
    bool isOn() const { return get_active(); }

protected:
    void on_toggled() override;

private:
    std::function<void()> onToggle_;
    bool showing_ = false;
    bool shown_ = false;
    Gtk::Image image_;
};

}  // namespace quenlith
