#include "ui/action_menu_item.hpp"

#include "model/kept_call.hpp"

namespace quenlith {

ActionMenuItem::ActionMenuItem(const std::string& title, std::function<void()> handler)
    : Gtk::MenuItem(title, /*mnemonic=*/false), handler_(std::move(handler)) {}

void ActionMenuItem::invoke() {
    // The handler may end the menu holding this item (a list rebuilt, a window closed): it runs from
    // a copy.
    callKept(handler_);
}

void ActionMenuItem::on_activate() {
    Gtk::MenuItem::on_activate();
    invoke();
}

ActionCheckMenuItem::ActionCheckMenuItem(const std::string& title, bool checked, std::function<void()> handler)
    : Gtk::CheckMenuItem(title, /*mnemonic=*/false), handler_(std::move(handler)) {
    set_active(checked);
    ready_ = true;
}

void ActionCheckMenuItem::invoke() {
    callKept(handler_);
}

void ActionCheckMenuItem::on_activate() {
    // While the first state is set, activating is how the check mark changes.
    if (!ready_) return Gtk::CheckMenuItem::on_activate();
    invoke();
}

}  // namespace quenlith
