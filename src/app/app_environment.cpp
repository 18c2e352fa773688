#include "app/app_environment.hpp"

#include <utility>

#include <gtk/gtk.h>

#include "app/app_hot_keys.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/backup_dialogs.hpp"
#include "app/backup_transfer.hpp"
#include "app/browser_sheets.hpp"
#include "app/pasted_links_flow.hpp"
#include "app/quick_open_flow.hpp"
#include "app/start_notices.hpp"
#include "app/start_sweeps.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/keyring_password_vault.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_details.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "ui/alert.hpp"
#include "ui/chooser_location.hpp"
#include "ui/closed_menus.hpp"
#include "ui/closing_focus.hpp"
#include "ui/defunct_accessibles.hpp"
#include "ui/notebook_teardown.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"
#include "windows/window_shell_hooks.hpp"
#include "windows/x_key_grabber.hpp"

namespace quenlith {

namespace {

// The proxy used when the preferences hold none: the desktop's own settings.
BrowserProxySettings systemProxySettings() {
    BrowserProxySettings settings;
    settings.kind = BrowserProxyKind::system;
    settings.host = "127.0.0.1";
    settings.port = 7890;
    settings.username = "";
    settings.credentialID = std::nullopt;
    settings.usesAuthentication = false;
    return settings;
}

bool usesCredential(const std::optional<WindowSessionReference>& session, const std::string& credentialID) {
    return session && session->proxy && session->proxy->credentialID == credentialID;
}

// Whether a saved page or a page-group window still uses the proxy credential.
bool libraryUsesCredential(const LibraryDocument& document, const std::string& credentialID) {
    for (const auto& clip : document.clips)
        if (usesCredential(clip.windowSession, credentialID)) return true;
    for (const auto& scene : document.scenes)
        for (const auto& window : scene.windows)
            if (usesCredential(window.windowSession, credentialID)) return true;
    return false;
}

}  // namespace

AppEnvironment::AppEnvironment() : AppEnvironment(nullptr, mainLoopScheduler(), nullptr) {}

AppEnvironment::AppEnvironment(WebsiteSessions& sessions, Scheduler& scheduler,
                               std::unique_ptr<KeyGrabber> grabber)
    : AppEnvironment(&sessions, scheduler, std::move(grabber)) {}

AppEnvironment::AppEnvironment(WebsiteSessions* givenSessions, Scheduler& scheduler,
                               std::unique_ptr<KeyGrabber> grabber)
    : store_(std::nullopt, scheduler),
      library_(std::nullopt, scheduler, systemClock(), applicationFileWriter(), LibraryStore::Loading::later),
      globalProxy_(std::make_unique<ProxyRuntime>(readProxyPassword)),
      ownSessions_(givenSessions ? nullptr
                                 : std::make_unique<WebsiteSessions>(*globalProxy_, readProxyPassword)),
      blocking_(AdBlocking::inCacheFolder()),
      pageIcons_(std::make_unique<PageIcons>()),
      self_(std::make_shared<AppEnvironment*>(this)) {
    WebsiteSessions& sessions = givenSessions ? *givenSessions : *ownSessions_;
    // The print dialog and the settings window are notebooks: taken apart, they log nothing.
    quietNotebookTeardown();
    // A screen reader reads the windows it was told about for a while after they have gone.
    keepDefunctAccessiblesReadable();
    // A window closed with the keyboard in it leaves it to the window used before, in every
    // window manager.
    handFocusOnAsWindowsClose();
    // A location typed into the file chooser (an import's) names folders that may not exist.
    quietChooserLocation();
    // A screen reader chooses from a menu button's menu without opening it.
    letReadersChooseFromClosedMenus();
    // A data folder left readable by others (made by hand or by an old version) is made private.
    if (auto folder = files::createFolder(applicationDataDirectory()); !folder)
        logError(LogCategory::lifecycle, folder.error().message);
    if (auto message = store_.errorMessage()) logError(LogCategory::lifecycle, *message);
    // Changes to the websites are written without waiting for the disk: a write that fails later
    // is told to the person here, whichever window made the change.
    // It never waits: it arrives from a finished background write, in the middle of browsing.
    store_.signal_saveFailed().connect([this](const SaveFailureNotice& notice) {
        BrowserWindowController* active = windows_ ? windows_->registry().activeWindowController() : nullptr;
        showAlert(AlertKind::error, notice.title, notice.message, active ? &active->panel() : nullptr);
    });

    // The process-wide proxy is set up before any page is asked for. The pages that open at start
    // are asked for next, before anything else is built, so their web processes start meanwhile;
    // every other website gets its data store (and its proxy) the first time it is used. Proxy
    // passwords are read from the keyring meanwhile: a store still waiting for one holds its
    // network and is configured when it arrives, so the start does not wait for the keyring.
    globalProxy_->load(preferences_.value().proxy.value_or(systemProxySettings()));
    // Settings that could not be read hold it until the person has been told.
    startNotices_ = std::make_unique<StartNotices>(preferences_, store_, *globalProxy_);
    startNotices_->start();
    BrowserSessionPersistence sessionPersistence(applicationDataDirectory() + "/session-v1.json");
    // The views keep the system clock and the main loop: `scheduler` steps the stores and windows.
    const BrowserContext viewContext{preferences_, sessions,      *blocking_,          *pageIcons_,
                                     &downloads_,  systemClock(), mainLoopScheduler(), mainLoopScheduler()};
    windows_ =
        std::make_unique<BrowserWindowManager>(store_, viewContext, std::move(sessionPersistence), scheduler);
    windows_->session().requestStartPages();
    // The first window does not need the library: it is read and decoded meanwhile, off this thread.
    library_.startLoading();

    hotKeys_ = std::make_unique<AppHotKeys>(grabber ? std::move(grabber) : std::make_unique<XKeyGrabber>(),
                                            store_, preferences_, *windows_, launcher_, scheduler);
    WebsiteSessions* websiteSessions = &sessions;
    icons_ = std::make_unique<FaviconLoader>(
        [websiteSessions](const WebAppProfile& profile) { return websiteSessions->urlSession(profile); });
    websiteEditor_ = std::make_unique<WebsiteEditorPresenter>(store_, preferences_, scheduler);
    auxiliaryWindows_ = std::make_unique<AuxiliaryWindows>();
    // The backup dialogs belong to the library window while it is there.
    AuxiliaryWindows* auxiliary = auxiliaryWindows_.get();
    backups_ = std::make_unique<BackupTransfer>(store_, library_, makeBackupDialogs([auxiliary] {
                                                    return auxiliary->window(AuxiliaryWindows::Kind::library);
                                                }));
    browserSheets_ = std::make_unique<BrowserSheets>(*windows_, preferences_, *blocking_);
    quickOpen_ =
        std::make_unique<QuickOpenFlow>(store_, preferences_, library_, *windows_, *auxiliaryWindows_);
    pastedLinks_ = std::make_unique<PastedLinksFlow>(store_, library_, *windows_, *auxiliaryWindows_,
                                                     [this] { showLibrary(SavedPagesSection::groups); });
    startSweeps_ = std::make_unique<StartSweeps>(store_, preferences_, library_, *windows_, downloads_, scheduler);
    startSweeps_->schedule();
    wireWindowManager();
    wireAuxiliaryWindows();
    registerSettingsWindows();
    registerLibraryWindows();

    // The shortcuts follow the websites and the preferences, from a later turn of the main loop.
    connections_.push_back(library_.signal_saveFailed().connect(
        [this](const std::string& message) { tellHistoryNotSaved(message); }));

    // The appearance follows every preferences value, starting with the current one on a later
    // turn of the main loop.
    connections_.push_back(
        preferences_.signal_changed().connect([this] { applyPreferences(preferences_.value()); }));
    firstDelivery_ = scheduler.scheduleIdle([this] { applyPreferences(preferences_.value()); });
}

AppEnvironment::~AppEnvironment() {
    self_.reset();
    for (auto& connection : connections_) connection.disconnect();
    firstDelivery_.cancel();
    startNotices_.reset();
    startSweeps_.reset();
    pastedLinks_.reset();
    quickOpen_.reset();
    backups_.reset();
    browserSheets_.reset();
    auxiliaryWindows_.reset();
    websiteEditor_.reset();
    windows_.reset();
    icons_.reset();
    hotKeys_.reset();
    pageIcons_.reset();
    blocking_.reset();
    ownSessions_.reset();
    globalProxy_.reset();
}

void AppEnvironment::wireWindowManager() {
    std::weak_ptr<AppEnvironment*> weak = self_;
    WindowShellHooks hooks = windows_->hooks();
    hooks.onVisit = [weak](const std::string& address, const std::string& title) {
        if (auto environment = weak.lock()) (*environment)->recordVisit(address, title);
    };
    hooks.additionalCredentialUsage = [weak](const std::string& credentialID) {
        auto environment = weak.lock();
        return environment && libraryUsesCredential((*environment)->library().document(), credentialID);
    };
    hooks.onEdit = [weak](const Uuid& websiteID) {
        if (auto environment = weak.lock()) (*environment)->websiteEditor().showEditWebsite(websiteID);
    };
    hooks.onSaveWebsite = [weak](const std::optional<std::string>& address,
                                 const std::optional<std::string>& title,
                                 const std::optional<WebAppProfile>& source) {
        if (auto environment = weak.lock())
            (*environment)
                ->websiteEditor()
                .showWebsiteEditor(
                    {.pageURL = address, .title = title, .openAfterSave = false, .source = source});
    };
    hooks.hotKeys = &hotKeys_->manager();
    hooks.onSheet = [weak](BrowserWindowController& controller, BrowserSheet sheet) {
        if (auto environment = weak.lock()) (*environment)->browserSheets().present(controller, sheet);
    };
    hooks.removeProxyPassword = [](const std::string& credentialID) {
        KeyringPasswordVault().remove(credentialID);
    };
    WebsiteEditorPresenter::Links editorLinks;
    editorLinks.validateShortcut = [weak](const std::optional<ShortcutConfiguration>& shortcut,
                                          const std::string& name) -> std::optional<std::string> {
        auto environment = weak.lock();
        return environment ? (*environment)->hotKeys().validate(shortcut, name) : std::nullopt;
    };
    editorLinks.dismissLauncher = [weak] {
        if (auto environment = weak.lock()) (*environment)->launcher().dismiss();
    };
    editorLinks.showWebsite = [weak](const Uuid& websiteID) {
        if (auto environment = weak.lock()) (*environment)->windows().routing().showProfile(websiteID);
    };
    editorLinks.linkWindow = [weak](const WebAppProfile& website, const WebAppProfile& source,
                                    const std::string& url) {
        if (auto environment = weak.lock())
            (*environment)->windows().routing().linkWindow(website, source, url);
    };
    editorLinks.credentialInUse = [weak](const std::string& credentialID) {
        auto environment = weak.lock();
        return !environment || (*environment)->windows().services().isCredentialInUse(credentialID);
    };
    // The lookup reads through the global proxy; its handle lives until it has answered.
    ProxyRuntime* globalProxy = globalProxy_.get();
    editorLinks.fetchWebsiteDetails =
        [globalProxy](const std::string& address, std::function<void(LookedUpWebsiteDetails)> done) {
            auto handle = std::make_shared<std::shared_ptr<BoundedFetch>>();
            *handle = fetchWebsiteDetails(address, globalProxy->makeSession(),
                                          [handle, done](WebsiteDetails details) {
                                              done({details.title, details.iconURL});
                                              handle->reset();
                                          });
        };
    editorLinks.tray = &windows_->tray();
    websiteEditor_->setLinks(std::move(editorLinks));
    hooks.onDownloads = [weak] {
        if (auto environment = weak.lock()) (*environment)->auxiliaryWindows().showDownloads();
    };
    auxiliaryWindows_->setDismissLauncher([weak] {
        if (auto environment = weak.lock()) (*environment)->launcher().dismiss();
    });
    hooks.onPinSuggestion = [weak](const SuggestedWebsite& suggestion) {
        if (auto environment = weak.lock())
            (*environment)->store().add(suggestion, (*environment)->preferences().value());
    };
    windows_->setHooks(std::move(hooks));
}

HotKeyManager& AppEnvironment::hotKeys() {
    return hotKeys_->manager();
}

void AppEnvironment::openScene(const BrowserScene& scene) {
    windows_->pageGroups().openScene(scene);
}

void AppEnvironment::recordVisit(const std::string& address, const std::string& title) {
    if (!preferences_.value().readsHistoryEnabled()) return;
    Date now = systemClock().now();
    if (!isCredentialFreeURL(address)) return;
    // Published now, written after a quiet period off the main thread: a load never waits for the disk.
    library_.recordVisit(address, title, now);
}

void AppEnvironment::tellHistoryNotSaved(const std::string& message) {
    Gtk::Window* libraryWindow = auxiliaryWindows_->window(AuxiliaryWindows::Kind::library);
    if (libraryWindow && libraryWindow->get_visible()) return;
    BrowserWindowController* active = windows_->registry().activeWindowController();
    // Never waits: the failure arrives from a finished background write, in the middle of browsing.
    showAlert(AlertKind::error, localizedString("Could not save history"),
              message + "\n\n" +
                  localizedString("The visits stay in Quenlith and are saved with the next change or when "
                                  "Quenlith quits."),
              active ? &active->panel() : nullptr);
}

void AppEnvironment::applyPreferences(const AppPreferences& value) {
    // Without a taskbar entry the application keeps to its floating windows and the menu bar.
    for (const auto& [id, controller] : windows_->registry().windows())
        controller->panel().setSkipsTaskbar(!value.showDockIcon);

    GtkSettings* settings = gtk_settings_get_default();
    if (!settings) return;
    // Any set, even of the value in force, makes GTK load its theme again (about 12 ms, on the
    // turn the first pages' web processes wait for): only a different value is set.
    if (value.theme == AppTheme::system) {
        if (std::exchange(themeOverridden_, false))
            gtk_settings_reset_property(settings, "gtk-application-prefer-dark-theme");
        return;
    }
    gboolean dark = FALSE;
    g_object_get(settings, "gtk-application-prefer-dark-theme", &dark, nullptr);
    const bool wantsDark = value.theme == AppTheme::dark;
    if (static_cast<bool>(dark) == wantsDark) return;
    g_object_set(settings, "gtk-application-prefer-dark-theme", wantsDark ? TRUE : FALSE, nullptr);
    themeOverridden_ = true;
}

}  // namespace quenlith
