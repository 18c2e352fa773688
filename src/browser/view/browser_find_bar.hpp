#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>

#include <gdkmm/types.h>
#include <gtkmm/box.h>
#include <gtkmm/label.h>
#include <gtkmm/searchentry.h>

#include "ui/action_button.hpp"

namespace quenlith {

// The result label's text: empty for an empty query, "Match Found" or "No Matches".
std::string findResultText(bool found, std::string_view query);

// The find-in-page bar: a search field that searches while typing, the result, and previous,
// next and close buttons. Shown and sized by the browser view.
class BrowserFindBar : public Gtk::Box {
public:
    BrowserFindBar();

    Gtk::SearchEntry& input() { return input_; }
    Gtk::Label& result() { return result_; }

    // A search for the text, backwards or forwards.
    void setOnFind(std::function<void(const std::string& text, bool backwards)> onFind) {
        onFind_ = std::move(onFind);
    }
    void setOnClose(std::function<void()> onClose) { onClose_ = std::move(onClose); }

    // The field's action: searches forwards.
    void search();
    // The previous (backwards) and next buttons.
    void submit(bool backwards);
    // The close button and Escape.
    void close();
    void showResult(bool found, const std::string& query);

    // Keys typed into the field: Escape closes, Return searches (backwards with Shift); true when
    // the key was used.
    bool handleKey(guint keyval, Gdk::ModifierType state);

private:
    Gtk::SearchEntry input_;
    Gtk::Label result_;
    std::function<void(const std::string& text, bool backwards)> onFind_;
    std::function<void()> onClose_;
    ActionButton previous_;
    ActionButton next_;
    ActionButton close_;
};

}  // namespace quenlith
