#pragma once

#include <memory>
#include <vector>

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/label.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/radiobutton.h>
#include <sigc++/connection.h>

#include "launcher/launcher_commands.hpp"
#include "launcher/website_tile.hpp"

namespace quenlith {

class BrowserWindowManager;
class FaviconLoader;
class LibraryStore;
class RunningWebsitesView;
class WebAppStore;
class WebsiteStartPage;

// The launcher's content: the title with Quick Open and "Open Browser", the Websites/Running
// switch, the start page or the running list, and the footer with the window menu, the library,
// settings and further commands. Commands that bring a browser window forward close the launcher
// first (onDismiss).
class MenuBarView : public Gtk::Box {
public:
    MenuBarView(WebAppStore& store, LibraryStore& savedPages, FaviconLoader& icons, BrowserWindowManager& windows,
                LauncherCommands commands);
    ~MenuBarView() override;

    bool showsRunning() const { return showRunning_; }
    void setShowRunning(bool running);
    // The label of the second segment, "Running (n)".
    std::string runningLabel() const { return runningSwitch_.get_label(); }
    WebsiteStartPage* startPage() const { return startPage_; }
    RunningWebsitesView* runningView() const { return runningView_; }

    // The entries of the footer's menus as built now.
    std::vector<TileMenuEntry> windowMenuEntries();
    std::vector<TileMenuEntry> moreMenuEntries();

    const LauncherCommands& commands() const { return commands_; }
    // The width the title row, the switch and the footer need to show all of their texts.
    int neededWidth();
    // Puts the application's main menu button at the end of the title row; its menu, a window of
    // its own, keeps the launcher open while it is shown.
    void addMenuButton(Gtk::MenuButton& button);

private:
    void showMiddle();
    void updateCount();
    // Shows only the buttons whose command the owner provides.
    void updateOptionalControls();

    WebAppStore& store_;
    LibraryStore& library_;
    FaviconLoader& icons_;
    BrowserWindowManager& windows_;
    LauncherCommands commands_;
    bool showRunning_ = false;

    Gtk::Box header_{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Box switchBox_{Gtk::ORIENTATION_HORIZONTAL, 0};
    Gtk::RadioButton websitesSwitch_;
    Gtk::RadioButton runningSwitch_;
    Gtk::Box middle_{Gtk::ORIENTATION_VERTICAL, 0};
    Gtk::Box footer_{Gtk::ORIENTATION_HORIZONTAL, 6};
    Gtk::Button windowsButton_;
    Gtk::Button moreButton_;
    Gtk::Widget* quickOpenButton_ = nullptr;
    Gtk::Widget* settingsButton_ = nullptr;
    Gtk::Widget* libraryButton_ = nullptr;
    WebsiteStartPage* startPage_ = nullptr;
    RunningWebsitesView* runningView_ = nullptr;
    std::unique_ptr<Gtk::Menu> menu_;
    sigc::connection runtimeChanged_;
    // The last session-recovery message of the window manager, shown above the pages.
    Gtk::Label continuity_;
    sigc::connection managerChanged_;
    void updateContinuity();
    // Said while the saved pages could not be read: the launcher is where a start shows it.
    Gtk::Label libraryUnreadable_;
    sigc::connection libraryChanged_;
    void updateLibraryUnreadable();
};

}  // namespace quenlith
