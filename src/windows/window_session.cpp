// Session recovery of the window manager: the launch restore, the debounced and the final
// snapshot, and the removal of the saved session.

#include <algorithm>
#include <utility>

#include <glib.h>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/view/tab_restore.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/application_links.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

std::optional<std::string> snapshotMessage(const Status& result) {
    if (result) return std::nullopt;
    const std::string& code = result.error().code;
    if (code == kSessionTooLarge || code == kSessionEncodingTooLarge) return result.error().message;
    return localizedString(
        "Session recovery could not be saved. Check available disk space and folder permissions.");
}

SessionRestore::SessionRestore(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                               ApplicationLinks& links, WindowRouter& router, WindowClosing& closing,
                               WebAppStore& store, PreferencesStore& preferences, WebsiteSessions& sessions,
                               BrowserSessionPersistence persistence, Scheduler& timers)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      links_(links),
      router_(router),
      closing_(closing),
      store_(store),
      preferences_(preferences),
      sessions_(sessions),
      persistence_(std::move(persistence)),
      timers_(timers),
      startPageWait_(factory, timers),
      writer_(persistence_,
              [this](const Status& result) { publisher_.setContinuityError(snapshotMessage(result)); }),
      snapshotSave_(timers, {.quiet = kSnapshotDelay},
                    [this](DebouncedSave::Call call) {
                        auto document = currentSnapshot();
                        if (!document) return true;
                        return writer_.writeLater(std::move(*document), call == DebouncedSave::Call::mayHold);
                    }),
      self_(std::make_shared<SessionRestore*>(this)) {}

SessionRestore::~SessionRestore() {
    self_.reset();
    snapshotSave_.cancel();
    if (restoreSource_ != 0) g_source_remove(std::exchange(restoreSource_, 0));
}

void SessionRestore::preferencesChanged() {
    if (restoring_) {
        preferencesWhileRestoring_ = true;
        return;
    }
    if (!didRestore_) return;
    // Every delivery while windows are not restored deletes the saved session again, unless the
    // value is still the defaults standing in for missing or unreadable preferences.
    if (preferences_.value().restoreWindows)
        scheduleSnapshot();
    else if (preferences_.valueIsKnown())
        removeSavedSession();
    links_.reapply();
}

void SessionRestore::restoreSession(bool incremental) {
    if (didRestore_ || restoring_) {
        finishRestore();
        return;
    }
    if (!preferences_.value().restoreWindows) {
        // Only the person's own choice deletes it: defaults standing in for missing or
        // unreadable preferences leave the session as it is.
        if (preferences_.valueIsKnown()) removeSavedSession();
    } else if (auto loaded = loadedSession_ ? std::move(*loadedSession_) : persistence_.load(); !loaded) {
        // The file stays as it is until the user resets session recovery.
        sessionWritable_ = false;
        publisher_.setContinuityError(
            localizedString("The saved session could not be read. Existing website settings are intact."));
    } else if (const auto& document = loaded.value()) {
        owed_.saved.assign(document->windows.begin(), document->windows.end());
        registry_.setLastActiveID(document->activeWindow);
    }
    restoring_ = true;
    const bool restoreWindows = preferences_.value().restoreWindows;
    for (const auto& website : store_.profiles())
        if (website.launchAtStartup || (restoreWindows && website.wasVisible))
            owed_.websites.push_back(website.id);
    buildNextWindow();
    if (!incremental || !owesWindows()) {
        finishRestore();
        return;
    }
    if (!startPageWait_.waiting()) startRestoreTurns();
}

bool SessionRestore::owesWindows() const {
    return !owed_.saved.empty() || !owed_.websites.empty();
}

bool SessionRestore::buildNextWindow() {
    if (!owed_.saved.empty()) {
        RestorableWindow next = std::move(owed_.saved.front());
        owed_.saved.pop_front();
        restoreWindow(next);
        return true;
    }
    while (!owed_.websites.empty()) {
        const Uuid id = owed_.websites.front();
        owed_.websites.pop_front();
        if (openAtLaunch(id)) return true;
    }
    return false;
}

bool SessionRestore::openAtLaunch(const Uuid& websiteID) {
    auto website = store_.profile(websiteID);
    if (!website) return false;  // deleted meanwhile
    if (auto target = publisher_.linkTarget(*website)) {
        if (auto controller = registry_.window(target->windowID)) {
            // A website reached only through its visibility at quit stays as the restore left it.
            if (website->launchAtStartup && !controller->isOnScreen() && !controller->isTuckedAway())
                controller->present(false, false, true);
            return false;
        }
    }
    factory_.make(WindowRequest::ownWindow(*website)).present(false, false, true);
    return true;
}

void SessionRestore::startRestoreTurns() {
    startPageWait_.end();
    if (!restoring_ || shuttingDown_ || !owesWindows() || restoreSource_ != 0) return;
    // Below the web processes' messages and the first window's drawing; the callback holds the
    // restore weakly.
    restoreSource_ = g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            auto restore = static_cast<std::weak_ptr<SessionRestore*>*>(data)->lock();
            return restore && (*restore)->restoreTurn() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        new std::weak_ptr<SessionRestore*>(self_),
        [](gpointer data) { delete static_cast<std::weak_ptr<SessionRestore*>*>(data); });
}

bool SessionRestore::restoreTurn() {
    // As many windows as fit in the turn's budget, at least one: a turn per window left the main
    // loop idle between windows while the web processes waited for nothing.
    const gint64 end = g_get_monotonic_time() + std::chrono::microseconds(turnBudget_).count();
    while (restoring_ && buildNextWindow() && g_get_monotonic_time() < end) {
    }
    if (restoring_ && owesWindows()) return true;
    restoreSource_ = 0;
    finishRestore();
    return false;
}

void SessionRestore::finishRestore() {
    // Once shutdown has begun nothing more is built: the toolkit is ending, and the windows still
    // owed keep their saved records.
    if (!restoring_ || shuttingDown_) return;
    if (restoreSource_ != 0) g_source_remove(std::exchange(restoreSource_, 0));
    // A request made while a window is being built finds the rest built by this loop.
    while (buildNextWindow()) {
    }
    if (!restoring_) return;
    restoring_ = false;
    restoreHeldWindows();
    // A page asked for early that no window took (its website went meanwhile) stops loading.
    factory_.dropStartPages();
    loadedSession_.reset();
    publisher_.publishState();
    didRestore_ = true;
    scheduleSnapshot();
    // Links apply from launch, for the application in front now.
    links_.followFrontApplication();
    // A change of the preferences delivered meanwhile (windows no longer restored) applies now.
    if (std::exchange(preferencesWhileRestoring_, false)) preferencesChanged();
}

void SessionRestore::requestStartPages() {
    if (didRestore_ || loadedSession_) return;
    askForStartPages();
    startPageWait_.begin([this] { startRestoreTurns(); });
}

void SessionRestore::askForStartPages() {
    const bool restoreWindows = preferences_.value().restoreWindows;
    bool restoresWindows = false;
    if (restoreWindows) {
        loadedSession_ = persistence_.load();
        const auto& loaded = *loadedSession_;
        // The same choices as restoreWindow: a shown window wakes its selected tab unless it slept.
        for (const auto& saved : loaded && *loaded ? (*loaded)->windows : std::vector<RestorableWindow>{}) {
            auto record =
                saved.savedProfileID ? store_.profile(*saved.savedProfileID) : saved.temporaryProfile;
            if (!record) continue;
            restoresWindows = true;
            const auto plans = restoredTabPlans(saved.tabs);
            if (!saved.visible || plans.empty() || factory_.startPages().contains(saved.id)) continue;
            auto last = static_cast<std::int64_t>(saved.tabs.size()) - 1;
            if (saved.tabs[std::clamp<std::int64_t>(saved.selected, 0, last)].sleeping) continue;
            const auto& plan = plans[restoredSelection(saved.selected, plans.size())];
            if (!plan.showsStartPage && plan.lastURL) factory_.loadStartPage(saved.id, *record, *plan.lastURL);
        }
    }
    // Which websites still need a window of their own is known only once restored windows exist.
    if (restoresWindows) return;
    std::vector<RuntimeWindow> opened;
    for (const auto& website : store_.profiles()) {
        if (!website.launchAtStartup && !(restoreWindows && website.wasVisible)) continue;
        auto address = initialTabAddress(website, false, false, std::nullopt);
        if (!address) continue;
        // A website shown by the window of one before it (same store, same site) gets no window.
        const auto identifier = sessions_.storeIdentifier(website);
        if (publisher_.websiteLinks().target(website, identifier, opened)) continue;
        RuntimeWindow window{.id = website.id, .sequence = static_cast<int>(opened.size()) + 1};
        window.tabs.push_back(RuntimeTab{.id = Uuid::random(), .url = address, .isSelected = true});
        window.profileID = website.id;
        window.sessionIdentifier = identifier;
        opened.push_back(std::move(window));
        factory_.loadStartPage(website.id, website, *address);
    }
}

void SessionRestore::restoreWindow(const RestorableWindow& saved) {
    std::optional<WebAppProfile> record;
    if (saved.savedProfileID) {
        record = store_.profile(*saved.savedProfileID);
        // While the websites cannot be read, a website not found may well exist: its window waits.
        if (!record && !store_.writable()) {
            owed_.held.push_back(saved);
            return;
        }
    } else if (saved.temporaryProfile) {
        record = *saved.temporaryProfile;
        registry_.setBrowsingProfile(*record);
    }
    if (!record) return;  // its website was deleted
    if (saved.isMainBrowser) registry_.setBrowserID(saved.id);
    if (registry_.window(saved.id)) return;

    WindowRequest request;
    request.profile = *record;
    request.id = saved.id;
    request.dormant = true;
    BrowserWindowController& controller = factory_.make(std::move(request));
    BrowserViewController& browser = controller.browser();
    browser.tabs().restore(saved.tabs, saved.selected);

    if (saved.websiteLinks) {
        const auto& tabs = browser.tabs().items();
        for (const auto& link : *saved.websiteLinks) {
            auto website = store_.profile(link.profileID);
            if (!website || link.tabIndex < 0 || link.tabIndex >= static_cast<std::int64_t>(tabs.size())) continue;
            if (sessions_.dataStore(*website) != browser.websiteDataStore()) continue;
            publisher_.websiteLinks().targets[website->id] =
                WebsiteWindowTarget{controller.id, tabs[link.tabIndex]->id};
        }
    }

    controller.panel().applyFrame(saved.frame, kRestoredWidth, kRestoredHeight);
    if (saved.edge) {
        controller.edgeTuck().tuck(*saved.edge);
    } else if (saved.visible) {
        bool selectedWasAsleep = false;
        if (!saved.tabs.empty()) {
            auto last = static_cast<std::int64_t>(saved.tabs.size()) - 1;
            selectedWasAsleep = saved.tabs[std::clamp<std::int64_t>(saved.selected, 0, last)].sleeping;
        }
        controller.present(false, false, !selectedWasAsleep);
    } else if (saved.minimized) {
        // Mapped iconic: the window manager shows it in its minimised place only.
        controller.panel().iconify();
        controller.panel().set_focus_on_map(false);
        controller.panel().show();
        controller.panel().set_focus_on_map(true);
    }
}

bool SessionRestore::restoreHeldWindows() {
    if (restoring_ || shuttingDown_ || resettingWebsiteData_ || owed_.held.empty() || !store_.writable())
        return false;
    // The websites can be read again (their backup was restored): their windows come back as they
    // would at the next start, and a website the restored file does not hold loses its window.
    for (const auto& saved : std::exchange(owed_.held, {})) restoreWindow(saved);
    publisher_.publishState();
    scheduleSnapshot();
    return true;
}

void SessionRestore::scheduleSnapshot() {
    if (!didRestore_ || shuttingDown_ || resettingWebsiteData_ || !preferences_.value().restoreWindows)
        return;
    // The save belongs to the restore: destroying it cancels its tasks.
    snapshotSave_.changed();
}

std::optional<RestorableWindow> SessionRestore::restorableWindow(BrowserWindowController& controller) {
    BrowserViewController& browser = controller.browser();
    // Private windows, and every other window on a store that keeps nothing, are never saved.
    if (!browser.isPersistent()) return std::nullopt;
    RestorableWindow result;
    result.id = controller.id;
    if (store_.profile(controller.profileID))
        result.savedProfileID = controller.profileID;
    else
        result.temporaryProfile = browser.profile();
    result.tabs = browser.tabs().restorable();
    result.selected = static_cast<std::int64_t>(browser.tabs().activeIndex());
    result.frame = controller.panel().savedFrame();
    result.visible = controller.isOnScreen();
    result.minimized = controller.isMinimized();
    result.edge = controller.edgeTuck().edge();
    result.isMainBrowser = controller.id == registry_.browserID();
    std::vector<Uuid> tabIDs;
    for (const auto& tab : browser.tabs().items()) tabIDs.push_back(tab->id);
    auto links = publisher_.websiteLinks().restorableLinks(controller.id, tabIDs);
    if (!links.empty()) result.websiteLinks = std::move(links);
    return result;
}

std::optional<BrowserSessionDocument> SessionRestore::currentSnapshot() {
    // Before the restore, and while the websites cannot be read or their windows wait to come back,
    // the open windows are not the session: writing them would drop the others from the saved one.
    if (!preferences_.value().restoreWindows || !sessionWritable_ || (!didRestore_ && !restoring_) ||
        !store_.writable() || !owed_.held.empty())
        return std::nullopt;
    BrowserSessionDocument document;
    for (auto* controller : registry_.inSequence())
        if (auto record = restorableWindow(*controller)) document.windows.push_back(std::move(*record));
    // A restore cut short by shutdown: the windows it had not built yet keep their saved records, so
    // the next start brings back the whole session.
    if (restoring_) document.windows.insert(document.windows.end(), owed_.saved.begin(), owed_.saved.end());
    document.activeWindow = registry_.lastSavedActiveID();
    return document;
}

void SessionRestore::writeSnapshot(bool immediately) {
    snapshotSave_.cancel();
    auto document = currentSnapshot();
    if (!document) return;
    if (!immediately) {
        writer_.writeLater(std::move(*document));
        return;
    }
    Status result = writer_.exclusive(
        [&document](const BrowserSessionPersistence& persistence) { return persistence.save(*document); });
    publisher_.setContinuityError(snapshotMessage(result));
}

bool SessionRestore::removeSavedSession() {
    snapshotSave_.cancel();
    // A write in flight finishes first, so it cannot bring the file back afterwards.
    Status removed = writer_.exclusive(
        [](const BrowserSessionPersistence& persistence) { return persistence.removeFiles(); });
    if (removed) {
        sessionWritable_ = true;
        owed_.held.clear();
        publisher_.setContinuityError(std::nullopt);
    } else {
        publisher_.setContinuityError(
            localizedString("The saved session could not be removed. Check folder permissions."));
    }
    return static_cast<bool>(removed);
}

void SessionRestore::closeAllAndForgetSession() {
    finishRestore();
    resettingWebsiteData_ = true;
    snapshotSave_.cancel();
    links_.cancel();
    router_.hideAll();
    for (const Uuid& id : registry_.ids()) closing_.close(id);
    removeSavedSession();
}

bool SessionRestore::beginShutdown() {
    if (shuttingDown_) return false;
    // A restore under way stops where it is: building the windows it still owes would only tear
    // them down again, as the toolkit ends (it does not take new windows then). It stays marked as
    // under way, so the visibility the websites had at the last quit is kept for them as well.
    startPageWait_.end();
    if (restoreSource_ != 0) g_source_remove(std::exchange(restoreSource_, 0));
    // The final snapshot, at once and while every window still exists.
    writeSnapshot(true);
    shuttingDown_ = true;
    return true;
}

}  // namespace quenlith
