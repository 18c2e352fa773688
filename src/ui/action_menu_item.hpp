#pragma once

#include <functional>
#include <string>

#include <gtkmm/checkmenuitem.h>
#include <gtkmm/menuitem.h>

namespace quenlith {

// A menu item that runs a closure when chosen. Menus are only ever built in code; the item has
// no keyboard shortcut.
class ActionMenuItem : public Gtk::MenuItem {
public:
    ActionMenuItem(const std::string& title, std::function<void()> handler);

    // The item's own action: runs the handler.
    void invoke();

protected:
    void on_activate() override;

private:
    const std::function<void()> handler_;
};

// The same with a check mark showing a state read when the menu was made; choosing it runs the
// closure and leaves the state to it.
class ActionCheckMenuItem : public Gtk::CheckMenuItem {
public:
    ActionCheckMenuItem(const std::string& title, bool checked, std::function<void()> handler);

    void invoke();

protected:
    void on_activate() override;

private:
    const std::function<void()> handler_;
    bool ready_ = false;  // setting the first state activates the item too
};

}  // namespace quenlith
