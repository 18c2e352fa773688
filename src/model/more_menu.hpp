#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/ad_filter_settings.hpp"

namespace quenlith {

// English labels of the menu's button and of the items other texts send the person to; texts
// that name them format these, so they cannot drift apart.
inline constexpr const char* kMoreOptionsLabel = "More options";
inline constexpr const char* kShowInTrayLabel = "Show in Tray";
inline constexpr const char* kHideControlsLabel = "Hide Controls";
inline constexpr const char* kTuckToScreenEdgeLabel = "Tuck to Screen Edge";
inline constexpr const char* kNewSharedWindowLabel = "New Shared Window";

// The items of a browser window's "more" menu, in menu order.
enum class MoreMenuItem {
    mainMenu,
    startPage,
    saveWebsite,
    showInMenuBar,
    websiteSettings,
    userAgent,
    proxy,
    adFiltering,
    allowAds,
    separator,
    find,
    print,
    reopenClosedTab,
    sleepOrWake,
    compactMode,
    hideControls,
    clickThrough,
    tuck,
    duplicate,
    otherSessionWindow,
    openInBrowser,
    downloads,
    closeWindow,
};

// What the menu reads from the window and its active tab at the moment it opens.
struct MoreMenuFacts {
    bool hasActiveTab = false;
    bool onPage = false;  // an active tab that does not show the start page
    bool activeTabSleeping = false;
    bool hasShareableURL = false;
    bool inMenuBar = false;
    bool trayAvailable = true;  // a tray shows the icons on this desktop
    // The page's host reduced for ad filtering; nothing on the start page or without a tab.
    std::optional<std::string> pageHost;
    // The effective, normalised ad-filter settings.
    AdFilterSettings adSettings;
    bool hasRecentlyClosed = false;
    bool compactMode = false;
    bool compactRevealed = false;
    bool clickThrough = false;
    bool persistentStore = true;
    bool ownSession = false;  // the window's data store has an identifier of its own
    bool hasSiteProxy = false;
    // Toolbar buttons the title bar has no room for: the menu offers them first.
    bool narrowToolbar = false;  // start page and save
    bool saveWebsiteEnabled = false;
    bool mainMenuInMenu = false;  // the main-menu button is out of sight
};

struct MoreMenuEntry {
    MoreMenuItem item = MoreMenuItem::separator;
    std::string title;  // looked up; empty for separators
    bool checked = false;
    bool enabled = true;
    std::optional<std::string> tooltip;
    bool operator==(const MoreMenuEntry&) const = default;
};

// The menu's entries with their titles, check marks and enabled states; items that are not
// present at this moment are left out.
std::vector<MoreMenuEntry> moreMenuEntries(const MoreMenuFacts& facts);

}  // namespace quenlith
