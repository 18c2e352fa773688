#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/connection.h>

#include "model/launch_link_queue.hpp"
#include "model/scheduler.hpp"

namespace Gtk {
class AboutDialog;
}

namespace quenlith {

class AppEnvironment;
class MainMenu;
class StatusBarController;

// Starts and stops the application as a whole: builds the object graph once the application has
// started, starts the window manager, and tears everything down in a fixed order at termination.
// Main thread only.
class AppDelegate {
public:
    AppDelegate();
    ~AppDelegate();
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // None until launching has finished, then owned for the life of the process.
    AppEnvironment* environment() const { return environment_.get(); }
    // What "Quit" in a menu does: the application's ordered shutdown.
    void setOnQuit(std::function<void()> onQuit) { onQuit_ = std::move(onQuit); }

    // Builds the graph and asks for the first pages; the menu, the windows of the last session,
    // the websites marked to launch at start and the tray items follow on the next turn of the
    // main loop, so the engine can talk to the pages' web processes meanwhile. Runs once; later
    // calls do nothing.
    void finishLaunching();
    // True once the second step has run: the menu, the first window of the last session, the
    // websites that open at start and the tray items exist (the session's other windows follow,
    // one per idle turn).
    bool hasLaunched() const { return launched_; }
    // The application was started again while running: opens or closes the launcher; nothing
    // before launching has finished.
    void reopen();
    // The About window (one, brought forward again when open).
    void showAboutPanel();
    // Links handed to the application (its command line, a second start, a desktop's scheme
    // handler): at most the first 20 of one hand-off; those that arrive before launching has
    // finished wait and are opened after the windows of the last session and the launch-time
    // websites. A website link closes the launcher and opens the address where routing says; a
    // page-group link opens the group when the library holds it; anything else is ignored.
    void open(const std::vector<std::string>& links);
    // Cancels the running downloads, shuts the window manager down (every window's frame saved)
    // and saves the websites and the library. Runs once; a missing environment only skips its steps.
    void terminate();

private:
    void completeLaunch();
    void route(const std::vector<std::string>& links);
    void buildMainMenu();
    void wireLauncherCommands();
    // Shows the launcher, with the message, once a store turns out unreadable at start.
    void showUnreadableStores();

    std::unique_ptr<AppEnvironment> environment_;
    // The tray items and the launcher; made right after the environment.
    std::unique_ptr<StatusBarController> statusBar_;
    // The main menu; made once launching has finished, when the application object exists.
    std::unique_ptr<MainMenu> mainMenu_;
    std::function<void()> onQuit_;
    LaunchLinkQueue links_;
    bool terminated_ = false;
    bool launched_ = false;
    ScheduledTask launchStep_;
    // Waits for the library's reading at start.
    sigc::connection libraryRead_;
    std::unique_ptr<Gtk::AboutDialog> about_;
};

}  // namespace quenlith
