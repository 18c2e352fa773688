#include "app/website_item_menu.hpp"

#include <glibmm/main.h>
#include <gtkmm/separatormenuitem.h>

#include "app/app_environment.hpp"
#include "launcher/launcher_commands.hpp"
#include "model/localization.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/alert.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/window_closing.hpp"

namespace quenlith {

WebsiteItemMenu::WebsiteItemMenu(const Uuid& websiteID, AppEnvironment& environment,
                                 const LauncherCommands& commands, const WebsiteMenuContent& content)
    : menu_(std::make_unique<Gtk::Menu>()), shown_(content) {
    heading_ = Gtk::manage(new Gtk::MenuItem(content.name));
    heading_->set_sensitive(false);
    menu_->append(*heading_);
    state_ = Gtk::manage(new Gtk::MenuItem(content.stateLine));
    state_->set_sensitive(false);
    menu_->append(*state_);
    menu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));

    const Uuid id = websiteID;
    AppEnvironment* owner = &environment;
    const LauncherCommands* table = &commands;
    menu_->append(*Gtk::manage(new ActionMenuItem(localizedString("Open Website"), [table, id] {
        run(table->onDismiss);
        run(table->showProfile, id);
    })));
    hide_ = Gtk::manage(
        new ActionMenuItem(localizedString("Hide Window"), [owner, id] { owner->windows().closing().hide(id); }));
    hide_->set_sensitive(content.canHide);
    menu_->append(*hide_);
    menu_->append(*Gtk::manage(
        new ActionMenuItem(localizedString("Edit Website\u2026"), [table, id] { run(table->onEdit, id); })));
    menu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
    menu_->append(*Gtk::manage(new ActionMenuItem(localizedString("Remove from Tray"), [owner, id] {
        WebAppStore& store = owner->store();
        store.hideMenuBarIcon(id);
        if (store.saveInBackground()) return;
        // The store took the change back, so the item stays. The alert waits for the menu to
        // close, which is still in the middle of this click.
        const std::string reason = store.errorMessage().value_or(localizedString("Please try again."));
        Glib::signal_idle().connect_once(
            [reason] { presentAlert(AlertKind::error, localizedString("Could not save website"), reason, nullptr); });
    })));
    menu_->show_all();
}

WebsiteItemMenu::~WebsiteItemMenu() = default;

void WebsiteItemMenu::show(const WebsiteMenuContent& content) {
    // Each change reaches the tray host as a new property of that one item, never as a new menu.
    if (content.name != shown_.name) heading_->set_label(content.name);
    if (content.stateLine != shown_.stateLine) state_->set_label(content.stateLine);
    if (content.canHide != shown_.canHide) hide_->set_sensitive(content.canHide);
    shown_ = content;
}

}  // namespace quenlith
