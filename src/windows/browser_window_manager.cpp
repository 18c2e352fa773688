#include "windows/browser_window_manager.hpp"

#include <algorithm>

#include <gdkmm/screen.h>

#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/active_application_watcher.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

namespace {

}  // namespace

std::optional<std::string> snapshotMessage(const Status& result) {
    if (result) return std::nullopt;
    const std::string& code = result.error().code;
    if (code == kSessionTooLarge || code == kSessionEncodingTooLarge) return result.error().message;
    return localizedString("Session recovery could not be saved. Check available disk space and folder permissions.");
}

namespace {

std::map<Uuid, WebAppProfile> keyedByID(const std::vector<WebAppProfile>& profiles) {
    std::map<Uuid, WebAppProfile> keyed;
    for (const auto& profile : profiles) keyed.emplace(profile.id, profile);
    return keyed;
}

}  // namespace

BrowserWindowManager::BrowserWindowManager(WebAppStore& websiteStore, const BrowserContext& viewContext,
                                           BrowserSessionPersistence persistence, Scheduler& timers)
    : store(websiteStore),
      preferences(viewContext.preferences),
      downloads(*viewContext.downloads),
      sessions(viewContext.sessions),
      sessionPersistence(std::move(persistence)),
      timers_(timers),
      viewContext_(viewContext),
      sessionWriter_(sessionPersistence,
                     [this](const Status& result) { setContinuityError(snapshotMessage(result)); }),
      self_(std::make_shared<BrowserWindowManager*>(this)) {
    sleepTabs = [](BrowserViewController& browser) { browser.sleepIdleTabs(); };
    observedProfiles_ = keyedByID(store.profiles());

    // Both stores announce their changes on a later turn of the main loop, never from inside a
    // change; their current values are delivered once the same way.
    connections_.push_back(store.signal_changed().connect([this] { profilesChanged(); }));
    connections_.push_back(preferences.signal_changed().connect([this] { preferencesChanged(); }));
    firstDelivery_ = timers_.scheduleIdle([this] {
        profilesChanged();
        preferencesChanged();
    });
    if (auto screen = Gdk::Screen::get_default()) {
        connections_.push_back(screen->signal_monitors_changed().connect([this] { screenParametersChanged(); }));
        connections_.push_back(screen->signal_size_changed().connect([this] { screenParametersChanged(); }));
    }
    armSleepTimer();
    activeApplications_ = ActiveApplicationWatcher::create(
        kOwnApplication, [this](const std::optional<std::string>& application) { applicationDidActivate(application); });
}

BrowserWindowManager::~BrowserWindowManager() {
    self_.reset();
    activeApplications_.reset();
    linkFollower_.cancel();
    for (auto& connection : connections_) connection.disconnect();
    sleepTimer_.cancel();
    firstDelivery_.cancel();
    retireTask_.cancel();
    for (auto& [id, controller] : windows_) controller->tearDown();
    windows_.clear();
    retired_.clear();
}

BrowserWindowController* BrowserWindowManager::window(const Uuid& id) const {
    auto found = windows_.find(id);
    return found == windows_.end() ? nullptr : found->second.get();
}

std::vector<int> BrowserWindowManager::windowSequences() const {
    std::vector<int> sequences;
    for (const auto& [id, controller] : windows_) sequences.push_back(controller->sequence);
    return sequences;
}

// --- store deliveries ------------------------------------------------------------------------

void BrowserWindowManager::profilesChanged() {
    if (shuttingDown_) return;
    syncWindowsWithProfiles();
    pushSnapshot();
    // With no window open a website change alters no snapshot: after website data were cleared,
    // the websites' cleared last addresses must not write the forgotten session again.
    if (!windows_.empty()) scheduleSnapshot();
    applyApplicationLinks(linkFollower_.lastApplication());
}

void BrowserWindowManager::preferencesChanged() {
    if (restoring_) {
        preferencesWhileRestoring_ = true;
        return;
    }
    if (!didRestore_) return;
    // Every delivery while windows are not restored deletes the saved session again, unless the
    // value is still the defaults standing in for unreadable preferences.
    if (preferences.value().restoreWindows)
        scheduleSnapshot();
    else if (preferences.valueIsKnown())
        removeSavedSession();
    applyApplicationLinks(linkFollower_.lastApplication());
}

void BrowserWindowManager::syncWindowsWithProfiles() {
    std::map<Uuid, WebAppProfile> old = std::move(observedProfiles_);
    observedProfiles_ = keyedByID(store.profiles());
    const auto& current = observedProfiles_;

    std::vector<Uuid> ids;
    for (const auto& [id, controller] : windows_) ids.push_back(id);
    for (const Uuid& windowID : ids) {
        BrowserWindowController* controller = window(windowID);
        if (!controller) continue;
        const Uuid profileID = controller->profileID;
        std::optional<WebAppProfile> record = store.profile(profileID);
        if (!record) {
            if (auto browsing = browsingProfiles.find(profileID); browsing != browsingProfiles.end())
                record = browsing->second;
        }
        if (!record) {
            close(windowID);
            continue;
        }
        // The window keeps what the user changed in it; a change made in the store wins.
        record->copyLiveSettings(controller->browser().profile());
        auto before = old.find(profileID);
        auto after = current.find(profileID);
        // A page-group window keeps the group's settings whatever the website's become.
        if (before != old.end() && after != current.end() && !isSceneWindow(windowID))
            record->mergeLiveSettings(before->second, after->second);

        // A store-side change of a website shown in this window through a link reaches it when both
        // use the same data store.
        std::vector<Uuid> linked;
        for (const Uuid& id : websiteLinks.profileIDs(windowID))
            if (id != profileID) linked.push_back(id);
        std::sort(linked.begin(), linked.end(),
                  [](const Uuid& a, const Uuid& b) { return a.string() < b.string(); });
        for (const Uuid& id : linked) {
            auto linkedBefore = old.find(id);
            auto linkedAfter = current.find(id);
            if (linkedBefore == old.end() || linkedAfter == current.end()) continue;
            if (sessions.dataStore(linkedAfter->second) != controller->browser().websiteDataStore()) continue;
            record->mergeLiveSettings(linkedBefore->second, linkedAfter->second);
        }

        if (auto browsing = browsingProfiles.find(profileID); browsing != browsingProfiles.end())
            browsing->second = *record;
        controller->applyProfile(*record);
    }
}

// --- published state -------------------------------------------------------------------------

RuntimeTab BrowserWindowManager::runtimeTab(const BrowserTab& tab, BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    bool persistent = browser.isPersistent();
    RuntimeTab result;
    result.id = tab.id;
    result.title = persistent ? tab.displayTitle() : localizedString("Private Tab");
    if (persistent) result.url = tab.address();
    result.isSelected = browser.activeTab() == &tab;
    result.isStartPage = tab.showsStartPage;
    result.isLoading = tab.isLoading();
    result.hasError = tab.error.has_value();
    result.isSleeping = tab.isSleeping;
    return result;
}

RuntimeWindow BrowserWindowManager::runtimeWindow(BrowserWindowController& controller) {
    const BrowserViewController& browser = controller.browser();
    bool persistent = browser.isPersistent();
    RuntimeWindow result;
    result.id = controller.id;
    result.sequence = controller.sequence;
    if (!persistent)
        result.title = localizedString("Private Window");
    else if (controller.id == browserID)
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
    for (const auto& tab : browser.tabs()) result.tabs.push_back(runtimeTab(*tab, controller));
    result.isPrivate = !persistent;
    result.profileID = controller.profileID;
    result.sessionIdentifier = browser.websiteDataStore()->identifier();
    return result;
}

std::vector<RuntimeWindow> BrowserWindowManager::runtimeWindows() {
    std::vector<RuntimeWindow> result;
    result.reserve(windows_.size());
    for (auto& [id, controller] : windows_) result.push_back(runtimeWindow(*controller));
    return result;
}

void BrowserWindowManager::pushSnapshot() {
    // Windows still owed by the restore would read as gone (the launcher's list, the links).
    if (restoring_) return;
    auto list = runtimeWindows();
    websiteLinks.update(list);
    runtime_.update(std::move(list));
}

std::optional<WebsiteWindowTarget> BrowserWindowManager::linkTarget(
    const WebAppProfile& website, const std::optional<std::vector<RuntimeWindow>>& list) {
    // Website stores are always persistent; one not made yet shows no window.
    const auto identifier = sessions.storeIdentifier(website);
    if (list) return websiteLinks.target(website, identifier, *list);
    return websiteLinks.target(website, identifier, runtimeWindows());
}

void BrowserWindowManager::publishState() {
    // Part of the restored windows would clear the visibility flags of the websites still to come.
    if (restoring_) return;
    auto list = runtimeWindows();
    std::set<Uuid> visible;
    for (const auto& website : store.profiles()) {
        auto target = websiteLinks.target(website, sessions.storeIdentifier(website), list);
        if (!target) continue;
        if (auto controller = window(target->windowID); controller && controller->isOnScreen())
            visible.insert(website.id);
    }
    visibleProfiles_ = std::move(visible);
    visibleWindowCount_ = static_cast<int>(
        std::count_if(windows_.begin(), windows_.end(), [](const auto& entry) { return entry.second->isOnScreen(); }));
    hiddenWindowCount_ = static_cast<int>(windows_.size()) - visibleWindowCount_;
    clickThroughCount_ = static_cast<int>(std::count_if(windows_.begin(), windows_.end(), [](const auto& entry) {
        return entry.second->browser().clickThroughEnabled;
    }));

    // Only changed flags are written, so the steady state causes no saves.
    std::vector<std::pair<Uuid, bool>> flags;
    for (const auto& website : store.profiles()) {
        bool isVisible = visibleProfiles_.count(website.id) > 0;
        if (isVisible != website.wasVisible) flags.emplace_back(website.id, isVisible);
    }
    for (const auto& [id, isVisible] : flags) store.setWasVisible(isVisible, id);

    pushSnapshot();
    scheduleSnapshot();
    changed_.emit();
}

// --- start, timers, stop ---------------------------------------------------------------------

void BrowserWindowManager::armSleepTimer() {
    sleepTimer_ = timers_.schedule(std::chrono::duration_cast<std::chrono::milliseconds>(kSleepInterval), [this] {
        armSleepTimer();
        sleepIdleWindows();
    });
}

void BrowserWindowManager::sleepIdleWindows() {
    if (shuttingDown_ || !sleepTabs) return;
    std::vector<Uuid> ids;
    for (const auto& [id, controller] : windows_) ids.push_back(id);
    // Each window is looked up again: a pass may close windows on the way.
    for (const Uuid& id : ids)
        if (auto controller = window(id)) sleepTabs(controller->browser());
}

void BrowserWindowManager::screenParametersChanged() {
    for (auto& [id, controller] : windows_) {
        controller->panel().clampToScreen();
        // A tucked window is tucked again, so its handle follows the new screen geometry.
        if (auto edge = controller->edgeTuck().edge()) controller->edgeTuck().tuck(*edge);
    }
}

}  // namespace quenlith
