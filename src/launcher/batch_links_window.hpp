#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/radiobutton.h>
#include <gtkmm/scrolledwindow.h>
#include <gtkmm/textview.h>
#include <gtkmm/window.h>

#include "launcher/main_work_area.hpp"
#include "model/pasted_links.hpp"

namespace quenlith {

// "Open Multiple Links": the user pastes website addresses, one per line, sees a numbered
// preview of what will be used, and then opens them all as tabs or keeps them as one page group.
// The text is parsed again whenever it changes; nothing happens until the action button.
// Main thread only.
class BatchLinksWindow : public Gtk::Window {
public:
    struct Links {
        std::vector<LinkSuggestion> suggestions;
        // Does the work; answers nothing when done (and the window closed), else a message.
        std::function<std::optional<std::string>(BatchAction, const std::vector<std::string>& urls,
                                                 const std::string& name)>
            onPerform;
        std::function<void()> onCancel;
    };

    BatchLinksWindow(const std::string& input, BatchAction action, Links links,
                     std::optional<ContentSize> workArea = mainWorkArea());

    std::string input() const;
    void setInput(const std::string& text);
    BatchAction action() const { return action_; }
    void setAction(BatchAction action);
    Gtk::Entry& nameField() { return name_; }
    Gtk::Button& performButton() { return perform_; }
    // The sheet's texts as shown now: the count line, the preview rows and the notes.
    std::vector<std::string> shownTexts() const;
    // The suggestion entries of the menu, in order.
    std::vector<Gtk::MenuItem*> suggestionItems();
    // The perform button's work: runs only while it is enabled.
    void perform();

private:
    void update();

    Links links_;
    BatchAction action_;
    // The form scrolls within the window's size; the buttons stay below it.
    Gtk::ScrolledWindow formScroller_;
    Gtk::Box content_{Gtk::ORIENTATION_VERTICAL, 16};
    Gtk::RadioButton tabsChoice_;
    Gtk::RadioButton groupChoice_;
    Gtk::Entry name_;
    Gtk::MenuButton suggestionsButton_;
    Gtk::Menu suggestionsMenu_;
    std::vector<Gtk::MenuItem*> suggestionItems_;
    Gtk::TextView editor_;
    Gtk::Label summary_;
    Gtk::ScrolledWindow previewScroller_;
    Gtk::Box preview_{Gtk::ORIENTATION_VERTICAL, 8};
    Gtk::Box notes_{Gtk::ORIENTATION_VERTICAL, 6};
    Gtk::Label invalid_, tooMany_, tabsNote_, groupNote_, error_;
    Gtk::Button cancel_;
    Gtk::Button perform_;
};

}  // namespace quenlith
