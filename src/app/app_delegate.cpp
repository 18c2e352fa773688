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
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/session_restore.hpp"
#include "windows/start_page_wait.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() {
    // The windows' menu buttons and hooks go before what they act on.
    mainMenu.reset();
}

void AppDelegate::finishLaunching() {
    if (environment) return;
    environment = std::make_unique<AppEnvironment>();
    // The web process of the first page asked for is starting, and its first steps need this main
    // loop: the menus, the first window and the tray are built once that page has begun loading
    // (or a moment has passed), not while the process waits for its answers.
    auto complete = [this] { launchStep_ = mainLoopScheduler().scheduleIdle([this] { completeLaunch(); }); };
    firstPageWait_ = std::make_unique<StartPageWait>(environment->windows().factory(), mainLoopScheduler(),
                                                     StartPageWait::Until::firstPageStarted);
    firstPageWait_->begin(complete);
    if (!firstPageWait_->waiting()) complete();
}

void AppDelegate::completeLaunch() {
    // The environment applied the appearance of the preferences on the turn before this one.
    buildMainMenu();
    environment->windows().session().restoreSession(true);
    GApplication* application = g_application_get_default();
    statusBar = std::make_unique<StatusBarController>(
        *environment, application ? g_application_get_dbus_connection(application) : nullptr);
    statusBar->commands().onQuit = [this] {
        if (onQuit) onQuit();
    };
    statusBar->commands().onAdd = [this] {
        if (environment) environment->websiteEditor().showAddWebsite();
    };
    statusBar->commands().onEdit = [this](const Uuid& websiteID) {
        if (environment) environment->websiteEditor().showEditWebsite(websiteID);
    };
    statusBar->commands().onSaveSuggestion = [this](const SuggestedWebsite& suggestion) {
        if (environment)
            environment->websiteEditor().showWebsiteEditor(
                {.pageURL = suggestion.address, .title = localizedString(suggestion.name)});
    };
    wireLauncherCommands();
    launched_ = true;
    links_.launchFinished([this](const std::vector<std::string>& links) { route(links); });
    if (reopenWhenLaunched_) statusBar->reopen();
    logInfo(LogCategory::lifecycle, "Quenlith started");
}

void AppDelegate::buildMainMenu() {
    GApplication* running = g_application_get_default();
    if (!running || !GTK_IS_APPLICATION(running)) return;
    Glib::RefPtr<Gtk::Application> application = Glib::wrap(GTK_APPLICATION(running), true);
    MainMenu::Links links;
    links.onAbout = [this] { showAboutPanel(); };
    links.onLauncher = [this] {
        if (statusBar) statusBar->toggle(0, 0);
    };
    links.onQuit = [this] {
        if (onQuit) onQuit();
    };
    mainMenu = std::make_unique<MainMenu>(*application.operator->(), *environment, std::move(links));
    // Every browser window and auxiliary window takes the accelerators; browser windows also
    // show the menu from their title bar.
    WindowShellHooks hooks = environment->windows().hooks();
    hooks.onWindowBuilt = [this](BrowserWindowController& controller) {
        if (!mainMenu) return;
        mainMenu->attach(controller.panel());
        // Among the toolbar's lesser buttons: a narrow title bar moves it into the More menu.
        controller.browser().chrome().toolbar().setMainMenuButton(*mainMenu->makeMenuButton(), [this] {
            if (mainMenu) mainMenu->refresh();
        });
    };
    environment->windows().setHooks(std::move(hooks));
    // A window a shortcut opened while launching gets its menu now.
    for (const auto& [id, controller] : environment->windows().registry().windows())
        environment->windows().hooks().onWindowBuilt(*controller);
    environment->auxiliaryWindows().onWindowBuilt = [this](Gtk::Window& window) {
        if (mainMenu) mainMenu->attach(window);
    };
}

void AppDelegate::wireLauncherCommands() {
    LauncherCommands& commands = statusBar->commands();
    auto present = [this](void (AuxiliaryWindows::*show)()) {
        return [this, show] {
            if (environment) (environment->auxiliaryWindows().*show)();
        };
    };
    commands.onSettings = present(&AuxiliaryWindows::showSettings);
    commands.onLibrary = present(&AuxiliaryWindows::showLibrary);
    commands.onQuickOpen = present(&AuxiliaryWindows::showQuickOpen);
    commands.onBatchLinks = present(&AuxiliaryWindows::showBatchLinks);
    commands.onHelp = present(&AuxiliaryWindows::showGuide);
    commands.onDownloads = present(&AuxiliaryWindows::showDownloads);
    if (mainMenu) {
        mainMenu->attach(statusBar->launcher());
        statusBar->launcher().view().addMenuButton(*mainMenu->makeMenuButton());
    }
}

void AppDelegate::showAboutPanel() {
    if (!about_) about_ = makeAboutWindow(buildVersion());
    about_->present();
}

void AppDelegate::open(const std::vector<std::string>& links) { links_.receive(links); }

void AppDelegate::route(const std::vector<std::string>& links) {
    if (!environment) return;
    for (const auto& link : links) {
        auto request = LaunchRequest::parse(link);
        if (!request) continue;
        if (request->kind == LaunchRequest::Kind::website) {
            if (environment->dismissLauncher) environment->dismissLauncher();
            environment->windows().routing().open(request->url);
            continue;
        }
        const auto& scenes = environment->library.document().scenes;
        auto scene = std::find_if(scenes.begin(), scenes.end(),
                                  [&](const BrowserScene& candidate) { return candidate.id == request->id; });
        // Page groups open once their windows exist; an id the library does not hold does nothing.
        if (scene != scenes.end() && environment->openScene) environment->openScene(*scene);
    }
}

void AppDelegate::reopen() {
    if (statusBar)
        statusBar->reopen();
    else
        reopenWhenLaunched_ = true;
}

void AppDelegate::terminate() {
    if (terminated_) return;
    terminated_ = true;
    firstPageWait_.reset();
    launchStep_.cancel();
    if (!environment) return;
    if (statusBar) statusBar->teardown();
    // The shortcuts go first: a press during the shutdown would open windows being torn down.
    environment->hotKeys().unregisterAll();
    environment->downloads.cancelAll();
    environment->windows().shutdown();
    environment->store.save();
    // Visits still waiting for their write reach the disk before the process exits.
    environment->library.flush();
    // So does everything else handed to the file writer (session snapshots, exports).
    applicationFileWriter().flush();
}

}  // namespace quenlith
