#pragma once

#include <memory>

#include <gtkmm/menu.h>

#include "app/status_notifier_item.hpp"
#include "model/web_app_profile.hpp"
#include "model/website_activity.hpp"

namespace quenlith {

class AppEnvironment;
class FaviconLoader;
struct LauncherCommands;

// The tray item of one saved website whose menu-bar icon is on: its icon with the activity dot,
// a tool tip with its name and state, a click that brings it forward and a menu to open, hide,
// edit it or take it off the tray. Ids are "Quenlith.website.<UUID>".
class WebsiteStatusItem {
public:
    WebsiteStatusItem(GDBusConnection* connection, const WebAppProfile& profile, AppEnvironment& environment,
                      FaviconLoader& icons, const LauncherCommands& commands);
    ~WebsiteStatusItem();

    // Takes the website's current record and redraws icon, tool tip and menu.
    void update(const WebAppProfile& profile);

    const WebAppProfile& profile() const { return profile_; }
    const StatusNotifierItem& item() const { return item_; }
    WebsiteActivity activity() const { return activity_; }
    // The menu as exported now.
    Gtk::Menu& menu() { return *menu_; }

    static std::string itemID(const Uuid& websiteID);

private:
    void buildMenu(const std::string& name, const std::string& label);

    WebAppProfile profile_;
    AppEnvironment& environment_;
    FaviconLoader& icons_;
    const LauncherCommands& commands_;
    StatusNotifierItem item_;
    std::unique_ptr<Gtk::Menu> menu_;
    WebsiteActivity activity_ = WebsiteActivity::closed;
};

}  // namespace quenlith
