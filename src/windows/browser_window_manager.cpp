#include "windows/browser_window_manager.hpp"

#include <algorithm>

#include <gdkmm/screen.h>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/tab_sleep_scheduler.hpp"
#include "windows/window_callbacks.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

namespace {

std::map<Uuid, WebAppProfile> keyedByID(const std::vector<WebAppProfile>& profiles) {
    std::map<Uuid, WebAppProfile> keyed;
    for (const auto& profile : profiles) keyed.emplace(profile.id, profile);
    return keyed;
}

}  // namespace

BrowserWindowManager::BrowserWindowManager(WebAppStore& store, const BrowserContext& viewContext,
                                           BrowserSessionPersistence persistence, Scheduler& timers)
    : store_(store), preferences_(viewContext.preferences), sessions_(viewContext.sessions), timers_(timers) {
    PreferencesStore& preferences = preferences_;
    WebsiteSessions& sessions = sessions_;
    registry_ = std::make_unique<WindowRegistry>(timers);
    publisher_ = std::make_unique<RuntimePublisher>(*registry_, store, sessions, *this);
    // The callbacks are built last and go first: a window built without them reports nothing.
    factory_ = std::make_unique<WindowFactory>(
        *registry_, store, viewContext, hooks_,
        [this](BrowserWindowController& controller, const WebAppProfile& websiteCopy) {
            if (callbacks_) callbacks_->wire(controller, websiteCopy);
        });
    links_ = std::make_unique<ApplicationLinks>(*registry_, *publisher_, *factory_, store, preferences,
                                                timers, *this);
    tabSleep_ = std::make_unique<TabSleepScheduler>(*registry_, timers);
    closing_ = std::make_unique<WindowClosing>(*registry_, *publisher_, *links_, store, preferences, sessions,
                                               *this);
    router_ = std::make_unique<WindowRouter>(*registry_, *publisher_, *factory_, *links_, *closing_, store,
                                             preferences, sessions, timers, *this);
    pageGroups_ = std::make_unique<PageGroupWindows>(*registry_, *publisher_, *factory_, *links_, *router_,
                                                     store, preferences, *this);
    services_ = std::make_unique<WindowServices>(*registry_, *publisher_, *factory_, *links_, store,
                                                 preferences, sessions, hooks_, tray_, timers, *this);
    session_ =
        std::make_unique<SessionRestore>(*registry_, *publisher_, *factory_, *links_, *router_, *closing_,
                                         store, preferences, sessions, std::move(persistence), timers);
    callbacks_ = std::make_unique<WindowCallbacks>(*registry_, *publisher_, *factory_, *links_, *session_,
                                                   *closing_, *services_, store, sessions, hooks_);
    observedProfiles_ = keyedByID(store_.profiles());

    // Both stores announce their changes on a later turn of the main loop, never from inside a
    // change; their current values are delivered once the same way.
    connections_.push_back(store_.signal_changed().connect([this] { profilesChanged(); }));
    connections_.push_back(preferences_.signal_changed().connect([this] { session_->preferencesChanged(); }));
    firstDelivery_ = timers_.scheduleIdle([this] {
        profilesChanged();
        session_->preferencesChanged();
    });
    if (auto screen = Gdk::Screen::get_default()) {
        connections_.push_back(
            screen->signal_monitors_changed().connect([this] { links_->screenParametersChanged(); }));
        connections_.push_back(
            screen->signal_size_changed().connect([this] { links_->screenParametersChanged(); }));
    }
}

BrowserWindowManager::~BrowserWindowManager() {
    // What windows report while they are torn down reaches nothing: the parts handing out closures
    // go first.
    callbacks_.reset();
    services_.reset();
    links_->cancel();
    for (auto& connection : connections_) connection.disconnect();
    tabSleep_->stop();
    firstDelivery_.cancel();
    session_.reset();
    registry_->tearDownAll(false);
}

BrowserWindowController& BrowserWindowManager::makeWindowController(WindowRequest request) {
    return factory_->make(std::move(request));
}

// The session restore goes before the windows while the manager is destroyed: the parts asking
// then find no restore under way and nothing to schedule.
void BrowserWindowManager::finishRestore() {
    if (session_) session_->finishRestore();
}

bool BrowserWindowManager::isRestoring() const {
    return session_ && session_->isRestoring();
}

void BrowserWindowManager::scheduleSnapshot() {
    if (session_) session_->scheduleSnapshot();
}

bool BrowserWindowManager::isResettingWebsiteData() const {
    return session_ && session_->isResettingWebsiteData();
}

bool BrowserWindowManager::linksMayApply() const {
    return session_ && session_->didRestore() && !session_->shuttingDown() &&
           !session_->isResettingWebsiteData();
}

// --- store deliveries ------------------------------------------------------------------------

void BrowserWindowManager::profilesChanged() {
    if (session_->shuttingDown()) return;
    session_->restoreHeldWindows();
    syncWindowsWithProfiles();
    publisher_->pushSnapshot();
    // With no window open a website change alters no snapshot: after website data were cleared,
    // the websites' cleared last addresses must not write the forgotten session again.
    if (!registry_->windows().empty()) session_->scheduleSnapshot();
    links_->reapply();
}

void BrowserWindowManager::syncWindowsWithProfiles() {
    std::map<Uuid, WebAppProfile> old = std::move(observedProfiles_);
    observedProfiles_ = keyedByID(store_.profiles());
    const auto& current = observedProfiles_;

    for (const Uuid& windowID : registry_->ids()) {
        BrowserWindowController* controller = registry_->window(windowID);
        if (!controller) continue;
        const Uuid profileID = controller->profileID;
        std::optional<WebAppProfile> record = store_.profile(profileID);
        if (!record) {
            if (const WebAppProfile* browsing = registry_->browsingProfile(profileID)) record = *browsing;
        }
        if (!record) {
            closing_->close(windowID);
            continue;
        }
        // The window keeps what the user changed in it; a change made in the store wins.
        record->copyLiveSettings(controller->browser().profile());
        auto before = old.find(profileID);
        auto after = current.find(profileID);
        // A page-group window keeps the group's settings whatever the website's become.
        if (before != old.end() && after != current.end() && !registry_->isSceneWindow(windowID))
            record->mergeLiveSettings(before->second, after->second);

        // A store-side change of a website shown in this window through a link reaches it when both
        // use the same data store.
        std::vector<Uuid> linked;
        for (const Uuid& id : publisher_->websiteLinks().profileIDs(windowID))
            if (id != profileID) linked.push_back(id);
        std::sort(linked.begin(), linked.end(),
                  [](const Uuid& a, const Uuid& b) { return a.string() < b.string(); });
        for (const Uuid& id : linked) {
            auto linkedBefore = old.find(id);
            auto linkedAfter = current.find(id);
            if (linkedBefore == old.end() || linkedAfter == current.end()) continue;
            if (sessions_.dataStore(linkedAfter->second) != controller->browser().websiteDataStore())
                continue;
            record->mergeLiveSettings(linkedBefore->second, linkedAfter->second);
        }

        if (registry_->browsingProfile(profileID)) registry_->setBrowsingProfile(*record);
        controller->applyProfile(*record);
    }
}

// --- stop ------------------------------------------------------------------------------------

void BrowserWindowManager::shutdown() {
    if (!session_->beginShutdown()) return;
    links_->cancel();
    tabSleep_->stop();
    firstDelivery_.cancel();
    registry_->tearDownAll(true);
    publisher_->runtime().update({});
    store_.save();
}

}  // namespace quenlith
