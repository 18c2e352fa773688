#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/label.h>
#include <gtkmm/stack.h>

#include "ui/action_button.hpp"

namespace quenlith {

// The navigation buttons with the address field of a browser window. The buttons come without
// actions; the browser view assigns them.
//
// They sit in the window's header bar when it has one (back, forward and reload at the start;
// start page, save and pin at the end; between them the page title, which turns into the address
// field when clicked or when an address is to be typed), else in this box as one row (compact
// windows, whose title bar is hidden).
class BrowserToolbar : public Gtk::Box {
public:
    BrowserToolbar();
    ~BrowserToolbar() override;

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

    // The person has typed in the focused field: its text must not be replaced under their hands.
    // A field that only has the focus (as a new window gives it) still follows the page.
    bool isEditingAddress() const { return address.is_focus() && addressEdited_; }
    // Puts the page's address in the field; not an edit of the person's.
    void showAddress(const std::string& text);

    // Moves the controls into `bar`, or back into this box when it is null.
    void placeIn(Gtk::HeaderBar* bar);
    Gtk::HeaderBar* headerBar() const { return headerBar_; }

    // The active page's title; an empty one (start page, no page yet) shows the address field.
    void setTitle(const std::string& title);
    // Shows the address field (in the header bar it stands in for the title), focused, its text
    // selected.
    void focusAddress();
    // Whether the title bar shows the page title rather than the field.
    bool showsTitle() const { return headerBar_ && titleStack_.get_visible_child_name() == "title"; }

private:
    void showTitleOrField();
    // Whether the field is one of the title stack's children now.
    bool titleBarHoldsField() const;
    void unpack();

    Gtk::HeaderBar* headerBar_ = nullptr;
    bool addressEdited_ = false;
    bool showingAddress_ = false;
    sigc::connection addressChanged_;
    sigc::connection addressFocusOut_;
    Gtk::Box start_;
    Gtk::Box end_;
    Gtk::Stack titleStack_;
    Gtk::Button titleButton_;
    Gtk::Label title_;
};

}  // namespace quenlith
