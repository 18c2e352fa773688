#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/connection.h>

#include "app/launcher_controls.hpp"
#include "browser/page/download_manager.hpp"
#include "model/app_preferences.hpp"
#include "model/library_store.hpp"
#include "model/preferences_store.hpp"
#include "model/saved_pages_section.hpp"
#include "model/scheduler.hpp"
#include "model/web_app_store.hpp"
#include "model/website_data_clearing.hpp"
#include "windows/key_grabber.hpp"

namespace quenlith {

class AdBlocking;
class AppHotKeys;
class AuxiliaryWindows;
class BackupTransfer;
class BrowserSheets;
class BrowserViewController;
class BrowserWindowManager;
class FaviconLoader;
class HotKeyManager;
class PageIcons;
class PastedLinksFlow;
class ProxyRuntime;
class QuickOpenFlow;
class StartNotices;
class StartSweeps;
class WebsiteEditorPresenter;
class WebsiteSessions;

// The object graph of the running application: the stores, the downloads, the services of the
// browser views (the global proxy, the websites' sessions, ad blocking, page icons) and the window
// manager, made in that order once the process has started, with the global proxy set up and the
// pages that open at start asked for before anything else; a website's data store is made the
// first time the website is used. It answers the window manager's
// callbacks and keeps the window appearance in step with the preferences. Main thread only.
class AppEnvironment {
public:
    // Builds the graph on the files of the current XDG folders, with sessions of its own on its
    // global proxy.
    AppEnvironment();
    // `sessions` hands out the websites' data stores instead (a test's); `grabber` takes the global
    // shortcuts (the X root window's key grabs unless a test brings its own).
    explicit AppEnvironment(WebsiteSessions& sessions, Scheduler& scheduler = mainLoopScheduler(),
                            std::unique_ptr<KeyGrabber> grabber = nullptr);
    ~AppEnvironment();
    AppEnvironment(const AppEnvironment&) = delete;
    AppEnvironment& operator=(const AppEnvironment&) = delete;

    WebAppStore& store() { return store_; }
    PreferencesStore& preferences() { return preferences_; }
    DownloadManager& downloads() { return downloads_; }
    LibraryStore& library() { return library_; }
    // The library window's section, kept for the whole process.
    SavedPagesNavigation& savedPagesNavigation() { return savedPagesNavigation_; }
    BrowserWindowManager& windows() { return *windows_; }
    // The global shortcuts: kept in step with the websites and the preferences.
    HotKeyManager& hotKeys();
    // Website icons, each loaded through the website's own proxy.
    FaviconLoader& icons() { return *icons_; }
    // The website editor: "Add Website", editing a website, saving a window's page.
    WebsiteEditorPresenter& websiteEditor() { return *websiteEditor_; }
    // Settings, downloads, the library, the guide, Quick Open, multiple links, the save-page window.
    AuxiliaryWindows& auxiliaryWindows() { return *auxiliaryWindows_; }
    // Backup export and import and restoring the previous files, with their dialogs on the library
    // window.
    BackupTransfer& backups() { return *backups_; }
    // The ad filter of every browser view and of the settings.
    AdBlocking& adBlocking() { return *blocking_; }
    // The sheets of the browser windows' "more" menus.
    BrowserSheets& browserSheets() { return *browserSheets_; }
    // The removals of what nothing uses, once each start: sessions' website data, proxy passwords.
    StartSweeps& startSweeps() { return *startSweeps_; }
    // Expires when the environment goes; closures kept for later hold this.
    std::weak_ptr<AppEnvironment*> weakSelf() const { return self_; }

    // The launcher's toggle and dismissal, set by the launcher when it exists.
    LauncherControls& launcher() { return launcher_; }
    // Opens a page group's windows (the "quenlith://workspace?id=" links).
    void openScene(const BrowserScene& scene);

    // Records a finished page visit in the history when the history is on and the address may be
    // kept.
    void recordVisit(const std::string& address, const std::string& title);
    // Shows the application's windows in the taskbar or not, and applies the theme.
    void applyPreferences(const AppPreferences& preferences);

    // Shows "Saved Pages & Groups", on `section` when one is given (else on the last one shown).
    void showLibrary(std::optional<SavedPagesSection> section = std::nullopt);
    // Opens a saved page in its website and session, at its reading position.
    void openSavedPage(const PageClip& clip);

    // Saves the page of `browser` (else of the active window) to Read Later with its reading
    // position, or tells why it cannot: private pages, start pages and sign-in links are refused.
    void readLater(BrowserViewController* browser);
    // Clears the named kinds of website data (closing every window and forgetting the session)
    // and, with `everything`, the history and the websites' last addresses; `done` gets whether
    // all of it was cleared and, if not, what was left.
    void clearWebsiteData(const std::vector<std::string>& types, bool everything,
                          std::function<void(WebsiteDataClearingResult)> done);
    // The reading position arrived: stores the entry (the same page in the same website and
    // session updates its entry) and says so in the window, which may be gone by now.
    void saveReadLater(const std::string& url, const std::string& title, std::optional<double> position,
                       const std::optional<Uuid>& windowID);

private:
    AppEnvironment(WebsiteSessions* sessions, Scheduler& scheduler, std::unique_ptr<KeyGrabber> grabber);
    void wireWindowManager();
    // Hands the auxiliary windows the builders of Quick Open, "Open Multiple Links" and the guide.
    void wireAuxiliaryWindows();
    // Hands the auxiliary windows the builders of the settings and downloads windows.
    void registerSettingsWindows();
    // Gives the auxiliary windows the library window and the save-page window.
    void registerLibraryWindows();
    // A background write of the history failed: the library window's message line says so while
    // it is open, else an alert on the active window (or on its own).
    void tellHistoryNotSaved(const std::string& message);

    WebAppStore store_;
    PreferencesStore preferences_;
    DownloadManager downloads_;
    LibraryStore library_;
    SavedPagesNavigation savedPagesNavigation_;
    LauncherControls launcher_;
    // The services of the browser views: made before the windows and ended after them.
    std::unique_ptr<ProxyRuntime> globalProxy_;
    // What the person is told at start about settings or websites that could not be taken as
    // they were.
    std::unique_ptr<StartNotices> startNotices_;
    std::unique_ptr<WebsiteSessions> ownSessions_;  // none when a test brings its sessions
    std::unique_ptr<AdBlocking> blocking_;
    std::unique_ptr<PageIcons> pageIcons_;
    std::unique_ptr<AppHotKeys> hotKeys_;
    std::unique_ptr<FaviconLoader> icons_;
    std::unique_ptr<BrowserWindowManager> windows_;
    std::unique_ptr<WebsiteEditorPresenter> websiteEditor_;
    std::unique_ptr<AuxiliaryWindows> auxiliaryWindows_;
    std::unique_ptr<BackupTransfer> backups_;
    std::unique_ptr<BrowserSheets> browserSheets_;
    std::unique_ptr<QuickOpenFlow> quickOpen_;
    std::unique_ptr<PastedLinksFlow> pastedLinks_;
    std::unique_ptr<StartSweeps> startSweeps_;
    std::vector<sigc::connection> connections_;
    ScheduledTask firstDelivery_;
    // Whether the theme variant was set over the desktop's own.
    bool themeOverridden_ = false;
    // Callbacks handed out hold this weakly and do nothing once the environment is gone.
    std::shared_ptr<AppEnvironment*> self_;
};

}  // namespace quenlith
