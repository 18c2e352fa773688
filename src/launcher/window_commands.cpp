#include <algorithm>

#include <gdk/gdk.h>

#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/launcher_commands.hpp"
#include "model/address.hpp"
#include "model/preferences_store.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

namespace {

// A record for a window that shows an address of no saved website.
WebAppProfile browsingRecord(const std::string& url) {
    WebAppProfile profile;
    profile.name = uriHost(url).value_or(url);
    profile.homeURL = url;
    profile.rememberLastURL = false;
    return profile;
}

void showProfile(BrowserWindowManager& manager, const Uuid& id) {
    if (auto* controller = manager.window(id)) {
        controller->present(true, false, true);
    } else if (auto profile = manager.store.profile(id)) {
        manager.makeWindowController(WindowRequest::ownWindow(*profile)).present(true, false, true);
    }
    manager.publishState();
}

void openURL(BrowserWindowManager& manager, const std::string& url) {
    if (auto saved = manager.store.profileMatching(url, std::nullopt, std::nullopt);
        saved && WebAppStore::sharesHomeSite(*saved, url) && !manager.window(saved->id)) {
        WindowRequest request = WindowRequest::ownWindow(*saved);
        request.url = url;
        manager.makeWindowController(std::move(request)).present(true, false, true);
    } else {
        WindowRequest request;
        request.profile = browsingRecord(url);
        request.id = Uuid::random();
        request.url = url;
        manager.makeWindowController(std::move(request)).present(true, false, true);
    }
    manager.publishState();
}

void hidePanel(BrowserWindowController& controller) {
    controller.saveFrame();
    controller.panel().hide();
}

}  // namespace

void bindWindowCommands(LauncherCommands& commands, BrowserWindowManager& manager) {
    BrowserWindowManager* m = &manager;
    commands.showProfile = [m](const Uuid& id) { showProfile(*m, id); };
    commands.openURL = [m](const std::string& url) { openURL(*m, url); };
    commands.openAddress = [m](const std::string& text) {
        if (auto url = resolveAddressInput(text, m->preferences.value().searchEngine)) openURL(*m, *url);
    };
    commands.openBrowser = [m] {
        if (auto* controller = m->window(m->browserID)) {
            controller->present(true, false, true);
            m->publishState();
            return;
        }
        auto url = searchURL(m->preferences.value().searchEngine, "");
        WindowRequest request;
        request.profile = browsingRecord(url.value_or("https://www.google.com"));
        request.id = m->browserID;
        m->makeWindowController(std::move(request)).present(true, false, true);
        m->publishState();
    };
    commands.deleteWebsite = [m](const Uuid& id) {
        if (m->window(id)) m->close(id);
        m->store.deleteProfile(id);
    };
    commands.restoreHiddenWindows = [m] {
        for (const auto& [id, controller] : m->windows())
            if (!controller->isOnScreen()) controller->present(false, false, false);
        m->publishState();
    };
    commands.hideAll = [m] {
        for (const auto& [id, controller] : m->windows())
            if (controller->isOnScreen()) hidePanel(*controller);
        m->publishState();
    };
    commands.restoreMouseControl = [m] {
        for (const auto& [id, controller] : m->windows()) {
            if (GdkWindow* window = controller->panel().get_window() ? controller->panel().get_window()->gobj() : nullptr)
                gdk_window_input_shape_combine_region(window, nullptr, 0, 0);
            controller->browser().clickThroughEnabled = false;
        }
        m->publishState();
    };
    commands.focusTab = [m](const Uuid& windowID, const Uuid& tabID) {
        auto* controller = m->window(windowID);
        if (!controller) return;
        const auto& tabs = controller->browser().tabs();
        auto it = std::find_if(tabs.begin(), tabs.end(), [&](const auto& tab) { return tab->id == tabID; });
        if (it == tabs.end()) return;
        controller->present(true, false, true);
        controller->browser().selectTab(static_cast<std::size_t>(it - tabs.begin()), true, true);
        m->publishState();
    };
    commands.closeTab = [m](const Uuid& windowID, const Uuid& tabID) {
        auto* controller = m->window(windowID);
        if (!controller) return;
        if (controller->browser().tabs().size() <= 1) {
            m->close(windowID);
            return;
        }
        controller->browser().closeTab(tabID);
        m->publishState();
    };
    commands.hideWindow = [m](const Uuid& windowID) {
        if (auto* controller = m->window(windowID)) hidePanel(*controller);
        m->publishState();
    };
    commands.closeWindow = [m](const Uuid& windowID) { m->close(windowID); };
}

}  // namespace quenlith
