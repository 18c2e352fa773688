// The main menu's keys and commands on real windows, the auxiliary windows' reuse and the page flows.
#include <cmath>
#include <set>
#include <span>
#include <tuple>

#include <webkit2/webkit2.h>

#include <gdkmm/monitor.h>
#include <gtkmm/menubutton.h>

#include "app/app_fixture.hpp"
#include "app/focus_walk.hpp"
#include "browser/streaming_server.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "support/other_x_client.hpp"
#include "support/toolkit_warnings.hpp"
#include "ui/kept_above.hpp"
#include "ui/alert.hpp"
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

class MainMenuTest : public test::AppFixture {
protected:
    void SetUp() override { startWithMenu(); }

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

// The menu button holds one menu of sections, as GNOME applications do: no File / Edit / View bar,
// and every command keeps its item and shows the key the application binds to it.
TEST_F(MainMenuTest, IsOneMenuOfSectionsWithEveryCommandAndItsKey) {
    auto model = menu->model();
    std::set<std::string> shown;
    for (int index = 0; index < model->get_n_items(); ++index) {
        EXPECT_FALSE(model->get_item_link(index, Gio::MENU_LINK_SUBMENU)) << "no submenu at " << index;
        auto section = model->get_item_link(index, Gio::MENU_LINK_SECTION);
        ASSERT_TRUE(section) << "only sections at the top, item " << index;
        for (int item = 0; item < section->get_n_items(); ++item) {
            EXPECT_FALSE(section->get_item_link(item, Gio::MENU_LINK_SUBMENU));
            gchar* action = nullptr;
            ASSERT_TRUE(g_menu_model_get_item_attribute(section->gobj(), item, "action", "s", &action));
            const std::string name = action;
            g_free(action);
            shown.insert(name);
            // The editing commands only show their keys: the focused entry or page handles them.
            static const std::set<std::string> editing = {"app.undo", "app.redo",  "app.cut",
                                                          "app.copy", "app.paste", "app.selectAll"};
            if (editing.count(name)) continue;
            auto accels = application->get_accels_for_action(name);
            gchar* accel = nullptr;
            if (g_menu_model_get_item_attribute(section->gobj(), item, "accel", "s", &accel)) {
                ASSERT_FALSE(accels.empty()) << name;
                // The same key and modifiers, whichever order the texts write them in.
                guint shownKey = 0, boundKey = 0;
                GdkModifierType shownMods{}, boundMods{};
                gtk_accelerator_parse(accel, &shownKey, &shownMods);
                gtk_accelerator_parse(accels.front().c_str(), &boundKey, &boundMods);
                EXPECT_TRUE(shownKey == boundKey && shownMods == boundMods) << name << ": " << accel;
                g_free(accel);
            } else {
                EXPECT_TRUE(accels.empty()) << name << " has a key the menu does not show";
            }
        }
    }
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
        first = shown ? test::findLabelled<Gtk::Label>(*shown, "Open Browser") : nullptr;
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
        for (int index = 0; index < menu->model()->get_n_items(); ++index) {
            auto section = menu->model()->get_item_link(index, Gio::MENU_LINK_SECTION);
            for (int item = 0; section && item < section->get_n_items(); ++item) {
                gchar *action = nullptr, *label = nullptr;
                g_menu_model_get_item_attribute(section->gobj(), item, "action", "s", &action);
                g_menu_model_get_item_attribute(section->gobj(), item, "label", "s", &label);
                const std::string name = action ? action : "", title = label ? label : "";
                g_free(action);
                g_free(label);
                if (name == "app.menuBarIcon") return title;
            }
        }
        return std::string();
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
