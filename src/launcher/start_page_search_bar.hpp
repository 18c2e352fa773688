#pragma once

#include <functional>
#include <string>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>

namespace quenlith {

// The start page's search field with its clear button. It keeps the text as typed and tells the
// page of every change, of the clear button and of Return.
class StartPageSearchBar : public Gtk::Box {
public:
    StartPageSearchBar(std::function<void()> onChange, std::function<void()> onClear,
                       std::function<void()> onSubmit);

    const std::string& text() const { return text_; }
    // Puts `text` in the field (a change, as if typed) and keeps it.
    void setText(const std::string& text);
    // The clear button shows while there is text: the page calls this when it draws the search.
    void showClearButtonForText();
    Gtk::Entry& field() { return entry_; }

private:
    std::function<void()> onChange_;
    std::string text_;
    Gtk::Entry entry_;
    Gtk::Button clearButton_;
};

}  // namespace quenlith
