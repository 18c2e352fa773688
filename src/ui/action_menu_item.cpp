#include "ui/action_menu_item.hpp"

namespace quenlith {

ActionMenuItem::ActionMenuItem(const std::string& title, std::function<void()> handler)
    : Gtk::MenuItem(title, /*mnemonic=*/false), handler_(std::move(handler)) {}

void ActionMenuItem::invoke() {
    if (handler_) handler_();
}

void ActionMenuItem::on_activate() {
    Gtk::MenuItem::on_activate();
    invoke();
}

}  // namespace quenlith
