#pragma once

#include <functional>
#include <string>

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

}  // namespace quenlith
