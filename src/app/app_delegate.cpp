#include "app/app_delegate.hpp"

#include <algorithm>

#include <gio/gio.h>
#include <gtk/gtk.h>

#include <gtkmm/aboutdialog.h>
#include <gtkmm/application.h>
#include <gtkmm/headerbar.h>
#include <gtkmm/menubutton.h>

#include "app/about_window.hpp"
#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/main_menu.hpp"
#include "app/status_bar_controller.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "model/file_writer.hpp"
#include "model/launch_request.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() {
    // The windows' menu buttons and hooks go before what they act on.
    mainMenu_.reset();
    libraryRead_.disconnect();
}

void AppDelegate::finishLaunching() {
    if (environment_) return;
    environment_ = std::make_unique<AppEnvironment>();
    launchStep_ = mainLoopScheduler().scheduleIdle([this] { completeLaunch(); });
}

void AppDelegate::completeLaunch() {
    // The environment applied the appearance of the preferences on the turn before this one.
    buildMainMenu();
    GApplication* application = g_application_get_default();
    statusBar_ = std::make_unique<StatusBarController>(
        *environment_, application ? g_application_get_dbus_connection(application) : nullptr);
    statusBar_->commands().onQuit = [this] {
        if (onQuit_) onQuit_();
    };
    statusBar_->commands().onAdd = [this] {
        if (environment_) environment_->websiteEditor().showAddWebsite();
    };
    statusBar_->commands().onEdit = [this](const Uuid& websiteID) {
        if (environment_) environment_->websiteEditor().showEditWebsite(websiteID);
    };
    statusBar_->commands().onSaveSuggestion = [this](const SuggestedWebsite& suggestion) {
        if (environment_)
            environment_->websiteEditor().showWebsiteEditor(
                {.pageURL = suggestion.address, .title = localizedString(suggestion.name)});
    };
    wireLauncherCommands();
    // The tray and the launcher exist before the windows of the last session come back: those
    // windows find the tray's presence known and the launcher's start page for their tabs.
    environment_->windows().session().restoreSession(true);
    showUnreadableStores();
    launched_ = true;
    links_.launchFinished([this](const std::vector<std::string>& links) { route(links); });
    logInfo(LogCategory::lifecycle, "Quenlith started");
}

void AppDelegate::showUnreadableStores() {
    // Nothing can be changed while a store is unreadable, and its message waits in the launcher:
    // shown at start, it reaches the person even when no window comes up (a hidden one restored).
    if (!environment_->store().writable()) {
        statusBar_->showLauncher();
        return;
    }
    auto libraryUnreadable = [this] {
        // Asked only once read: the store's answers wait for its reading.
        const LibraryStore& library = environment_->library();
        if (library.loading()) return false;
        libraryRead_.disconnect();
        if (!library.writable()) statusBar_->showLauncher();
        return true;
    };
    if (!libraryUnreadable())
        libraryRead_ = environment_->library().signal_changed().connect([libraryUnreadable] { libraryUnreadable(); });
}

void AppDelegate::buildMainMenu() {
    GApplication* running = g_application_get_default();
    if (!running || !GTK_IS_APPLICATION(running)) return;
    Glib::RefPtr<Gtk::Application> application = Glib::wrap(GTK_APPLICATION(running), true);
    MainMenu::Links links;
    links.onAbout = [this] { showAboutPanel(); };
    links.onLauncher = [this] {
        if (statusBar_) statusBar_->toggle(0, 0);
    };
    links.onQuit = [this] {
        if (onQuit_) onQuit_();
    };
    mainMenu_ = std::make_unique<MainMenu>(*application.operator->(), *environment_, std::move(links));
    // Every window of the application takes the accelerators and F10, its sheets and dialogs
    // included; browser windows also show the menu from their title bar.
    WindowShellHooks hooks = environment_->windows().hooks();
    hooks.onWindowBuilt = [this](BrowserWindowController& controller) {
        if (!mainMenu_) return;
        mainMenu_->attach(controller.panel());
        mainMenu_->addMenuButton(controller);
    };
    environment_->windows().setHooks(std::move(hooks));
    // A window a shortcut opened while launching gets its menu now.
    for (const auto& [id, controller] : environment_->windows().registry().windows())
        environment_->windows().hooks().onWindowBuilt(*controller);
    mainMenu_->attachToEveryWindow();
}

void AppDelegate::wireLauncherCommands() {
    LauncherCommands& commands = statusBar_->commands();
    auto present = [this](void (AuxiliaryWindows::*show)()) {
        return [this, show] {
            if (environment_) (environment_->auxiliaryWindows().*show)();
        };
    };
    commands.onSettings = present(&AuxiliaryWindows::showSettings);
    commands.onLibrary = present(&AuxiliaryWindows::showLibrary);
    commands.onQuickOpen = present(&AuxiliaryWindows::showQuickOpen);
    commands.onBatchLinks = present(&AuxiliaryWindows::showBatchLinks);
    commands.onHelp = present(&AuxiliaryWindows::showGuide);
    commands.onDownloads = present(&AuxiliaryWindows::showDownloads);
    if (mainMenu_) {
        mainMenu_->attach(statusBar_->launcher());
        statusBar_->launcher().view().addMenuButton(*mainMenu_->makeMenuButton());
    }
}

void AppDelegate::showAboutPanel() {
    if (!about_) about_ = makeAboutWindow(buildVersion());
    about_->present();
}

void AppDelegate::open(const std::vector<std::string>& links) { links_.receive(links); }

void AppDelegate::route(const std::vector<std::string>& links) {
    if (!environment_) return;
    for (const auto& link : links) {
        auto request = LaunchRequest::parse(link);
        if (!request) continue;
        if (request->kind == LaunchRequest::Kind::website) {
            environment_->launcher().dismiss();
            environment_->windows().routing().open(request->url);
            continue;
        }
        const auto& scenes = environment_->library().document().scenes;
        auto scene = std::find_if(scenes.begin(), scenes.end(),
                                  [&](const BrowserScene& candidate) { return candidate.id == request->id; });
        // Page groups open once their windows exist; an id the library does not hold does nothing.
        if (scene != scenes.end()) environment_->openScene(*scene);
    }
}

void AppDelegate::reopen() {
    // Before the launcher exists there is nothing to open: the start under way shows what it shows.
    if (statusBar_) statusBar_->reopen();
}

void AppDelegate::terminate() {
    if (terminated_) return;
    terminated_ = true;
    launchStep_.cancel();
    libraryRead_.disconnect();
    if (!environment_) return;
    if (statusBar_) statusBar_->teardown();
    // No turn of the main loop comes between these steps, so no shortcut press reaches a window
    // being torn down.
    environment_->downloads().cancelAll();
    environment_->hotKeys().unregisterAll();
    environment_->windows().shutdown();
    environment_->store().save();
    // Settings changes still waiting for their turn are written now.
    environment_->preferences().flush();
    // Visits still waiting for their write reach the disk before the process exits.
    environment_->library().flush();
    // So does everything else handed to the file writer (session snapshots, exports).
    applicationFileWriter().flush();
}

}  // namespace quenlith
