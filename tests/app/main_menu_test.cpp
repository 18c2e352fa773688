// The main menu's keys and commands on real windows, the auxiliary windows' reuse and the page flows.
#include <cmath>
#include <functional>
#include <map>
#include <set>
#include <span>
#include <tuple>

#include <webkit2/webkit2.h>

#include <gdkmm/monitor.h>
#include <gtkmm/clipboard.h>
#include <gtkmm/menu.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/textview.h>

#include "app/app_fixture.hpp"
#include "app/focus_walk.hpp"
#include "app/status_bar_controller.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/streaming_server.hpp"
#include "browser/view/browser_chrome.hpp"
#include "browser/view/browser_more_menu.hpp"
#include "browser/view/browser_toolbar.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/web_test_support.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "launcher/website_start_page.hpp"
#include "model/web_app_store.hpp"
#include "support/other_x_client.hpp"
#include "support/toolkit_warnings.hpp"
#include "ui/kept_above.hpp"
#include "ui/alert.hpp"
#include "windows/rename_scene_alert.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::pressKey;
using test::spinUntil;

constexpr unsigned kCtrl = GDK_CONTROL_MASK;
constexpr unsigned kShift = GDK_SHIFT_MASK;
constexpr unsigned kAlt = GDK_MOD1_MASK;

// The auxiliary windows and how each is shown; the first four close with Escape.
using Show = void (AuxiliaryWindows::*)();
const std::pair<AuxiliaryWindows::Kind, Show> kAuxiliaryWindows[] = {
    {AuxiliaryWindows::Kind::settings, &AuxiliaryWindows::showSettings},
    {AuxiliaryWindows::Kind::downloads, &AuxiliaryWindows::showDownloads},
    {AuxiliaryWindows::Kind::library, &AuxiliaryWindows::showLibrary},
    {AuxiliaryWindows::Kind::guide, &AuxiliaryWindows::showGuide},
    {AuxiliaryWindows::Kind::quickOpen, &AuxiliaryWindows::showQuickOpen},
    {AuxiliaryWindows::Kind::batchLinks, &AuxiliaryWindows::showBatchLinks}};

// Every item of the menu model, its sections and submenus walked through: `visit(submenu title,
// menu holding the item, index)`; the items of the top level have an empty submenu title.
void forEachItem(const Glib::RefPtr<Gio::MenuModel>& model, const std::string& submenu,
                 const std::function<void(const std::string&, const Glib::RefPtr<Gio::MenuModel>&, int)>& visit) {
    for (int index = 0; index < model->get_n_items(); ++index) {
        if (auto section = model->get_item_link(index, Gio::MENU_LINK_SECTION)) {
            forEachItem(section, submenu, visit);
            continue;
        }
        visit(submenu, model, index);
        if (auto inner = model->get_item_link(index, Gio::MENU_LINK_SUBMENU)) {
            gchar* label = nullptr;
            g_menu_model_get_item_attribute(model->gobj(), index, "label", "s", &label);
            forEachItem(inner, label ? label : "", visit);
            g_free(label);
        }
    }
}

std::string itemAttribute(const Glib::RefPtr<Gio::MenuModel>& model, int index, const char* name) {
    gchar* value = nullptr;
    if (!g_menu_model_get_item_attribute(model->gobj(), index, name, "s", &value)) return {};
    std::string result = value;
    g_free(value);
    return result;
}

// The item of the shown menu whose label is `title`.
Gtk::MenuItem* menuItemTitled(Gtk::Menu& menu, const std::string& title) {
    Gtk::Widget* found = test::findLabelled<Gtk::Label>(menu, title);
    while (found && !dynamic_cast<Gtk::MenuItem*>(found)) found = found->get_parent();
    return dynamic_cast<Gtk::MenuItem*>(found);
}

// Chooses the item at the end of `path` ({"View", "Reload Page"}) in the open menu, as the pointer
// does: each submenu opened by highlighting its item, the last item activated with every menu
// closing first. False when an item or a submenu did not show.
bool choose(Gtk::Menu& open, const std::vector<std::string>& path) {
    Gtk::Menu* menu = &open;
    for (std::size_t step = 0; step < path.size(); ++step) {
        Gtk::MenuItem* item = menuItemTitled(*menu, path[step]);
        if (!item) return false;
        if (step + 1 == path.size()) {
            menu->activate_item(*item, true);
            return true;
        }
        menu->select_item(*item);
        Gtk::Menu* submenu = item->get_submenu();
        if (!submenu || !spinUntil([&] { return submenu->get_mapped(); })) return false;
        menu = submenu;
    }
    return false;
}

// The menu on the screen holding an item of that title, or none.
Gtk::Menu* shownMenuWith(const std::string& title) {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* menu = dynamic_cast<Gtk::Menu*>(window->get_child());
            menu && menu->get_mapped() && menuItemTitled(*menu, title))
            return menu;
    return nullptr;
}
// The main menu on the screen (not one of its submenus), or none.
Gtk::Menu* shownMainMenu() { return shownMenuWith("Edit"); }

// The label of the menu's highlighted item, "" with none.
std::string highlighted(Gtk::Menu& menu) {
    auto* item = dynamic_cast<Gtk::MenuItem*>(menu.get_selected_item());
    return item ? std::string(item->get_label()) : "";
}

// The first widget of type Widget under `root` that `wanted` accepts.
template <typename Widget>
Widget* firstOf(Gtk::Widget& root, const std::function<bool(Widget&)>& wanted = [](Widget&) { return true; }) {
    if (auto* found = dynamic_cast<Widget*>(&root); found && wanted(*found)) return found;
    if (auto* container = dynamic_cast<Gtk::Container*>(&root))
        for (Gtk::Widget* child : container->get_children())
            if (auto* found = firstOf<Widget>(*child, wanted)) return found;
    return nullptr;
}

std::string clipboardText() { return Gtk::Clipboard::get()->wait_for_text(); }

// The field's text and its selection as "text [start,end)".
std::string shownEdit(Gtk::Entry& field) {
    int start = 0, end = 0;
    field.get_selection_bounds(start, end);
    return field.get_text() + " [" + std::to_string(start) + "," + std::to_string(end) + ")";
}
std::string shownEdit(Gtk::TextView& view) {
    auto buffer = view.get_buffer();
    Gtk::TextIter start, end;
    buffer->get_selection_bounds(start, end);
    return buffer->get_text() + " [" + std::to_string(start.get_offset()) + "," + std::to_string(end.get_offset()) +
           ")";
}

class MainMenuTest : public test::AppFixture {
protected:
    void SetUp() override { startWithMenu(); }
    void TearDown() override {
        if (statusBar) statusBar->teardown();
        statusBar.reset();
        test::AppFixture::TearDown();
    }

    // The launcher as the application shows it without a tray: with the main menu's button in its
    // header and its accelerators.
    LauncherWindow& showLauncher() {
        statusBar = std::make_unique<StatusBarController>(*environment, nullptr);
        LauncherWindow& launcher = statusBar->launcher();
        menu->attach(launcher);
        launcher.view().addMenuButton(*menu->makeMenuButton());
        statusBar->showLauncherAsWindow();
        EXPECT_TRUE(makeActive(launcher));
        return launcher;
    }

    // Tests running beside this one on the same display may take the focus: asks again until held.
    static bool makeActive(Gtk::Window& window) {
        return spinUntil([&] {
            if (!window.is_active()) window.present();
            return window.is_active();
        });
    }
    // The window at that width: 1000 pixels show the main menu's button in the title bar, 480 move
    // it into the More menu.
    static bool widen(BrowserWindowController& window, double width) {
        window.panel().setFrame(Rect{100, 40, width, 600});
        return spinUntil([&] {
            Gtk::MenuButton* button = window.browser().chrome().toolbar().mainMenuButton();
            return button && button->get_mapped() == (width >= 1000);
        });
    }

    // Opens the page in the main browser window, makes it the key window and waits for the page.
    BrowserWindowController& openKeyWindow(const std::string& path) {
        environment->windows().routing().open(server.url(path));
        BrowserWindowController& controller =
            *environment->windows().registry().window(environment->windows().registry().browserID());
        // Tests running beside this one on the same display may take the focus: ask again until held.
        EXPECT_TRUE(spinUntil([&] {
            if (!controller.panel().is_active()) controller.panel().present();
            BrowserTab* tab = controller.browser().tabs().active();
            return menu->activeBrowser() == &controller.browser() && tab->webView() &&
                   !tab->state().showsStartPage && !webkit_web_view_is_loading(tab->webView());
        }));
        return controller;
    }

    std::unique_ptr<StatusBarController> statusBar;
};

TEST_F(MainMenuTest, AcceleratorsActOnTheKeyBrowserWindow) {
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    BrowserWindowController& window = openKeyWindow("/page");
    BrowserViewController& browser = window.browser();
    FloatingBrowserPanel& panel = window.panel();

    pressKey(panel, "t", kCtrl);
    ASSERT_TRUE(spinUntil([&] { return browser.tabs().items().size() == 2; })) << "Ctrl+T opens a tab";
    pressKey(panel, "bracketleft", kCtrl | kShift);
    EXPECT_TRUE(spinUntil([&] { return browser.tabs().activeIndex() == 0; }))
        << "Ctrl+Shift+[ selects the previous tab";
    pressKey(panel, "w", kCtrl);
    ASSERT_TRUE(spinUntil([&] { return browser.tabs().items().size() == 1; }))
        << "Ctrl+W closes the page's tab";
    pressKey(panel, "t", kCtrl | kShift);
    EXPECT_TRUE(spinUntil([&] { return browser.tabs().items().size() == 2; })) << "Ctrl+Shift+T reopens it";

    pressKey(panel, "equal", kCtrl);
    EXPECT_TRUE(spinUntil([&] { return std::abs(browser.profile().zoomLevel - 1.1) < 1e-9; }));
    pressKey(panel, "plus", kCtrl | kShift);
    EXPECT_TRUE(spinUntil([&] { return std::abs(browser.profile().zoomLevel - 1.2) < 1e-9; }));
    pressKey(panel, "0", kCtrl);
    EXPECT_TRUE(spinUntil([&] { return browser.profile().zoomLevel == 1.0; }));

    menu->perform(MenuAction::launcher);  // no launcher linked: the item does nothing
    // Nothing to go back to: the item is disabled, so its key runs nothing.
    pressKey(panel, "bracketleft", kCtrl);
    EXPECT_FALSE(application->lookup_action("back")->get_enabled());

    // Compact mode's key, which no desktop takes.
    const bool compact = browser.profile().compactMode;
    pressKey(panel, "c", kCtrl | kAlt);
    EXPECT_TRUE(spinUntil([&] { return browser.profile().compactMode != compact; })) << "Ctrl+Alt+C";
    pressKey(panel, "c", kCtrl | kAlt);
    EXPECT_TRUE(spinUntil([&] { return browser.profile().compactMode == compact; }));

    // The check mark follows the window's website.
    const bool pinned = browser.profile().alwaysOnTop;
    application->activate_action("pin");
    EXPECT_EQ(browser.profile().alwaysOnTop, !pinned);
    bool checked = pinned;
    application->lookup_action("pin")->get_state(checked);
    EXPECT_EQ(checked, !pinned);

    // The saved pages open with a browser's key for its library window, last: they take the focus.
    pressKey(panel, "h", kCtrl | kShift);
    EXPECT_TRUE(spinUntil([&] {
        Gtk::Window* library = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::library);
        return library && library->get_visible();
    })) << "Ctrl+Shift+H";
}

// A command chosen in a website window's own menu acts on that window, though the menu took the
// focus from it; one chosen in the menu of a window that shows no website (the launcher), on the
// last active website window; a key afterwards acts on the key window.
TEST_F(MainMenuTest, ACommandChosenInAWindowsMenuActsOnThatWindow) {
    server.page("/a", "<!doctype html><title>A</title><p>text</p>");
    BrowserWindowController& a = openKeyWindow("/a");
    environment->windows().routing().openPrivateWindow();
    BrowserWindowController& b =
        *environment->windows().registry().window(*environment->windows().registry().lastActiveID());
    ASSERT_NE(&a, &b);
    for (BrowserWindowController* window : {&a, &b}) menu->addMenuButton(*window);
    Gtk::Window launcher;
    Gtk::MenuButton* launcherButton = menu->makeMenuButton();
    launcher.add(*launcherButton);
    menu->attach(launcher);
    launcher.show_all();
    auto makeActive = [](Gtk::Window& window) {
        return spinUntil([&] {
            if (!window.is_active()) window.present();
            return window.is_active();
        });
    };
    auto opensFrom = [&](Gtk::MenuButton& button) {
        button.set_active(true);
        Gtk::Menu* shown = button.get_popup();
        return shown && spinUntil([&] { return shown->get_mapped(); }) ? shown : nullptr;
    };
    // The More menu of a narrow window, holding the main menu.
    std::unique_ptr<Gtk::Menu> more;
    auto opensMoreOf = [&](BrowserWindowController& window) -> Gtk::Menu* {
        window.panel().setFrame(Rect{100, 40, 480, 600});
        if (!spinUntil([&] { return window.browser().chrome().toolbar().mainMenuInMenu(); })) return nullptr;
        more = window.browser().moreMenu().make();
        more->popup_at_widget(&window.browser().chrome().toolbar().more(), Gdk::GRAVITY_SOUTH_WEST,
                              Gdk::GRAVITY_NORTH_WEST, nullptr);
        return spinUntil([&] { return more->get_mapped(); }) ? more.operator->() : nullptr;
    };
    auto aButton = [&] { return opensFrom(*a.browser().chrome().toolbar().mainMenuButton()); };
    auto tabsOf = [](BrowserWindowController& window) { return window.browser().tabs().items().size(); };

    struct Row {
        const char* name;
        Gtk::Window& key;  // the key window as the menu opens
        std::function<Gtk::Menu*()> open;
        std::vector<std::string> path;
        std::function<std::function<bool()>()> effect;  // read before, answers whether it came
    };
    const Row rows[] = {
        {"Reload Page from A's menu while A is key", a.panel(), aButton, {"View", "Reload Page"},
         [&] { return [&, before = server.requestCount("/a")] { return server.requestCount("/a") > before; }; }},
        {"New Tab from A's menu while B is key", b.panel(), aButton, {"File", "New Tab"},
         [&] {
             return [&, before = tabsOf(a), others = tabsOf(b)] { return tabsOf(a) == before + 1 && tabsOf(b) == others; };
         }},
        {"Always on Top from A's menu", a.panel(), aButton, {"Window", "Always on Top"},
         [&] { return [&, before = a.browser().profile().alwaysOnTop] { return a.browser().profile().alwaysOnTop != before; }; }},
        {"Previous Tab from Main Menu in A's More menu", a.panel(), [&] { return opensMoreOf(a); },
         {"Main Menu", "Window", "Previous Tab"},
         [&] {
             return [&, before = a.browser().tabs().activeIndex()] { return a.browser().tabs().activeIndex() != before; };
         }},
        {"New Tab from the launcher's menu: the last active window, A", launcher, [&] { return opensFrom(*launcherButton); },
         {"File", "New Tab"},
         [&] {
             return [&, before = tabsOf(a), others = tabsOf(b)] { return tabsOf(a) == before + 1 && tabsOf(b) == others; };
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(makeActive(a.panel()));
        ASSERT_TRUE(makeActive(row.key));
        auto came = row.effect();
        Gtk::Menu* shown = row.open();
        ASSERT_TRUE(shown);
        // The menu has the focus, as on a desktop, before the person chooses.
        spinUntil([&] { return !row.key.is_active(); }, std::chrono::seconds(2));
        ASSERT_TRUE(choose(*shown, row.path));
        EXPECT_TRUE(spinUntil(came));
        more.reset();
    }

    // The turn after, a key acts on the key window again.
    ASSERT_TRUE(makeActive(b.panel()));
    const std::size_t inA = tabsOf(a), inB = tabsOf(b);
    pressKey(b.panel(), "t", kCtrl);
    EXPECT_TRUE(spinUntil([&] { return tabsOf(b) == inB + 1; }));
    EXPECT_EQ(tabsOf(a), inA);
}

// Undo, Redo, Cut, Copy, Paste and Select All chosen in a window's menu act in the field or page
// that has the focus in that window, as their keys do there, though the menu holds the focus as the
// item runs: a website window's address field and page and the launcher's search field (the menu's
// button clicked), and the text of "Open Multiple Links" (F10).
TEST_F(MainMenuTest, EditItemsActInTheFocusedFieldOrPageOfTheWindowTheMenuCameFrom) {
    server.page("/edit", "<!doctype html><title>Edit</title><input id=f>");
    BrowserWindowController& website = openKeyWindow("/edit");
    menu->addMenuButton(website);
    ASSERT_TRUE(widen(website, 1000));
    LauncherWindow& launcher = showLauncher();
    environment->auxiliaryWindows().showBatchLinks();
    Gtk::Window* links = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::batchLinks);
    ASSERT_TRUE(links);
    Gtk::TextView* linksText = firstOf<Gtk::TextView>(*links);
    ASSERT_TRUE(linksText);
    Gtk::Entry& address = website.browser().chrome().toolbar().address();
    Gtk::Entry& search = launcher.view().startPage()->searchField();
    WebKitWebView* page = website.browser().tabs().active()->webView();
    Gtk::MenuButton* launcherButton = firstOf<Gtk::MenuButton>(
        launcher, [&](Gtk::MenuButton& button) { return button.get_menu_model() == menu->model(); });
    ASSERT_TRUE(launcherButton);

    // Where the item acts: how the person opens the window's menu, how the focus, the text and
    // its selection are put there, and what it shows then ("text [start,end)").
    struct Place {
        const char* name;
        Gtk::Window& window;
        std::function<void()> open;
        std::function<void(const std::string&, int, int)> put;
        std::function<std::string()> shown;
        // The menu the person opens, by an item it holds, and the items to the main menu's Edit.
        std::string opened = "Edit";
        std::vector<std::string> toEdit = {"Edit"};
    };
    auto click = [](Gtk::Button& button) { return [&button] { test::clickAsUser(GTK_WIDGET(button.gobj())); }; };
    auto pressF10 = [](Gtk::Window& window) { return [&window] { test::pressKey(window, "F10"); }; };
    auto inEntry = [](Gtk::Entry& field, std::function<void()> focus) {
        return [&field, focus](const std::string& text, int start, int end) {
            focus();
            field.set_text(text);
            field.select_region(start, end);
        };
    };
    auto clickMenuButton = click(*website.browser().chrome().toolbar().mainMenuButton());
    const Place addressField{"the website's address field", website.panel(), clickMenuButton,
                             inEntry(address, [&] { website.browser().presenter().focusAddressField(); }),
                             [&] { return shownEdit(address); }};
    const Place content{"the website's page", website.panel(), clickMenuButton,
                        [&](const std::string& text, int start, int end) {
                            gtk_widget_grab_focus(GTK_WIDGET(page));
                            test::evaluate(page, "f.focus(); f.value = '" + text + "'; f.setSelectionRange(" +
                                                     std::to_string(start) + "," + std::to_string(end) + "); 0");
                        },
                        [&] {
                            // JSON, quoted.
                            const std::string shown =
                                test::evaluate(page, "f.value + ' [' + f.selectionStart + ',' + f.selectionEnd + ')'")
                                    .value_or("\"\"");
                            return shown.substr(1, shown.size() - 2);
                        }};
    // A window too narrow for the menu's button holds the main menu in its More menu.
    Place narrowContent = content;
    narrowContent.name = "the page of a website window 480 pixels wide (More, Main Menu)";
    narrowContent.open = click(website.browser().chrome().toolbar().more());
    narrowContent.put = [&](const std::string& text, int start, int end) {
        EXPECT_TRUE(widen(website, 480));
        ASSERT_TRUE(makeActive(website.panel()));
        content.put(text, start, end);
    };
    narrowContent.opened = "Main Menu";
    narrowContent.toEdit = {"Main Menu", "Edit"};
    const Place launcherSearch{"the launcher's search field", launcher, click(*launcherButton),
                               inEntry(search, [&] { search.grab_focus(); }), [&] { return shownEdit(search); }};
    const Place linksField{"the text of Open Multiple Links", *links, pressF10(*links),
                           [&](const std::string& text, int start, int end) {
                               linksText->grab_focus();
                               auto buffer = linksText->get_buffer();
                               buffer->set_text(text);
                               buffer->select_range(buffer->get_iter_at_offset(start), buffer->get_iter_at_offset(end));
                           },
                           [&] { return shownEdit(*linksText); }};

    // What each item does to "one two" with "one" selected; Paste finds "pasted" on the clipboard.
    struct Item {
        const char* title;
        std::string shown, clipboard;
    };
    const Item items[] = {{"Cut", " two [0,0)", "one"},
                          {"Copy", "one two [0,3)", "one"},
                          {"Paste", "pasted two [6,6)", "pasted"},
                          {"Select All", "one two [0,7)", "before"}};
    struct Row {
        const Place& place;
        std::string item;
        std::function<void()> prepare;
        std::string shown, clipboard;
    };
    std::vector<Row> rows;
    auto addRows = [&](const Place& place) {
        for (const Item& item : items)
            rows.push_back({place, item.title,
                            [&place, paste = std::string(item.title) == "Paste"] {
                                Gtk::Clipboard::get()->set_text(paste ? "pasted" : "before");
                                place.put("one two", 0, 3);
                            },
                            item.shown, item.clipboard});
    };
    for (const Place* place : {&addressField, &content, &launcherSearch, &linksField}) addRows(*place);
    // A page keeps what was typed to undo it; entries keep no history, as their keys show.
    auto typeInPage = [&] {
        content.put("", 0, 0);
        webkit_web_view_execute_editing_command_with_argument(page, "InsertText", "typed");
        return spinUntil([&] { return content.shown() == "typed [5,5)"; });
    };
    rows.push_back({content, "Undo", [&] { EXPECT_TRUE(typeInPage()); }, " [0,0)", "before"});
    rows.push_back({content, "Redo",
                    [&] {
                        EXPECT_TRUE(typeInPage());
                        webkit_web_view_execute_editing_command(page, WEBKIT_EDITING_COMMAND_UNDO);
                        EXPECT_TRUE(spinUntil([&] { return content.shown() == " [0,0)"; }));
                    },
                    "typed [5,5)", "before"});
    // Last: the window stays narrow.
    addRows(narrowContent);

    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.item) + " in " + row.place.name);
        ASSERT_TRUE(spinUntil([] { return !shownMainMenu() && !shownMenuWith("Main Menu"); }));
        ASSERT_TRUE(makeActive(row.place.window));
        Gtk::Clipboard::get()->set_text("before");
        row.prepare();
        row.place.open();
        Gtk::Menu* shown = nullptr;
        if (!spinUntil([&] { return (shown = shownMenuWith(row.place.opened)) != nullptr; })) {
            ADD_FAILURE() << "the menu does not open";
            continue;
        }
        // The menu has the focus, as on a desktop, before the person chooses.
        spinUntil([&] { return !row.place.window.is_active(); }, std::chrono::seconds(2));
        std::vector<std::string> path = row.place.toEdit;
        path.push_back(row.item);
        ASSERT_TRUE(choose(*shown, path));
        EXPECT_TRUE(spinUntil([&] { return row.place.shown() == row.shown; })) << row.place.shown();
        EXPECT_TRUE(spinUntil([&] { return clipboardText() == row.clipboard; })) << clipboardText();
    }
}

// F10 opens the main menu in every window that has it, as in GTK applications, on its first item
// for the arrow keys; Escape closes it and gives the focus back where it was: in a website window
// too narrow for the menu's button (480 pixels) and a wide one, the launcher and a settings window.
TEST_F(MainMenuTest, F10OpensTheMenuInEveryWindowAndEscapeGivesTheFocusBack) {
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    BrowserWindowController& website = openKeyWindow("/page");
    menu->addMenuButton(website);
    LauncherWindow& launcher = showLauncher();
    environment->auxiliaryWindows().showSettings();
    Gtk::Window* settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
    ASSERT_TRUE(settings);
    WebKitWebView* page = website.browser().tabs().active()->webView();
    Gtk::MenuButton* launcherButton = firstOf<Gtk::MenuButton>(
        launcher, [&](Gtk::MenuButton& button) { return button.get_menu_model() == menu->model(); });
    ASSERT_TRUE(launcherButton);
    struct Row {
        const char* name;
        Gtk::Window& window;
        std::function<Gtk::Widget*()> focus;  // puts the focus there and answers it
        // The window's menu button, which opens the menu where it is shown (pressed, the menu
        // under it, the launcher kept open while it is).
        Gtk::MenuButton* button;
    };
    const Row rows[] = {
        {"a website window 480 pixels wide", website.panel(),
         [&]() -> Gtk::Widget* {
             EXPECT_TRUE(widen(website, 480));
             gtk_widget_grab_focus(GTK_WIDGET(page));
             return Glib::wrap(GTK_WIDGET(page));
         },
         nullptr},
        {"a website window 1000 pixels wide", website.panel(),
         [&]() -> Gtk::Widget* {
             EXPECT_TRUE(widen(website, 1000));
             website.browser().presenter().focusAddressField();
             return &website.browser().chrome().toolbar().address();
         },
         website.browser().chrome().toolbar().mainMenuButton()},
        {"the launcher", launcher,
         [&]() -> Gtk::Widget* {
             launcher.view().startPage()->searchField().grab_focus();
             return &launcher.view().startPage()->searchField();
         },
         launcherButton},
        {"the settings window", *settings,
         [&]() -> Gtk::Widget* {
             settings->child_focus(Gtk::DIR_TAB_FORWARD);
             return settings->get_focus();
         },
         nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Gtk::Widget* focused = row.focus();
        ASSERT_TRUE(makeActive(row.window));
        ASSERT_TRUE(focused && spinUntil([&] { return row.window.get_focus() == focused; }));
        test::pressKey(row.window, "F10");
        Gtk::Menu* shown = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (shown = shownMainMenu()) != nullptr; })) << "F10 opens the menu";
        EXPECT_EQ(highlighted(*shown), "File");
        if (row.button) {
            EXPECT_TRUE(row.button->get_active()) << "opened from the window's menu button";
        }
        auto& menuWindow = dynamic_cast<Gtk::Window&>(*shown->get_toplevel());
        test::pressKey(menuWindow, "Down");
        EXPECT_EQ(highlighted(*shown), "Edit") << "the arrow keys move in it";
        test::pressKey(menuWindow, "Escape");
        EXPECT_TRUE(spinUntil([] { return !shownMainMenu(); })) << "Escape closes it";
        EXPECT_TRUE(spinUntil([&] { return row.window.is_active() && row.window.get_focus() == focused; }))
            << "the focus is back where it was";
    }
}

// Focus Address Bar and New Tab chosen in the launcher's menu act on the last active website
// window: it comes forward with its address field focused, for the person to type into.
TEST_F(MainMenuTest, FocusingItemsChosenInTheLaunchersMenuBringTheirWindowForward) {
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    BrowserWindowController& website = openKeyWindow("/page");
    LauncherWindow& launcher = showLauncher();
    Gtk::MenuButton* button = firstOf<Gtk::MenuButton>(
        launcher, [&](Gtk::MenuButton& candidate) { return candidate.get_menu_model() == menu->model(); });
    ASSERT_TRUE(button);
    const std::vector<std::string> paths[] = {{"View", "Focus Address Bar"}, {"File", "New Tab"}};
    for (const auto& path : paths) {
        SCOPED_TRACE(path.back());
        ASSERT_TRUE(spinUntil([&] {
            if (!launcher.get_visible()) statusBar->showLauncherAsWindow();
            return makeActive(launcher);
        }));
        test::clickAsUser(GTK_WIDGET(button->gobj()));
        Gtk::Menu* shown = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (shown = shownMainMenu()) != nullptr; }));
        ASSERT_TRUE(choose(*shown, path));
        EXPECT_TRUE(spinUntil([&] {
            return website.panel().is_active() && website.browser().chrome().toolbar().address().is_focus();
        }));
        EXPECT_FALSE(launcher.is_active());
    }
}

// Escape stops a loading page, as in browsers, once the focused control has had its turn: the find
// bar closes on it and the page keeps loading; with the page focused, the load stops.
TEST_F(MainMenuTest, EscapeStopsALoadingPageOnceTheFocusedControlLeftIt) {
    test::StreamingServer slow;
    slow.stream("/slow", "text/html", "<!doctype html><title>Slow</title>");
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    BrowserWindowController& window = openKeyWindow("/page");
    BrowserViewController& browser = window.browser();
    FloatingBrowserPanel& panel = window.panel();
    WebKitWebView* view = browser.tabs().active()->webView();
    webkit_web_view_load_uri(view, slow.url("/slow").c_str());
    ASSERT_TRUE(spinUntil([&] { return slow.openCount() == 1 && webkit_web_view_is_loading(view); }));

    browser.page().showFindBar();
    BrowserFindBar& findBar = browser.chrome().findBar();
    ASSERT_TRUE(spinUntil([&] { return findBar.get_visible() && findBar.input().is_focus(); }));
    pressKey(panel, "Escape");
    EXPECT_TRUE(spinUntil([&] { return !findBar.get_visible(); })) << "the find bar has Escape first";
    EXPECT_TRUE(webkit_web_view_is_loading(view));

    gtk_widget_grab_focus(GTK_WIDGET(view));
    pressKey(panel, "Escape");
    EXPECT_TRUE(spinUntil([&] { return !webkit_web_view_is_loading(view); })) << "the page leaves it: the load stops";
}

// A press of the mouse's button `button` on the view, as the display gives it, through GTK's dispatch.
void pressMouseButton(GtkWidget* view, guint button) {
    GdkDisplay* display = gdk_display_get_default();
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(view)));
    event->button.button = button;
    event->button.x = event->button.y = 20;
    event->button.time = GDK_CURRENT_TIME;
    GdkDevice* pointer = gdk_seat_get_pointer(gdk_display_get_default_seat(display));
    gdk_event_set_device(event, pointer);
    gdk_event_set_source_device(event, pointer);
    gtk_main_do_event(event);
    gdk_event_free(event);
}

TEST_F(MainMenuTest, TheKeysAndButtonsOfEveryBrowserWork) {
    server.page("/first", "<!doctype html><title>First</title><a href='/second'>next</a>");
    server.page("/second", "<!doctype html><title>Second</title>");
    BrowserWindowController& window = openKeyWindow("/first");
    BrowserViewController& browser = window.browser();
    FloatingBrowserPanel& panel = window.panel();
    WebKitWebView* view = browser.tabs().active()->webView();
    auto shows = [&](const std::string& path) {
        return spinUntil([&] {
            const gchar* uri = webkit_web_view_get_uri(view);
            return uri && uri == server.url(path) && !webkit_web_view_is_loading(view);
        });
    };
    webkit_web_view_evaluate_javascript(view, "document.querySelector('a').click()", -1, nullptr, nullptr, nullptr,
                                        nullptr, nullptr);
    ASSERT_TRUE(shows("/second")) << "the link is followed";

    pressKey(panel, "Left", kAlt);
    EXPECT_TRUE(shows("/first")) << "Alt+Left goes back";
    pressKey(panel, "Right", kAlt);
    EXPECT_TRUE(shows("/second")) << "Alt+Right goes forward";
    pressMouseButton(GTK_WIDGET(view), 8);
    EXPECT_TRUE(shows("/first")) << "the mouse's back button";
    pressMouseButton(GTK_WIDGET(view), 9);
    EXPECT_TRUE(shows("/second")) << "the mouse's forward button";

    const int loads = server.requestCount("/second");
    pressKey(panel, "F5");
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/second") > loads; })) << "F5 reloads";
    ASSERT_TRUE(shows("/second"));

    pressKey(panel, "t", kCtrl);
    ASSERT_TRUE(
        spinUntil([&] { return browser.tabs().items().size() == 2 && browser.tabs().activeIndex() == 1; }));
    const std::tuple<const char*, unsigned, std::size_t> tabKeys[] = {
        {"Page_Up", kCtrl, 0},   {"Page_Down", kCtrl, 1}, {"ISO_Left_Tab", kCtrl | kShift, 0},
        {"Tab", kCtrl, 1},       {"Tab", kCtrl | kShift, 0},
    };
    for (const auto& [key, modifiers, selected] : tabKeys) {
        pressKey(panel, key, modifiers);
        EXPECT_TRUE(spinUntil([&, selected = selected] { return browser.tabs().activeIndex() == selected; }))
            << key << " with modifiers " << modifiers;
    }
}

TEST_F(MainMenuTest, EscapeClosesTheAuxiliaryWindowsWithoutCancel) {
    AuxiliaryWindows& windows = environment->auxiliaryWindows();
    for (const auto& [kind, present] : std::span(kAuxiliaryWindows).first(4)) {
        (windows.*present)();
        Gtk::Window* shown = windows.window(kind);
        ASSERT_TRUE(shown && spinUntil([&] { return shown->get_mapped(); }));
        pressKey(*shown, "Escape");
        EXPECT_TRUE(spinUntil([&] { return !shown->get_visible(); })) << AuxiliaryWindows::title(kind);
    }
}

// The menu button holds the menus of a menu bar as submenus, then the application's own commands,
// as GNOME applications end their primary menu: every command keeps its item in its menu, with the
// groups of View and Quit set apart, and shows the key the application binds to it.
TEST_F(MainMenuTest, HoldsTheMenusAsSubmenusWithEveryCommandAndItsKey) {
    auto model = menu->model();
    std::vector<std::string> titles;
    auto menus = model->get_item_link(0, Gio::MENU_LINK_SECTION);
    ASSERT_TRUE(menus);
    for (int index = 0; index < menus->get_n_items(); ++index) {
        EXPECT_TRUE(menus->get_item_link(index, Gio::MENU_LINK_SUBMENU)) << index;
        titles.push_back(itemAttribute(menus, index, "label"));
    }
    EXPECT_EQ(titles, (std::vector<std::string>{"File", "Edit", "View", "Window", "Help"}));
    // The sections of the top level and of View: what a separator parts.
    std::vector<std::vector<std::string>> groups;
    const Glib::RefPtr<Gio::MenuModel> top = model, view = menus->get_item_link(2, Gio::MENU_LINK_SUBMENU);
    ASSERT_TRUE(view);
    for (const auto& [holder, at] : std::vector<std::pair<Glib::RefPtr<Gio::MenuModel>, int>>{
             {top, 1}, {top, 2}, {view, 0}, {view, 1}}) {
        auto section = holder->get_item_link(at, Gio::MENU_LINK_SECTION);
        ASSERT_TRUE(section) << at;
        groups.emplace_back();
        for (int index = 0; index < section->get_n_items(); ++index)
            groups.back().push_back(itemAttribute(section, index, "action"));
    }
    EXPECT_EQ(groups, (std::vector<std::vector<std::string>>{
                          {"app.about", "app.settings"},
                          {"app.quit"},
                          {"app.address", "app.reload", "app.stop", "app.back", "app.forward"},
                          {"app.zoomIn", "app.zoomOut", "app.zoomReset", "app.compact"}}));
    EXPECT_EQ(model->get_n_items(), 3);

    const std::map<std::string, std::string> menuOf = {
        {"app.openBrowser", "File"}, {"app.menuBarIcon", "File"}, {"app.downloads", "File"},
        {"app.undo", "Edit"},        {"app.selectAll", "Edit"},   {"app.previousMatch", "Edit"},
        {"app.reload", "View"},      {"app.compact", "View"},     {"app.arrangeLeft", "Window"},
        {"app.pin", "Window"},       {"app.hideAll", "Window"},   {"app.guide", "Help"},
        {"app.settings", ""},        {"app.quit", ""}};
    std::set<std::string> shown;
    forEachItem(model, "", [&](const std::string& submenu, const Glib::RefPtr<Gio::MenuModel>& holder, int item) {
        const std::string name = itemAttribute(holder, item, "action");
        if (name.empty()) return;  // a submenu's item
        shown.insert(name);
        if (menuOf.count(name)) {
            EXPECT_EQ(submenu, menuOf.at(name)) << name;
        }
        // The editing commands only show their keys: the focused entry or page handles them.
        static const std::set<std::string> editing = {"app.undo", "app.redo",  "app.cut",
                                                      "app.copy", "app.paste", "app.selectAll"};
        if (editing.count(name)) return;
        auto accels = application->get_accels_for_action(name);
        const std::string accel = itemAttribute(holder, item, "accel");
        if (!accel.empty()) {
            ASSERT_FALSE(accels.empty()) << name;
            // The same key and modifiers, whichever order the texts write them in.
            guint shownKey = 0, boundKey = 0;
            GdkModifierType shownMods{}, boundMods{};
            gtk_accelerator_parse(accel.c_str(), &shownKey, &shownMods);
            gtk_accelerator_parse(accels.front().c_str(), &boundKey, &boundMods);
            EXPECT_TRUE(shownKey == boundKey && shownMods == boundMods) << name << ": " << accel;
        } else {
            EXPECT_TRUE(accels.empty()) << name << " has a key the menu does not show";
        }
    });
    for (MenuAction action : allMenuActions())
        EXPECT_EQ(shown.count("app." + std::string(menuActionName(action))), 1u) << menuActionName(action);
    for (const char* name : {"app.undo", "app.copy", "app.paste", "app.quit"})
        EXPECT_EQ(shown.count(name), 1u) << name;
}

// The menu button opens the menu as a window of its own, placed on the screen and as wide as the
// menu: not drawn inside the window it opens from, which is smaller than the menu (the launcher is
// 420 x 590), so that no item is cut off.
TEST_F(MainMenuTest, OpensAsAWindowOfItsOwnOnTheScreen) {
    Gtk::Window host;
    host.set_default_size(420, 590);
    Gtk::Box header(Gtk::ORIENTATION_HORIZONTAL);
    Gtk::MenuButton* button = menu->makeMenuButton();
    header.pack_end(*button, Gtk::PACK_SHRINK);
    host.add(header);
    host.show_all();
    ASSERT_TRUE(spinUntil([&] { return button->get_mapped(); }));
    button->grab_focus();
    const int warnings = test::toolkitWarningCount();
    test::typeKey(host, "Return");
    Gtk::Label* first = nullptr;
    ASSERT_TRUE(spinUntil([&] {
        Gtk::Widget* shown = button->get_popup() ? static_cast<Gtk::Widget*>(button->get_popup())
                                                 : static_cast<Gtk::Widget*>(button->get_popover());
        first = shown ? test::findLabelled<Gtk::Label>(*shown, "File") : nullptr;
        return first && first->get_mapped();
    }));
    auto* window = dynamic_cast<Gtk::Window*>(first->get_toplevel());
    ASSERT_NE(window, nullptr);
    EXPECT_NE(window, &host) << "drawn inside the window it opens from";
    int x = 0, y = 0, itemX = 0, itemY = 0;
    window->get_window()->get_origin(x, y);
    first->translate_coordinates(*window, 0, 0, itemX, itemY);
    const Gdk::Rectangle frame(x, y, window->get_allocated_width(), window->get_allocated_height());
    Gdk::Rectangle screen;
    window->get_display()->get_monitor_at_window(window->get_window())->get_geometry(screen);
    EXPECT_TRUE(frame.get_x() >= screen.get_x() && frame.get_y() >= screen.get_y() &&
                frame.get_x() + frame.get_width() <= screen.get_x() + screen.get_width() &&
                frame.get_y() + frame.get_height() <= screen.get_y() + screen.get_height())
        << frame.get_x() << "," << frame.get_y() << " " << frame.get_width() << "x" << frame.get_height();
    EXPECT_TRUE(itemX >= 0 && itemY >= 0 && itemX + first->get_allocated_width() <= frame.get_width() &&
                itemY + first->get_allocated_height() <= frame.get_height())
        << "the first item lies within the menu's window";
    int minimum = 0, natural = 0;
    window->get_preferred_width(minimum, natural);
    EXPECT_GE(frame.get_width(), natural) << "the right edge (check marks, keys) is cut";
    EXPECT_EQ(test::toolkitWarningCount(), warnings);
    if (button->get_popup()) button->get_popup()->popdown();
}

// While there is no tray, "Show in Tray" says so and is off, on a page it would otherwise offer.
TEST_F(MainMenuTest, ShowInTraySaysThereIsNoTrayWhileThereIsNone) {
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    openKeyWindow("/page");
    auto trayItem = [&] {
        std::string title;
        forEachItem(menu->model(), "", [&](const std::string&, const Glib::RefPtr<Gio::MenuModel>& holder, int item) {
            if (itemAttribute(holder, item, "action") == "app.menuBarIcon") title = itemAttribute(holder, item, "label");
        });
        return title;
    };
    for (bool available : {false, true}) {
        environment->windows().tray().setAvailable(available);
        EXPECT_EQ(trayItem(), available ? "Show in Tray" : "Show in Tray (No Tray Found)");
        menu->refresh();
        EXPECT_EQ(application->lookup_action("menuBarIcon")->get_enabled(), available);
    }
}

TEST_F(MainMenuTest, CloseClosesTheKeyWindowThatIsNoBrowserWindow) {
    environment->auxiliaryWindows().showSettings();
    Gtk::Window* settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
    ASSERT_TRUE(spinUntil([&] {
        if (!settings->is_active()) settings->present();
        return settings->is_active();
    }));
    pressKey(*settings, "w", kCtrl);
    EXPECT_TRUE(spinUntil([&] { return !settings->get_visible(); })) << "Ctrl+W closes the settings window";
}

// The website editor, for a new website and for a saved one, is a window of the application like
// the others: F10 opens the main menu there, whose Edit items act in the editor's focused field, and
// the application's keys work in it.
TEST_F(MainMenuTest, TheWebsiteEditorTakesTheMenuAndTheApplicationsKeys) {
    const WebAppProfile saved{.name = "Saved", .homeURL = "https://saved.example"};
    ASSERT_TRUE(environment->store().upsert(saved));
    WebsiteEditorPresenter& editors = environment->websiteEditor();
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"Add Website", [&] { editors.showAddWebsite(); }},
        {"Edit Website", [&] { editors.showEditWebsite(saved.id); }},
    };
    for (const auto& [title, open] : rows) {
        SCOPED_TRACE(title);
        open();
        WebAppEditorWindow* editor = editors.editorWindow();
        ASSERT_TRUE(editor);
        EXPECT_EQ(editor->get_title(), title);
        ASSERT_TRUE(makeActive(*editor));
        Gtk::Entry& name = editor->nameField();
        Gtk::Entry& address = editor->addressField();

        // Copy from the name field, then Paste into the address field, each chosen in the menu F10
        // opened on its first item.
        const std::tuple<Gtk::Entry*, const char*, const char*> edits[] = {{&name, "Copy", "one two"},
                                                                           {&address, "Paste", "xyz two"}};
        Gtk::Clipboard::get()->set_text("before");
        for (const auto& [field, item, text] : edits) {
            SCOPED_TRACE(item);
            ASSERT_TRUE(spinUntil([] { return !shownMainMenu(); }));
            ASSERT_TRUE(makeActive(*editor));
            field->grab_focus();
            field->set_text(text);
            field->select_region(0, 3);
            ASSERT_TRUE(spinUntil([&] { return editor->get_focus() == field; }));
            pressKey(*editor, "F10");
            Gtk::Menu* shown = nullptr;
            ASSERT_TRUE(spinUntil([&] { return (shown = shownMainMenu()) != nullptr; }))
                << "F10 opens the menu";
            EXPECT_EQ(highlighted(*shown), "File");
            ASSERT_TRUE(choose(*shown, {"Edit", item}));
        }
        EXPECT_TRUE(spinUntil([] { return clipboardText() == "one"; })) << clipboardText();
        EXPECT_TRUE(spinUntil([&] { return shownEdit(address) == "one two [3,3)"; })) << shownEdit(address);

        // Ctrl+, brings the settings window.
        ASSERT_TRUE(makeActive(*editor));
        pressKey(*editor, "comma", kCtrl);
        Gtk::Window* settings = nullptr;
        EXPECT_TRUE(spinUntil([&] {
            settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
            return settings && settings->get_visible();
        })) << "Ctrl+, opens the settings window";
        if (settings) {
            settings->close();
            EXPECT_TRUE(spinUntil([&] { return !settings->get_visible(); }));
        }
        EXPECT_EQ(editors.editorWindow(), editor) << "the editor stays open, with its edits";
        editors.closeEditor();
    }
}

// The shown window of that title, or none.
Gtk::Window* shownWindowTitled(const std::string& title) {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && window->get_title() == title) return window;
    return nullptr;
}

// Every sheet and dialog of a website window, the toolkit's and the page's included, is a window of
// the application like the others: F10 opens the main menu there on File, and Escape closes the
// menu alone, the dialog keeping the focus; Ctrl+, brings the settings window, which takes its
// own keys while the dialog waits (Escape puts it away, not the dialog); then Escape answers the
// dialog.
TEST_F(MainMenuTest, EverySheetAndDialogOfAWebsiteWindowTakesTheMenuAndTheApplicationsKeys) {
    server.page("/page", "<!doctype html><title>Page</title><input id=pick type=file>");
    BrowserWindowController& browser = openKeyWindow("/page");
    const WebAppProfile saved{.name = "Saved", .homeURL = server.url("/page")};
    ASSERT_TRUE(environment->store().upsert(saved));
    BrowserWindowController* website = environment->windows().routing().showProfile(saved.id);
    ASSERT_TRUE(website && spinUntil([&] { return website->panel().get_mapped(); }));
    auto inPage = [&](const char* script) {
        webkit_web_view_evaluate_javascript(browser.browser().tabs().active()->webView(), script, -1, nullptr,
                                            nullptr, nullptr, nullptr, nullptr);
    };
    struct Row {
        const char* title;  // the dialog's
        std::function<void()> open;
    };
    const Row rows[] = {
        {"Website Settings", [&] { browser.browser().moreMenu().showWindowSettingsSheet(); }},
        {"User agent", [&] { website->browser().moreMenu().showUserAgentSheet(); }},
        {"Proxy", [&] { website->browser().moreMenu().showProxySheet(); }},  // the saved website's own
        {"Proxy", [&] { browser.browser().moreMenu().showProxySheet(); }},   // the global proxy
        {"Ad Filtering", [&] { website->browser().moreMenu().showAdFilterSheet(); }},
        {"Rename Page Group", [&] { presentRenameAlert({.id = Uuid::random(), .name = "Group"}, {}, &website->panel()); }},
        {"Could not go on", [&] { showAlert(AlertKind::error, "Could not go on", "Why", &website->panel()); }},
        {"127.0.0.1", [&] { inPage("setTimeout(() => confirm('Sure?'))"); }},
        {"Open", [&] { inPage("document.getElementById('pick').click()"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.title);
        row.open();
        Gtk::Window* dialog = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (dialog = shownWindowTitled(row.title)) && dialog->get_mapped(); }));
        ASSERT_TRUE(makeActive(*dialog));

        pressKey(*dialog, "F10");
        Gtk::Menu* shown = nullptr;
        ASSERT_TRUE(spinUntil([&] { return (shown = shownMainMenu()) != nullptr; })) << "F10 opens the menu";
        EXPECT_EQ(highlighted(*shown), "File");
        pressKey(dynamic_cast<Gtk::Window&>(*shown->get_toplevel()), "Escape");
        EXPECT_TRUE(spinUntil([] { return !shownMainMenu(); })) << "Escape closes it";
        EXPECT_TRUE(spinUntil([&] { return dialog->is_active(); })) << "the dialog has the focus back";
        // The display has told of the menu's hold on the keyboard ending: the keys made here, which
        // come without the display, would go to the menu until then.
        GdkDevice* keyboard = gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default()));
        ASSERT_TRUE(spinUntil([&] { return !gdk_display_device_is_grabbed(gdk_display_get_default(), keyboard); }));

        pressKey(*dialog, "comma", kCtrl);
        Gtk::Window* settings = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
            return settings && settings->get_mapped();
        })) << "Ctrl+, opens the settings window";
        pressKey(*settings, "Escape");
        EXPECT_TRUE(spinUntil([&] { return !settings->get_visible(); })) << "the settings take their own Escape";
        ASSERT_EQ(shownWindowTitled(row.title), dialog) << "the dialog stays";

        ASSERT_TRUE(makeActive(*dialog));
        pressKey(*dialog, "Escape");
        EXPECT_TRUE(spinUntil([&] { return !shownWindowTitled(row.title); })) << "Escape answers it";
    }
}

TEST_F(MainMenuTest, AuxiliaryWindowsAreReusedByTheirRules) {
    using Kind = AuxiliaryWindows::Kind;
    AuxiliaryWindows& windows = environment->auxiliaryWindows();
    for (const auto& [kind, present] : kAuxiliaryWindows) {
        auto show = [&, present = present] { (windows.*present)(); };
        show();
        Gtk::Window* first = windows.window(kind);
        ASSERT_TRUE(first && first->get_visible());
        EXPECT_EQ(first->get_title(), AuxiliaryWindows::title(kind));
        show();
        EXPECT_EQ(windows.window(kind), first) << "a visible window is brought forward";
        first->close();
        ASSERT_TRUE(spinUntil([&] { return !first->get_visible(); }));
        show();
        Gtk::Window* again = windows.window(kind);
        EXPECT_EQ(again == first, AuxiliaryWindows::reusedWhileHeld(kind)) << AuxiliaryWindows::title(kind);
        EXPECT_TRUE(again->get_visible());
    }
    windows.closeQuickOpen();
    EXPECT_EQ(windows.window(Kind::quickOpen), nullptr);
}

// The settings asked for from a window kept above come in front of it, and go back among the other
// windows once the person turns to another application.
TEST_F(MainMenuTest, AWindowAskedFromOneKeptAboveGoesBackAmongTheOthersForAnotherApplication) {
    test::OtherXClient other;
    Gtk::Window pinned;
    keepAbove(pinned, KeptAbove::always);
    pinned.show();
    ASSERT_TRUE(spinUntil([&] {
        if (!pinned.is_active()) pinned.present();
        return pinned.is_active();
    }));
    environment->auxiliaryWindows().showSettings();
    Gtk::Window* settings = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings);
    ASSERT_TRUE(settings && spinUntil([&] { return settings->is_active(); }));
    EXPECT_EQ(keptAbove(*settings), KeptAbove::untilAnotherApplication);
    other.activate(other.window());
    EXPECT_TRUE(spinUntil([&] { return other.askedNotAbove(test::xWindowOf(*settings)); }));
    settings->hide();
}

TEST_F(MainMenuTest, ReadLaterKeepsTheReadingPositionOfAScrolledPage) {
    server.page(
        "/long",
        "<!doctype html><title>Long read</title><body style='margin:0'><div style='height:20000px'></div>"
        "<script>onload = () => { const s = document.scrollingElement;"
        " s.scrollTop = (s.scrollHeight - s.clientHeight) * 0.6; document.title = 'Scrolled'; };</script>");
    BrowserWindowController& window = openKeyWindow("/long");
    ASSERT_TRUE(spinUntil([&] { return window.browser().tabs().active()->pageTitle() == "Scrolled"; }));

    const auto& clips = environment->library().document().clips;
    pressKey(window.panel(), "d", kCtrl | kShift);
    ASSERT_TRUE(spinUntil([&] { return clips.size() == 1; }));
    EXPECT_NEAR(clips[0].readingPosition.value_or(-1), 0.6, 0.01);
    EXPECT_EQ(clips[0].title, "Scrolled");
    EXPECT_TRUE(clips[0].windowSession) << "a browser window's page reopens in the window's session";
    EXPECT_EQ(window.toastText(), "Saved to Read Later · reading position updated");

    int changes = 0;
    sigc::connection counting = environment->library().signal_changed().connect([&] { ++changes; });
    menu->perform(MenuAction::readLater);
    ASSERT_TRUE(spinUntil([&] { return changes > 0; }));
    counting.disconnect();
    EXPECT_EQ(clips.size(), 1u) << "saving the same page again keeps one entry";

    // A private page is refused, said on the library window.
    environment->auxiliaryWindows().showLibrary();
    environment->windows().routing().openPrivateWindow();
    BrowserWindowController* privateWindow =
        environment->windows().registry().window(*environment->windows().registry().lastActiveID());
    ASSERT_TRUE(privateWindow && !privateWindow->browser().isPersistent());
    environment->readLater(&privateWindow->browser());
    Gtk::Window* sheet =
        attachedSheet(*environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::library));
    ASSERT_TRUE(sheet);
    sheet->hide();
    EXPECT_EQ(clips.size(), 1u);
}

// Over the session bus, keeping a page is offered while a browser window showing one is the key
// window, and follows the focus as it goes to another window of ours and comes back, with no key
// pressed and no menu opened between.
TEST_F(MainMenuTest, KeepingAPageIsOfferedOverTheBusWhileItsWindowHasTheFocus) {
    server.page("/page", "<!doctype html><title>Page</title><p>text</p>");
    GDBusConnection* bus = g_application_get_dbus_connection(G_APPLICATION(application->gobj()));
    ASSERT_TRUE(bus);
    g_autoptr(GDBusActionGroup) remote = g_dbus_action_group_get(
        bus, g_dbus_connection_get_unique_name(bus), g_application_get_dbus_object_path(G_APPLICATION(application->gobj())));
    auto offered = [&](bool expected) {
        return spinUntil([&] {
            g_strfreev(g_action_group_list_actions(G_ACTION_GROUP(remote)));
            for (const char* name : {"clip", "readLater"}) {
                gboolean enabled = FALSE;
                if (!g_action_group_query_action(G_ACTION_GROUP(remote), name, &enabled, nullptr, nullptr, nullptr,
                                                 nullptr) ||
                    static_cast<bool>(enabled) != expected)
                    return false;
            }
            return true;
        });
    };
    BrowserWindowController& window = openKeyWindow("/page");
    EXPECT_TRUE(offered(true)) << "a page in the key window";

    Gtk::Window other;
    other.set_title("Other");
    other.show();
    ASSERT_TRUE(makeActive(other));
    EXPECT_TRUE(offered(false)) << "another window of ours has the focus";
    other.hide();
    ASSERT_TRUE(makeActive(window.panel()));
    EXPECT_TRUE(offered(true)) << "the focus came back to the page's window";
}

TEST_F(MainMenuTest, ClearingWebsiteDataClosesEveryWindowAndRemovesTheSessionFiles) {
    server.page("/page", "<!doctype html><title>Page</title>");
    openKeyWindow("/page");
    environment->library().recordVisit(server.url("/page"), "Page", Date{1});
    const std::string session = environment->windows().session().persistence().fileURL();
    for (const std::string& path : {session, session + ".backup"}) test::writeFile(path, "{}");

    std::optional<WebsiteDataClearingResult> result;
    environment->clearWebsiteData({"cookies", "local-storage"}, false,
                                  [&](auto cleared) { result = cleared; });
    EXPECT_TRUE(environment->windows().registry().windows().empty());
    EXPECT_EQ(environment->windows().routing().open(server.url("/page")), nullptr)
        << "nothing opens while clearing";
    ASSERT_TRUE(spinUntil([&] { return result.has_value(); }));
    EXPECT_TRUE(result->succeeded) << result->message.value_or("");
    for (const std::string& path : {session, session + ".backup"})
        EXPECT_FALSE(test::fileExists(path)) << path;
    EXPECT_EQ(environment->library().document().history.size(), 1u) << "history is kept when not chosen";
    EXPECT_FALSE(environment->windows().session().isResettingWebsiteData());
}

TEST_F(MainMenuTest, ClearingEverythingLeavesNoSessionFileBehind) {
    ASSERT_TRUE(environment->preferences().update([](AppPreferences& p) { p.restoreWindows = true; }));
    environment->windows().session().restoreSession();
    server.page("/page", "<!doctype html><title>Page</title>");
    openKeyWindow("/page");
    const std::string session = environment->windows().session().persistence().fileURL();
    ASSERT_TRUE(spinUntil([&] { return test::fileExists(session); })) << "the snapshot of the open window";

    std::optional<WebsiteDataClearingResult> result;
    environment->clearWebsiteData({"all"}, true, [&](auto cleared) { result = cleared; });
    ASSERT_TRUE(spinUntil([&] { return result.has_value(); }, std::chrono::seconds(30)));
    EXPECT_TRUE(result->succeeded) << result->message.value_or("");
    // Longer than a snapshot waits after the last change: none comes after the clearing.
    EXPECT_FALSE(spinUntil([&] { return test::fileExists(session); },
                           SessionRestore::kSnapshotDelay + std::chrono::seconds(1)));
}

}  // namespace
}  // namespace quenlith
