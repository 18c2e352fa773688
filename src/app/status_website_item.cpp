#include "app/status_website_item.hpp"

#include "app/app_environment.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/website_sessions.hpp"
#include "launcher/launcher_commands.hpp"
#include "model/address.hpp"
#include "model/isolated_text.hpp"
#include "model/localization.hpp"
#include "ui/site_icon.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"

namespace quenlith {

namespace {

// Where its menu is on the session bus, beside the application's own item and the other websites'.
std::string menuPathFor(const Uuid& id) {
    std::string text = id.string();
    std::string path = "/StatusNotifierItem/website_";
    for (char c : text)
        if (c != '-') path += c;
    return path + "/Menu";
}

}  // namespace

std::string WebsiteStatusItem::itemID(const Uuid& websiteID) { return "Quenlith.website." + websiteID.string(); }

WebsiteStatusItem::WebsiteStatusItem(const std::string& busAddress, const WebAppProfile& profile,
                                     AppEnvironment& environment, FaviconLoader& icons,
                                     const LauncherCommands& commands)
    : profile_(profile), environment_(environment), icons_(icons), commands_(commands),
      item_(StatusNotifierItem::OwnName{busAddress, menuPathFor(profile.id)}, itemID(profile.id)) {
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
    const std::string shown = shownName(name, kShownTitleCharacters);

    StatusIconSource source;
    if (auto home = normalizedWebsiteURL(profile_.homeURL)) source.suggestion = SuggestedWebsite::matching(*home);
    if (!source.suggestion) {
        source.favicon = icons_.image(FaviconLoader::key(profile_));
        if (!source.favicon) icons_.load(profile_);
    }
    source.letter = siteLetter(name);

    StatusItemAppearance appearance;
    appearance.title = shown;
    appearance.toolTip =
        localizedFormat("%@ \u00B7 %@ \u2014 click to open, right-click for options", {shown, label});
    appearance.pixmaps = pixmapsFor(source);
    item_.setAppearance(appearance);

    const WebsiteMenuContent content{shown, label, windows.publisher().isWebsiteVisible(profile_.id)};
    if (menu_) {
        menu_->show(content);
        return;
    }
    menu_ = std::make_unique<WebsiteItemMenu>(profile_.id, environment_, commands_, content);
    item_.setMenu(GTK_WIDGET(menu_->menu().gobj()));
}

std::vector<StatusIconPixmap> WebsiteStatusItem::pixmapsFor(const StatusIconSource& source) {
    auto from = std::make_pair(source, activity_);
    if (drawnFrom_ == from) return item_.appearance().pixmaps;
    drawnFrom_ = std::move(from);
    return {drawStatusIcon(source, activity_, 20), drawStatusIcon(source, activity_, 40)};
}

}  // namespace quenlith
