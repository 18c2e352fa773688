#pragma once

#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/label.h>
#include <gtkmm/scrolledwindow.h>

namespace quenlith {

// A settings pane built as a grouped form: sections stacked in a scrolled page.
class SettingsForm : public Gtk::ScrolledWindow {
public:
    SettingsForm();
    ~SettingsForm() override;

protected:
    // A new section under the previous ones; titled when `title` is not empty.
    Gtk::Box& addSection(const std::string& title = {});
    // A managed red label kept out of show_all(), for messages that come and go.
    static Gtk::Label* makeErrorLabel();
    // A managed picker with one row per text, in order.
    static Gtk::ComboBoxText* makePicker(const std::vector<std::string>& rows);
    // Scrolls the page so `widget`, a row of it that may just have appeared, is wholly visible
    // once it is laid out.
    void scrollIntoView(Gtk::Widget& widget);

    Gtk::Box page_{Gtk::ORIENTATION_VERTICAL, 14};

private:
    void reveal(Gtk::Widget& widget);

    sigc::connection revealAllocated_;
    sigc::connection revealIdle_;
};

// Sets a label's text and shows it, or hides it for none.
void showMessage(Gtk::Label& label, const std::optional<std::string>& text);

}  // namespace quenlith
