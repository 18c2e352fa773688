// Taking windows off the screen or out of the registry: close requests, hiding one window or all
// windows of a website, closing a window or a tab, deleting a website with its windows.

#include "windows/window_closing.hpp"

#include <algorithm>
#include <set>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "model/window_close_policy.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

WindowClosing::WindowClosing(WindowRegistry& registry, RuntimePublisher& publisher, ApplicationLinks& links,
                             WebAppStore& store, PreferencesStore& preferences, WebsiteSessions& sessions,
                             WindowHost& host)
    : registry_(registry),
      publisher_(publisher),
      links_(links),
      store_(store),
      preferences_(preferences),
      sessions_(sessions),
      host_(host) {}

void WindowClosing::hideOne(BrowserWindowController& controller) {
    links_.dismiss(controller);
    controller.edgeTuck().reset();
    controller.panel().hide();
    controller.browser().setPresented(false, true);
}

void WindowClosing::hide(const Uuid& profileID) {
    links_.dismissWebsite(profileID);
    std::set<Uuid> ids;
    for (const auto& [id, controller] : registry_.windows())
        if (controller->profileID == profileID) ids.insert(id);
    if (auto website = store_.profile(profileID))
        if (auto target = publisher_.linkTarget(*website)) ids.insert(target->windowID);
    for (const Uuid& id : ids)
        if (BrowserWindowController* controller = registry_.window(id)) hideOne(*controller);
    publisher_.publishState();
}

void WindowClosing::hideWindow(const Uuid& windowID) {
    if (BrowserWindowController* controller = registry_.window(windowID)) hideOne(*controller);
    publisher_.publishState();
}

void WindowClosing::requestClose(Uuid windowID) {
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller) return;
    // Read before the hiding or closing dismisses the window's links.
    const bool comesBackByLink = links_.broughtForward(*controller);
    const CloseAction action =
        closeAction(preferences_.value().closeBehavior, controller->id == controller->profileID,
                    controller->browser().isPersistent());
    if (action == CloseAction::hide) {
        hideOne(*controller);
        publisher_.publishState();
    } else {
        close(windowID);
    }
    closeRequested_.emit(comesBackByLink);
}

std::vector<WindowPresence> WindowClosing::presence() const {
    std::vector<WindowPresence> windows;
    for (const auto& [id, controller] : registry_.windows()) {
        const FloatingBrowserPanel& panel = controller->panel();
        windows.push_back(!panel.get_visible()  ? WindowPresence::hidden
                          : panel.isMinimized() ? WindowPresence::minimized
                                                : WindowPresence::shown);
    }
    return windows;
}

void WindowClosing::close(Uuid windowID) {
    std::unique_ptr<BrowserWindowController> controller = registry_.take(windowID);
    if (!controller) return;

    links_.dismiss(*controller);
    publisher_.websiteLinks().removeWindow(windowID);
    controller->tearDown();
    const Uuid profileID = controller->profileID;
    // The window may be closing from inside one of its own signal handlers: it is released on the
    // next idle turn.
    registry_.retire(std::move(controller));

    const auto& windows = registry_.windows();
    bool stillShown = std::any_of(windows.begin(), windows.end(),
                                  [&](const auto& entry) { return entry.second->profileID == profileID; });
    if (!stillShown && registry_.forgetBrowsingProfile(profileID)) sessions_.forgetSession(profileID);
    publisher_.publishState();
}

void WindowClosing::closeTab(Uuid windowID, Uuid tabID) {
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller || !controller->browser().tabs().find(tabID)) return;
    if (controller->browser().tabs().items().size() > 1)
        controller->browser().tabs().close(tabID);
    else
        close(windowID);
}

bool WindowClosing::deleteWebsite(Uuid profileID) {
    host_.finishRestore();
    if (!store_.profile(profileID) || !store_.deleteProfile(profileID)) return false;
    publisher_.websiteLinks().remove(profileID);
    std::vector<Uuid> ids;
    for (const auto& [id, controller] : registry_.windows())
        if (controller->profileID == profileID) ids.push_back(id);
    for (const Uuid& id : ids) close(id);
    publisher_.publishState();
    return true;
}

}  // namespace quenlith
