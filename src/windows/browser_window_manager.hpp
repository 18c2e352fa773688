#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sigc++/connection.h>
#include <sigc++/signal.h>

#include "model/browser_runtime_store.hpp"
#include "model/browser_session.hpp"
#include "model/runtime_website_links.hpp"
#include "model/runtime_window.hpp"
#include "model/scheduler.hpp"
#include "model/suggested_website.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "windows/window_factory.hpp"

namespace Gtk {
class Widget;
}

namespace quenlith {

class BrowserTab;
class BrowserViewController;
class BrowserWindowController;
class DownloadManager;
class PreferencesStore;
class WebAppStore;
class WebsiteSessions;

// The one registry of open browser windows. It builds every window, keeps open windows in step
// with the saved websites, publishes the live snapshot of windows and tabs and the window counts,
// runs the tab-sleep pass and opens the websites marked to launch at start. Main thread only.
class BrowserWindowManager {
public:
    // Period of the tab-sleep pass.
    static constexpr std::chrono::seconds kSleepInterval{30};

    // `sessions` hands out the websites' data stores; `timers` runs the sleep pass and the first
    // deliveries of the stores (the main loop unless a test steps time by hand).
    BrowserWindowManager(WebAppStore& store, PreferencesStore& preferences, DownloadManager& downloads,
                         BrowserSessionPersistence sessionPersistence, WebsiteSessions& sessions,
                         Scheduler& timers = mainLoopScheduler());
    ~BrowserWindowManager();
    BrowserWindowManager(const BrowserWindowManager&) = delete;
    BrowserWindowManager& operator=(const BrowserWindowManager&) = delete;

    WebAppStore& store;
    PreferencesStore& preferences;
    DownloadManager& downloads;
    WebsiteSessions& sessions;
    const BrowserSessionPersistence sessionPersistence;

    // The snapshot of all windows and tabs the views read.
    BrowserRuntimeStore& runtime() { return runtime_; }
    const BrowserRuntimeStore& runtime() const { return runtime_; }

    // Published state, recomputed by publishState().
    const std::set<Uuid>& visibleProfiles() const { return visibleProfiles_; }
    int clickThroughCount() const { return clickThroughCount_; }
    int visibleWindowCount() const { return visibleWindowCount_; }
    int hiddenWindowCount() const { return hiddenWindowCount_; }
    const std::optional<std::string>& continuityError() const { return continuityError_; }
    // Emitted after every publishState(), also with unchanged values.
    sigc::signal<void()>& signal_changed() { return changed_; }

    // The registry, keyed by window id.
    const std::map<Uuid, std::unique_ptr<BrowserWindowController>>& windows() const { return windows_; }
    BrowserWindowController* window(const Uuid& id) const;

    WebsiteWindowLinks websiteLinks;
    // Records of windows that show no saved website, keyed by record id.
    std::map<Uuid, WebAppProfile> browsingProfiles;
    // Window id and record id of the main browser window.
    Uuid browserID = Uuid::random();
    std::optional<Uuid> lastActiveID;
    bool isResettingWebsiteData = false;
    bool didRestore() const { return didRestore_; }
    bool shuttingDown() const { return shuttingDown_; }

    // Set by the application.
    std::function<void(const std::string& address, const std::string& title)> onVisit;
    std::function<bool(const std::string& credentialID)> additionalCredentialUsage;
    std::function<void(const Uuid& websiteID)> onEdit;
    std::function<void()> onDownloads;
    std::function<void(const std::optional<std::string>& address, const std::optional<std::string>& title,
                       const std::optional<WebAppProfile>& source)>
        onSaveWebsite;
    std::function<void(const SuggestedWebsite&)> onPinSuggestion;
    // Builds the start page of a browser tab (a managed widget), or nullptr.
    std::function<Gtk::Widget*()> makeStartPage;

    // What the sleep pass does with each window's browser view (its idle tabs go to sleep).
    std::function<void(BrowserViewController&)> sleepTabs;

    // Builds, registers and wires one window; the caller shows it and publishes. A request under an
    // id that is already registered builds nothing and answers the registered window, so a live
    // window is never replaced.
    BrowserWindowController& makeWindowController(WindowRequest request);

    // Recomputes the published state from the windows, updates the websites' visibility flags and
    // pushes the live snapshot.
    void publishState();
    std::vector<RuntimeWindow> runtimeWindows();
    RuntimeWindow runtimeWindow(BrowserWindowController& controller);
    RuntimeTab runtimeTab(const BrowserTab& tab, BrowserWindowController& controller);
    std::vector<int> windowSequences() const;

    // The window and tab that show a saved website; `windows` defaults to runtimeWindows().
    std::optional<WebsiteWindowTarget> linkTarget(const WebAppProfile& website,
                                                  const std::optional<std::vector<RuntimeWindow>>& windows = std::nullopt);

    // The start of the window manager: opens every saved website marked to launch at start (or,
    // while windows are restored, that was visible at quit) that has no window yet and shows the
    // hidden ones. Runs once.
    void restoreSession();
    // Ends the window manager at termination: saves every window's frame, tears every window down,
    // empties the snapshot and saves the websites.
    void shutdown();

    // Asks to close a window from its close button: a website's own window on a persistent store
    // is hidden while the close behaviour is "Hide Window"; every other window is closed.
    void requestClose(const Uuid& windowID);
    // Closes and releases one window.
    void close(const Uuid& windowID);

    // The pass of the sleep timer: every window's browser view puts its idle tabs to sleep.
    void sleepIdleWindows();
    // After a change of monitors: every window is clamped into a work area.
    void screenParametersChanged();

private:
    void profilesChanged();
    void preferencesChanged();
    void syncWindowsWithProfiles();
    void scheduleSnapshot();
    void armSleepTimer();
    void hideWindow(BrowserWindowController& controller);
    void wireCallbacks(BrowserWindowController& controller, const WebAppProfile& websiteCopy);
    void pushSnapshot();

    Scheduler& timers_;
    BrowserRuntimeStore runtime_;
    std::set<Uuid> visibleProfiles_;
    int clickThroughCount_ = 0;
    int visibleWindowCount_ = 0;
    int hiddenWindowCount_ = 0;
    std::map<Uuid, std::unique_ptr<BrowserWindowController>> windows_;
    std::map<Uuid, WebAppProfile> observedProfiles_;
    std::set<Uuid> linkedWindows_;
    std::set<Uuid> dismissedLinks_;
    std::optional<std::string> continuityError_;
    bool didRestore_ = false;
    bool shuttingDown_ = false;
    ScheduledTask sleepTimer_;
    ScheduledTask firstDelivery_;
    // Closed windows wait here for the next idle turn: a window may be closed from inside one of
    // its own signal handlers.
    std::vector<std::unique_ptr<BrowserWindowController>> retired_;
    ScheduledTask retireTask_;
    std::vector<sigc::connection> connections_;
    sigc::signal<void()> changed_;
    // Callbacks handed to windows hold this weakly: they find it expired once the manager is gone.
    std::shared_ptr<BrowserWindowManager*> self_;
};

}  // namespace quenlith
