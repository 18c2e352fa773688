#pragma once

#include <optional>

#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/window.h>

#include "launcher/main_work_area.hpp"

namespace quenlith {

// The in-app guide: one scrolling page of numbered sections and the list of useful shortcuts,
// whose text can be selected and copied, and a Close button. Static: it reads no store and keeps
// no state.
class GuideWindow : public Gtk::Window {
public:
    // Sized for the work area of the main screen (none without a screen).
    explicit GuideWindow(std::optional<ContentSize> workArea = mainWorkArea());
    ~GuideWindow() override;
    Gtk::Label& shortcutList() { return *shortcuts_; }
    Gtk::Button& closeButton() { return close_; }

protected:
    bool on_key_press_event(GdkEventKey* event) override;

private:
    Gtk::ScrolledWindow* page_ = nullptr;
    Gtk::Label* shortcuts_ = nullptr;
    Gtk::Button close_;
};

}  // namespace quenlith
