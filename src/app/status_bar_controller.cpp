#include "app/status_bar_controller.hpp"

#include <glibmm/main.h>
#include <gtkmm/separatormenuitem.h>

#include "app/app_environment.hpp"
#include "app/status_website_item.hpp"
#include "app/window_commands.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "launcher/website_start_page.hpp"
#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/window_close_policy.hpp"
#include "ui/action_menu_item.hpp"
#include "ui/icon_names.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

StatusBarController::StatusBarController(AppEnvironment& environment, GDBusConnection* connection,
                                         std::string busAddress)
    : environment_(environment), connection_(connection), busAddress_(std::move(busAddress)),
      self_(std::make_shared<StatusBarController*>(this)) {
    std::weak_ptr<StatusBarController*> weak = self_;
    bindWindowCommands(commands_, environment_.windows());
    commands_.onDismiss = [weak] {
        if (auto self = weak.lock()) (*self)->dismissLauncher();
    };
    commands_.onPinSuggestion = [&environment](const SuggestedWebsite& suggestion) {
        environment.store().add(suggestion, environment.preferences().value());
    };
    // Every command reads the controller's table when it runs, so the shell may fill it in later.
    LauncherCommands forwarded;
    auto forward = [weak](auto member) {
        return [weak, member](auto&&... arguments) {
            if (auto self = weak.lock())
                if (const auto& command = (*self)->commands_.*member) command(arguments...);
        };
    };
    forwarded.openBrowser = forward(&LauncherCommands::openBrowser);
    forwarded.openPrivateWindow = forward(&LauncherCommands::openPrivateWindow);
    forwarded.showProfile = forward(&LauncherCommands::showProfile);
    forwarded.openURL = forward(&LauncherCommands::openURL);
    forwarded.openAddress = forward(&LauncherCommands::openAddress);
    forwarded.deleteWebsite = forward(&LauncherCommands::deleteWebsite);
    forwarded.restoreHiddenWindows = forward(&LauncherCommands::restoreHiddenWindows);
    forwarded.returnToPreviousWindows = forward(&LauncherCommands::returnToPreviousWindows);
    forwarded.hideAll = forward(&LauncherCommands::hideAll);
    forwarded.restoreMouseControl = forward(&LauncherCommands::restoreMouseControl);
    forwarded.focusTab = forward(&LauncherCommands::focusTab);
    forwarded.closeTab = forward(&LauncherCommands::closeTab);
    forwarded.hideWindow = forward(&LauncherCommands::hideWindow);
    forwarded.closeWindow = forward(&LauncherCommands::closeWindow);
    forwarded.hasFocusedScene = [weak] {
        auto self = weak.lock();
        return self && (*self)->commands_.hasFocusedScene && (*self)->commands_.hasFocusedScene();
    };
    forwarded.onAdd = forward(&LauncherCommands::onAdd);
    forwarded.onEdit = forward(&LauncherCommands::onEdit);
    forwarded.onSaveSuggestion = forward(&LauncherCommands::onSaveSuggestion);
    forwarded.onPinSuggestion = forward(&LauncherCommands::onPinSuggestion);
    forwarded.onLibrary = forward(&LauncherCommands::onLibrary);
    forwarded.onQuickOpen = forward(&LauncherCommands::onQuickOpen);
    forwarded.onBatchLinks = forward(&LauncherCommands::onBatchLinks);
    forwarded.onHelp = forward(&LauncherCommands::onHelp);
    forwarded.onSettings = forward(&LauncherCommands::onSettings);
    forwarded.onDownloads = forward(&LauncherCommands::onDownloads);
    forwarded.onQuit = forward(&LauncherCommands::onQuit);
    forwarded.provides = [weak](LauncherCommands::WindowCommand command) {
        auto self = weak.lock();
        return self && static_cast<bool>((*self)->commands_.*command);
    };
    forwarded.onDismiss = forward(&LauncherCommands::onDismiss);

    launcher_ = std::make_unique<LauncherWindow>(
        new MenuBarView(environment_.store(), environment_.library(), environment_.icons(), environment_.windows(),
                        forwarded));

    environment_.launcher().set(
        [weak] {
            if (auto self = weak.lock()) (*self)->toggle(0, 0);
        },
        [weak] {
            if (auto self = weak.lock()) (*self)->dismissLauncher();
        });

    // Without a session bus there is no tray.
    if (!connection_) environment_.windows().tray().setAvailable(false);
    if (connection_) {
        item_ = std::make_unique<StatusNotifierItem>(connection_, "Quenlith", StatusNotifierItem::kMainPath);
        StatusItemAppearance appearance;
        appearance.title = "Quenlith";
        // The application's own symbolic icon, installed beside the desktop entry; the tray also
        // finds it among the application's resources when it runs uninstalled.
        appearance.iconName = kApplicationSymbolicIcon;
        appearance.iconThemePath = resourcePath("icons");
        appearance.toolTip = localizedString("Quenlith \u2014 your websites");
        item_->setAppearance(appearance);
        item_->setOnActivate([weak](int x, int y) {
            if (auto self = weak.lock()) (*self)->toggle(x, y);
        });
        item_->setOnWatcherChanged([weak](bool available) {
            if (auto self = weak.lock()) (*self)->watcherChanged(available);
        });
        itemMenu_ = std::make_unique<Gtk::Menu>();
        itemMenu_->append(*Gtk::manage(new ActionMenuItem(localizedString("Show Launcher"), [weak] {
            if (auto self = weak.lock()) (*self)->toggle(0, 0);
        })));
        itemMenu_->append(*Gtk::manage(new Gtk::SeparatorMenuItem()));
        itemMenu_->append(*Gtk::manage(new ActionMenuItem(localizedString("Quit Quenlith"), [weak] {
            if (auto self = weak.lock()) run((*self)->commands_.onQuit);
        })));
        itemMenu_->show_all();
        item_->setMenu(GTK_WIDGET(itemMenu_->gobj()));
    }

    // Start-page tabs show the same start page, with its heading, acting through the same commands.
    WindowShellHooks hooks = environment_.windows().hooks();
    hooks.makeStartPage = [weak]() -> Gtk::Widget* {
        auto self = weak.lock();
        return self ? (*self)->makeBrowserStartPage() : nullptr;
    };
    environment_.windows().setHooks(std::move(hooks));

    auto sync = [weak] {
        if (auto self = weak.lock()) (*self)->scheduleSync();
    };
    connections_.push_back(
        environment_.windows().closing().signal_closeRequested().connect([weak](bool byLink) {
            if (auto self = weak.lock()) (*self)->closeRequested(byLink);
        }));
    connections_.push_back(environment_.store().signal_changed().connect(sync));
    connections_.push_back(environment_.icons().signal_changed().connect(sync));
    // A retitled page changes nothing a tray item shows: only the other changes of the open
    // windows reach the items.
    connections_.push_back(environment_.windows().publisher().runtime().signal_changed().connect([weak] {
        auto self = weak.lock();
        if (self && (*self)->environment_.windows().publisher().runtime().presenceRevision() !=
                        (*self)->syncedPresence_)
            (*self)->scheduleSync();
    }));
    scheduleSync();
}

StatusBarController::~StatusBarController() { teardown(); }

void StatusBarController::watcherChanged(bool available) {
    environment_.windows().tray().setAvailable(available);
    bool first = std::exchange(firstWatcherReport_, false);
    if (available || !first) return;
    // Nothing to click: a first start that opened no window shows the launcher, so a person never
    // starts the application and sees nothing.
    if (!loggedNoTray_) {
        loggedNoTray_ = true;
        logInfo(LogCategory::lifecycle, "No StatusNotifierWatcher on the session bus: the launcher opens as a window");
    }
    if (environment_.windows().registry().windows().empty()) showLauncherAsWindow();
}

Gtk::Widget* StatusBarController::makeBrowserStartPage() {
    // A tab's page may outlive the controller: every action finds it again first.
    std::weak_ptr<StatusBarController*> weak = self_;
    auto command = [weak](auto member) {
        return [weak, member](const auto&... arguments) {
            if (auto self = weak.lock()) run((*self)->commands_.*member, arguments...);
        };
    };
    StartPageActions actions;
    actions.onOpenSaved = [weak](const WebAppProfile& profile) {
        if (auto self = weak.lock()) run((*self)->commands_.showProfile, profile.id);
    };
    actions.onOpenURL = command(&LauncherCommands::openURL);
    actions.onSearch = command(&LauncherCommands::openAddress);
    actions.onAdd = command(&LauncherCommands::onAdd);
    actions.onEdit = command(&LauncherCommands::onEdit);
    actions.onSaveSuggestion = command(&LauncherCommands::onSaveSuggestion);
    actions.onPinSuggestion = command(&LauncherCommands::onPinSuggestion);
    actions.onRemove = command(&LauncherCommands::deleteWebsite);
    actions.trayAvailable = [weak] {
        auto self = weak.lock();
        return !self || (*self)->environment_.windows().tray().available();
    };
    auto& windows = environment_.windows();
    return Gtk::manage(new WebsiteStartPage(environment_.store(), environment_.icons(),
                                            windows.publisher().runtime(), windows.sessions(), true,
                                            std::move(actions), self_));
}

void StatusBarController::toggle(int x, int y) {
    if (tornDown_) return;
    launcher_->toggleAt(x, y);
}

void StatusBarController::dismissLauncher() {
    if (launcher_) launcher_->dismiss();
}

void StatusBarController::showLauncherAsWindow() {
    if (tornDown_) return;
    launcher_->showAsWindow();
}

void StatusBarController::showLauncher() {
    if (tornDown_ || launcher_->isShown()) return;
    if (trayAvailable()) {
        launcher_->showAt(0, 0);
        return;
    }
    if (!loggedNoTray_) {
        loggedNoTray_ = true;
        logInfo(LogCategory::lifecycle, "No StatusNotifierWatcher on the session bus: the launcher opens as a window");
    }
    showLauncherAsWindow();
}

void StatusBarController::reopen() {
    if (tornDown_) return;
    // Starting the application again toggles the launcher, as its tray icon does.
    if (launcher_->isShown())
        launcher_->dismiss();
    else
        showLauncher();
}

void StatusBarController::closeRequested(bool comesBackByLink) {
    if (tornDown_) return;
    closedComeBackByLink_ = (!wayBack_.connected() || closedComeBackByLink_) && comesBackByLink;
    if (wayBack_.connected()) return;
    // Judged once the close has settled (a window may close from inside its own handler).
    wayBack_ = Glib::signal_idle().connect([this] {
        if (!tornDown_ &&
            opensLauncherAfterClose(trayAvailable(), launcher_->isShown(),
                                    environment_.windows().closing().presence(), closedComeBackByLink_))
            showLauncherAsWindow();
        return false;
    });
}

void StatusBarController::scheduleSync() {
    if (tornDown_ || pendingSync_.connected()) return;
    pendingSync_ = Glib::signal_idle().connect([this] {
        syncWebsiteItems();
        return false;
    });
}

void StatusBarController::syncWebsiteItems() {
    if (tornDown_ || !connection_) return;
    syncedPresence_ = environment_.windows().publisher().runtime().presenceRevision();
    std::map<Uuid, const WebAppProfile*> wanted;
    for (const auto& profile : environment_.store().profiles())
        if (profile.menuBarIconEnabled.value_or(false)) wanted.emplace(profile.id, &profile);
    std::erase_if(websiteItems_, [&](const auto& entry) { return !wanted.count(entry.first); });
    for (const auto& profile : environment_.store().profiles()) {
        if (!wanted.count(profile.id)) continue;
        if (auto it = websiteItems_.find(profile.id); it != websiteItems_.end()) {
            it->second->update(profile);
        } else {
            websiteItems_.emplace(profile.id, std::make_unique<WebsiteStatusItem>(busAddress_, profile, environment_,
                                                                                  environment_.icons(), commands_));
        }
    }
}

void StatusBarController::teardown() {
    if (tornDown_) return;
    tornDown_ = true;
    for (auto& connection : connections_) connection.disconnect();
    pendingSync_.disconnect();
    wayBack_.disconnect();
    if (launcher_) launcher_->dismiss();
    websiteItems_.clear();
    item_.reset();
    environment_.launcher().clear();
    WindowShellHooks hooks = environment_.windows().hooks();
    hooks.makeStartPage = nullptr;
    environment_.windows().setHooks(std::move(hooks));
    // Start pages still shown in tabs go quiet with this.
    self_.reset();
}

}  // namespace quenlith
