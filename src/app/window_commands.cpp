#include "app/window_commands.hpp"
#include "launcher/launcher_commands.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

void bindWindowCommands(LauncherCommands& commands, BrowserWindowManager& manager) {
    BrowserWindowManager* m = &manager;
    commands.openBrowser = [m] { m->routing().showBrowser(); };
    commands.openPrivateWindow = [m] { m->routing().openPrivateWindow(); };
    commands.showProfile = [m](const Uuid& id) { m->routing().showProfile(id); };
    commands.openURL = [m](const std::string& url) { m->routing().open(url); };
    commands.openAddress = [m](const std::string& text) { m->routing().openAddress(text); };
    commands.deleteWebsite = [m](const Uuid& id) { m->closing().deleteWebsite(id); };
    // "Restore Hidden Windows": the manager brings back every window that is not on screen.
    commands.restoreHiddenWindows = [m] { m->routing().showAll(); };
    commands.hideAll = [m] { m->routing().hideAll(); };
    commands.restoreMouseControl = [m] { m->services().restoreMouseControl(); };
    commands.focusTab = [m](const Uuid& windowID, const Uuid& tabID) { m->routing().focus(windowID, tabID); };
    commands.closeTab = [m](const Uuid& windowID, const Uuid& tabID) {
        m->closing().closeTab(windowID, tabID);
    };
    commands.hideWindow = [m](const Uuid& windowID) { m->closing().hideWindow(windowID); };
    commands.closeWindow = [m](const Uuid& windowID) { m->closing().close(windowID); };
    commands.returnToPreviousWindows = [m] { m->pageGroups().endSceneFocus(); };
    commands.hasFocusedScene = [m] { return m->pageGroups().focusedScene().has_value(); };
}

}  // namespace quenlith
