// The launcher on a display: opening and closing it from the tray item, opening a website from a
// tile, the running list, the website tray items, icons through the website's proxy, screenshots.
#include <set>

#include <atkmm/object.h>
#include <cairomm/context.h>
#include <gdkmm/display.h>
#include <gdkmm/monitor.h>
#include <gdkmm/pixbuf.h>
#include <gdkmm/seat.h>
#include <glibmm/main.h>
#include <gtkmm/flowbox.h>
#include <gtkmm/icontheme.h>
#include <gtkmm/image.h>
#include <gtkmm/listbox.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/settings.h>
#include <gtkmm/viewport.h>

#include "app/app_fixture.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/focus_walk.hpp"
#include "app/status_bar_controller.hpp"
#include "app/status_website_item.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/website_details.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/batch_links_window.hpp"
#include "launcher/gui/launcher_fixture.hpp"
#include "launcher/guide_window.hpp"
#include "model/address_limit.hpp"
#include "launcher/launcher_geometry.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "launcher/quick_open_window.hpp"
#include "launcher/running_websites_view.hpp"
#include "ui/asked_window.hpp"
#include "launcher/start_page_search.hpp"
#include "launcher/website_start_page.hpp"
#include "launcher/website_tile.hpp"
#include "library/clip_editor.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/isolated_text.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"
#include "support/accessibility_walk.hpp"
#include "support/background_process.hpp"
#include "support/content_fit.hpp"
#include "support/proxy_servers.hpp"
#include "support/test_images.hpp"
#include "support/toolkit_language.hpp"
#include "support/user_input_time.hpp"
#include "ui/icon_image.hpp"
#include "ui/site_icon.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_factory.hpp"

namespace quenlith {
namespace {

using test::callItem;
using test::itemProperty;
using test::LauncherGuiTest;
using test::spinUntil;

TEST_F(LauncherGuiTest, TrayItemRegistersOnceAndActivateTogglesTheLauncher) {
    privateBus();
    startWatcher();
    start({}, bus);
    const std::string path = StatusNotifierItem::kMainPath;
    ASSERT_TRUE(spinUntil([&] { return controller->item()->registered(); }));
    EXPECT_NE(watcher->output().find(std::string("registered ") + g_dbus_connection_get_unique_name(bus) + path),
              std::string::npos);
    EXPECT_EQ(controller->item()->registrationCount(), 1);
    const StatusNotifierItem& item = *controller->item();
    EXPECT_EQ(itemProperty(bus, item, "Id"), "(<'Quenlith'>,)");
    // The application's own symbolic icon, which a tray finds in the folder the item names.
    EXPECT_EQ(itemProperty(bus, item, "IconName"), "(<'com.quenlith.Quenlith-symbolic'>,)");
    const std::string iconFolder = item.appearance().iconThemePath;
    EXPECT_EQ(itemProperty(bus, item, "IconThemePath"), "(<'" + iconFolder + "'>,)");
    auto trayTheme = Gtk::IconTheme::create();
    trayTheme->set_search_path({iconFolder});
    EXPECT_TRUE(trayTheme->lookup_icon("com.quenlith.Quenlith-symbolic", 22, Gtk::IconLookupFlags(0)));

    // A click near the right end of this display's top edge, whatever its size.
    Gdk::Rectangle workArea;
    Gdk::Display::get_default()->get_monitor_at_point(0, 0)->get_workarea(workArea);
    const int right = workArea.get_x() + workArea.get_width();
    const int clickX = right - 80, clickY = workArea.get_y();
    const LauncherRect frame = launcherFrame(
        {workArea.get_x(), workArea.get_y(), workArea.get_width(), workArea.get_height()}, clickX, clickY);
    LauncherWindow& launcher = controller->launcher();
    callItem(bus, item, "Activate", g_variant_new("(ii)", clickX, clickY));
    ASSERT_TRUE(
        spinUntil([&] { return launcher.get_mapped() && launcher.get_allocated_height() == frame.height; }));
    EXPECT_EQ(launcher.get_allocated_width(), frame.width);
    int x = 0, y = 0;
    launcher.get_window()->get_root_origin(x, y);
    EXPECT_EQ(x, right - frame.width);  // centred on the point, then kept on the screen
    EXPECT_TRUE(launcher.isPopover());

    callItem(bus, item, "Activate", g_variant_new("(ii)", clickX, clickY));
    ASSERT_TRUE(spinUntil([&] { return !launcher.get_visible(); }));

    // Another window taking the focus closes the launcher; its own question does not.
    callItem(bus, item, "Activate",
             g_variant_new("(ii)", workArea.get_x() + workArea.get_width() / 2, clickY));
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && launcher.has_toplevel_focus(); }));
    launcher.view().startPage()->askToDelete(WebAppProfile{});
    test::spinFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(launcher.get_visible());
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* dialog = dynamic_cast<Gtk::Dialog*>(window); dialog && dialog->get_visible())
            dialog->response(Gtk::RESPONSE_CANCEL);
    // The question gives the keyboard back to the launcher, which holds on to it for a moment as a
    // window manager may pass it on.
    ASSERT_TRUE(spinUntil([&] { return launcher.has_toplevel_focus(); }));
    ASSERT_TRUE(spinUntil([&] { return focusReturnPending(launcher).count() == 0; }));
    Gtk::Window other;
    other.set_default_size(200, 200);
    other.show();
    other.present();
    EXPECT_TRUE(spinUntil([&] { return !launcher.get_visible(); }));
}

// As a window it opened closes, the launcher is given the focus back; a window manager may pass the
// focus on to another window for a moment as the closed one goes. The launcher then takes it back
// instead of putting itself away; later, another window taking the focus closes it as before.
TEST_F(LauncherGuiTest, FocusPassedOnAsAWindowClosesComesBackToTheLauncher) {
    start({website("Local Page", "/local")});
    controller->commands().onAdd = [this] { environment->websiteEditor().showAddWebsite(); };
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] {
        if (!launcher.is_active()) launcher.present();
        return launcher.is_active();
    }));
    auto* add = test::findLabelled<Gtk::Label>(*launcher.view().startPage(), "Add Website")->get_parent()->get_parent();
    add->grab_focus();
    test::pressKey(launcher, "Return", 0, test::userInputNow(launcher));
    Gtk::Window* editor = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (editor = environment->websiteEditor().editorWindow()) && editor->is_active(); }));

    Gtk::Window other;
    other.set_default_size(200, 200);
    other.show();
    ASSERT_TRUE(spinUntil([&] { return other.get_mapped(); }));
    test::pressKey(*editor, "Escape", 0, test::userInputNow(*editor));
    ASSERT_TRUE(spinUntil([&] { return launcher.is_active(); }));
    EXPECT_GT(focusReturnPending(launcher).count(), 0);
    other.present();  // what the window manager did
    EXPECT_TRUE(spinUntil([&] { return other.is_active(); }));
    EXPECT_TRUE(spinUntil([&] { return launcher.is_active(); }))
        << "visible " << launcher.get_visible();

    ASSERT_TRUE(spinUntil([&] { return focusReturnPending(launcher).count() == 0; }));
    other.present();
    EXPECT_TRUE(spinUntil([&] { return !launcher.get_visible(); }));
}

// The main menu opens from the launcher's title row as a window of its own, which takes the
// keyboard: the launcher stays open under it, and its item acts from there.
TEST_F(LauncherGuiTest, ItsMainMenuOpensOverItWithoutPuttingItAway) {
    start({website("Local Page", "/local")});
    LauncherWindow& launcher = controller->launcher();
    auto* button = Gtk::manage(new Gtk::MenuButton());
    auto* menu = Gtk::manage(new Gtk::Menu());
    int chosen = 0;
    auto* item = Gtk::manage(new Gtk::MenuItem("Item"));
    item->signal_activate().connect([&] { ++chosen; });
    menu->append(*item);
    menu->show_all();
    button->set_popup(*menu);
    launcher.view().addMenuButton(*button);
    button->show();
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] {
        if (!launcher.is_active()) launcher.present();
        return launcher.is_active();
    }));
    button->grab_focus();
    test::typeKey(launcher, "Return");
    ASSERT_TRUE(spinUntil([&] { return menu->get_mapped(); }));
    test::spinFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(launcher.get_visible()) << "the launcher put itself away under its menu";
    item->activate();
    EXPECT_EQ(chosen, 1);
    menu->popdown();
}

TEST_F(LauncherGuiTest, TileOpensTheWebsiteAndTheRunningListFollowsIt) {
    WebAppProfile local = website("Local <Page> & co", "/local");
    start({local, website("\u202Erehto", "/other")});
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(100, 0);
    MenuBarView& view = launcher.view();
    // A name is drawn without its override, which could reorder what is around it, and a screen
    // reader reads what is drawn.
    ASSERT_TRUE(spinUntil([&] { return view.startPage()->savedTiles().size() == 2; }));
    WebsiteTile& spoofed = *view.startPage()->savedTiles().back();
    EXPECT_EQ(spoofed.title(), "\u202Erehto");
    EXPECT_TRUE(spinUntil([&] {
        return testing::Value(test::drawnTexts(spoofed), testing::Contains("rehto"));
    }));
    EXPECT_TRUE(view.startPage()->searchField().is_focus()) << "typing goes to the search field at once";
    auto labels = [&] {
        std::string text;
        for (const auto& entry : view.moreMenuEntries()) text += entry.title + "|";
        return text;
    };
    EXPECT_EQ(labels(), "Private Window||Quit Quenlith|") << "no entry for a window the shell does not have";
    controller->commands().onDownloads = [] {};
    EXPECT_EQ(labels(), "Private Window|Downloads||Quit Quenlith|");

    view.startPage()->searchField().set_text("  LOCAL ");
    ASSERT_TRUE(spinUntil([&] { return view.startPage()->savedTiles().size() == 1; }));
    EXPECT_TRUE(view.startPage()->suggestionTiles().empty());
    EXPECT_EQ(view.startPage()->savedTiles().front()->title(), "Local <Page> & co");
    view.startPage()->savedTiles().front()->clicked();
    EXPECT_FALSE(launcher.get_visible());

    auto& windows = environment->windows();
    ASSERT_TRUE(spinUntil(
        [&] {
            const auto& snapshot = windows.publisher().runtime().windows();
            return snapshot.size() == 1 && snapshot[0].tabs.size() == 1 &&
                   snapshot[0].tabs[0].title == local.name;
        },
        std::chrono::seconds(20)));
    ASSERT_TRUE(spinUntil([&] { return view.runningLabel() == "Running (1)"; }));

    view.setShowRunning(true);
    EXPECT_EQ(view.runningView()->summary(), "1 page \u00B7 1 window");
    const RuntimeWindow shown = windows.publisher().runtime().windows()[0];
    view.commands().hideWindow(shown.id);
    ASSERT_TRUE(spinUntil(
        [&] { return windows.publisher().runtime().windows()[0].state == BrowserWindowState::hidden; }));
    view.commands().closeTab(shown.id, shown.tabs[0].id);
    ASSERT_TRUE(spinUntil([&] {
        return windows.publisher().runtime().windows().empty() && view.runningLabel() == "Running (0)";
    }));
}

// The label of the highlighted item of the menu shown from `anchor` ("" for none); nothing while
// no menu shows.
std::optional<std::string> shownMenuSelection(Gtk::Widget& anchor) {
    for (GList* menus = gtk_menu_get_for_attach_widget(anchor.gobj()); menus; menus = menus->next) {
        if (!gtk_widget_get_visible(GTK_WIDGET(menus->data))) continue;
        GtkWidget* item = gtk_menu_shell_get_selected_item(GTK_MENU_SHELL(menus->data));
        return item ? gtk_menu_item_get_label(GTK_MENU_ITEM(item)) : "";
    }
    return std::nullopt;
}

void closeMenus(Gtk::Widget& anchor) {
    for (GList* menus = gtk_menu_get_for_attach_widget(anchor.gobj()); menus; menus = menus->next)
        gtk_menu_shell_cancel(GTK_MENU_SHELL(menus->data));
}

Gtk::Widget* withTooltip(Gtk::Widget& root, const std::string& tooltip) {
    if (root.get_tooltip_text() == tooltip) return &root;
    if (auto* container = dynamic_cast<Gtk::Container*>(&root))
        for (Gtk::Widget* child : container->get_children())
            if (Gtk::Widget* found = withTooltip(*child, tooltip)) return found;
    return nullptr;
}

TEST_F(LauncherGuiTest, KeysStopOncePerTileMoveWithArrowsAndOpenMenusOnTheirFirstItem) {
    start({website("One", "/1"), website("Two", "/2"), website("Three", "/3")});
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(100, 0);
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && launcher.get_allocated_height() == 590; }));
    WebsiteStartPage& page = *launcher.view().startPage();
    ASSERT_TRUE(page.searchField().is_focus());
    std::vector<Gtk::Widget*> cells;
    std::vector<std::string> titles;
    for (const auto* tiles : {&page.savedTiles(), &page.suggestionTiles()})
        for (WebsiteTile* tile : *tiles) {
            cells.push_back(tile->get_parent());
            titles.push_back(tile->title());
        }
    ASSERT_EQ(page.savedTiles().size(), 3u);
    auto* addWebsite = test::findLabelled<Gtk::Label>(page, "Add Website")->get_parent()->get_parent();

    auto stops = test::tabStops(launcher, addWebsite);
    ASSERT_EQ(stops.back(), addWebsite);
    const std::vector<Gtk::Widget*> tileStops(stops.begin() + 1, stops.end() - 1);
    EXPECT_EQ(tileStops, cells) << "one stop per tile, in order";
    std::vector<std::string> names;
    for (Gtk::Widget* stop : tileStops) names.push_back(stop->get_accessible()->get_name());
    EXPECT_EQ(names, titles) << "each stop is named by its website";

    cells[0]->grab_focus();
    test::pressAndDraw(launcher, "Right");
    EXPECT_TRUE(cells[1]->is_focus()) << "Right moves to the next tile";
    test::pressAndDraw(launcher, "Left");
    EXPECT_TRUE(cells[0]->is_focus());
    test::pressKey(launcher, "Menu");
    ASSERT_TRUE(spinUntil([&] { return shownMenuSelection(*page.savedTiles()[0]).has_value(); }));
    EXPECT_EQ(shownMenuSelection(*page.savedTiles()[0]), "Open") << "the menu key shows the tile's menu";
    closeMenus(*page.savedTiles()[0]);

    Gtk::Widget* more = withTooltip(launcher.view(), "More options");
    ASSERT_TRUE(more);
    more->grab_focus();
    test::pressKey(launcher, "Return");
    ASSERT_TRUE(spinUntil([&] { return shownMenuSelection(*more).has_value(); }));
    EXPECT_EQ(shownMenuSelection(*more), "Private Window")
        << "opened by keyboard, its first item is highlighted";
    closeMenus(*more);

    cells[1]->grab_focus();
    test::pressKey(launcher, "Return");
    EXPECT_TRUE(spinUntil([&] { return !launcher.get_visible(); }))
        << "Return opens the focused tile's website";
}

// The editor, the settings, the library and Quick Open, each opened from the launcher with the
// keyboard, hide it; closed with Escape, they show it again with the focus, where the next key goes.
TEST_F(LauncherGuiTest, WindowsOpenedFromTheLauncherGiveItTheFocusBackWhenClosedWithEscape) {
    start({website("Local Page", "/local")});
    AuxiliaryWindows& auxiliary = environment->auxiliaryWindows();
    LauncherCommands& commands = controller->commands();
    commands.onAdd = [this] { environment->websiteEditor().showAddWebsite(); };
    commands.onSettings = [&auxiliary] { auxiliary.showSettings(); };
    commands.onLibrary = [&auxiliary] { auxiliary.showLibrary(); };
    commands.onQuickOpen = [&auxiliary] { auxiliary.showQuickOpen(); };
    using Kind = AuxiliaryWindows::Kind;
    struct Case {
        const char* what;
        const char* tooltip;  // of the launcher's control; none: the "Add Website" button
        std::function<Gtk::Window*()> opened;
    };
    const Case cases[] = {
        {"editor", nullptr, [this] { return environment->websiteEditor().editorWindow(); }},
        {"settings", "Settings", [&auxiliary] { return auxiliary.window(Kind::settings); }},
        {"library", "Saved Pages & Groups", [&auxiliary] { return auxiliary.window(Kind::library); }},
        {"Quick Open", "Quick Open \u00B7 Ctrl+K",
         [&auxiliary] { return auxiliary.window(Kind::quickOpen); }},
    };
    LauncherWindow& launcher = controller->launcher();
    // Away from every window: without a window manager the window under the pointer takes the
    // keyboard when the focus falls back to the root window.
    Gdk::Display::get_default()->get_default_seat()->get_pointer()->warp(Gdk::Screen::get_default(), 0, 799);
    // The display tells the launcher it lost the focus after it hid, and a busy loop runs the check
    // that follows later still: that check does not close its next showing, unfocused until mapped.
    auto drain = [] {
        bool drained = false;
        Glib::signal_idle().connect_once([&drained] { drained = true; }, Glib::PRIORITY_LOW);
        return spinUntil([&] { return drained; });
    };
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] { return launcher.has_toplevel_focus(); }));
    launcher.dismiss();
    ASSERT_TRUE(drain());
    GdkEvent* focusOut = gdk_event_new(GDK_FOCUS_CHANGE);
    focusOut->focus_change.window = GDK_WINDOW(g_object_ref(launcher.get_window()->gobj()));
    gtk_widget_send_focus_change(GTK_WIDGET(launcher.gobj()), focusOut);
    gdk_event_free(focusOut);
    launcher.show();
    ASSERT_TRUE(drain());
    EXPECT_TRUE(launcher.get_visible()) << "focused " << launcher.has_toplevel_focus();
    launcher.dismiss();
    for (const Case& test : cases) {
        SCOPED_TRACE(test.what);
        launcher.showAt(640, 0);
        // Tests running beside this one on the same display may take the focus: ask again until held.
        ASSERT_TRUE(spinUntil([&] {
            if (!launcher.is_active()) launcher.present();
            return launcher.is_active();
        }));
        WebsiteStartPage& page = *launcher.view().startPage();
        Gtk::Widget* control =
            test.tooltip ? withTooltip(launcher.view(), test.tooltip)
                         : test::findLabelled<Gtk::Label>(page, "Add Website")->get_parent()->get_parent();
        ASSERT_NE(control, nullptr);
        control->grab_focus();
        test::pressKey(launcher, "Return", 0, test::userInputNow(launcher));
        Gtk::Window* opened = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (opened = test.opened()) && opened->is_active(); }));
        EXPECT_FALSE(launcher.get_visible());

        test::pressKey(*opened, "Escape", 0, test::userInputNow(*opened));
        // The editor is released once closed.
        EXPECT_TRUE(spinUntil([&] {
            Gtk::Window* still = test.opened();
            return (!still || !still->get_visible()) && launcher.get_visible() && launcher.is_active();
        })) << "visible "
            << launcher.get_visible() << ", focused " << launcher.is_active();
        launcher.dismiss();
    }
}

// A tile's "Delete…" asks over the launcher: the question is titled and heard by what it asks, with
// what the launcher says the deletion keeps, "Cancel" chosen by Return. Escape cancels it, deletes
// nothing and gives the keyboard back to the launcher, which stays.
TEST_F(LauncherGuiTest, TheQuestionDeletingAWebsiteIsHeardByWhatItAsksAndEscapeReturnsToTheLauncher) {
    start({website("Local Page", "/local")});
    LauncherWindow& launcher = controller->launcher();
    Gdk::Display::get_default()->get_default_seat()->get_pointer()->warp(Gdk::Screen::get_default(), 0, 799);
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] {
        if (!launcher.is_active()) launcher.present();
        return launcher.is_active();
    }));
    auto shownQuestion = []() -> Gtk::MessageDialog* {
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window); dialog && dialog->get_visible())
                return dialog;
        return nullptr;
    };
    WebsiteStartPage& page = *launcher.view().startPage();
    page.askToDelete(storedWebsites().front());
    Gtk::MessageDialog* question = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (question = shownQuestion()) && question->is_active(); }));
    EXPECT_EQ(question->get_title(), "Delete website?");
    EXPECT_EQ(question->get_accessible()->get_name(), "Delete website?");
    EXPECT_EQ(question->get_accessible()->get_description(), "Warning");
    EXPECT_EQ(question->property_secondary_text().get_value(),
              "Its windows and saved configuration will be removed. Shared website cookies are kept.");
    EXPECT_EQ(question->get_transient_for(), &launcher);
    ASSERT_NE(question->get_default_widget(), nullptr);
    EXPECT_EQ(question->get_response_for_widget(*question->get_default_widget()), Gtk::RESPONSE_CANCEL);

    test::pressKey(*question, "Escape", 0, test::userInputNow(*question));
    EXPECT_TRUE(spinUntil([&] { return !shownQuestion() && launcher.get_visible() && launcher.is_active(); }))
        << "visible " << launcher.get_visible() << ", focused " << launcher.is_active();
    EXPECT_FALSE(page.deletion());
    EXPECT_EQ(storedWebsites().size(), 1u);
}

// A deletion confirmed from a tile gives the keyboard to the next tile, the previous one when the
// last went, and "Add Website" when none is left: a destroyed cell leaves it on no control.
TEST_F(LauncherGuiTest, AConfirmedDeletionGivesTheKeyboardToANeighbouringTile) {
    start({website("One", "/one"), website("Two", "/two"), website("Three", "/three")});
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] {
        if (!launcher.is_active()) launcher.present();
        return launcher.is_active();
    }));
    WebsiteStartPage& page = *launcher.view().startPage();
    ASSERT_TRUE(spinUntil([&] { return page.savedTiles().size() == 3; }));
    auto focused = [&] {
        Gtk::Widget* focus = launcher.get_focus();
        return focus ? std::string(focus->get_accessible()->get_name()) : std::string("nothing");
    };
    auto shownQuestion = []() -> Gtk::MessageDialog* {
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window); dialog && dialog->get_visible())
                return dialog;
        return nullptr;
    };
    struct Step {
        const char* deleted;
        const char* expected;
    };
    for (const auto& [deleted, expected] : {Step{"Two", "Three"}, Step{"Three", "One"}, Step{"One", "Add Website"}}) {
        const auto tile = std::find_if(page.savedTiles().begin(), page.savedTiles().end(),
                                       [&](WebsiteTile* tile) { return tile->title() == deleted; });
        ASSERT_NE(tile, page.savedTiles().end()) << deleted;
        (*tile)->get_parent()->grab_focus();
        ASSERT_EQ(focused(), deleted);
        for (const auto& profile : storedWebsites())
            if (profile.name == deleted) page.askToDelete(profile);
        Gtk::MessageDialog* question = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (question = shownQuestion()) != nullptr; }));
        question->response(Gtk::RESPONSE_ACCEPT);
        EXPECT_TRUE(spinUntil([&] { return !shownQuestion() && focused() == expected; }))
            << deleted << ": " << focused();
    }
    EXPECT_TRUE(storedWebsites().empty());
}

TEST_F(LauncherGuiTest, WebsiteTrayItemShowsItsStateAndLeavesTheTray) {
    privateBus();
    startWatcher();
    WebAppProfile pinned = website("Pinned", "/pinned");
    pinned.menuBarIconEnabled = true;
    start({pinned, website("Unpinned", "/unpinned")}, bus);
    ASSERT_TRUE(spinUntil([&] { return controller->websiteItems().size() == 1; }));
    WebsiteStatusItem& item = *controller->websiteItems().begin()->second;
    ASSERT_TRUE(spinUntil([&] { return item.item().registered(); }));
    EXPECT_EQ(itemProperty(bus, item.item(), "Id"), "(<'Quenlith.website." + pinned.id.string() + "'>,)");
    // The name beside the state, and the title, with no invisible marks (printed as escapes).
    EXPECT_NE(itemProperty(bus, item.item(), "ToolTip").find("'Pinned \u00B7 Not Open"), std::string::npos);
    EXPECT_EQ(itemProperty(bus, item.item(), "Title"), "(<'Pinned'>,)");

    callItem(bus, item.item(), "Activate", g_variant_new("(ii)", 0, 0));
    ASSERT_TRUE(spinUntil([&] { return item.activity() == WebsiteActivity::visible; }, std::chrono::seconds(20)));
    EXPECT_NE(item.item().appearance().toolTip.find("Pinned \u00B7 Viewing"), std::string::npos);

    auto removeFromTray = [&] {
        for (Gtk::Widget* entry : controller->websiteItems().begin()->second->menu().get_children())
            if (auto* menuItem = dynamic_cast<Gtk::MenuItem*>(entry);
                menuItem && menuItem->get_label() == "Remove from Tray")
                menuItem->activate();
    };
    {
        // A store that cannot be written keeps the item and says why.
        std::string reason;
        sigc::connection answerer = Glib::signal_timeout().connect(
            [&] {
                for (Gtk::Window* window : Gtk::Window::list_toplevels()) {
                    auto* alert = dynamic_cast<Gtk::MessageDialog*>(window);
                    if (!alert || !alert->get_visible() ||
                        alert->property_text().get_value() != "Could not save website")
                        continue;
                    reason = alert->property_secondary_text().get_value();
                    alert->response(Gtk::RESPONSE_OK);
                    return false;
                }
                return true;
            },
            20);
        {
            test::FileSizeLimit full(1);
            removeFromTray();
            // Written on the writer's thread, while the disk is still full; told afterwards.
            applicationFileWriter().flush();
        }
        EXPECT_TRUE(spinUntil([&] { return !reason.empty(); })) << "no alert";
        answerer.disconnect();
        EXPECT_NE(reason.find("Could not save your websites"), std::string::npos) << reason;
        test::spinFor(std::chrono::milliseconds(100));
        EXPECT_EQ(controller->websiteItems().size(), 1u);
        EXPECT_EQ(storedWebsites().front().menuBarIconEnabled, std::optional<bool>(true));
    }
    removeFromTray();
    ASSERT_TRUE(spinUntil([&] { return controller->websiteItems().empty(); }));
    EXPECT_EQ(storedWebsites().front().menuBarIconEnabled, std::optional<bool>(false));
}

// The alerts titled "Could not save website" on screen, answered when `answer` says so.
int saveAlertsShown(bool answer = false) {
    int shown = 0;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* alert = dynamic_cast<Gtk::MessageDialog*>(window);
            alert && alert->get_visible() && alert->property_text().get_value() == "Could not save website") {
            ++shown;
            if (answer) alert->response(Gtk::RESPONSE_OK);
        }
    return shown;
}

// A change made in the launcher that cannot be written is told once, in the launcher's own error
// line, and not in an alert besides; put away before the failure came, the launcher leaves it to
// the alert, every time.
TEST_F(LauncherGuiTest, AFailedSaveFromTheLauncherIsToldOnceWhereThePersonActed) {
    privateBus();
    startWatcher();
    start({website("Plain", "/plain"), website("Other", "/other")}, bus);
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(640, 0);
    WebsiteStartPage& page = *launcher.view().startPage();
    ASSERT_TRUE(spinUntil([&] {
        return launcher.get_mapped() && page.savedTiles().size() == 2 && !page.suggestionTiles().empty();
    }));
    const std::vector<WebAppProfile> stored = storedWebsites();
    auto errorShown = [&] {
        Gtk::Label* line = test::labelStartingWith(page, "Could not save your websites");
        return line && line->get_mapped();
    };
    // Runs the tile's menu entry that starts so while no file may grow: the write, at once or after
    // the quiet period of a delayed save, fails for real.
    auto choose = [&](WebsiteTile& tile, const std::string& entryTitle) {
        for (const TileMenuEntry& entry : tile.menuEntries())
            if (entry.title.rfind(entryTitle, 0) == 0 && entry.enabled) {
                test::FileSizeLimit full(1);
                entry.action();
                return spinUntil([&] { return !environment->store().hasPendingSave(); });
            }
        return false;
    };
    auto first = [&]() -> WebsiteTile& { return *page.savedTiles().front(); };
    auto last = [&]() -> WebsiteTile& { return *page.savedTiles().back(); };
    auto suggestion = [&]() -> WebsiteTile& { return *page.suggestionTiles().front(); };
    const std::tuple<const char*, std::function<WebsiteTile&()>, std::string> changes[] = {
        {"a saved website", first, "Add to Tray"},
        {"a suggestion", suggestion, "Add to Tray"},
        {"a favourite", first, "Remove from Favorites"},
        {"a saved website", first, "Move Later"},
        {"a saved website", last, "Move Earlier"},
    };
    for (const auto& [what, tile, entry] : changes) {
        SCOPED_TRACE(std::string(what) + ": " + entry);
        ASSERT_TRUE(choose(tile(), entry));
        ASSERT_TRUE(spinUntil(errorShown));
        // The alert would come in the same turn as the failure, before the line shows.
        EXPECT_EQ(saveAlertsShown(), 0);
        EXPECT_EQ(storedWebsites(), stored);
        environment->store().clearErrorMessage();
        ASSERT_TRUE(spinUntil([&] { return !errorShown(); }));
    }

    // Written while the launcher shows; the failure is told once it has been put away, each time:
    // the person asked for the change again.
    for (int attempt = 1; attempt <= 2; ++attempt) {
        SCOPED_TRACE(attempt);
        launcher.showAt(640, 0);
        ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && !page.savedTiles().empty(); }));
        for (const TileMenuEntry& entry : first().menuEntries())
            if (entry.title == "Add to Tray") {
                test::FileSizeLimit full(1);
                entry.action();
                applicationFileWriter().flush();
            }
        launcher.dismiss();
        EXPECT_TRUE(spinUntil([&] { return saveAlertsShown() == 1; })) << "the launcher was put away";
        saveAlertsShown(/*answer=*/true);
        ASSERT_TRUE(spinUntil([&] { return saveAlertsShown() == 0; }));
        EXPECT_EQ(storedWebsites(), stored);
    }
}

// Scrolls the start page holding `tile` so that the tile shows.
void scrollIntoView(Gtk::Widget& tile) {
    Gtk::Widget* viewport = tile.get_parent();
    while (viewport && !dynamic_cast<Gtk::Viewport*>(viewport)) viewport = viewport->get_parent();
    ASSERT_TRUE(viewport);
    int x = 0, y = 0;
    ASSERT_TRUE(tile.translate_coordinates(*static_cast<Gtk::Bin*>(viewport)->get_child(), 0, 0, x, y));
    static_cast<Gtk::Viewport*>(viewport)->get_vadjustment()->clamp_page(y, y + tile.get_allocated_height());
}

std::vector<std::string> shownTitles(WebsiteStartPage& page) {
    std::vector<std::string> titles;
    for (WebsiteTile* tile : page.savedTiles()) titles.push_back(tile->title());
    return titles;
}

// The page keeps its tiles from one change of the websites to the next and filters by hiding them;
// what is shown still follows every change, made while the launcher is open and searching or while
// it is hidden, and a hidden tile is no keyboard stop.
TEST_F(LauncherGuiTest, TilesAreKeptAcrossKeystrokesAndFollowChangesMadeWhileOpenOrHidden) {
    WebAppProfile alpha = website("Alpha", "/alpha"), beta = website("Beta", "/beta");
    WebAppProfile gamma = website("Gamma", "/gamma");
    start({alpha, beta, gamma});
    WebAppStore& store = environment->store();
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(100, 0);
    WebsiteStartPage& page = *launcher.view().startPage();
    // What the search rule keeps of the stored websites, in its order.
    auto inStep = [&] {
        std::vector<std::string> expected;
        for (const auto& profile : filteredSaved(store.profiles(), page.search()))
            expected.push_back(profile.displayTitle());
        return shownTitles(page) == expected;
    };
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && page.savedTiles().size() == 3; }));

    const char* const kBuiltFirst = "quenlith-built-first";
    for (WebsiteTile* tile : page.savedTiles()) g_object_set_data(G_OBJECT(tile->gobj()), kBuiltFirst, tile);
    page.searchField().set_text("ALP");
    ASSERT_TRUE(spinUntil([&] { return shownTitles(page) == std::vector<std::string>{"Alpha"}; }));
    page.searchField().set_text("");
    ASSERT_TRUE(spinUntil([&] { return page.savedTiles().size() == 3; }));
    for (WebsiteTile* tile : page.savedTiles())
        EXPECT_TRUE(g_object_get_data(G_OBJECT(tile->gobj()), kBuiltFirst))
            << tile->title() << " was built again";

    // While open and searching: renamed into the search, added, deleted.
    page.searchField().set_text("e");
    store.update(alpha.id, [](WebAppProfile& profile) { profile.name = "Delta"; });
    ASSERT_TRUE(store.upsert(website("Echo", "/echo")));
    ASSERT_TRUE(store.deleteProfile(beta.id));
    ASSERT_TRUE(spinUntil([&] {
        return inStep() && shownTitles(page) == std::vector<std::string>{"Delta", "Echo"};
    }));
    auto* addWebsite = test::findLabelled<Gtk::Label>(page, "Add Website")->get_parent()->get_parent();
    std::vector<Gtk::Widget*> cells;
    std::vector<std::string> names;
    for (const auto* tiles : {&page.savedTiles(), &page.suggestionTiles()})
        for (WebsiteTile* tile : *tiles) {
            cells.push_back(tile->get_parent());
            names.push_back(tile->title());
        }
    page.searchField().grab_focus();
    auto stops = test::tabStops(launcher, addWebsite);
    ASSERT_EQ(stops.back(), addWebsite);
    std::vector<Gtk::Widget*> cellStops;
    for (Gtk::Widget* stop : stops)
        if (dynamic_cast<Gtk::FlowBoxChild*>(stop)) cellStops.push_back(stop);
    EXPECT_EQ(cellStops, cells) << "one stop per tile the search keeps, none for the hidden ones";
    std::vector<std::string> stopNames;
    for (Gtk::Widget* cell : cells) stopNames.push_back(cell->get_accessible()->get_name());
    EXPECT_EQ(stopNames, names) << "a renamed tile's stop reads its new name";

    // While hidden: a favourite that stops being one (saved websites start as favourites) moves
    // behind the others, a rename, a deletion and a new icon address.
    launcher.dismiss();
    ASSERT_TRUE(store.profile(gamma.id)->isFavorite);
    store.toggleFavorite(gamma.id);
    const Uuid echo =
        std::find_if(store.profiles().begin(), store.profiles().end(), [](const WebAppProfile& profile) {
            return profile.name == "Echo";
        })->id;
    store.update(echo, [](WebAppProfile& profile) { profile.name = "Foxtrot"; });
    ASSERT_TRUE(store.deleteProfile(alpha.id));
    store.setIconURL(server.url("/gamma.png"), gamma.id);
    launcher.showAt(100, 0);
    ASSERT_TRUE(spinUntil([&] {
        return launcher.get_mapped() && inStep() && shownTitles(page) == std::vector<std::string>{"Foxtrot"};
    })) << "the search stays, and Foxtrot's address still holds an e";
    page.searchField().set_text("");
    ASSERT_TRUE(spinUntil([&] {
        return inStep() && shownTitles(page) == std::vector<std::string>{"Foxtrot", "Gamma"};
    })) << "Gamma left the favourites, so it follows the favourite Foxtrot";
    scrollIntoView(*page.savedTiles().back());
    EXPECT_TRUE(spinUntil([&] {
        return environment->icons().attempted(FaviconLoader::key(*store.profile(gamma.id)));
    })) << "the new icon address is asked for once the tile shows";
}

// Tiles below the first screenfuls are built, and cells there shown and hidden, a batch per turn
// while the launcher shows: whatever comes between (another keystroke, a change of the websites),
// every cell ends as the last search says.
TEST_F(LauncherGuiTest, EveryCellOfALongGridEndsAsTheLastSearchSays) {
    std::vector<WebAppProfile> websites;
    for (int i = 0; i < 240; ++i)
        websites.push_back(
            website((i % 3 == 0 ? "Kiwi " : "Plum ") + std::to_string(i), "/site" + std::to_string(i)));
    start(websites);
    LauncherWindow& launcher = controller->launcher();
    WebsiteStartPage& page = *launcher.view().startPage();
    test::spinFor(std::chrono::milliseconds(100));
    EXPECT_LT(page.savedTiles().size(), websites.size())
        << "a launcher not shown yet builds no more than its first screenfuls of tiles";
    launcher.showAt(100, 0);
    ASSERT_TRUE(
        spinUntil([&] { return launcher.get_mapped() && page.savedTiles().size() == websites.size(); }));
    Gtk::FlowBox* grid = nullptr;
    std::function<void(Gtk::Widget&)> find = [&](Gtk::Widget& widget) {
        if (!grid) grid = dynamic_cast<Gtk::FlowBox*>(&widget);
        if (auto* container = dynamic_cast<Gtk::Container*>(&widget); container && !grid)
            for (Gtk::Widget* child : container->get_children()) find(*child);
    };
    find(page);
    ASSERT_TRUE(grid);
    // Whether each cell shows exactly when the search keeps its tile, and the rule keeps those.
    auto settled = [&] {
        std::vector<std::string> expected;
        for (const auto& profile : filteredSaved(environment->store().profiles(), page.search()))
            expected.push_back(profile.displayTitle());
        if (shownTitles(page) != expected) return false;
        std::set<Gtk::Widget*> kept(page.savedTiles().begin(), page.savedTiles().end());
        for (Gtk::Widget* cell : grid->get_children())
            if (cell->get_visible() != (kept.count(static_cast<Gtk::Bin*>(cell)->get_child()) > 0))
                return false;
        return true;
    };

    page.searchField().set_text("kiwi");
    ASSERT_TRUE(spinUntil([&] { return page.savedTiles().size() == websites.size() / 3; }));
    page.searchField().set_text("");
    page.searchField().set_text("plum");
    environment->store().update(environment->store().profiles().back().id,
                                [](WebAppProfile& profile) { profile.name = "Kiwi at last"; });
    EXPECT_TRUE(spinUntil(settled));
    page.searchField().set_text("");
    EXPECT_TRUE(spinUntil(settled));
    EXPECT_EQ(page.savedTiles().size(), websites.size());
}

// Icons are asked for as their tiles come into view: a long grid does not load every icon when
// the launcher opens.
TEST_F(LauncherGuiTest, IconsLoadAsTheirTilesScrollIntoView) {
    std::vector<WebAppProfile> websites;
    for (int i = 0; i < 80; ++i)
        websites.push_back(website("Site " + std::to_string(i), "/site" + std::to_string(i)));
    start(websites);
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(100, 0);
    FaviconLoader& icons = environment->icons();
    auto attempted = [&](const WebAppProfile& profile) {
        return icons.attempted(FaviconLoader::key(profile));
    };
    ASSERT_TRUE(spinUntil([&] {
        return launcher.get_mapped() && launcher.view().startPage()->savedTiles().size() == websites.size() &&
               attempted(websites.front());
    }));
    test::waitForFrame(launcher);
    EXPECT_FALSE(attempted(websites.back())) << "the last tile is out of view";

    scrollIntoView(*launcher.view().startPage()->savedTiles().back());
    EXPECT_TRUE(spinUntil([&] { return attempted(websites.back()); })) << "scrolled into view, it loads";
}

TEST_F(LauncherGuiTest, IconsLoadOncePerKeyThroughTheWebsitesProxy) {
    auto pixbuf = Gdk::Pixbuf::create(Gdk::COLORSPACE_RGB, true, 8, 16, 16);
    pixbuf->fill(0xCC3300FF);
    gchar* buffer = nullptr;
    gsize size = 0;
    pixbuf->save_to_buffer(buffer, size, "png");
    const std::string png(buffer, size);
    g_free(buffer);
    server.route("/favicon.ico", [&](const test::TestRequest&) { return test::TestResponse{200, "image/png", png, {}}; });
    // An error page is no icon, even when its body is a picture.
    server.route("/missing.ico", [&](const test::TestRequest&) { return test::TestResponse{404, "image/png", png, {}}; });
    test::TinyproxyServer tinyproxy;
    WebAppProfile direct = website("Direct", "/direct");
    WebAppProfile proxied = website("Proxied", "/proxied");
    proxied.siteProxy = BrowserProxySettings{.kind = BrowserProxyKind::httpConnect, .port = tinyproxy.port()};
    proxied.sessionIdentifier = Uuid::random();
    WebAppProfile missing = direct;
    missing.id = Uuid::random();
    missing.homeURL = server.url("/direct-two");
    missing.iconURL = server.url("/missing.ico");
    // A picture far past the pixel limit in a small file is refused; a large one is kept small.
    const std::string bomb = test::blackPng(16000, 16000), large = test::blackPng(600, 300);
    server.route("/bomb.png", [&](const test::TestRequest&) {
        return test::TestResponse{200, "image/png", bomb, {}};
    });
    server.route("/large.png", [&](const test::TestRequest&) {
        return test::TestResponse{200, "image/png", large, {}};
    });
    WebAppProfile bombing = missing, largeIcon = missing;
    bombing.iconURL = server.url("/bomb.png");
    largeIcon.iconURL = server.url("/large.png");
    start({direct, proxied, missing});

    FaviconLoader& icons = environment->icons();
    SiteIcon icon(direct, icons, 52);
    EXPECT_EQ(icon.content(), SiteIcon::Content::letter);
    for (const auto& profile : {direct, direct, proxied, missing, missing, bombing, largeIcon})
        icons.load(profile);
    ASSERT_TRUE(spinUntil([&] { return icons.pendingCount() == 0; }));
    EXPECT_EQ(icons.images().size(), 3u);
    EXPECT_FALSE(icons.image(FaviconLoader::key(bombing)));
    ASSERT_TRUE(icons.image(FaviconLoader::key(largeIcon)));
    EXPECT_EQ(icons.image(FaviconLoader::key(largeIcon))->get_width(), kIconKeptSide);
    EXPECT_EQ(icon.content(), SiteIcon::Content::favicon);
    EXPECT_EQ(server.requestCount("/missing.ico"), 1);
    EXPECT_TRUE(tinyproxy.sawRequestFor("/favicon.ico"));
    EXPECT_EQ(server.requestCount("/favicon.ico"), 2);  // once directly, once through the proxy
}

// The colours of the opaque pixels in the middle of `icon` as it draws itself.
std::set<std::string> middleColours(Gtk::Widget& icon) {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, icon.get_allocated_width(),
                                               icon.get_allocated_height());
    auto context = Cairo::Context::create(surface);
    gtk_widget_draw(GTK_WIDGET(icon.gobj()), context->cobj());
    surface->flush();
    std::set<std::string> colours;
    for (int y = 16; y < 36; ++y)
        for (int x = 16; x < 36; ++x) {
            const auto pixel = *reinterpret_cast<const std::uint32_t*>(surface->get_data() +
                                                                       y * surface->get_stride() + x * 4);
            Gdk::RGBA colour;
            colour.set_rgba_u(((pixel >> 16) & 0xFF) * 257, ((pixel >> 8) & 0xFF) * 257,
                              (pixel & 0xFF) * 257);
            if ((pixel >> 24) == 0xFF) colours.insert(colour.to_string());
        }
    return colours;
}

// Suggestion icons lie on the theme's control background, letters are in the theme's accent, and
// a mark that would vanish into its tile takes the theme's text colour; light and dark.
TEST_F(LauncherGuiTest, IconsTakeTheirColoursFromTheTheme) {
    start({});
    auto suggestion = [](std::uint32_t colour) {
        return *std::find_if(SuggestedWebsite::all().begin(), SuggestedWebsite::all().end(),
                             [&](const SuggestedWebsite& site) { return site.color == colour; });
    };
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark, nullptr);
        Gtk::Window window;
        Gtk::Box box;
        SuggestedSiteIcon red(suggestion(0xFF0000), 52), black(suggestion(0x191919), 52);
        SiteIcon letter(website("Lettered", "/lettered"), environment->icons(), 52);
        for (Gtk::Widget* icon : std::initializer_list<Gtk::Widget*>{&red, &black, &letter})
            box.pack_start(*icon, Gtk::PACK_SHRINK);
        window.add(box);
        window.show_all();
        ASSERT_TRUE(spinUntil([&] { return letter.get_mapped() && letter.get_allocated_width() == 52; }));
        auto named = [&](const char* name) {
            Gdk::RGBA colour;
            EXPECT_TRUE(red.get_style_context()->lookup_color(name, colour)) << name;
            return colour.to_string().raw();
        };
        EXPECT_THAT(middleColours(red),
                    testing::IsSupersetOf({named("theme_base_color"), std::string("rgb(255,0,0)")}));
        EXPECT_THAT(middleColours(black),
                    testing::Contains(dark ? named("theme_fg_color") : std::string("rgb(25,25,25)")));
        // The letter keeps the selection colour's hue and reads at 4.5:1 on the window, light or dark.
        const auto letterColours = middleColours(letter);
        ASSERT_EQ(letterColours.size(), 1u);
        const Gdk::RGBA drawn(*letterColours.begin());
        EXPECT_GE(test::contrastRatio(drawn, Gdk::RGBA(named("theme_bg_color"))), 4.5) << drawn.to_string();
        EXPECT_GT(drawn.get_blue() - drawn.get_red(), 0.1) << drawn.to_string();
    }
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
}

TEST_F(LauncherGuiTest, NewTabShowsTheStartPageWithItsHeading) {
    WebAppProfile local = website("Local Page", "/local");
    start({local});
    auto& windows = environment->windows();
    auto& controller = windows.makeWindowController(WindowRequest::ownWindow(local));
    controller.present(false, false, true);
    controller.browser().page().showStartPage();
    auto* page = dynamic_cast<WebsiteStartPage*>(controller.browser().chrome().startPageView());
    ASSERT_TRUE(page);
    ASSERT_TRUE(spinUntil([&] { return page->get_mapped() && page->savedTiles().size() == 1; }));
    EXPECT_THAT(test::drawnTexts(*page), testing::Contains("Start Page"));
}

// Whether every widget drawn under `widget` lies between the left edge of its window and `width`.
bool insideWidth(Gtk::Widget& widget, int width) {
    auto* container = dynamic_cast<Gtk::Container*>(&widget);
    if (!container) return true;
    for (Gtk::Widget* child : container->get_children()) {
        if (!child->get_is_drawable()) continue;
        int x = 0, y = 0;
        child->translate_coordinates(*child->get_toplevel(), 0, 0, x, y);
        if (x < 0 || x + child->get_allocated_width() > width || !insideWidth(*child, width)) {
            ADD_FAILURE() << G_OBJECT_TYPE_NAME(child->gobj()) << " at " << x << "+"
                          << child->get_allocated_width();
            return false;
        }
    }
    return true;
}

// In a tab the start page is a centred column of at most 640 pixels, and narrower tabs show it whole.
TEST_F(LauncherGuiTest, StartPageColumnIsAtMost640AndNarrowTabsShowItWhole) {
    start({website("Local Page", "/local")});
    for (int width : {360, 480, 1024}) {
        SCOPED_TRACE(width);
        Gtk::Window tab;
        auto* page = Gtk::manage(new WebsiteStartPage(environment->store(), environment->icons(),
                                                      environment->windows().publisher().runtime(), sessions,
                                                      true, {}));
        tab.add(*page);
        tab.set_default_size(width, 700);
        tab.show_all();
        ASSERT_TRUE(spinUntil([&] { return page->get_mapped() && page->savedTiles().size() == 1; }));
        EXPECT_TRUE(spinUntil([&] { return tab.get_allocated_width() == width; }))
            << tab.get_allocated_width();
        Gtk::Widget* column = page->get_children().front();
        const int columnWidth = std::min(width, 640);
        EXPECT_EQ(column->get_allocated_width(), columnWidth);
        int x = 0, y = 0;
        column->translate_coordinates(tab, 0, 0, x, y);
        EXPECT_EQ(x, (width - columnWidth) / 2);
        EXPECT_TRUE(insideWidth(*page, width));
    }
}

TEST_F(LauncherGuiTest, WithoutATrayTheLauncherOpensAsAWindow) {
    start({}, privateBus());
    LauncherWindow& launcher = controller->launcher();
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped(); }));
    EXPECT_FALSE(launcher.isPopover());
    EXPECT_FALSE(controller->trayAvailable());
    launcher.dismiss();
    controller->reopen();  // a second start
    EXPECT_TRUE(launcher.get_visible() && !launcher.isPopover());
    controller->reopen();  // a third one closes it again
    EXPECT_FALSE(launcher.get_visible());
}

// The tiles' tray items say there is no tray while no tray is on the bus, instead of offering an
// icon nothing shows; they follow a tray coming and going.
TEST_F(LauncherGuiTest, TrayItemsSayThereIsNoTrayUntilOneComes) {
    WebAppProfile pinned = website("Pinned", "/pinned");
    pinned.menuBarIconEnabled = true;
    start({pinned, website("Plain", "/plain")}, privateBus());
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] { return launcher.view().startPage()->savedTiles().size() == 2; }));
    // The tray item of each saved website's tile and of the first suggestion's, as shown now.
    auto trayItems = [&] {
        std::vector<std::pair<std::string, bool>> shown;
        std::vector<WebsiteTile*> tiles = launcher.view().startPage()->savedTiles();
        tiles.push_back(launcher.view().startPage()->suggestionTiles().front());
        for (WebsiteTile* tile : tiles)
            for (const TileMenuEntry& entry : tile->menuEntries())
                if (entry.title.find("Tray") != std::string::npos)
                    shown.emplace_back(entry.title, entry.enabled);
        return shown;
    };
    using Shown = std::vector<std::pair<std::string, bool>>;
    const Shown none{{"Remove from Tray (No Tray Found)", false},
                     {"Add to Tray (No Tray Found)", false},
                     {"Add to Tray (No Tray Found)", false}};
    const Shown some{{"Remove from Tray", true}, {"Add to Tray", true}, {"Add to Tray", true}};
    const std::pair<std::function<void()>, const Shown*> steps[] = {
        {[] {}, &none}, {[&] { startWatcher(); }, &some}, {[&] { watcher.reset(); }, &none}};
    for (const auto& [change, expected] : steps) {
        change();
        EXPECT_TRUE(spinUntil([&] { return trayItems() == *expected; }))
            << testing::PrintToString(trayItems());
    }
}

TEST_F(LauncherGuiTest, DetailsLookupReadsTitleAndProposesTheIcon) {
    server.page("/page", "<html><head><title>A &amp; B</title></head></html>");
    server.route("/text", [](const test::TestRequest&) {
        return test::TestResponse{200, "text/plain", "<title>Plain</title>", {}};
    });
    std::vector<WebsiteDetails> results;
    auto first = fetchWebsiteDetails(server.url("/page"), proxy.makeSession(), [&](WebsiteDetails d) { results.push_back(d); });
    auto second = fetchWebsiteDetails(server.url("/text"), proxy.makeSession(), [&](WebsiteDetails d) { results.push_back(d); });
    auto dropped = fetchWebsiteDetails(server.url("/page"), proxy.makeSession(), [&](WebsiteDetails d) { results.push_back(d); });
    dropped.reset();
    ASSERT_TRUE(spinUntil([&] { return results.size() == 2; }));
    test::spinFor(std::chrono::milliseconds(100));
    ASSERT_EQ(results.size(), 2u);
    std::set<std::optional<std::string>> titles = {results[0].title, results[1].title};
    EXPECT_EQ(titles, (std::set<std::optional<std::string>>{std::string("A & B"), std::nullopt}));
    EXPECT_EQ(results[0].iconURL, server.url("/favicon.ico"));
}

// Every button and label of `area` (the launcher's header, switch or footer) shown whole inside
// `width` pixels of the window: none reaches past its edge, none is squeezed below its own size,
// and no text is drawn shortened. A text that gave way entirely is not drawn at all.
void expectWhole(Gtk::Widget& area, int width) {
    auto* container = dynamic_cast<Gtk::Container*>(&area);
    if (!container || !area.get_is_drawable()) return;
    for (Gtk::Widget* child : container->get_children()) {
        if (!child->get_is_drawable()) continue;
        int x = 0, y = 0;
        child->translate_coordinates(*child->get_toplevel(), 0, 0, x, y);
        int minimum = 0, natural = 0;
        child->get_preferred_width(minimum, natural);
        const int shown = child->get_allocated_width();
        if (auto* label = dynamic_cast<Gtk::Label*>(child)) {
            EXPECT_GE(shown, natural) << "\"" << label->get_text() << "\" is shortened";
        }
        EXPECT_GE(shown, minimum) << G_OBJECT_TYPE_NAME(child->gobj()) << " squeezed";
        EXPECT_TRUE(x >= 0 && x + shown <= width)
            << G_OBJECT_TYPE_NAME(child->gobj()) << " at " << x << "+" << shown;
        expectWhole(*child, width);
    }
}

// The images drawn under `widget`.
std::vector<Gtk::Image*> drawnImages(Gtk::Widget& widget) {
    std::vector<Gtk::Image*> images;
    if (auto* image = dynamic_cast<Gtk::Image*>(&widget); image && image->get_is_drawable())
        images.push_back(image);
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            for (Gtk::Image* image : drawnImages(*child)) images.push_back(image);
    return images;
}

// The longer side of the box around the pixels the image inks, as it draws itself.
int inkedSide(Gtk::Image& image) {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_ARGB32, image.get_allocated_width(),
                                               image.get_allocated_height());
    auto context = Cairo::Context::create(surface);
    gtk_widget_draw(GTK_WIDGET(image.gobj()), context->cobj());
    surface->flush();
    int left = surface->get_width(), right = -1, top = surface->get_height(), bottom = -1;
    for (int y = 0; y < surface->get_height(); ++y)
        for (int x = 0; x < surface->get_width(); ++x)
            if ((*reinterpret_cast<const std::uint32_t*>(surface->get_data() + y * surface->get_stride() +
                                                         x * 4) >>
                 24) > 0x40) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
    return std::max(right - left + 1, bottom - top + 1);
}

// The launcher as the application builds it at one and a half times the text size: it widens
// for its title and its buttons' texts, as a popover and as a window (Ctrl+O), on a screen with room.
TEST_F(LauncherGuiTest, AtALargerTextSizeItWidensForItsTitleAndTexts) {
    test::TextScaleScope larger(1.5);
    LauncherWindow& launcher = startWithEveryButton();
    for (bool asWindow : {false, true}) {
        SCOPED_TRACE(asWindow ? "as a window" : "as a popover");
        asWindow ? launcher.showAsWindow() : launcher.showAt(640, 0);
        ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped(); }));
        EXPECT_TRUE(spinUntil([&] {
            return testing::Value(test::drawnTexts(launcher.view()),
                                  testing::IsSupersetOf({"Quenlith", "Open Browser", "Saved Pages", "Windows"}));
        })) << launcher.get_allocated_width() << " wide: " << testing::PrintToString(test::drawnTexts(launcher.view()));
        // Nothing else gave way for them.
        EXPECT_TRUE(spinUntil([&] { return test::cutOffContent(launcher).empty(); }))
            << testing::PrintToString(test::cutOffContent(launcher));
        launcher.dismiss();
        ASSERT_TRUE(spinUntil([&] { return !launcher.get_visible(); }));
    }
}

// The launcher as the application builds it (every optional button there, and a menu button in
// the header) in the frame of a 300 x 500 screen, in its largest frame and in the frame of a short
// work area, which it takes whole.
TEST_F(LauncherGuiTest, EveryControlIsWholeInTheFrameOfTheScreen) {
    LauncherWindow& launcher = startWithEveryButton();
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && launcher.get_allocated_width() == 420; }));
    EXPECT_THAT(test::drawnTexts(launcher.view()),
                testing::IsSupersetOf({"Quenlith", "Saved Pages", "Windows"}));

    for (const LauncherRect& frame : {launcherFrame({0, 0, 300, 500}, 150, 0), LauncherRect{0, 0, 420, 590},
                                      launcherFrame({0, 0, 1280, 263}, 640, 0)}) {
        SCOPED_TRACE(std::to_string(frame.width) + " x " + std::to_string(frame.height));
        launcher.applyFrame(frame);
        ASSERT_TRUE(spinUntil([&] {
            return launcher.get_allocated_width() == frame.width && launcher.get_allocated_height() == frame.height;
        })) << launcher.get_allocated_width() << " x " << launcher.get_allocated_height();
        std::vector<Gtk::Widget*> areas = launcher.view().get_children();
        for (Gtk::Widget* area : {areas.front(), areas[1], areas.back()}) expectWhole(*area, frame.width);
        // The symbols of the header and footer are drawn at one size: none is a small glyph
        // within its 16 pixels.
        for (Gtk::Widget* area : {areas.front(), areas.back()})
            for (Gtk::Image* image : drawnImages(*area)) {
                const char* name = nullptr;
                gtk_image_get_icon_name(image->gobj(), &name, nullptr);
                EXPECT_GE(inkedSide(*image), 12) << (name ? name : "?");
            }
        // The title and the library's text give way first; the library keeps its symbol and name.
        EXPECT_THAT(test::drawnTexts(launcher.view()), testing::IsSupersetOf({"Open Browser", "Windows"}));
        // The running list fits the same frame.
        launcher.view().setShowRunning(true);
        int minimum = 0, natural = 0;
        launcher.view().get_preferred_width(minimum, natural);
        EXPECT_LE(minimum, frame.width);
        launcher.view().setShowRunning(false);
    }
}

// A label that shows its text cut to its width, asking for no more than it is given.
void expectCutToItsWidth(Gtk::Label* label, const char* what) {
    ASSERT_TRUE(label) << what;
    EXPECT_TRUE(label->get_layout()->is_ellipsized()) << what;
    EXPECT_LE(label->get_text().bytes(), 2 * kShownNameCharacters) << what << ": laid out whole";
    int minimum = 0, natural = 0;
    label->get_preferred_width(minimum, natural);
    EXPECT_LE(natural, kLauncherWidth) << what;
}

// A name of any length (a file or a backup may hold megabytes) is cut within its tile, its rows in
// the launcher and Quick Open, its window's title and its tray item, and no window grows with it.
TEST_F(LauncherGuiTest, AVeryLongNameIsCutWithinItsTileRowsTitlesAndTrayItemAndWidensNoWindow) {
    const std::string name(200'000, 'W');
    const std::string shownTitle = std::string(kShownTitleCharacters, 'W') + "\u2026";
    WebAppProfile longest = website(name, "/long");  // the page has the name for its title too
    longest.menuBarIconEnabled = true;
    start({longest, website("Mail", "/mail")}, privateBus());  // no tray: the launcher is a window
    LauncherWindow& launcher = controller->launcher();
    MenuBarView& view = launcher.view();
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && view.startPage()->savedTiles().size() == 2; }));
    EXPECT_FALSE(launcher.isPopover());
    WebsiteTile& tile = *view.startPage()->savedTiles().front();
    ASSERT_EQ(tile.title(), name);
    ASSERT_TRUE(spinUntil([&] { return launcher.get_allocated_width() > 1 && tile.get_allocated_width() > 1; }));
    EXPECT_EQ(launcher.get_allocated_width(), kLauncherWidth);
    expectCutToItsWidth(test::labelStartingWith(tile, "WW"), "tile");

    ASSERT_TRUE(spinUntil([&] { return controller->websiteItems().size() == 1; }));
    WebsiteStatusItem& item = *controller->websiteItems().begin()->second;
    EXPECT_EQ(item.item().appearance().title, shownTitle);
    EXPECT_EQ(item.item().appearance().toolTip.rfind(shownTitle + " \u00B7 ", 0), 0u);
    EXPECT_EQ(dynamic_cast<Gtk::MenuItem*>(item.menu().get_children().front())->get_label(), shownTitle);

    tile.clicked();
    auto& windows = environment->windows();
    ASSERT_TRUE(spinUntil(
        [&] {
            auto* window = windows.registry().window(longest.id);
            return window && window->panel().get_title() == shownTitle + " \u2014 " + shownTitle;
        },
        std::chrono::seconds(20)))
        << "the window's title names the website and its page";
    ASSERT_TRUE(spinUntil([&] {
        const auto& running = windows.publisher().runtime().windows();
        return running.size() == 1 && running[0].tabs.size() == 1 &&
               running[0].tabs[0].title.size() > kShownNameCharacters;
    }));
    if (!launcher.get_visible()) controller->reopen();
    view.setShowRunning(true);
    ASSERT_TRUE(spinUntil([&] {
        Gtk::Label* tab = test::labelStartingWith(*view.runningView(), "WW");
        return launcher.get_mapped() && tab && tab->get_mapped() && tab->get_allocated_width() > 1;
    }));
    EXPECT_EQ(launcher.get_allocated_width(), kLauncherWidth);
    expectCutToItsWidth(test::labelStartingWith(*view.runningView(), "Window 1 \u00B7 WW"), "window card");
    expectCutToItsWidth(test::labelStartingWith(*view.runningView(), "WW"), "tab row");

    // Quick Open keeps the width it has for a short title.
    auto quickOpenWidth = [](const std::string& title) {
        QuickOpenWindow::Links links;
        links.results = [title](const std::string&) {
            return std::vector<QuickOpenItem>{{"site", title, "https://long.localhost/", "Website", "globe", {}}};
        };
        QuickOpenWindow palette(links);
        palette.show();
        Gtk::Label* row = nullptr;
        EXPECT_TRUE(spinUntil([&] {
            row = test::labelStartingWith(palette, title.substr(0, 4));
            return palette.get_mapped() && row && row->get_allocated_width() > 1;
        }));
        if (title.size() > kShownNameCharacters) expectCutToItsWidth(row, "Quick Open row");
        return palette.get_allocated_width();
    };
    EXPECT_EQ(quickOpenWidth(name), quickOpenWidth("Mail"));
}

// Quick Open with a tab and a website of one title, for the walks, contrasts and text sizes below.
std::unique_ptr<QuickOpenWindow> showQuickOpen() {
    QuickOpenWindow::Links links;
    links.results = [](const std::string&) {
        return std::vector<QuickOpenItem>{
            {"tab", "Mail", "https://mail.localhost/", "Tab", "globe", {}},
            {"site", "Mail", "https://mail.localhost/", "Website", "globe", {}}};
    };
    auto palette = std::make_unique<QuickOpenWindow>(links);
    palette->show();
    EXPECT_TRUE(spinUntil([&] { return palette->get_mapped() && !test::drawnTexts(*palette).empty(); }));
    return palette;
}

// The rows of the palette's result list, in order.
std::vector<Gtk::Widget*> paletteRows(Gtk::Widget& widget) {
    if (auto* list = dynamic_cast<Gtk::ListBox*>(&widget)) return list->get_children();
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (auto rows = paletteRows(*child); !rows.empty()) return rows;
    return {};
}

// Quick Open gives its rows the new results rather than building rows on every keystroke; each
// row then reads, shows and opens as the result it now holds, and the search row stays last.
TEST_F(LauncherGuiTest, QuickOpenKeepsItsRowsAcrossKeystrokesAndShowsEachQuerysResults) {
    auto item = [](const std::string& title, const char* category, const char* icon) {
        const std::string address = "https://" + title + ".localhost/";
        return QuickOpenItem{"id-" + title, title, address,
                             category,      icon,  QuickOpenTarget::openAddress(address)};
    };
    const std::vector<QuickOpenItem> all{item("alpha", "Website", "globe"),
                                         item("beta", "Bookmark", "bookmark"),
                                         item("gamma", "History", "clock")};
    QuickOpenWindow::Links links;
    links.results = [&](const std::string& query) {
        std::vector<QuickOpenItem> kept;
        for (const auto& candidate : all)
            if (candidate.title.find(query) != std::string::npos) kept.push_back(candidate);
        return kept;
    };
    std::optional<QuickOpenTarget> chosen;
    links.onChoose = [&](const QuickOpenTarget& target) { chosen = target; };
    QuickOpenWindow palette(links);
    palette.show();
    ASSERT_TRUE(spinUntil([&] { return palette.get_mapped() && paletteRows(palette).size() == 3; }));
    const char* const kFirstBuilt = "quenlith-first-built";
    for (Gtk::Widget* row : paletteRows(palette)) g_object_set_data(G_OBJECT(row->gobj()), kFirstBuilt, row);
    auto names = [&] {
        std::vector<std::string> read;
        for (Gtk::Widget* row : paletteRows(palette)) read.push_back(row->get_accessible()->get_name());
        return read;
    };

    palette.searchField().set_text("ta");
    ASSERT_EQ(names(), (std::vector<std::string>{"beta, Bookmark", "Open or search: ta"}));
    Gtk::Widget* first = paletteRows(palette).front();
    EXPECT_TRUE(g_object_get_data(G_OBJECT(first->gobj()), kFirstBuilt)) << "the row was built again";
    EXPECT_TRUE(spinUntil([&] {
        return testing::Value(
            test::drawnTexts(*first),
            testing::ElementsAre(testing::HasSubstr("beta"), "https://beta.localhost/", "Bookmark"));
    })) << testing::PrintToString(test::drawnTexts(*first));

    palette.searchField().set_text("a");
    ASSERT_EQ(names(), (std::vector<std::string>{"alpha, Website", "beta, Bookmark", "gamma, History",
                                                 "Open or search: a"}));
    palette.searchField().set_text("gam");
    ASSERT_EQ(names(), (std::vector<std::string>{"gamma, History", "Open or search: gam"}));
    palette.submit();
    EXPECT_EQ(chosen, all[2].target) << "Return opens the highlighted first row's result";
}

// Down and Up move through the results while the field keeps the focus: each result chosen is
// reported as the field's active descendant (as the toolkit's own lists report their cursor), by its
// name, in a list that has a name of its own.
TEST_F(LauncherGuiTest, QuickOpenTellsAScreenReaderEachResultTheKeysChoose) {
    QuickOpenWindow::Links links;
    links.results = [](const std::string&) {
        return std::vector<QuickOpenItem>{{"a", "Mail", "https://mail.localhost/", "Website", "globe", {}},
                                          {"b", "Notes", "https://notes.localhost/", "Bookmark", "bookmark", {}}};
    };
    QuickOpenWindow palette(links);
    palette.show();
    ASSERT_TRUE(spinUntil([&] { return palette.get_mapped() && paletteRows(palette).size() == 2; }));
    std::vector<std::string> heard;
    AtkObject* field = gtk_widget_get_accessible(GTK_WIDGET(palette.searchField().gobj()));
    auto noteChosen = +[](AtkObject*, gpointer child, gpointer into) {
        const char* name = child ? atk_object_get_name(ATK_OBJECT(child)) : nullptr;
        static_cast<std::vector<std::string>*>(into)->push_back(name ? name : "");
    };
    const gulong handler = g_signal_connect(field, "active-descendant-changed", G_CALLBACK(noteChosen), &heard);
    for (const char* key : {"Down", "Down", "Up"}) test::pressKey(palette, key);
    g_signal_handler_disconnect(field, handler);
    // The second Down, at the end of the list, chooses nothing new.
    EXPECT_EQ(heard, (std::vector<std::string>{"Notes, Bookmark", "Mail, Website"}));
    auto* list = dynamic_cast<Gtk::Widget*>(paletteRows(palette).front()->get_parent());
    ASSERT_TRUE(list);
    EXPECT_EQ(list->get_accessible()->get_name(), localizedString("Quick Open Results"));
}

// Each keystroke in the field highlights the top row again and only it, in the list and for a
// screen reader: also after a query that found nothing left the search row alone on top, and after
// the field was emptied.
TEST_F(LauncherGuiTest, QuickOpenHighlightsTheTopRowAloneAfterEveryKeystroke) {
    QuickOpenWindow::Links links;
    links.results = [](const std::string& query) {
        std::vector<QuickOpenItem> found;
        for (const char* title : {"Page One", "Page Two"})
            if (Glib::ustring(title).lowercase().find(Glib::ustring(query).lowercase()) != Glib::ustring::npos)
                found.push_back({std::string("id-") + title, title, "https://page.localhost/", "Website", "globe", {}});
        return found;
    };
    QuickOpenWindow palette(links);
    palette.show();
    ASSERT_TRUE(spinUntil([&] { return palette.get_mapped() && paletteRows(palette).size() == 2; }));
    auto* list = dynamic_cast<Gtk::ListBox*>(paletteRows(palette).front()->get_parent());
    ASSERT_TRUE(list);
    // "index:name" of each row the list holds selected, then of each a screen reader hears selected.
    auto highlighted = [&] {
        std::vector<std::string> rows;
        for (Gtk::ListBoxRow* row : list->get_selected_rows())
            rows.push_back(std::to_string(row->get_index()) + ":" + std::string(row->get_accessible()->get_name()));
        for (Gtk::Widget* row : paletteRows(palette)) {
            AtkStateSet* states = atk_object_ref_state_set(row->get_accessible()->gobj());
            if (atk_state_set_contains_state(states, ATK_STATE_SELECTED))
                rows.push_back("heard " + std::string(row->get_accessible()->get_name()));
            g_object_unref(states);
        }
        return rows;
    };
    const std::vector<std::string> pageOne{"0:Page One, Website", "heard Page One, Website"};
    const std::vector<std::string> alone{"0:Open or search: zzz", "heard Open or search: zzz"};
    struct Step {
        const char* key;
        std::vector<std::string> highlighted;  // after the key
    };
    const std::pair<const char*, std::vector<Step>> sequences[] = {
        {"Page at once", {{"P", pageOne}, {"a", pageOne}, {"g", pageOne}, {"e", pageOne}}},
        {"zzz erased, then Page",
         {{"z", {"0:Open or search: z", "heard Open or search: z"}},
          {"z", {"0:Open or search: zz", "heard Open or search: zz"}},
          {"z", alone},
          {"BackSpace", {"0:Open or search: zz", "heard Open or search: zz"}},
          {"BackSpace", {"0:Open or search: z", "heard Open or search: z"}},
          {"BackSpace", pageOne},
          {"P", pageOne},
          {"a", pageOne},
          {"g", pageOne},
          {"e", pageOne}}},
        {"a miss after Page, erased", {{"P", pageOne}, {"x", {"0:Open or search: Px", "heard Open or search: Px"}},
                                       {"BackSpace", pageOne}, {"BackSpace", pageOne}, {"o", pageOne}}},
    };
    for (const auto& [name, steps] : sequences) {
        SCOPED_TRACE(name);
        palette.searchField().set_text("");
        ASSERT_EQ(highlighted(), pageOne);
        std::string typed;
        for (const Step& step : steps) {
            test::typeKey(palette, step.key);
            typed += std::string(" ") + step.key;
            EXPECT_EQ(highlighted(), step.highlighted) << "after" << typed;
        }
    }
}

Gtk::Label* labelWithText(Gtk::Widget& widget, const std::string& text) {
    // Titles may come wrapped in direction isolates.
    if (auto* label = dynamic_cast<Gtk::Label*>(&widget); label && label->get_text().find(text) != Glib::ustring::npos)
        return label;
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (Gtk::Label* found = labelWithText(*child, text)) return found;
    return nullptr;
}

// The pixel height of the text of the first label showing `text` under `widget`.
int textHeight(Gtk::Widget& widget, const std::string& text) {
    Gtk::Label* label = labelWithText(widget, text);
    if (!label) return 0;
    int width = 0, height = 0;
    label->get_layout()->get_pixel_size(width, height);
    return height;
}

// A screen reader's walk of the launcher and of Quick Open: every control named, the search
// fields by what they search, the rows that repeat a title by their kind.
TEST_F(LauncherGuiTest, TheLauncherAndQuickOpenReadWithANameForEveryControl) {
    start({website("Local Page", "/local"), website("Other Page", "/other")});
    LauncherWindow& launcher = controller->launcher();
    launcher.showAt(640, 0);
    ASSERT_TRUE(
        spinUntil([&] { return launcher.get_mapped() && !test::accessibleControlNames(launcher).empty(); }));
    EXPECT_THAT(test::accessibleControlNames(launcher),
                testing::IsSupersetOf({"Search or enter website", "More options"}));
    EXPECT_THAT(test::accessibilityProblems(launcher), testing::IsEmpty());

    auto palette = showQuickOpen();
    EXPECT_THAT(test::accessibleControlNames(*palette),
                testing::IsSupersetOf({"Mail, Tab", "Mail, Website"}));
    EXPECT_THAT(test::accessibilityProblems(*palette), testing::IsEmpty());
}

// Quick Open, the guide, Open Multiple Links and Save Page / Selection take the size their rules give
// for the work area, down to a 300 x 500 screen: their contents give way (scroll), and their buttons
// stay whole inside them.
TEST_F(LauncherGuiTest, FixedSizeWindowsTakeTheirSizeOnEveryScreenWithTheirButtonInIt) {
    QuickOpenWindow::Links links;
    links.results = [](const std::string&) {
        return std::vector<QuickOpenItem>{{"site", "A website with a long title", "https://mail.localhost/inbox",
                                           "Website", "globe", {}}};
    };
    using Area = std::optional<ContentSize>;
    LibraryStore library;
    const struct {
        const char* button;
        std::function<std::unique_ptr<Gtk::Window>(Area)> open;
        ContentSize (*size)(Area);
        std::function<Gtk::Widget*(Gtk::Window&)> find;
    } windows[] = {
        {"Cancel", [&](Area area) { return std::make_unique<QuickOpenWindow>(links, area); },
         quickOpenContentSize,
         [](Gtk::Window& shown) { return labelWithText(shown, "Cancel")->get_parent(); }},
        {"Close", [](Area area) { return std::make_unique<GuideWindow>(area); }, guideContentSize,
         [](Gtk::Window& shown) -> Gtk::Widget* { return &dynamic_cast<GuideWindow&>(shown).closeButton(); }},
        {"Open as Tabs",
         [](Area area) {
             return std::make_unique<BatchLinksWindow>("", BatchAction::tabs, BatchLinksWindow::Links{},
                                                       area);
         },
         batchLinksContentSize,
         [](Gtk::Window& shown) -> Gtk::Widget* {
             return &dynamic_cast<BatchLinksWindow&>(shown).performButton();
         }},
        {"Save",
         [&](Area area) {
             return makeClipWindow(PageClip{.title = "Page", .address = "https://mail.localhost/"}, library,
                                   {}, area);
         },
         clipContentSize,
         [](Gtk::Window& shown) -> Gtk::Widget* {
             return &dynamic_cast<ClipEditor*>(shown.get_child())->saveButton();
         }},
    };
    for (const auto& kind : windows)
        for (const Area area : {Area(ContentSize{300, 500}), Area(ContentSize{700, 500}), Area()}) {
            const ContentSize size = kind.size(area);
            SCOPED_TRACE(std::string(kind.button) + " " + std::to_string(size.width));
            auto window = kind.open(area);
            window->show();
            EXPECT_TRUE(spinUntil([&] {
                return window->get_mapped() && window->get_allocated_width() == size.width &&
                       window->get_allocated_height() == size.height;
            })) << window->get_allocated_width() << " x " << window->get_allocated_height();
            Gtk::Widget* button = kind.find(*window);
            int x = 0, y = 0;
            button->translate_coordinates(*window, 0, 0, x, y);
            EXPECT_TRUE(x + button->get_allocated_width() <= size.width && y + button->get_allocated_height() <= size.height)
                << kind.button << " at " << x << ", " << y;
        }
}

// The text of Quick Open's rows (and every launcher label styled alike) grows with the desktop's
// text scale.
TEST_F(LauncherGuiTest, QuickOpenTextFollowsTheDesktopTextScale) {
    auto settings = Gtk::Settings::get_default();
    const int saved = settings->property_gtk_xft_dpi();
    settings->property_gtk_xft_dpi() = 96 * 1024;
    const int plain = textHeight(*showQuickOpen(), "Mail");
    settings->property_gtk_xft_dpi() = 96 * 1024 * 3 / 2;
    const int scaled = textHeight(*showQuickOpen(), "Mail");
    settings->property_gtk_xft_dpi() = saved;
    ASSERT_GT(plain, 0);
    EXPECT_NEAR(static_cast<double>(scaled) / plain, 1.5, 0.15) << plain << " px, then " << scaled << " px";
}

// The launcher's texts, a tile's name and state, a section's title and the window's title among
// them, grow with the desktop's text scale as Quick Open's do.
TEST_F(LauncherGuiTest, LauncherTextFollowsTheDesktopTextScale) {
    start({website("Local", "/local")});
    auto settings = Gtk::Settings::get_default();
    const int saved = settings->property_gtk_xft_dpi();
    const char* const texts[] = {"Local", "Not Open", "Saved Websites", "Quenlith"};
    auto heightsAt = [&](int dpi) {
        settings->property_gtk_xft_dpi() = dpi;
        // A launcher built after the change.
        controller.reset();
        controller = std::make_unique<StatusBarController>(*environment, nullptr);
        LauncherWindow& launcher = controller->launcher();
        launcher.showAt(640, 0);
        EXPECT_TRUE(spinUntil([&] { return launcher.get_mapped() && textHeight(launcher, "Local") > 0; }));
        std::vector<int> heights;
        for (const char* text : texts) heights.push_back(textHeight(launcher, text));
        launcher.dismiss();
        return heights;
    };
    const std::vector<int> plain = heightsAt(96 * 1024);
    const std::vector<int> scaled = heightsAt(96 * 1024 * 3 / 2);
    settings->property_gtk_xft_dpi() = saved;
    for (std::size_t index = 0; index < std::size(texts); ++index) {
        ASSERT_GT(plain[index], 0) << texts[index];
        EXPECT_NEAR(static_cast<double>(scaled[index]) / plain[index], 1.5, 0.15)
            << texts[index] << ": " << plain[index] << " px, then " << scaled[index] << " px";
    }
}

// Every label of Quick Open, a selected row's among them, and of the launcher (an open website's
// "Viewing" in the accent colour among them) reads at 4.5:1 or more in the default theme, light and
// dark, and in the high-contrast theme, and the search bar keeps a border.
TEST_F(LauncherGuiTest, TextContrastIsAtLeastFourAndAHalfInTheDefaultAndHighContrastThemes) {
    WebAppProfile shown = website("Local Page", "/local");
    start({shown, website("Other Page", "/other")});
    ASSERT_NE(environment->windows().routing().showProfile(shown.id), nullptr);
    test::ThemeScope themes;
    for (const test::MeasuredTheme& theme : test::kMeasuredThemes) {
        SCOPED_TRACE(theme.label());
        themes.use(theme);
        // Windows built after the change, styled from the start by the theme.
        controller.reset();
        controller = std::make_unique<StatusBarController>(*environment, nullptr);
        auto palette = showQuickOpen();
        LauncherWindow& launcher = controller->launcher();
        launcher.showAt(640, 0);
        ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped(); }));
        ASSERT_TRUE(spinUntil([&] {
            auto texts = test::drawnTexts(launcher);
            return std::find(texts.begin(), texts.end(), "Viewing") != texts.end();
        }));
        // Open Multiple Links with its warning (an invalid line, one too long for an address) and
        // its error (too many links) shown.
        std::string pasted = "not a link\nhttps://" + std::string(kAddressByteLimit, 'a') + ".localhost/\n";
        for (int i = 0; i < 21; ++i) pasted += "https://site" + std::to_string(i) + ".localhost/\n";
        BatchLinksWindow links(pasted, BatchAction::tabs, BatchLinksWindow::Links{});
        links.show();
        ASSERT_TRUE(spinUntil([&] { return links.get_mapped(); }));
        const auto noted = links.shownTexts();
        ASSERT_TRUE(std::any_of(noted.begin(), noted.end(), [](const std::string& text) {
            return text.find("Invalid lines will be skipped") != std::string::npos &&
                   text.find("Lines too long for an address") != std::string::npos;
        })) << testing::PrintToString(noted);
        for (Gtk::Widget* window : std::initializer_list<Gtk::Widget*>{palette.get(), &launcher, &links})
            for (const test::TextContrast& text : test::labelContrasts(*window))
                EXPECT_GE(text.ratio, 4.5) << "\"" << text.text << "\"";
        ASSERT_NE(launcher.view().startPage(), nullptr);
        GtkWidget* bar = gtk_widget_get_parent(GTK_WIDGET(launcher.view().startPage()->searchField().gobj()));
        GtkStyleContext* style = gtk_widget_get_style_context(bar);
        GtkBorder border;
        gtk_style_context_get_border(style, gtk_style_context_get_state(style), &border);
        GdkRGBA* line = nullptr;
        GdkRGBA* field = nullptr;
        gtk_style_context_get(style, gtk_style_context_get_state(style), "border-top-color", &line,
                              "background-color", &field, nullptr);
        EXPECT_GE(border.top, 1);
        EXPECT_GE(test::contrastRatio(Gdk::RGBA(line), Gdk::RGBA(field)), 1.3) << "the search field's border";
        gdk_rgba_free(line);
        gdk_rgba_free(field);
        launcher.dismiss();
    }
}

// The number of colours in a picture of the window, drawn by the window itself (a grab of the
// screen would show whatever another test's window puts on top): a launcher that drew nothing is flat.
std::size_t colourCount(Gtk::Widget& launcher, const std::string& keepAs) {
    auto surface = Cairo::ImageSurface::create(Cairo::FORMAT_RGB24, launcher.get_allocated_width(),
                                               launcher.get_allocated_height());
    auto context = Cairo::Context::create(surface);
    gtk_widget_draw(GTK_WIDGET(launcher.gobj()), context->cobj());
    surface->flush();
    surface->write_to_png(std::string(QUENLITH_ARTIFACT_DIR) + "/" + keepAs);
    std::set<std::uint32_t> colours;
    const unsigned char* pixels = surface->get_data();
    for (int y = 0; y < surface->get_height(); y += 2)
        for (int x = 0; x < surface->get_width(); x += 2)
            colours.insert(*reinterpret_cast<const std::uint32_t*>(pixels + y * surface->get_stride() + x * 4) & 0xFFFFFF);
    return colours.size();
}

void captureLauncher(LauncherWindow& launcher, const std::string& name) {
    launcher.showAt(640, 0);
    ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped() && launcher.get_allocated_height() == 590; }));
    EXPECT_TRUE(spinUntil([&] { return colourCount(launcher, name) > 20; })) << name;
    launcher.dismiss();
}

TEST_F(LauncherGuiTest, ScreenshotsInEnglishAndChinese) {
    start({website("Local Page", "/local")});
    captureLauncher(controller->launcher(), "launcher-en.png");
    controller->launcher().view().setShowRunning(true);
    captureLauncher(controller->launcher(), "launcher-running-en.png");
    controller.reset();

    const char* language = g_getenv("LANGUAGE");
    std::string saved = language ? language : "";
    g_setenv("LANGUAGE", "zh_CN.UTF-8", TRUE);
    localization_testing::reset();
    controller = std::make_unique<StatusBarController>(*environment, nullptr);
    EXPECT_EQ(controller->launcher().view().runningLabel(), localizedFormat("Running (%ld)", {std::int64_t{0}}));
    EXPECT_NE(localizedString("Websites"), "Websites");
    captureLauncher(controller->launcher(), "launcher-zh.png");
    controller.reset();
    if (language) g_setenv("LANGUAGE", saved.c_str(), TRUE); else g_unsetenv("LANGUAGE");
    localization_testing::reset();
}

// The tray menu of a website, the launcher (its footer included) and the General settings, in
// each language: the texts of this desktop, kept as pictures for review.
TEST_F(LauncherGuiTest, TrayMenuLauncherAndGeneralSettingsPicturedInEnglishAndChinese) {
    privateBus();
    startWatcher();
    WebAppProfile pinned = website("Pinned", "/pinned");
    pinned.menuBarIconEnabled = true;
    const char* language = g_getenv("LANGUAGE");
    const std::string saved = language ? language : "";
    for (const std::string suffix : {"en", "zh"}) {
        SCOPED_TRACE(suffix);
        if (suffix == "zh") {
            controller->teardown();
            controller.reset();
            environment.reset();
            g_setenv("LANGUAGE", "zh_CN.UTF-8", TRUE);
            localization_testing::reset();
        }
        start({pinned}, bus);
        ASSERT_TRUE(spinUntil([&] { return controller->websiteItems().size() == 1; }));
        LauncherWindow& launcher = controller->launcher();
        captureLauncher(launcher, "launcher-footer-" + suffix + ".png");

        launcher.showAt(640, 0);
        ASSERT_TRUE(spinUntil([&] { return launcher.get_mapped(); }));
        Gtk::Menu& menu = controller->websiteItems().begin()->second->menu();
        std::vector<std::string> labels;
        for (Gtk::Widget* entry : menu.get_children())
            if (auto* item = dynamic_cast<Gtk::MenuItem*>(entry); item && !item->get_label().empty())
                labels.push_back(item->get_label());
        EXPECT_EQ(labels.back(), suffix == "en" ? "Remove from Tray" : "\u4ECE\u6258\u76D8\u79FB\u9664");
        menu.popup_at_widget(&launcher, Gdk::GRAVITY_NORTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
        ASSERT_TRUE(spinUntil([&] { return menu.get_mapped() && menu.get_allocated_height() > 60; }));
        EXPECT_TRUE(
            spinUntil([&] { return colourCount(*menu.get_toplevel(), "tray-menu-" + suffix + ".png") > 3; }));
        menu.popdown();
        launcher.dismiss();

        environment->auxiliaryWindows().showSettings();
        Gtk::Window* settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
        ASSERT_TRUE(settings);
        ASSERT_TRUE(
            spinUntil([&] { return settings->get_mapped() && settings->get_allocated_height() > 200; }));
        EXPECT_TRUE(
            spinUntil([&] { return colourCount(*settings, "settings-general-" + suffix + ".png") > 20; }));
        settings->hide();
    }
    if (language)
        g_setenv("LANGUAGE", saved.c_str(), TRUE);
    else
        g_unsetenv("LANGUAGE");
    localization_testing::reset();
}

// The guide's key list writes every key in one form, its English name, beside the Chinese words:
// with the toolkit's Chinese texts too, which name the arrow keys in Chinese but not Page Down. At
// one and a half times the text size its lines break at spaces only, never inside a term.
TEST(GuideTexts, TheKeyListNamesKeysInOneFormAndBreaksOnlyBetweenWords) {
    for (const bool toolkitTexts : {false, true}) {
        SCOPED_TRACE(toolkitTexts ? "with the toolkit's Chinese texts" : "without the toolkit's Chinese texts");
        if (toolkitTexts && !test::ToolkitLanguage::toolkitHasTexts("zh_CN")) continue;  // not installed here
        test::ToolkitLanguage chinese("zh_CN", toolkitTexts);
        test::TextScaleScope larger(1.5);
        GuideWindow guide(std::nullopt);
        Gtk::Label& list = guide.shortcutList();
        const std::string text = list.get_text();
        EXPECT_THAT(text, testing::HasSubstr("Alt+Left / Alt+Right \u540E\u9000 / \u524D\u8FDB"));
        EXPECT_THAT(text, testing::HasSubstr("Ctrl+Tab / Ctrl+Page\u00A0Down \u4E0B\u4E00\u4E2A\u6807\u7B7E\u9875"));
        guide.show();
        ASSERT_TRUE(spinUntil([&] { return list.get_mapped() && list.get_allocated_width() > 1; }));
        int lines = 0;
        for (GSList* line = pango_layout_get_lines_readonly(list.get_layout()->gobj()); line; line = line->next) {
            ++lines;
            const auto start = static_cast<std::size_t>(static_cast<PangoLayoutLine*>(line->data)->start_index);
            if (start > 0 && start < text.size()) {
                EXPECT_TRUE(text[start - 1] == ' ' || text[start - 1] == '\n')
                    << "a line starts inside a word: " << text.substr(start - 3, 12);
            }
        }
        EXPECT_GT(lines, 6) << "the list's six lines wrap at this size";
    }
}

}  // namespace
}  // namespace quenlith
