#pragma once

#include <optional>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/checkbutton.h>
#include <gtkmm/label.h>
#include <gtkmm/listbox.h>
#include <gtkmm/scrolledwindow.h>

#include "model/uuid.hpp"
#include "settings/settings_context.hpp"

namespace quenlith {

class ActionButton;
class SiteIcon;

// The Websites tab: the saved websites in their order, each with its menu-bar checkbox, move up
// and down, Edit, a new independent account and delete (after the window's confirmation).
class WebsitesPane : public Gtk::Box {
public:
    explicit WebsitesPane(SettingsContext& context);

    // The controls of one row, by position (tests and keyboard handling).
    struct Row {
        Uuid id;
        SiteIcon* icon = nullptr;
        Gtk::CheckButton* menuBar = nullptr;
        ActionButton* up = nullptr;
        ActionButton* down = nullptr;
        Gtk::Button* edit = nullptr;
        ActionButton* newAccount = nullptr;
        ActionButton* remove = nullptr;
    };
    const std::vector<Row>& rows() const { return rows_; }
    Gtk::Button& addButton() { return add_; }
    bool saysNoTray() const { return noTray_.get_visible(); }
    std::string errorText() const {
        return error_.get_visible() ? std::string(error_.get_text()) : std::string();
    }

private:
    // The control of a row that has the keyboard: the row's place, and which of its controls (in
    // the order of Row's members from menuBar on), none when the row itself has it.
    struct FocusedControl {
        std::size_t row = 0;
        std::optional<std::size_t> control;
    };
    std::optional<FocusedControl> focusedControl();
    // Gives the keyboard, after the rows were built again, to the control that had it or, when its
    // website is gone, to a neighbouring row.
    void giveBackFocus(const FocusedControl& focused, const std::vector<Uuid>& before);
    void rebuild();
    // After a change the tab made to the websites: a write that fails is told in the tab's error
    // line while the tab shows, so the store tells it nowhere else.
    void tellFailureHere();

    SettingsContext& context_;
    Gtk::Box header_{Gtk::ORIENTATION_HORIZONTAL, 8};
    Gtk::Label title_;
    Gtk::Button add_;
    Gtk::Label error_;
    // Shown while there is no tray: the rows' tray boxes are off then.
    Gtk::Label noTray_;
    Gtk::Label empty_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
    std::vector<Row> rows_;
};

}  // namespace quenlith
