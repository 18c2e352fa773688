#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/entry.h>

#include "ui/action_button.hpp"

namespace quenlith {

// The row of navigation buttons with the address field at the top of a browser window. The
// buttons come without actions; the browser view assigns them.
class BrowserToolbar : public Gtk::Box {
public:
    BrowserToolbar();

    ActionButton back;
    ActionButton forward;
    ActionButton reload;
    ActionButton startPage;
    ActionButton pin;
    ActionButton more;
    Gtk::Entry address;
    ActionButton saveWebsite;

    // Receives the address field's text when the user presses Return in it.
    std::function<void(const std::string&)> onNavigate;

    // The address field's action.
    void navigate();

    // The field is being edited (its text must not be replaced under the user's hands).
    bool isEditingAddress() const { return address.is_focus(); }
};

}  // namespace quenlith
