// Application links of the window manager: the windows of websites linked to the application in
// front come forward beside it without taking the focus, and go away again when an unrelated
// application comes to the front.

#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/application_link.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

void BrowserWindowManager::applicationDidActivate(const std::optional<std::string>& application) {
    linkFollower_.applicationDidActivate(application);
}

void BrowserWindowManager::applyApplicationLinks(const std::optional<std::string>& application) {
    if (!didRestore_ || shuttingDown_ || isResettingWebsiteData) return;
    const std::vector<WebAppProfile> websites = store.profiles();
    const std::vector<RuntimeWindow> list = runtimeWindows();

    // Where each website is shown now, and which of them are on screen (a tucked one counts).
    std::set<Uuid> visible;
    std::map<Uuid, Uuid> windowOf;
    for (const auto& website : websites) {
        auto target = linkTarget(website, list);
        if (!target) continue;
        windowOf[website.id] = target->windowID;
        BrowserWindowController* controller = window(target->windowID);
        if (controller && (controller->isOnScreen() || controller->isTuckedAway())) visible.insert(website.id);
    }
    const LinkedWebsitePlan plan = linkedWebsiteIDs(application, websites, linkedWindows_, visible,
                                                    preferences.value().readsApplicationLinksEnabled(), windowOf);

    for (const Uuid& id : plan.toHide) {
        auto website = store.profile(id);
        auto target = website ? linkTarget(*website) : std::nullopt;
        if (BrowserWindowController* controller = target ? window(target->windowID) : nullptr) {
            controller->edgeTuck().reset();
            controller->panel().hide();
            controller->browser().setPresented(false, true);
        }
        linkedWindows_.erase(id);
    }

    for (const Uuid& id : plan.toShow) {
        // Put away or minimised by the user while this application stayed in front.
        if (dismissedLinks_.contains(id) || linkFollower_.minimisedLinks.contains(id)) continue;
        auto website = store.profile(id);
        if (!website) continue;
        BrowserWindowController* controller = nullptr;
        if (auto target = linkTarget(*website)) {
            controller = window(target->windowID);
            if (controller) {
                websiteLinks.targets[id] = *target;
                const auto& tabs = controller->browser().tabs();
                for (std::size_t i = 0; i < tabs.size(); ++i) {
                    if (tabs[i]->id != target->tabID) continue;
                    controller->browser().selectTab(i, true, false);
                    break;
                }
            }
        }
        // A window already registered under the website's id is answered instead of a new one.
        if (!controller) controller = &makeWindowController(WindowRequest::ownWindow(*website));
        controller->present(false, false, true);
        linkedWindows_.insert(id);
    }

    if (plan.toHide.empty() && plan.toShow.empty()) return;
    publishState();
}

void BrowserWindowManager::windowMinimized(const Uuid& windowID) {
    // Minimised, a window counts as not shown: the links applied again on the change would bring
    // it straight back.
    BrowserWindowController* controller = window(windowID);
    if (!controller) return;
    for (const Uuid& id : websiteLinks.profileIDs(windowID)) {
        linkedWindows_.erase(id);
        linkFollower_.minimisedLinks.insert(id);
    }
    linkedWindows_.erase(controller->profileID);
    linkFollower_.minimisedLinks.insert(controller->profileID);
}

}  // namespace quenlith
