#pragma once

#include <functional>
#include <string>
#include <utility>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/label.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/stack.h>

#include "ui/action_button.hpp"
#include "ui/action_toggle_button.hpp"

namespace quenlith {

// The navigation buttons with the address field of a browser window. The buttons come without
// actions; the browser view assigns them.
//
// They sit in the window's header bar when it has one (back, forward and reload at the start;
// pin and more at the end; between them the page title over its address, which turns into the
// address field when clicked or when an address is to be typed, followed by the lesser buttons:
// main menu, start page and save), else in this box as one row (compact windows, whose title bar
// is hidden; the main menu has no place there). A title bar too narrow to leave the title its room
// beside the lesser buttons leaves them out: the More menu offers them instead.
class BrowserToolbar : public Gtk::Box {
public:
    BrowserToolbar();
    ~BrowserToolbar() override;

    ActionButton& back() { return back_; }
    ActionButton& forward() { return forward_; }
    ActionButton& reload() { return reload_; }
    ActionButton& startPage() { return startPage_; }
    ActionToggleButton& pin() { return pin_; }
    ActionButton& more() { return more_; }
    Gtk::Entry& address() { return address_; }
    ActionButton& saveWebsite() { return saveWebsite_; }

    // Receives the address field's text when the user presses Return in it.
    void setOnNavigate(std::function<void(const std::string&)> onNavigate) {
        onNavigate_ = std::move(onNavigate);
    }

    // The address field's action.
    void navigate();

    // The person has typed in the focused field: its text must not be replaced under their hands.
    // A field that only has the focus (as a new window gives it) still follows the page.
    bool isEditingAddress() const { return address_.is_focus() && addressEdited_; }
    // Puts the page's address in the field; not an edit of the person's.
    void showAddress(const std::string& text);

    // The application's main-menu button, among the lesser buttons; `onShown` runs with true before
    // its menu is shown from the More menu, and with false as the More menu closes (before an item
    // chosen in it runs).
    void setMainMenuButton(Gtk::MenuButton& button, std::function<void(bool)> onShown);
    Gtk::MenuButton* mainMenuButton() const { return mainMenuButton_; }
    void mainMenuOpening() const;
    void mainMenuClosed() const;
    // Whether start page and save are out of the title bar for want of room.
    bool lesserButtonsInMenu() const { return headerBar_ && lesserHidden_; }
    // Whether the main-menu button is out of sight (a narrow title bar, or the row).
    bool mainMenuInMenu() const { return mainMenuButton_ && (!headerBar_ || lesserHidden_); }

    // Moves the controls into `bar`, or back into this box when it is null.
    void placeIn(Gtk::HeaderBar* bar);
    Gtk::HeaderBar* headerBar() const { return headerBar_; }

    // The active page's title, shown over its address; an empty title (start page, no page yet)
    // shows the address field.
    void setTitle(const std::string& title, const std::string& pageAddress = {});
    const Gtk::Widget& titleArea() const { return titleArea_; }
    std::string shownAddress() const { return subtitle_.get_text(); }
    // Shows the address field (in the header bar it stands in for the title), focused, its text
    // selected.
    void focusAddress();
    // Whether the title bar shows the page title rather than the field.
    bool showsTitle() const { return headerBar_ && titleStack_.get_visible_child_name() == "title"; }

private:
    // The header bar's custom title: the title (or field) with the lesser buttons after it. Its
    // minimum leaves the lesser buttons out, so they never make the window wider; they show only
    // when the title keeps its room beside them.
    class TitleArea : public Gtk::Box {
    public:
        explicit TitleArea(BrowserToolbar& owner);

    protected:
        void get_preferred_width_vfunc(int& minimum, int& natural) const override;
        void get_preferred_width_for_height_vfunc(int height, int& minimum, int& natural) const override;
        void on_size_allocate(Gtk::Allocation& allocation) override;

    private:
        BrowserToolbar& owner_;
    };

    void showTitleOrField();
    // Whether the field is one of the title stack's children now.
    bool titleBarHoldsField() const;
    void unpack();

    ActionButton back_;
    ActionButton forward_;
    ActionButton reload_;
    ActionButton startPage_;
    ActionToggleButton pin_;
    ActionButton more_;
    Gtk::Entry address_;
    ActionButton saveWebsite_;
    std::function<void(const std::string&)> onNavigate_;

    Gtk::HeaderBar* headerBar_ = nullptr;
    bool addressEdited_ = false;
    bool showingAddress_ = false;
    sigc::connection addressChanged_;
    sigc::connection addressFocusOut_;
    sigc::connection addressLeft_;
    bool lesserHidden_ = false;
    Gtk::MenuButton* mainMenuButton_ = nullptr;  // held by lesser_
    std::function<void(bool)> mainMenuShown_;
    Gtk::Box start_;
    Gtk::Box end_;
    Gtk::Box lesser_;
    TitleArea titleArea_;
    Gtk::Stack titleStack_;
    Gtk::Button titleButton_;
    Gtk::Box titleLines_;
    Gtk::Label title_;
    Gtk::Label subtitle_;
};

}  // namespace quenlith
