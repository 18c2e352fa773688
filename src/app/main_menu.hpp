#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <giomm/menu.h>
#include <giomm/menuitem.h>
#include <giomm/simpleaction.h>
#include <glibmm/refptr.h>
#include <sigc++/connection.h>

#include "model/menu_validation.hpp"

namespace Gtk {
class Application;
class MenuButton;
class Window;
}  // namespace Gtk

namespace quenlith {

class AppEnvironment;
class BrowserViewController;

// The main menu: every command as an action of the application ("app.zoomIn"), with its
// accelerators (Ctrl stands for Command), its enabled state and check mark kept in step with the
// key browser window, and the menu model that the browser windows and the launcher show from a
// menu button. Commands act on the key browser window (the active browser) and check their rule
// again when they run. Main thread only.
class MainMenu {
public:
    // What the menu asks of the application shell; each may be left unset.
    struct Links {
        std::function<void()> onAbout;
        std::function<void()> onLauncher;
        std::function<void()> onQuit;
    };

    MainMenu(Gtk::Application& application, AppEnvironment& environment, Links links);
    ~MainMenu();
    MainMenu(const MainMenu&) = delete;
    MainMenu& operator=(const MainMenu&) = delete;

    const Glib::RefPtr<Gio::Menu>& model() const { return model_; }

    // The browser view of the key browser window, or none.
    BrowserViewController* activeBrowser() const;
    // What the rules look at now.
    MenuContext context() const;
    // Brings every action's enabled state and check mark up to date.
    void refresh();
    // Runs a command as its menu item or accelerator does.
    void perform(MenuAction action);
    // Runs a command on the given browser (none: as if no browser window were key), after its rule.
    void performOn(MenuAction action, BrowserViewController* browser);

    // Makes the window take the application's accelerators and actions; its key presses refresh
    // the states first, so an accelerator is judged on the window's state of that moment. In a
    // browser window the mouse's back and forward buttons go back and forward.
    void attach(Gtk::Window& window);
    // A menu button that shows the main menu (a managed widget).
    Gtk::MenuButton* makeMenuButton();

private:
    // The browser shown in the window, or none.
    BrowserViewController* browserOf(const Gtk::Window& window) const;
    MenuContext contextOf(BrowserViewController* browser) const;
    void addAction(MenuAction action, bool checkable);
    void addEditingActions();
    void buildModel();
    // "Show in Tray", titled as the tray's presence has it; put in again as that changes.
    Glib::RefPtr<Gio::MenuItem> trayMenuItem() const;
    void trayChanged();
    void changeWebsiteSettings(BrowserViewController& browser, MenuAction action);
    void findAgain(BrowserViewController& browser, bool backwards);

    Gtk::Application& application_;
    AppEnvironment& environment_;
    Links links_;
    Glib::RefPtr<Gio::Menu> model_;
    // The section holding "Show in Tray", and its place there.
    std::pair<Glib::RefPtr<Gio::Menu>, int> trayItem_;
    std::map<MenuAction, Glib::RefPtr<Gio::SimpleAction>> actions_;
    std::vector<std::string> addedActionNames_;
    std::vector<sigc::connection> connections_;
    // Widgets that outlive the menu (its buttons, the windows) find this expired.
    std::shared_ptr<MainMenu*> self_;
};

}  // namespace quenlith
