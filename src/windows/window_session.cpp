// Session recovery of the window manager: the launch restore, the debounced and the final
// snapshot, and the removal of the saved session.

#include <algorithm>
#include <utility>

#include <glib.h>

#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/view/tab_restore.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/active_application_watcher.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

void BrowserWindowManager::setContinuityError(std::optional<std::string> message) {
    if (message == continuityError_) return;
    continuityError_ = std::move(message);
    if (continuityError_) logError(LogCategory::lifecycle, "Session recovery: " + *continuityError_);
    changed_.emit();
}

void BrowserWindowManager::restoreSession(bool incremental) {
    if (didRestore_ || restoring_) {
        finishRestore();
        return;
    }
    if (!preferences.value().restoreWindows) {
        // Only the person's own choice deletes it: defaults standing in for unreadable
        // preferences leave the session as it is.
        if (preferences.valueIsKnown()) removeSavedSession();
    } else if (auto loaded = loadedSession_ ? std::move(*loadedSession_) : sessionPersistence.load(); !loaded) {
        // The file stays as it is until the user resets session recovery.
        sessionWritable_ = false;
        setContinuityError(localizedString("The saved session could not be read. Existing website settings are intact."));
    } else if (const auto& document = loaded.value()) {
        pendingWindows_.assign(document->windows.begin(), document->windows.end());
        lastActiveID = document->activeWindow;
    }
    restoring_ = true;
    const bool restoreWindows = preferences.value().restoreWindows;
    for (const auto& website : store.profiles())
        if (website.launchAtStartup || (restoreWindows && website.wasVisible))
            pendingWebsites_.push_back(website.id);
    buildNextWindow();
    if (!incremental || !owesWindows()) {
        finishRestore();
        return;
    }
    if (awaitedPages_.empty()) startRestoreTurns();
}

bool BrowserWindowManager::owesWindows() const {
    return !pendingWindows_.empty() || !pendingWebsites_.empty();
}

bool BrowserWindowManager::buildNextWindow() {
    if (!pendingWindows_.empty()) {
        RestorableWindow next = std::move(pendingWindows_.front());
        pendingWindows_.pop_front();
        restoreWindow(next);
        return true;
    }
    while (!pendingWebsites_.empty()) {
        const Uuid id = pendingWebsites_.front();
        pendingWebsites_.pop_front();
        if (openAtLaunch(id)) return true;
    }
    return false;
}

bool BrowserWindowManager::openAtLaunch(const Uuid& websiteID) {
    auto website = store.profile(websiteID);
    if (!website) return false;  // deleted meanwhile
    if (auto target = linkTarget(*website)) {
        if (auto controller = window(target->windowID)) {
            // A website reached only through its visibility at quit stays as the restore left it.
            if (website->launchAtStartup && !controller->isOnScreen() && !controller->isTuckedAway())
                controller->present(false, false, true);
            return false;
        }
    }
    makeWindowController(WindowRequest::ownWindow(*website)).present(false, false, true);
    return true;
}

void BrowserWindowManager::awaitStartPages() {
    // The callbacks hold the manager weakly, and are disconnected before their views go.
    using Weak = std::weak_ptr<BrowserWindowManager*>;
    auto release = [](gpointer data, GClosure*) { delete static_cast<Weak*>(data); };
    auto changed = [](WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
        if (auto manager = static_cast<Weak*>(data)->lock())
            (*manager)->startPageChanged(view, event == WEBKIT_LOAD_FINISHED);
    };
    auto failed = [](WebKitWebView* view, WebKitLoadEvent, gchar*, GError*, gpointer data) -> gboolean {
        if (auto manager = static_cast<Weak*>(data)->lock()) (*manager)->startPageChanged(view, true);
        return FALSE;
    };
    for (const auto& [id, page] : startPages_) {
        AwaitedPage awaited{page.webView, {}};
        awaited.handlers.push_back(g_signal_connect_data(page.webView.get(), "load-changed",
                                                         G_CALLBACK(+changed), new Weak(self_), release,
                                                         G_CONNECT_DEFAULT));
        awaited.handlers.push_back(g_signal_connect_data(page.webView.get(), "load-failed", G_CALLBACK(+failed),
                                                         new Weak(self_), release, G_CONNECT_DEFAULT));
        awaitedPages_.push_back(std::move(awaited));
    }
    if (awaitedPages_.empty()) return;
    awaitLimit_ = timers_.schedule(std::chrono::milliseconds(400), [this] { startRestoreTurns(); });
}

void BrowserWindowManager::startPageChanged(WebKitWebView* view, bool finished) {
    if (!finished) return;
    std::erase_if(awaitedPages_, [view](AwaitedPage& page) {
        if (page.view.get() != view) return false;
        for (gulong handler : page.handlers) g_signal_handler_disconnect(view, handler);
        return true;
    });
    if (awaitedPages_.empty()) startRestoreTurns();
}

void BrowserWindowManager::startRestoreTurns() {
    awaitLimit_.cancel();
    for (auto& page : awaitedPages_)
        for (gulong handler : page.handlers) g_signal_handler_disconnect(page.view.get(), handler);
    awaitedPages_.clear();
    if (!restoring_ || !owesWindows() || restoreSource_ != 0) return;
    // Below the web processes' messages and the first window's drawing; the callback holds the
    // manager weakly.
    restoreSource_ = g_idle_add_full(
        G_PRIORITY_DEFAULT_IDLE,
        [](gpointer data) -> gboolean {
            auto manager = static_cast<std::weak_ptr<BrowserWindowManager*>*>(data)->lock();
            return manager && (*manager)->restoreTurn() ? G_SOURCE_CONTINUE : G_SOURCE_REMOVE;
        },
        new std::weak_ptr<BrowserWindowManager*>(self_),
        [](gpointer data) { delete static_cast<std::weak_ptr<BrowserWindowManager*>*>(data); });
}

bool BrowserWindowManager::restoreTurn() {
    if (restoring_) buildNextWindow();
    if (restoring_ && owesWindows()) return true;
    restoreSource_ = 0;
    finishRestore();
    return false;
}

void BrowserWindowManager::finishRestore() {
    if (!restoring_) return;
    if (restoreSource_ != 0) g_source_remove(std::exchange(restoreSource_, 0));
    // A request made while a window is being built finds the rest built by this loop.
    while (buildNextWindow()) {
    }
    if (!restoring_) return;
    restoring_ = false;
    // A page asked for early that no window took (its website went meanwhile) stops loading.
    startPages_.clear();
    loadedSession_.reset();
    publishState();
    didRestore_ = true;
    scheduleSnapshot();
    // Links apply from launch, for the application in front now.
    if (activeApplications_) linkFollower_.applicationDidActivate(activeApplications_->current());
    // A change of the preferences delivered meanwhile (windows no longer restored) applies now.
    if (std::exchange(preferencesWhileRestoring_, false)) preferencesChanged();
}

void BrowserWindowManager::requestStartPages() {
    if (didRestore_ || loadedSession_) return;
    askForStartPages();
    awaitStartPages();
}

void BrowserWindowManager::askForStartPages() {
    const bool restoreWindows = preferences.value().restoreWindows;
    bool restoresWindows = false;
    if (restoreWindows) {
        loadedSession_ = sessionPersistence.load();
        const auto& loaded = *loadedSession_;
        // The same choices as restoreWindow: a shown window wakes its selected tab unless it slept.
        for (const auto& saved : loaded && *loaded ? (*loaded)->windows : std::vector<RestorableWindow>{}) {
            auto record = saved.savedProfileID ? store.profile(*saved.savedProfileID) : saved.temporaryProfile;
            if (!record) continue;
            restoresWindows = true;
            const auto plans = restoredTabPlans(saved.tabs);
            if (!saved.visible || plans.empty() || startPages_.contains(saved.id)) continue;
            auto last = static_cast<std::int64_t>(saved.tabs.size()) - 1;
            if (saved.tabs[std::clamp<std::int64_t>(saved.selected, 0, last)].sleeping) continue;
            const auto& plan = plans[restoredSelection(saved.selected, plans.size())];
            if (!plan.showsStartPage && plan.lastURL) requestStartPage(saved.id, *record, *plan.lastURL);
        }
    }
    // Which websites still need a window of their own is known only once restored windows exist.
    if (restoresWindows) return;
    std::vector<RuntimeWindow> opened;
    for (const auto& website : store.profiles()) {
        if (!website.launchAtStartup && !(restoreWindows && website.wasVisible)) continue;
        auto address = initialTabAddress(website, false, false, std::nullopt);
        if (!address) continue;
        // A website shown by the window of one before it (same store, same site) gets no window.
        const auto identifier = sessions.storeIdentifier(website);
        if (websiteLinks.target(website, identifier, opened)) continue;
        RuntimeWindow window{.id = website.id, .sequence = static_cast<int>(opened.size()) + 1};
        window.tabs.push_back(RuntimeTab{.id = Uuid::random(), .url = address, .isSelected = true});
        window.profileID = website.id;
        window.sessionIdentifier = identifier;
        opened.push_back(std::move(window));
        requestStartPage(website.id, website, *address);
    }
}

void BrowserWindowManager::requestStartPage(const Uuid& windowID, const WebAppProfile& website,
                                            const std::string& address) {
    auto dataStore = sessions.dataStore(website);
    auto webView = WebViewFactory::makeWebView(dataStore, std::nullopt, website.customUserAgent, &sessions);
    webkit_web_view_load_uri(webView.get(), address.c_str());
    startPages_[windowID] = StartPage{address, std::move(dataStore), std::move(webView)};
}

void BrowserWindowManager::restoreWindow(const RestorableWindow& saved) {
    std::optional<WebAppProfile> record;
    if (saved.savedProfileID) {
        record = store.profile(*saved.savedProfileID);
    } else if (saved.temporaryProfile) {
        record = *saved.temporaryProfile;
        browsingProfiles[record->id] = *record;
    }
    if (!record) return;  // its website was deleted
    if (saved.isMainBrowser) browserID = saved.id;
    if (window(saved.id)) return;

    WindowRequest request;
    request.profile = *record;
    request.id = saved.id;
    request.dormant = true;
    BrowserWindowController& controller = makeWindowController(std::move(request));
    BrowserViewController& browser = controller.browser();
    browser.restoreTabs(saved.tabs, saved.selected);

    if (saved.websiteLinks) {
        const auto& tabs = browser.tabs();
        for (const auto& link : *saved.websiteLinks) {
            auto website = store.profile(link.profileID);
            if (!website || link.tabIndex < 0 || link.tabIndex >= static_cast<std::int64_t>(tabs.size())) continue;
            if (sessions.dataStore(*website) != browser.websiteDataStore()) continue;
            websiteLinks.targets[website->id] = WebsiteWindowTarget{controller.id, tabs[link.tabIndex]->id};
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

void BrowserWindowManager::scheduleSnapshot() {
    if (!didRestore_ || shuttingDown_ || isResettingWebsiteData || !preferences.value().restoreWindows) return;
    // The task belongs to the manager: destroying the manager cancels it.
    snapshotTask_ = timers_.schedule(kSnapshotDelay, [this] { writeSnapshot(); });
}

std::optional<RestorableWindow> BrowserWindowManager::restorableWindow(BrowserWindowController& controller) {
    BrowserViewController& browser = controller.browser();
    // Private windows, and every other window on a store that keeps nothing, are never saved.
    if (!browser.isPersistent()) return std::nullopt;
    RestorableWindow result;
    result.id = controller.id;
    if (store.profile(controller.profileID))
        result.savedProfileID = controller.profileID;
    else
        result.temporaryProfile = browser.profile();
    result.tabs = browser.restorableTabs();
    result.selected = static_cast<std::int64_t>(browser.activeIndex());
    result.frame = controller.panel().savedFrame();
    result.visible = controller.isOnScreen();
    result.minimized = controller.isMinimized();
    result.edge = controller.edgeTuck().edge();
    result.isMainBrowser = controller.id == browserID;
    std::vector<Uuid> tabIDs;
    for (const auto& tab : browser.tabs()) tabIDs.push_back(tab->id);
    auto links = websiteLinks.restorableLinks(controller.id, tabIDs);
    if (!links.empty()) result.websiteLinks = std::move(links);
    return result;
}

void BrowserWindowManager::writeSnapshot(bool immediately) {
    snapshotTask_.cancel();
    if (!preferences.value().restoreWindows || !sessionWritable_) return;
    std::vector<BrowserWindowController*> ordered;
    for (auto& [id, controller] : windows_) ordered.push_back(controller.get());
    std::stable_sort(ordered.begin(), ordered.end(),
                     [](const auto* a, const auto* b) { return a->sequence < b->sequence; });
    BrowserSessionDocument document;
    for (auto* controller : ordered)
        if (auto record = restorableWindow(*controller)) document.windows.push_back(std::move(*record));
    document.activeWindow = lastActiveID;
    if (!immediately) {
        sessionWriter_.writeLater(std::move(document));
        return;
    }
    Status result = sessionWriter_.exclusive(
        [&document](const BrowserSessionPersistence& persistence) { return persistence.save(document); });
    setContinuityError(snapshotMessage(result));
}

bool BrowserWindowManager::removeSavedSession() {
    snapshotTask_.cancel();
    // A write in flight finishes first, so it cannot bring the file back afterwards.
    Status removed = sessionWriter_.exclusive(
        [](const BrowserSessionPersistence& persistence) { return persistence.removeFiles(); });
    if (removed) {
        sessionWritable_ = true;
        setContinuityError(std::nullopt);
    } else {
        setContinuityError(localizedString("The saved session could not be removed. Check folder permissions."));
    }
    return static_cast<bool>(removed);
}

void BrowserWindowManager::closeAllAndForgetSession() {
    finishRestore();
    isResettingWebsiteData = true;
    snapshotTask_.cancel();
    linkFollower_.cancel();
    hideAll();
    std::vector<Uuid> ids;
    for (const auto& [id, controller] : windows_) ids.push_back(id);
    for (const Uuid& id : ids) close(id);
    removeSavedSession();
}

void BrowserWindowManager::shutdown() {
    finishRestore();
    startRestoreTurns();  // stops waiting for the start pages
    if (shuttingDown_) return;
    // The final snapshot, at once and while every window still exists.
    writeSnapshot(true);
    shuttingDown_ = true;
    linkFollower_.cancel();
    sleepTimer_.cancel();
    firstDelivery_.cancel();
    for (auto& [id, controller] : windows_) {
        controller->saveFrame();
        controller->tearDown();
    }
    windows_.clear();
    runtime_.update({});
    store.save();
}

}  // namespace quenlith
