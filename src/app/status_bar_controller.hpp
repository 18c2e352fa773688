#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <gtkmm/menu.h>
#include <sigc++/connection.h>

#include "app/status_notifier_item.hpp"
#include "launcher/launcher_commands.hpp"
#include "model/uuid.hpp"

namespace quenlith {

class AppEnvironment;
class LauncherWindow;
class WebsiteStatusItem;

// The application's tray item, the launcher it opens and one tray item per website whose
// menu-bar icon is on. With no tray on the bus the launcher opens as an ordinary window instead.
// Main thread only.
class StatusBarController {
public:
    // `connection` is the session bus; without one there are no tray items, only the launcher. The
    // websites' items open connections of their own to the bus at `busAddress`, the session bus
    // when empty.
    StatusBarController(AppEnvironment& environment, GDBusConnection* connection, std::string busAddress = {});
    ~StatusBarController();
    StatusBarController(const StatusBarController&) = delete;
    StatusBarController& operator=(const StatusBarController&) = delete;

    // The launcher's commands; the shell fills in what it presents (onAdd, onEdit, onQuit, …).
    LauncherCommands& commands() { return commands_; }

    // Opens the launcher at the point, or closes it when it is open.
    void toggle(int x, int y);
    void dismissLauncher();
    // Opens the launcher as an ordinary window (no tray to open it from).
    void showLauncherAsWindow();
    // Opens the launcher unless it is shown: at the pointer with a tray, else as a window.
    void showLauncher();
    // What a second start of the application does: closes the launcher when it is shown, else opens
    // it at the pointer with a tray, or as a window without one (said once in the log).
    void reopen();
    // Brings the website items in line with the saved websites.
    void syncWebsiteItems();
    // The start page of a browser tab.
    Gtk::Widget* makeBrowserStartPage();
    // Removes every tray item; the controller does nothing afterwards.
    void teardown();

    bool trayAvailable() const { return item_ && item_->watcherAvailable(); }
    const StatusNotifierItem* item() const { return item_.get(); }
    const std::map<Uuid, std::unique_ptr<WebsiteStatusItem>>& websiteItems() const { return websiteItems_; }
    LauncherWindow& launcher() { return *launcher_; }

private:
    void scheduleSync();
    void watcherChanged(bool available);
    // After a close request: without a tray, the launcher opens when nothing else is left to click
    // and the window closed does not come back with a linked application.
    void closeRequested(bool comesBackByLink);

    AppEnvironment& environment_;
    GDBusConnection* connection_;
    std::string busAddress_;
    LauncherCommands commands_;
    std::unique_ptr<LauncherWindow> launcher_;
    std::unique_ptr<StatusNotifierItem> item_;
    std::unique_ptr<Gtk::Menu> itemMenu_;
    std::map<Uuid, std::unique_ptr<WebsiteStatusItem>> websiteItems_;
    std::vector<sigc::connection> connections_;
    sigc::connection pendingSync_;
    sigc::connection wayBack_;
    // Every window closed since wayBack_ was scheduled comes back with a linked application.
    bool closedComeBackByLink_ = false;
    // The open windows' presence the website items were last brought in line with.
    unsigned long syncedPresence_ = 0;
    bool firstWatcherReport_ = true;
    bool loggedNoTray_ = false;
    bool tornDown_ = false;
    std::shared_ptr<StatusBarController*> self_;
};

}  // namespace quenlith
