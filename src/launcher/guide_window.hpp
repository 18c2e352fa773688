#pragma once

#include <string>
#include <utility>
#include <vector>

#include <gtkmm/label.h>
#include <gtkmm/window.h>

namespace quenlith {

// The guide's sections in order: title and text, both English (the lookup keys).
const std::vector<std::pair<const char*, const char*>>& guideSections();

// The in-app guide: one scrolling page of numbered sections and the list of useful shortcuts,
// whose text can be selected and copied. Static: it reads no store and keeps no state.
class GuideWindow : public Gtk::Window {
public:
    GuideWindow();
    ~GuideWindow() override;
    Gtk::Label& shortcutList() { return *shortcuts_; }

private:
    Gtk::Label* shortcuts_ = nullptr;
    sigc::connection openedAtTop_;
};

}  // namespace quenlith
