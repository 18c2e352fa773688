#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <sigc++/connection.h>
#include <sigc++/signal.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/view/browser_command.hpp"
#include "browser/view/browser_context.hpp"
#include "model/address_routing.hpp"
#include "model/application_link_follower.hpp"
#include "model/browser_runtime_store.hpp"
#include "model/browser_scene.hpp"
#include "model/browser_session.hpp"
#include "model/page_clip.hpp"
#include "model/page_group_state.hpp"
#include "model/runtime_website_links.hpp"
#include "model/runtime_window.hpp"
#include "model/scheduler.hpp"
#include "model/session_writer.hpp"
#include "model/suggested_website.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "windows/window_factory.hpp"

namespace Gtk {
class Widget;
}
typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class ActiveApplicationWatcher;
class BrowserTab;
class BrowserViewController;
class BrowserWindowController;
class DownloadManager;
class HotKeyManager;
class PreferencesStore;
class WebAppStore;
class WebsiteDataStore;
class WebsiteSessions;
struct WebViewConfiguration;

// The one registry of open browser windows. It builds every window, keeps open windows in step
// with the saved websites, publishes the live snapshot of windows and tabs and the window counts,
// runs the tab-sleep pass and opens the websites marked to launch at start. Main thread only.
// What a finished snapshot write tells the user: nothing on success, the size limit's own text,
// else the general one.
std::optional<std::string> snapshotMessage(const Status& result);
// What opening a saved page or a page group says when its website was deleted.
std::string removedAccountMessage();

class BrowserWindowManager {
public:
    // The name of the main browser window's record.
    static constexpr const char* kBrowserRecordName = "Quenlith";
    // Period of the tab-sleep pass.
    static constexpr std::chrono::seconds kSleepInterval{30};
    // Quiet time after the last change before the session snapshot is written.
    static constexpr std::chrono::milliseconds kSnapshotDelay{700};
    // Size of a restored window without a usable frame.
    static constexpr double kRestoredWidth = 480;
    static constexpr double kRestoredHeight = 720;

    // `viewContext` is what every browser view is made with (its preferences, downloads and
    // sessions, which hand out the websites' data stores, are the manager's too); `timers` runs the
    // sleep pass and the first deliveries of the stores (the main loop unless a test steps time by
    // hand).
    BrowserWindowManager(WebAppStore& store, const BrowserContext& viewContext,
                         BrowserSessionPersistence sessionPersistence,
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
    // Tells whether Ctrl+Alt+P is ours, so click-through can be switched on; none refuses it.
    HotKeyManager* hotKeys = nullptr;
    // Deletes a stored proxy password by its credential id (the keyring).
    std::function<void(const std::string& credentialID)> removeProxyPassword;

    // Presents a sheet of a browser window's "more" menu on that window (the application's views).
    std::function<void(BrowserWindowController&, BrowserSheet)> onSheet;

    // Called once for every window built and registered (the shell adds its menu and accelerators).
    std::function<void(BrowserWindowController&)> onWindowBuilt;

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

    // --- Session recovery (window_session.cpp) -------------------------------------------------

    // The start of the window manager, once: brings back the saved session's windows and tabs
    // while windows are restored (else deletes the saved session), then opens every saved website
    // marked to launch at start (or, while windows are restored, that was visible at quit) that has
    // no window yet and shows the hidden ones. An unreadable session file is left untouched and
    // stops every later snapshot until the saved session is removed. `incremental` builds the first
    // window at once and one more per idle turn of the main loop, below the web processes' messages,
    // so their first loads are not held up; the state, the snapshot and the links wait for the last.
    void restoreSession(bool incremental = false);
    // Builds what an incremental restore still owes at once and ends it; every request that shows,
    // opens, hides or saves windows calls it first, so it acts on the whole session.
    void finishRestore();
    // Asks for the pages that restoreSession will show, before anything else of the application is
    // built: the selected page of every shown window of the saved session and, when no window is
    // restored, the page of every website that opens at start. Their web views are made on their
    // websites' stores and start loading now; the windows restoreSession builds take them over.
    // Once, before restoreSession; a page no window takes is dropped by restoreSession.
    void requestStartPages();
    // Writes the snapshot kSnapshotDelay after the last call; nothing before the restore, during
    // shutdown or a website-data reset, or while windows are not restored.
    void scheduleSnapshot();
    // Records every window on a persistent store; `immediately` writes on this thread (the final
    // snapshot), else the writer thread takes it. Failures go to continuityError().
    void writeSnapshot(bool immediately = false);
    // The record of one window; nothing for a window on a non-persistent store.
    std::optional<RestorableWindow> restorableWindow(BrowserWindowController& controller);
    // Deletes the session file and its backup, after any write in flight; a success (true) makes
    // the session writable again.
    bool removeSavedSession();
    // Closes every window and deletes the saved session (website-data reset); nothing is scheduled
    // until the caller clears isResettingWebsiteData.
    void closeAllAndForgetSession();
    bool sessionWritable() const { return sessionWritable_; }
    // Whether a snapshot handed to the writer thread has not been told finished yet.
    bool snapshotWriting() const { return sessionWriter_.busy(); }
    // Ends the window manager at termination: writes the final snapshot at once, saves every
    // window's frame, tears every window down, empties the snapshot and saves the websites.
    void shutdown();

    // --- Routing: which window and tab come forward (window_routing.cpp) ---------------------
    // Every operation that shows a window by user request brings it forward: the website links of
    // the window are released, it is presented (activated, click-through ended, untucked, its
    // active tab woken), becomes the last active window and the state is published. While
    // website data is reset, the opening operations (open, showBrowser, openPrivateWindow,
    // showProfile and toggle where it would show) do nothing.

    // Brings forward the tab of a shared-session window that already shows the address (oldest
    // window, leftmost tab first); otherwise opens it in the main browser window: in its active tab
    // when that shows the start page, else in a new tab. Answers the browser view now showing it.
    BrowserViewController* open(const std::string& address);
    // Brings forward the main browser window, creating it first when there is none.
    void showBrowser();
    // Opens a new private window (its own non-persistent data store; never reused, never saved).
    void openPrivateWindow();
    // Brings forward the window and tab showing a saved website, or its own new window.
    BrowserWindowController* showProfile(const Uuid& profileID);
    // A website's global shortcut: hides its window when it is on screen, else shows it (a
    // minimised or tucked window comes back).
    // `eventTime` is the X time of the key press that asked for it.
    void toggle(const Uuid& profileID, std::uint32_t eventTime = 0);
    // Brings forward one tab of one window; nothing when either id is unknown.
    void focus(const Uuid& windowID, const Uuid& tabID);
    // Brings back every window not on screen (hidden, minimised, tucked).
    void showAll();
    // Puts every window away (none is closed) and keeps application links from bringing the
    // websites back.
    void hideAll();
    // The text of an address field: the website address, else a search with the chosen engine.
    void openAddress(const std::string& text);
    // Opens the first 20 addresses, in order; the rest are ignored.
    void openURLs(const std::vector<std::string>& addresses);
    // After a page was saved as a website: the tab showing it becomes that website's window.
    void linkWindow(const WebAppProfile& website, const WebAppProfile& source, const std::string& url);

    // The focused browser window, else the last one brought forward while it exists.
    BrowserWindowController* activeWindowController() const;
    // Whether any window is on screen.
    bool hasVisibleWindows() const;
    // Whether a proxy credential id is used by a saved website, a window's ad-hoc record or (asked
    // through additionalCredentialUsage) anything else.
    bool isCredentialInUse(const std::string& credentialID) const;
    // A short notice at the bottom of the window for 3 seconds; the next one replaces it at once.
    void showToast(const std::string& message, BrowserWindowController& controller);

    // --- Saved pages (window_saved_pages.cpp) -----------------------------------------------------

    // Opens a library entry again: in its saved website's window, in a window of the session it was
    // saved in, or (shared session) like any address; a tab already showing the page is selected,
    // else the page is loaded into a start-page tab or a new tab. A Read Later entry's reading
    // position is applied once the page has loaded. A deleted website sets continuityError().
    void openSavedPage(const PageClip& clip);

    // --- Page groups (window_scenes.cpp) -----------------------------------------------------------

    // The windows on screen (visible, persistent, with a keepable tab) as a new group; none when no
    // window qualifies. Changes nothing.
    std::optional<BrowserScene> captureScene(const std::string& name);
    std::optional<SceneWindow> sceneWindow(BrowserWindowController& controller);
    // Opens every window of the group, or brings forward (with its saved frame, tabs as they are)
    // the window this group opened before. Group windows keep the group's opacity, on-top and
    // compact settings to themselves.
    void openScene(const BrowserScene& scene);
    // Opens the group and puts every other window away.
    void focusScene(const BrowserScene& scene);
    // Brings back the windows on screen before the focus began and puts the group's others away.
    void endSceneFocus();
    // Puts the windows of a group away.
    void hideScene(const Uuid& sceneID);
    const std::optional<Uuid>& focusedScene() const { return pageGroups_.focusedScene(); }
    // Whether the window was opened for a page group.
    bool isSceneWindow(const Uuid& windowID) const { return sceneWindows_.count(windowID) > 0; }

    // --- Per-window services (window_services.cpp) -----------------------------------------------

    // Click-through of one window on or off. It is refused with an alert while Ctrl+Alt+P is not
    // ours: nothing would bring the mouse back.
    void toggleClickThrough(BrowserWindowController& controller);
    // Ctrl+Alt+P and "Restore Mouse Control": every window takes the mouse again.
    void restoreMouseControl();
    // A new window on the same page: in its own session when `isolated` (none: the preferences
    // decide); a private window's duplicate is private again. Nothing while website data is reset,
    // for an unknown window, or for the shared session of a window behind a website proxy.
    BrowserWindowController* duplicateWindow(const Uuid& windowID, std::optional<bool> isolated, bool show);
    // The saved website whose menu-bar icon the page's address has, seen from the window.
    bool menuBarIconState(const Uuid& windowID, const Uuid& recordID, const std::string& address) const;
    // Switches that icon; creates the saved website when switched on for a page none matches.
    void toggleMenuBarIcon(const Uuid& windowID, const Uuid& recordID, const std::string& address);
    // The saved website whose session and proxy the window's network sheet edits.
    std::optional<WebAppProfile> networkProfile(const Uuid& windowID, const Uuid& recordID) const;
    // Saves the sheet: exactly the proxy, session identifier, own-session flag and account name.
    bool saveNetwork(const WebAppProfile& edited);
    // Deletes the proxy password unless a website, a window or the global proxy still uses it.
    void discardProxyCredential(const std::string& credentialID);

    // --- Hiding and closing (window_closing.cpp) -----------------------------------------------
    // The operations that can end a window take their ids by value: the caller's id may live in a
    // closure the ending frees (the window's own close handler).

    // The close button or the "close" command: a website's own window on a persistent store is
    // hidden while the close behaviour is "Hide Window"; every other window is closed.
    void requestClose(Uuid windowID);
    // Closes and releases one window; the ad-hoc record of its last window goes with it.
    void close(Uuid windowID);
    // Hides every window of a saved website (its own windows and the one showing it).
    void hide(const Uuid& profileID);
    // Hides one window.
    void hideWindow(const Uuid& windowID);
    // Closes one tab, or the window when it is the only one.
    void closeTab(Uuid windowID, Uuid tabID);
    // Deletes a saved website and closes its windows; false (nothing closed) when the store
    // refuses.
    bool deleteWebsite(Uuid profileID);
    // Whether a saved website's window is on screen.
    bool isWebsiteVisible(const Uuid& profileID) const;

    // Websites that application links brought forward, and those they must not bring back.
    const std::set<Uuid>& linkedWindows() const { return linkedWindows_; }
    const std::set<Uuid>& dismissedLinks() const { return dismissedLinks_; }

    // --- Application links (application_links.cpp) --------------------------------------------
    // This application's desktop-file id.
    static constexpr const char* kOwnApplication = "com.quenlith.Quenlith.desktop";
    // Another application came to the front (its desktop-file id; none when it has none): its
    // links apply once it stayed in front for 0.3 s.
    void applicationDidActivate(const std::optional<std::string>& application);
    // Shows, without taking the focus, the windows of the websites linked to `application` and
    // puts away those links showed for another one. Nothing before the restore, during shutdown or
    // a website-data reset.
    void applyApplicationLinks(const std::optional<std::string>& application);
    // The window was minimised: links leave its websites minimised as if the person had put them
    // away, until another application has come to the front.
    void windowMinimized(const Uuid& windowID);
    const std::optional<std::string>& lastApplication() const { return linkFollower_.lastApplication(); }

    // The pass of the sleep timer: every window's browser view puts its idle tabs to sleep.
    void sleepIdleWindows();
    // After a change of monitors: every window is clamped into a work area.
    void screenParametersChanged();

private:
    void profilesChanged();
    void preferencesChanged();
    void syncWindowsWithProfiles();
    void setContinuityError(std::optional<std::string> message);
    void restoreWindow(const RestorableWindow& saved);
    void armSleepTimer();
    // Window callbacks (window_callbacks.cpp).
    void wireCallbacks(BrowserWindowController& controller, const WebAppProfile& websiteCopy);
    void stateChanged();
    void profileChanged(BrowserWindowController& controller, const WebAppProfile& changed);
    void urlChanged(const Uuid& windowID, const Uuid& websiteID, const std::string& address);
    void metadataArrived(const Uuid& websiteID, const std::optional<std::string>& iconAddress);
    void runCommand(BrowserWindowController& controller, BrowserCommand command, const Uuid& websiteID);
    void saveWebsite(BrowserWindowController& controller);
    void arrange(BrowserWindowController& controller, BrowserCommand command);
    WebKitWebView* openPopup(const Uuid& websiteID, const WebViewConfiguration& configuration,
                             const std::optional<std::string>& address);

    // Routing helpers.
    void releaseLinks(BrowserWindowController& controller);
    void wireServices(BrowserWindowController& controller, const Uuid& recordID);
    void bringForward(BrowserWindowController& controller, std::optional<Uuid> tabID = std::nullopt);
    bool isSharedSession(const BrowserWindowController& controller) const;
    std::vector<RoutingWindow> routingWindows() const;
    WebAppProfile browserProfile() const;
    // Hides one window: its links are dismissed, it is ordered out and no longer presented.
    void hideOne(BrowserWindowController& controller);
    void pushSnapshot();
    // Takes a window off the screen without touching the website links (page groups).
    void putAway(BrowserWindowController& controller);
    // Selects the tab showing `url`, else loads it into a start-page tab or a new tab.
    void showInTab(BrowserViewController& browser, const std::string& url);
    std::set<Uuid> registeredIDs() const;

    Scheduler& timers_;
    const BrowserContext viewContext_;
    // The X time of the key press being answered, for the window it brings forward.
    std::uint32_t eventTime_ = 0;
    BrowserRuntimeStore runtime_;
    std::set<Uuid> visibleProfiles_;
    int clickThroughCount_ = 0;
    int visibleWindowCount_ = 0;
    int hiddenWindowCount_ = 0;
    std::map<Uuid, std::unique_ptr<BrowserWindowController>> windows_;
    std::map<Uuid, WebAppProfile> observedProfiles_;
    std::set<Uuid> linkedWindows_;
    ApplicationLinkFollower linkFollower_{
        kOwnApplication, [this](const std::optional<std::string>& application) { applyApplicationLinks(application); },
        timers_};
    std::set<Uuid>& dismissedLinks_ = linkFollower_.dismissedLinks;
    std::unique_ptr<ActiveApplicationWatcher> activeApplications_;
    PageGroupState pageGroups_;
    // Windows opened for page groups: what changes in them stays in them.
    std::set<Uuid> sceneWindows_;
    std::optional<std::string> continuityError_;
    bool didRestore_ = false;
    // The windows an incremental restore has not built yet: the saved ones in saved order, then
    // the websites that open at start (whether one still needs a window is known only when its
    // turn comes).
    std::deque<RestorableWindow> pendingWindows_;
    std::deque<Uuid> pendingWebsites_;
    bool owesWindows() const;
    // Builds the next window owed; false when none was left.
    bool buildNextWindow();
    // Opens the website's own window unless one of its windows shows it already; whether it did.
    bool openAtLaunch(const Uuid& websiteID);
    bool restoring_ = false;
    bool preferencesWhileRestoring_ = false;
    unsigned int restoreSource_ = 0;
    bool restoreTurn();
    // The pages asked for at start that have not finished loading: the windows after the first
    // wait for them (or for a short while), as building windows holds up the main loop, which the
    // pages' web processes need for their first requests and the first pages to be shown.
    struct AwaitedPage {
        GObjectPtr<WebKitWebView> view;
        std::vector<gulong> handlers;
    };
    std::vector<AwaitedPage> awaitedPages_;
    ScheduledTask awaitLimit_;
    void awaitStartPages();
    void startPageChanged(WebKitWebView* view, bool finished);
    void startRestoreTurns();
    // What requestStartPages read and asked for, by the id of the window that will take it.
    std::optional<Result<std::optional<BrowserSessionDocument>>> loadedSession_;
    struct StartPage {
        std::string address;
        std::shared_ptr<WebsiteDataStore> dataStore;
        GObjectPtr<WebKitWebView> webView;
    };
    std::map<Uuid, StartPage> startPages_;
    void askForStartPages();
    void requestStartPage(const Uuid& windowID, const WebAppProfile& website, const std::string& address);
    bool shuttingDown_ = false;
    bool sessionWritable_ = true;
    SessionWriter sessionWriter_;
    ScheduledTask snapshotTask_;
    ScheduledTask sleepTimer_;
    ScheduledTask firstDelivery_;
    // Closed windows wait here for the next idle turn: a window may be closed from inside one of
    // its own signal handlers.
    std::vector<std::unique_ptr<BrowserWindowController>> retired_;
    ScheduledTask retireTask_;
    std::vector<sigc::connection> connections_;
    AddressComparisonForms comparisonForms_;
    sigc::signal<void()> changed_;
    // Callbacks handed to windows hold this weakly: they find it expired once the manager is gone.
    std::shared_ptr<BrowserWindowManager*> self_;
};

}  // namespace quenlith
