#include "app/status_website_item.hpp"

#include <glibmm/main.h>
#include <gtkmm/separatormenuitem.h>

#include "app/app_environment.hpp"
#include "app/status_item_icon.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/website_sessions.hpp"
#include "launcher/launcher_commands.hpp"
#include "model/address.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/alert.hpp"
#include "ui/site_icon.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_closing.hpp"

namespace quenlith {

namespace {

std::string objectPathFor(const Uuid& id) {
    std::string text = id.string();
    std::string path = "/StatusNotifierItem/website_";
    for (char c : text)
        if (c != '-') path += c;
    return path;
}

}  // namespace

std::string WebsiteStatusItem::itemID(const Uuid& websiteID) { return "Quenlith.website." + websiteID.string(); }

WebsiteStatusItem::WebsiteStatusItem(GDBusConnection* connection, const WebAppProfile& profile,
                                     AppEnvironment& environment, FaviconLoader& icons,
                                     const LauncherCommands& commands)
    : profile_(profile), environment_(environment), icons_(icons), commands_(commands),
      item_(connection, itemID(profile.id), objectPathFor(profile.id)) {
    const Uuid id = profile.id;
    item_.setOnActivate([this, id](int, int) {
        run(commands_.onDismiss);
        run(commands_.showProfile, id);
    });
    update(profile);
}

WebsiteStatusItem::~WebsiteStatusItem() = default;

void WebsiteStatusItem::update(const WebAppProfile& profile) {
    profile_ = profile;
    auto& windows = environment_.windows();
    activity_ = activityFor(windows.publisher().runtime(), profile_, windows.sessions());
    const std::string label = title(activity_);
    const std::string name = profile_.displayTitle();
    // The tray shows the title, the tooltip and the menu's heading whole: only the name's beginning.
    const std::string shownName = isolatedText(name, kShownTitleCharacters);

    StatusIconSource source;
    if (auto home = normalizedWebsiteURL(profile_.homeURL)) source.suggestion = SuggestedWebsite::matching(*home);
    if (!source.suggestion) {
        source.favicon = icons_.image(FaviconLoader::key(profile_));
        if (!source.favicon) icons_.load(profile_);
    }
    source.letter = siteLetter(name);

    StatusItemAppearance appearance;
    appearance.title = shownName;
    appearance.toolTip =
        localizedFormat("%@ \u00B7 %@ \u2014 click to open, right-click for options", {shownName, label});
    appearance.pixmaps = {drawStatusIcon(source, activity_, 20), drawStatusIcon(source, activity_, 40)};
    item_.setAppearance(appearance);
    buildMenu(shownName, label);
}

void WebsiteStatusItem::buildMenu(const std::string& name, const std::string& label) {
    auto menu = std::make_unique<Gtk::Menu>();
    auto* heading = Gtk::manage(new Gtk::MenuItem(name));
    heading->set_sensitive(false);
    menu->append(*heading);
    auto* state = Gtk::manage(new Gtk::MenuItem(label));
    state->set_sensitive(false);
    menu->append(*state);
    menu->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));

    const Uuid id = profile_.id;
    AppEnvironment* environment = &environment_;
    const LauncherCommands* commands = &commands_;
    menu->append(*Gtk::manage(new ActionMenuItem(localizedString("Open Website"), [commands, id] {
        run(commands->onDismiss);
        run(commands->showProfile, id);
    })));
    auto* hide = Gtk::manage(new ActionMenuItem(
        localizedString("Hide Window"), [environment, id] { environment->windows().closing().hide(id); }));
    hide->set_sensitive(environment_.windows().publisher().isWebsiteVisible(id));
    menu->append(*hide);
    menu->append(*Gtk::manage(new ActionMenuItem(localizedString("Edit Website\u2026"), [commands, id] {
        run(commands->onEdit, id);
    })));
    menu->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
    menu->append(*Gtk::manage(new ActionMenuItem(localizedString("Remove from Tray"), [environment, id] {
        WebAppStore& store = environment->store();
        store.hideMenuBarIcon(id);
        if (store.saveInBackground()) return;
        // The store took the change back, so the item stays. The alert waits for the menu to
        // close: this item may be rebuilt while it is shown.
        const std::string reason = store.errorMessage().value_or(localizedString("Please try again."));
        Glib::signal_idle().connect_once(
            [reason] { presentAlert(AlertKind::error, localizedString("Could not save website"), reason, nullptr); });
    })));
    menu->show_all();
    item_.setMenu(GTK_WIDGET(menu->gobj()));
    menu_ = std::move(menu);
}

}  // namespace quenlith
