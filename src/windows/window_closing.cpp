// Taking windows off the screen or out of the registry: close requests, hiding one window or all
// windows of a website, closing a window or a tab, deleting a website with its windows. Each keeps
// the application-link bookkeeping in step, so that a window the user put away is not brought back
// by an application link, and publishes.

#include <algorithm>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "model/window_close_policy.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

void BrowserWindowManager::hideOne(BrowserWindowController& controller) {
    for (const Uuid& id : websiteLinks.profileIDs(controller.id)) {
        linkedWindows_.erase(id);
        dismissedLinks_.insert(id);
    }
    linkedWindows_.erase(controller.profileID);
    dismissedLinks_.insert(controller.profileID);
    controller.edgeTuck().reset();
    controller.panel().hide();
    controller.browser().setPresented(false, true);
}

void BrowserWindowManager::hide(const Uuid& profileID) {
    dismissedLinks_.insert(profileID);
    linkedWindows_.erase(profileID);
    std::set<Uuid> ids;
    for (const auto& [id, controller] : windows_)
        if (controller->profileID == profileID) ids.insert(id);
    if (auto website = store.profile(profileID))
        if (auto target = linkTarget(*website)) ids.insert(target->windowID);
    for (const Uuid& id : ids)
        if (BrowserWindowController* controller = window(id)) hideOne(*controller);
    publishState();
}

void BrowserWindowManager::hideWindow(const Uuid& windowID) {
    if (BrowserWindowController* controller = window(windowID)) hideOne(*controller);
    publishState();
}

void BrowserWindowManager::requestClose(Uuid windowID) {
    BrowserWindowController* controller = window(windowID);
    if (!controller) return;
    const CloseAction action = closeAction(preferences.value().closeBehavior, controller->id == controller->profileID,
                                           controller->browser().isPersistent());
    if (action == CloseAction::hide) {
        hideOne(*controller);
        publishState();
        return;
    }
    close(windowID);
}

void BrowserWindowManager::close(Uuid windowID) {
    auto found = windows_.find(windowID);
    if (found == windows_.end()) return;
    std::unique_ptr<BrowserWindowController> controller = std::move(found->second);
    windows_.erase(found);

    for (const Uuid& id : websiteLinks.profileIDs(windowID)) {
        linkedWindows_.erase(id);
        dismissedLinks_.insert(id);
    }
    linkedWindows_.erase(controller->profileID);
    dismissedLinks_.insert(controller->profileID);
    websiteLinks.removeWindow(windowID);
    sceneWindows_.erase(windowID);
    controller->tearDown();
    const Uuid profileID = controller->profileID;
    // The window may be closing from inside one of its own signal handlers: it is released on the
    // next idle turn.
    retired_.push_back(std::move(controller));
    if (!retireTask_.pending()) retireTask_ = timers_.scheduleIdle([this] { retired_.clear(); });
    if (lastActiveID == windowID) lastActiveID.reset();

    bool stillShown = std::any_of(windows_.begin(), windows_.end(),
                                  [&](const auto& entry) { return entry.second->profileID == profileID; });
    if (!stillShown && browsingProfiles.erase(profileID) > 0) sessions.forgetSession(profileID);
    publishState();
}

void BrowserWindowManager::closeTab(Uuid windowID, Uuid tabID) {
    BrowserWindowController* controller = window(windowID);
    if (!controller || !controller->browser().tab(tabID)) return;
    if (controller->browser().tabs().size() > 1)
        controller->browser().closeTab(tabID);
    else
        close(windowID);
}

bool BrowserWindowManager::deleteWebsite(Uuid profileID) {
    finishRestore();
    if (!store.profile(profileID) || !store.deleteProfile(profileID)) return false;
    websiteLinks.remove(profileID);
    std::vector<Uuid> ids;
    for (const auto& [id, controller] : windows_)
        if (controller->profileID == profileID) ids.push_back(id);
    for (const Uuid& id : ids) close(id);
    publishState();
    return true;
}

bool BrowserWindowManager::isWebsiteVisible(const Uuid& profileID) const {
    auto website = store.profile(profileID);
    if (!website) return false;
    auto target = const_cast<BrowserWindowManager*>(this)->linkTarget(*website);
    BrowserWindowController* controller = target ? window(target->windowID) : nullptr;
    return controller && (controller->isOnScreen() || controller->isTuckedAway());
}

}  // namespace quenlith
