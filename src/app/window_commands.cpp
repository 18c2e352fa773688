#include "app/window_commands.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/launcher_commands.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

void bindWindowCommands(LauncherCommands& commands, BrowserWindowManager& manager) {
    BrowserWindowManager* m = &manager;
    commands.openBrowser = [m] { m->showBrowser(); };
    commands.openPrivateWindow = [m] { m->openPrivateWindow(); };
    commands.showProfile = [m](const Uuid& id) { m->showProfile(id); };
    commands.openURL = [m](const std::string& url) { m->open(url); };
    commands.openAddress = [m](const std::string& text) { m->openAddress(text); };
    commands.deleteWebsite = [m](const Uuid& id) { m->deleteWebsite(id); };
    // "Restore Hidden Windows": the manager brings back every window that is not on screen.
    commands.restoreHiddenWindows = [m] { m->showAll(); };
    commands.hideAll = [m] { m->hideAll(); };
    commands.restoreMouseControl = [m] { m->restoreMouseControl(); };
    commands.focusTab = [m](const Uuid& windowID, const Uuid& tabID) { m->focus(windowID, tabID); };
    commands.closeTab = [m](const Uuid& windowID, const Uuid& tabID) { m->closeTab(windowID, tabID); };
    commands.hideWindow = [m](const Uuid& windowID) { m->hideWindow(windowID); };
    commands.closeWindow = [m](const Uuid& windowID) { m->close(windowID); };
    commands.returnToPreviousWindows = [m] { m->endSceneFocus(); };
    commands.hasFocusedScene = [m] { return m->focusedScene().has_value(); };
}

}  // namespace quenlith
