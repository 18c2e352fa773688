#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <giomm/menu.h>
#include <giomm/menuitem.h>
#include <giomm/simpleaction.h>
#include <glibmm/refptr.h>
#include <sigc++/connection.h>

#include "model/menu_command_target.hpp"
#include "model/menu_validation.hpp"

namespace Gtk {
class Application;
class Menu;
class MenuButton;
class Window;
}  // namespace Gtk

namespace quenlith {

class AppEnvironment;
class BrowserViewController;
class BrowserWindowController;
class ToplevelWatch;

// The main menu: every command as an action of the application ("app.zoomIn"), with its
// accelerators (Ctrl stands for Command), its enabled state and check mark kept in step with the
// key browser window, and the menu model that the browser windows and the launcher show from a
// menu button and every window it is attached to opens with F10. Accelerators act on the key
// browser window (the active browser); a command chosen in a menu acts on the window the menu was
// opened from (MenuCommandTarget), the editing commands on its focused field or page. Commands
// check their rule again when they run. Main thread only.
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
    // The browser a command acts on now: while a menu is in use, that of the window it was opened
    // from (for the launcher's, the last active browser window), else the active browser.
    BrowserViewController* commandBrowser() const;
    // What the rules look at now.
    MenuContext context() const;
    // Brings every action's enabled state and check mark up to date.
    void refresh();
    // Runs a command as its menu item or accelerator does.
    void perform(MenuAction action);
    // Runs a command on the given browser (none: as if no browser window were key), after its rule.
    void performOn(MenuAction action, BrowserViewController* browser);

    // Makes the window take the application's accelerators and actions; its key presses refresh
    // the states first, so an accelerator is judged on the window's state of that moment. F10
    // opens the menu on its first item. In a browser window the mouse's back and forward buttons
    // go back and forward. A window attached already is left as it is.
    void attach(Gtk::Window& window);
    // Attaches itself to every window of the application as it shows, and to those shown already,
    // while it lasts: the auxiliary windows, the website editor, and every sheet and dialog, the
    // toolkit's and the web engine's included. A modal one then holds only its own window, so that
    // the windows its keys and menu open take input.
    void attachToEveryWindow();
    // A menu button that shows the main menu (a managed widget); its commands act on the window
    // that holds the button.
    Gtk::MenuButton* makeMenuButton();
    // Gives the browser window its menu button, among the toolbar's lesser buttons (a narrow title
    // bar moves it into the More menu, whence its commands act on the window too).
    void addMenuButton(BrowserWindowController& controller);

private:
    // The browser window that has the focus, or none.
    std::optional<Uuid> keyWindowID() const;
    // The browser shown in the window of that id, or none.
    BrowserViewController* browserIn(const std::optional<Uuid>& id) const;
    BrowserViewController* browserOf(const Gtk::Window& window) const;
    // The id of the browser window, or none for another window.
    std::optional<Uuid> browserWindowID(const Gtk::Window& window) const;
    std::optional<Uuid> browserWindowID(const BrowserViewController& browser) const;
    // A menu showing the model was opened from the window (none: from no window of ours), or closed.
    void openedFrom(const Gtk::Window* window);
    void closed();
    // Opens the menu from the window, from its menu button when that is shown.
    void openIn(Gtk::Window& window);
    // The menu the window opens where it shows no menu button; kept with the window.
    Gtk::Menu& windowMenu(Gtk::Window& window);
    // Undo, Redo, Cut, Copy, Paste or Select All (by its place in that list) in the focused field
    // or page of the window the command acts on, as the command's key does there.
    void runEditingCommand(std::size_t index);
    // Before a command puts the focus into the browser's window: brings the window forward when
    // the person is elsewhere (in the launcher, which goes).
    void bringForwardWhenAway(BrowserViewController& browser);
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
    MenuCommandTarget target_;
    std::map<MenuAction, Glib::RefPtr<Gio::SimpleAction>> actions_;
    std::vector<std::string> addedActionNames_;
    std::vector<sigc::connection> connections_;
    std::unique_ptr<ToplevelWatch> windowWatch_;
    // Widgets that outlive the menu (its buttons, the windows) find this expired.
    std::shared_ptr<MainMenu*> self_;
};

}  // namespace quenlith
