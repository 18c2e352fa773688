#include "app/app_environment.hpp"

#include <utility>

#include <gtk/gtk.h>

#include "app/auxiliary_windows.hpp"
#include "app/backup_dialogs.hpp"
#include "app/backup_transfer.hpp"
#include "app/browser_sheets.hpp"
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

}  // namespace

AppEnvironment::AppEnvironment() : AppEnvironment(nullptr, mainLoopScheduler(), nullptr) {}

AppEnvironment::AppEnvironment(WebsiteSessions& sessions, Scheduler& scheduler,
                               std::unique_ptr<KeyGrabber> grabber)
    : AppEnvironment(&sessions, scheduler, std::move(grabber)) {}

AppEnvironment::AppEnvironment(WebsiteSessions* givenSessions, Scheduler& scheduler,
                               std::unique_ptr<KeyGrabber> grabber)
    : store(std::nullopt, scheduler),
      library(std::nullopt, scheduler, systemClock(), applicationFileWriter(), LibraryStore::Loading::later),
      scheduler_(scheduler),
      globalProxy_(std::make_unique<ProxyRuntime>(readProxyPassword)),
      ownSessions_(givenSessions ? nullptr
                                 : std::make_unique<WebsiteSessions>(*globalProxy_, readProxyPassword)),
      blocking_(AdBlocking::inCacheFolder()),
      pageIcons_(std::make_unique<PageIcons>()),
      self_(std::make_shared<AppEnvironment*>(this)) {
    WebsiteSessions& sessions = givenSessions ? *givenSessions : *ownSessions_;
    // A data folder left readable by others (made by hand or by an old version) is made private.
    if (auto folder = files::createFolder(applicationDataDirectory()); !folder)
        logError(LogCategory::lifecycle, folder.error().message);
    if (auto message = store.errorMessage()) logError(LogCategory::lifecycle, *message);

    // The process-wide proxy is set up before any page is asked for. The pages that open at start
    // are asked for next, before anything else is built, so their web processes start meanwhile;
    // every other website gets its data store (and its proxy) the first time it is used. Proxy
    // passwords are read from the keyring meanwhile: a store still waiting for one holds its
    // network and is configured when it arrives, so the start does not wait for the keyring.
    globalProxy_->load(preferences.value().proxy.value_or(systemProxySettings()));
    BrowserSessionPersistence sessionPersistence(applicationDataDirectory() + "/session-v1.json");
    // The views keep the system clock and the main loop: `scheduler` steps the stores and windows.
    const BrowserContext viewContext{preferences, sessions,      *blocking_,          *pageIcons_,
                                     &downloads,  systemClock(), mainLoopScheduler(), mainLoopScheduler()};
    windows_ =
        std::make_unique<BrowserWindowManager>(store, viewContext, std::move(sessionPersistence), scheduler);
    windows_->session().requestStartPages();
    // The first window does not need the library: it is read and decoded meanwhile, off this thread.
    library.startLoading();

    hotKeys_ = std::make_unique<HotKeyManager>(grabber ? std::move(grabber) : std::make_unique<XKeyGrabber>(),
                                               scheduler);
    WebsiteSessions* websiteSessions = &sessions;
    icons_ = std::make_unique<FaviconLoader>(
        [websiteSessions](const WebAppProfile& profile) { return websiteSessions->urlSession(profile); });
    websiteEditor_ = std::make_unique<WebsiteEditorPresenter>(store, preferences, scheduler);
    auxiliaryWindows_ = std::make_unique<AuxiliaryWindows>();
    // The backup dialogs belong to the library window while it is there.
    AuxiliaryWindows* auxiliary = auxiliaryWindows_.get();
    backups_ = std::make_unique<BackupTransfer>(store, library, makeBackupDialogs([auxiliary] {
                                                    return auxiliary->window(AuxiliaryWindows::Kind::library);
                                                }));
    browserSheets_ = std::make_unique<BrowserSheets>(*windows_, preferences, *blocking_);
    wireWindowManager();
    wireAuxiliaryWindows();
    registerSettingsWindows();
    registerLibraryWindows();

    // The shortcuts follow the websites and the preferences, from a later turn of the main loop.
    std::weak_ptr<AppEnvironment*> weak = self_;
    hotKeys_->setOnTrigger([weak](const std::string& name, std::uint32_t time) {
        if (auto environment = weak.lock()) (*environment)->handleHotKey(name, time);
    });
    connections_.push_back(store.signal_changed().connect([this] { scheduleHotKeyUpdate(); }));
    connections_.push_back(library.signal_saveFailed().connect(
        [this](const std::string& message) { tellHistoryNotSaved(message); }));
    connections_.push_back(preferences.signal_changed().connect([this] { scheduleHotKeyUpdate(); }));
    scheduleHotKeyUpdate();

    // The appearance follows every preferences value, starting with the current one on a later
    // turn of the main loop.
    connections_.push_back(
        preferences.signal_changed().connect([this] { applyPreferences(preferences.value()); }));
    firstDelivery_ = scheduler_.scheduleIdle([this] { applyPreferences(preferences.value()); });
}

AppEnvironment::~AppEnvironment() {
    self_.reset();
    for (auto& connection : connections_) connection.disconnect();
    firstDelivery_.cancel();
    hotKeyUpdate_.cancel();
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
        return environment && (*environment)->isCredentialUsedByLibrary(credentialID);
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
    hooks.hotKeys = hotKeys_.get();
    hooks.onSheet = [weak](BrowserWindowController& controller, BrowserSheet sheet) {
        if (auto environment = weak.lock()) (*environment)->browserSheets().present(controller, sheet);
    };
    hooks.removeProxyPassword = [](const std::string& credentialID) {
        KeyringPasswordVault().remove(credentialID);
    };
    websiteEditor_->links.validateShortcut = [weak](const std::optional<ShortcutConfiguration>& shortcut,
                                                    const std::string& name) -> std::optional<std::string> {
        auto environment = weak.lock();
        return environment ? (*environment)->hotKeys().validate(shortcut, name) : std::nullopt;
    };
    websiteEditor_->links.dismissLauncher = [weak] {
        if (auto environment = weak.lock(); environment && (*environment)->dismissLauncher)
            (*environment)->dismissLauncher();
    };
    websiteEditor_->links.showWebsite = [weak](const Uuid& websiteID) {
        if (auto environment = weak.lock()) (*environment)->windows().routing().showProfile(websiteID);
    };
    websiteEditor_->links.linkWindow = [weak](const WebAppProfile& website, const WebAppProfile& source,
                                              const std::string& url) {
        if (auto environment = weak.lock())
            (*environment)->windows().routing().linkWindow(website, source, url);
    };
    websiteEditor_->links.credentialInUse = [weak](const std::string& credentialID) {
        auto environment = weak.lock();
        return !environment || (*environment)->windows().services().isCredentialInUse(credentialID);
    };
    // The lookup reads through the global proxy; its handle lives until it has answered.
    ProxyRuntime* globalProxy = globalProxy_.get();
    websiteEditor_->links.fetchWebsiteDetails =
        [globalProxy](const std::string& address, std::function<void(LookedUpWebsiteDetails)> done) {
            auto handle = std::make_shared<std::shared_ptr<BoundedFetch>>();
            *handle = fetchWebsiteDetails(address, globalProxy->makeSession(),
                                          [handle, done](WebsiteDetails details) {
                                              done({details.title, details.iconURL});
                                              handle->reset();
                                          });
        };
    hooks.onDownloads = [weak] {
        if (auto environment = weak.lock()) (*environment)->auxiliaryWindows().showDownloads();
    };
    auxiliaryWindows_->dismissLauncher = [weak] {
        if (auto environment = weak.lock(); environment && (*environment)->dismissLauncher)
            (*environment)->dismissLauncher();
    };
    openScene = [weak](const BrowserScene& scene) {
        if (auto environment = weak.lock()) (*environment)->windows().pageGroups().openScene(scene);
    };
    hooks.onPinSuggestion = [weak](const SuggestedWebsite& suggestion) {
        if (auto environment = weak.lock())
            (*environment)->store.add(suggestion, (*environment)->preferences.value());
    };
    windows_->setHooks(std::move(hooks));
}

void AppEnvironment::scheduleHotKeyUpdate() {
    if (hotKeyUpdate_.pending()) return;
    hotKeyUpdate_ = scheduler_.scheduleIdle([this] { updateHotKeys(store.profiles(), preferences.value()); });
}

void AppEnvironment::updateHotKeys(const std::vector<WebAppProfile>& profiles, const AppPreferences& value) {
    std::map<std::string, ShortcutConfiguration> bindings;
    for (const auto& website : profiles)
        if (website.globalShortcut) bindings[website.id.string()] = *website.globalShortcut;
    if (value.launcherShortcut) bindings["launcher"] = *value.launcherShortcut;
    if (value.pinShortcut) bindings["pin"] = *value.pinShortcut;
    if (value.compactShortcut) bindings["compact"] = *value.compactShortcut;
    hotKeys_->registerBindings(std::move(bindings));
}

void AppEnvironment::handleHotKey(const std::string& name, std::uint32_t time) {
    if (name == "launcher") {
        if (toggleLauncher) toggleLauncher();
    } else if (name == HotKeyManager::kRescueName) {
        windows_->services().restoreMouseControl();
    } else if (name == "pin" || name == "compact") {
        BrowserWindowController* controller = windows_->registry().activeWindowController();
        if (!controller) return;
        BrowserViewController& browser = controller->browser();
        WebAppProfile changed = browser.profile();
        if (name == "pin")
            changed.alwaysOnTop = !changed.alwaysOnTop;
        else
            changed.compactMode = !changed.compactMode;
        changed.normalize();
        browser.applyProfile(changed);
        if (browser.services().onProfileChange) browser.services().onProfileChange(browser.profile());
    } else if (auto id = Uuid::parse(name)) {
        if (dismissLauncher) dismissLauncher();
        windows_->routing().toggle(*id, time);
    }
}

void AppEnvironment::searchFromQuickOpen(const std::string& text) {
    // Closed after the page's window has asked for the focus, as for a chosen row.
    windows_->routing().openAddress(text);
    auxiliaryWindows_->closeQuickOpen();
}

void AppEnvironment::recordVisit(const std::string& address, const std::string& title) {
    if (!preferences.value().readsHistoryEnabled()) return;
    Date now = systemClock().now();
    if (!isCredentialFreeURL(address)) return;
    // Published now, written after a quiet period off the main thread: a load never waits for the disk.
    library.recordVisit(address, title, now);
}

void AppEnvironment::tellHistoryNotSaved(const std::string& message) {
    Gtk::Window* libraryWindow = auxiliaryWindows_->window(AuxiliaryWindows::Kind::library);
    if (libraryWindow && libraryWindow->get_visible()) return;
    BrowserWindowController* active = windows_->registry().activeWindowController();
    // Never waits: the failure arrives from a finished background write, in the middle of browsing.
    showAlert(localizedString("Could not save history"),
              message + "\n\n" +
                  localizedString("The visits stay in Quenlith and are saved with the next change or when "
                                  "Quenlith quits."),
              active ? &active->panel() : nullptr);
}

bool AppEnvironment::isCredentialUsedByLibrary(const std::string& credentialID) const {
    const LibraryDocument& document = library.document();
    for (const auto& clip : document.clips)
        if (usesCredential(clip.windowSession, credentialID)) return true;
    for (const auto& scene : document.scenes)
        for (const auto& window : scene.windows)
            if (usesCredential(window.windowSession, credentialID)) return true;
    return false;
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
