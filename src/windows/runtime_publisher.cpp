#include "windows/runtime_publisher.hpp"

#include <algorithm>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

RuntimePublisher::RuntimePublisher(WindowRegistry& registry, WebAppStore& store, WebsiteSessions& sessions,
                                   WindowHost& host)
    : registry_(registry), store_(store), sessions_(sessions), host_(host) {}

void RuntimePublisher::setContinuityError(std::optional<std::string> message) {
    if (message == continuityError_) return;
    continuityError_ = std::move(message);
    if (continuityError_) logError(LogCategory::lifecycle, "Session recovery: " + *continuityError_);
    changed_.emit();
}

RuntimeTab RuntimePublisher::runtimeTab(const BrowserTab& tab, BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    bool persistent = browser.isPersistent();
    RuntimeTab result;
    result.id = tab.id;
    result.title = persistent ? tab.displayTitle() : localizedString("Private Tab");
    if (persistent) result.url = tab.address();
    result.isSelected = browser.tabs().active() == &tab;
    result.isStartPage = tab.state().showsStartPage;
    result.isLoading = tab.isLoading();
    result.hasError = tab.state().error.has_value();
    result.isSleeping = tab.state().isSleeping;
    return result;
}

RuntimeWindow RuntimePublisher::runtimeWindow(BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    bool persistent = browser.isPersistent();
    RuntimeWindow result;
    result.id = controller.id;
    result.sequence = controller.sequence();
    if (!persistent)
        result.title = localizedString("Private Window");
    else if (controller.id == registry_.browserID())
        result.title = localizedString("Browser");
    else
        result.title = browser.profile().displayTitle();
    if (controller.isTuckedAway())
        result.state = BrowserWindowState::tucked;
    else if (controller.isMinimized())
        result.state = BrowserWindowState::minimized;
    else if (controller.panel().get_visible())
        result.state = BrowserWindowState::visible;
    else
        result.state = BrowserWindowState::hidden;
    for (const auto& tab : browser.tabs().items()) result.tabs.push_back(runtimeTab(*tab, controller));
    result.isPrivate = !persistent;
    result.profileID = controller.profileID;
    result.sessionIdentifier = browser.websiteDataStore()->identifier();
    return result;
}

std::vector<RuntimeWindow> RuntimePublisher::runtimeWindows() {
    std::vector<RuntimeWindow> result;
    result.reserve(registry_.windows().size());
    for (auto& [id, controller] : registry_.windows()) result.push_back(runtimeWindow(*controller));
    return result;
}

void RuntimePublisher::pushSnapshot() {
    // Windows still owed by the restore would read as gone (the launcher's list, the links).
    if (host_.isRestoring()) return;
    auto list = runtimeWindows();
    websiteLinks_.update(list);
    runtime_.update(std::move(list));
}

std::optional<WebsiteWindowTarget> RuntimePublisher::linkTarget(
    const WebAppProfile& website, const std::optional<std::vector<RuntimeWindow>>& list) {
    // Website stores are always persistent; one not made yet shows no window.
    const auto identifier = sessions_.storeIdentifier(website);
    if (list) return websiteLinks_.target(website, identifier, *list);
    return websiteLinks_.target(website, identifier, runtimeWindows());
}

bool RuntimePublisher::isWebsiteVisible(const Uuid& profileID) {
    auto website = store_.profile(profileID);
    if (!website) return false;
    auto target = linkTarget(*website);
    BrowserWindowController* controller = target ? registry_.window(target->windowID) : nullptr;
    return controller && (controller->isOnScreen() || controller->isTuckedAway());
}

void RuntimePublisher::publishState() {
    // Part of the restored windows would clear the visibility flags of the websites still to come.
    if (host_.isRestoring()) return;
    const auto& windows = registry_.windows();
    auto list = runtimeWindows();
    std::set<Uuid> visible;
    for (const auto& website : store_.profiles()) {
        auto target = websiteLinks_.target(website, sessions_.storeIdentifier(website), list);
        if (!target) continue;
        if (auto controller = registry_.window(target->windowID); controller && controller->isOnScreen())
            visible.insert(website.id);
    }
    visibleProfiles_ = std::move(visible);
    visibleWindowCount_ = static_cast<int>(std::count_if(
        windows.begin(), windows.end(), [](const auto& entry) { return entry.second->isOnScreen(); }));
    hiddenWindowCount_ = static_cast<int>(windows.size()) - visibleWindowCount_;
    clickThroughCount_ =
        static_cast<int>(std::count_if(windows.begin(), windows.end(), [](const auto& entry) {
            return entry.second->browser().clickThroughEnabled();
        }));

    // Only changed flags are written, so the steady state causes no saves.
    std::vector<std::pair<Uuid, bool>> flags;
    for (const auto& website : store_.profiles()) {
        bool isVisible = visibleProfiles_.count(website.id) > 0;
        if (isVisible != website.wasVisible) flags.emplace_back(website.id, isVisible);
    }
    for (const auto& [id, isVisible] : flags) store_.setWasVisible(isVisible, id);

    pushSnapshot();
    host_.scheduleSnapshot();
    changed_.emit();
}

}  // namespace quenlith
