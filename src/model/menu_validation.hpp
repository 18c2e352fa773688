#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "model/web_app_profile.hpp"

namespace quenlith {

// The commands of the main menu that the application validates and carries out itself (the
// editing commands and Quit belong to the focused widget and the application object).
enum class MenuAction {
    about,
    settings,
    openBrowser,
    add,
    launcher,
    quickOpen,
    batchLinks,
    readLater,
    menuBarIcon,
    privateWindow,
    library,
    clip,
    printPage,
    reopenTab,
    newTab,
    close,
    downloads,
    find,
    nextMatch,
    previousMatch,
    address,
    reload,
    stop,
    back,
    forward,
    zoomIn,
    zoomOut,
    zoomReset,
    compact,
    previousTab,
    nextTab,
    arrangeLeft,
    arrangeRight,
    arrangeCenter,
    pin,
    recoverMouse,
    showAll,
    hideAll,
    guide,
};

// What the menu decisions look at: the window counts and the key browser window with its active
// tab, read at the moment a menu is shown or a command runs.
struct MenuContext {
    bool hasEnvironment = false;
    int hiddenWindowCount = 0;
    bool hasVisibleWindows = false;

    struct Tab {
        bool showsStartPage = false;
        bool hasURL = false;
        bool credentialFreeURL = false;
        bool canGoBack = false;
        bool canGoForward = false;
    };
    struct Browser {
        bool persistent = false;
        bool hasRecentlyClosed = false;
        bool hasShareableURL = false;
        bool menuBarIconOn = false;
        bool alwaysOnTop = false;
        bool compactMode = false;
        std::optional<Tab> activeTab;
    };
    // The browser of the key browser window; none while another window (or none) is key.
    std::optional<Browser> activeBrowser;
    bool trayAvailable = true;  // a tray shows the icons on this desktop
};

struct MenuItemState {
    bool enabled = false;
    // Set for the items that carry a check mark.
    std::optional<bool> checked;
    bool operator==(const MenuItemState&) const = default;
};

// Whether a command's item is enabled and, for the check items, whether it is checked.
MenuItemState validateMenuAction(MenuAction action, const MenuContext& context);

// The page may be kept (Read Later, saving a page): a persistent session showing a page whose
// address is free of credentials.
bool canKeepPage(const MenuContext::Browser& browser);

// The website settings a menu command changes in the key window (zoom, compact mode, always on
// top), normalised (the zoom stays within its limits). Other commands leave the profile as it is.
WebAppProfile changedWebsiteSettings(WebAppProfile profile, MenuAction action);

// The action's name in the application's action group ("zoomIn" for app.zoomIn).
std::string_view menuActionName(MenuAction action);
// Every action, in menu order.
const std::vector<MenuAction>& allMenuActions();

}  // namespace quenlith
