// Application links of the window manager: the windows of websites linked to the application in
// front come forward beside it without taking the focus, and go away again when an unrelated
// application comes to the front.

#include "windows/application_links.hpp"

#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/application_link.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/active_application_watcher.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

ApplicationLinks::ApplicationLinks(WindowRegistry& registry, RuntimePublisher& publisher,
                                   WindowFactory& factory, WebAppStore& store, PreferencesStore& preferences,
                                   Scheduler& timers, WindowHost& host)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      store_(store),
      preferences_(preferences),
      host_(host),
      follower_(
          kOwnApplication,
          [this](const std::optional<std::string>& application) { applyApplicationLinks(application); },
          timers) {
    activeApplications_ = ActiveApplicationWatcher::create(
        kOwnApplication,
        [this](const std::optional<std::string>& application) { applicationDidActivate(application); });
    follower_.setNoneInFront([this] { return !activeApplications_ || !activeApplications_->current(); });
}

ApplicationLinks::~ApplicationLinks() {
    activeApplications_.reset();
    follower_.cancel();
}

void ApplicationLinks::applicationDidActivate(const std::optional<std::string>& application) {
    follower_.applicationDidActivate(application);
}

void ApplicationLinks::followFrontApplication() {
    if (activeApplications_) follower_.applicationDidActivate(activeApplications_->current());
}

void ApplicationLinks::release(const BrowserWindowController& controller) {
    if (linkedWindows_.empty()) return;
    for (const Uuid& id : publisher_.websiteLinks().profileIDs(controller.id)) linkedWindows_.erase(id);
    linkedWindows_.erase(controller.profileID);
}

bool ApplicationLinks::broughtForward(const BrowserWindowController& controller) const {
    if (linkedWindows_.contains(controller.profileID)) return true;
    for (const Uuid& id : publisher_.websiteLinks().profileIDs(controller.id))
        if (linkedWindows_.contains(id)) return true;
    return false;
}

void ApplicationLinks::dismiss(const BrowserWindowController& controller) {
    // Put away with its close button, the window had the focus, and the window manager may leave
    // none after it: that is no other application coming to the front.
    if (controller.panel().is_active()) follower_.ownWindowLeft();
    for (const Uuid& id : publisher_.websiteLinks().profileIDs(controller.id)) {
        linkedWindows_.erase(id);
        follower_.dismiss(id);
    }
    linkedWindows_.erase(controller.profileID);
    follower_.dismiss(controller.profileID);
}

void ApplicationLinks::dismissWebsite(const Uuid& websiteID) {
    follower_.dismiss(websiteID);
    linkedWindows_.erase(websiteID);
}

void ApplicationLinks::dismissAll() {
    for (const auto& [id, controller] : registry_.windows())
        if (controller->panel().is_active()) follower_.ownWindowLeft();
    for (const auto& website : store_.profiles()) follower_.dismiss(website.id);
    linkedWindows_.clear();
}

void ApplicationLinks::applyApplicationLinks(const std::optional<std::string>& application) {
    if (!host_.linksMayApply()) return;
    const std::vector<WebAppProfile> websites = store_.profiles();
    const std::vector<RuntimeWindow> list = publisher_.runtimeWindows();

    // Where each website is shown now, and which of them are on screen (a tucked one counts).
    std::set<Uuid> visible;
    std::map<Uuid, Uuid> windowOf;
    for (const auto& website : websites) {
        auto target = publisher_.linkTarget(website, list);
        if (!target) continue;
        windowOf[website.id] = target->windowID;
        BrowserWindowController* controller = registry_.window(target->windowID);
        if (controller && (controller->isOnScreen() || controller->isTuckedAway())) visible.insert(website.id);
    }
    const LinkedWebsitePlan plan =
        linkedWebsiteIDs(application, websites, linkedWindows_, visible,
                         preferences_.value().readsApplicationLinksEnabled(), windowOf);

    for (const Uuid& id : plan.toHide) {
        auto website = store_.profile(id);
        auto target = website ? publisher_.linkTarget(*website) : std::nullopt;
        if (BrowserWindowController* controller = target ? registry_.window(target->windowID) : nullptr) {
            controller->edgeTuck().reset();
            controller->panel().hide();
            controller->browser().setPresented(false, true);
        }
        linkedWindows_.erase(id);
    }

    for (const Uuid& id : plan.toShow) {
        // Put away or minimised by the user while this application stayed in front.
        if (follower_.dismissedLinks().contains(id) || follower_.minimisedLinks().contains(id)) continue;
        auto website = store_.profile(id);
        if (!website) continue;
        BrowserWindowController* controller = nullptr;
        if (auto target = publisher_.linkTarget(*website)) {
            controller = registry_.window(target->windowID);
            if (controller) {
                publisher_.websiteLinks().targets[id] = *target;
                const auto& tabs = controller->browser().tabs().items();
                for (std::size_t i = 0; i < tabs.size(); ++i) {
                    if (tabs[i]->id != target->tabID) continue;
                    controller->browser().tabs().select(i, true, false);
                    break;
                }
            }
        }
        // A window already registered under the website's id is answered instead of a new one.
        if (!controller) controller = &factory_.make(WindowRequest::ownWindow(*website));
        controller->present(false, false, true);
        linkedWindows_.insert(id);
    }

    if (plan.toHide.empty() && plan.toShow.empty()) return;
    publisher_.publishState();
}

void ApplicationLinks::windowMinimized(const Uuid& windowID) {
    // Minimised, a window counts as not shown: the links applied again on the change would bring
    // it straight back.
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller) return;
    for (const Uuid& id : publisher_.websiteLinks().profileIDs(windowID)) {
        linkedWindows_.erase(id);
        follower_.noteMinimised(id);
    }
    linkedWindows_.erase(controller->profileID);
    follower_.noteMinimised(controller->profileID);
}

void ApplicationLinks::screenParametersChanged() {
    for (auto& [id, controller] : registry_.windows()) {
        controller->panel().clampToScreen();
        // A tucked window is tucked again, so its handle follows the new screen geometry.
        if (auto edge = controller->edgeTuck().edge()) controller->edgeTuck().tuck(*edge);
    }
}

}  // namespace quenlith
