#pragma once

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include <gtkmm/menu.h>

#include "app/status_item_icon.hpp"
#include "app/status_notifier_item.hpp"
#include "app/website_item_menu.hpp"
#include "model/web_app_profile.hpp"
#include "model/website_activity.hpp"

namespace quenlith {

class AppEnvironment;
class FaviconLoader;
struct LauncherCommands;

// The tray item of one saved website whose menu-bar icon is on: its icon with the activity dot,
// a tool tip with its name and state, a click that brings it forward and a menu to open, hide,
// edit it or take it off the tray. Ids are "Quenlith.website.<UUID>". Updates reach the tray only
// for what they change: its menu is exported once and follows in place. It lives by a bus name of
// its own, on the bus at `busAddress` (the session bus when empty), so it leaves the tray with it.
class WebsiteStatusItem {
public:
    WebsiteStatusItem(const std::string& busAddress, const WebAppProfile& profile, AppEnvironment& environment,
                      FaviconLoader& icons, const LauncherCommands& commands);
    ~WebsiteStatusItem();

    // Takes the website's current record; the icon, tool tip and menu items that differ follow.
    void update(const WebAppProfile& profile);

    const WebAppProfile& profile() const { return profile_; }
    const StatusNotifierItem& item() const { return item_; }
    WebsiteActivity activity() const { return activity_; }
    // The menu as exported.
    Gtk::Menu& menu() { return menu_->menu(); }

    static std::string itemID(const Uuid& websiteID);

private:
    // The icon pictures for the source and state, drawn again only when either changed.
    std::vector<StatusIconPixmap> pixmapsFor(const StatusIconSource& source);

    WebAppProfile profile_;
    AppEnvironment& environment_;
    FaviconLoader& icons_;
    const LauncherCommands& commands_;
    StatusNotifierItem item_;
    std::unique_ptr<WebsiteItemMenu> menu_;
    WebsiteActivity activity_ = WebsiteActivity::closed;
    std::optional<std::pair<StatusIconSource, WebsiteActivity>> drawnFrom_;
};

}  // namespace quenlith
