// A browser window's title bar at the widths people give it: the address readable without a click
// at the default width, the lesser buttons in the More menu when the title bar is narrow, and no
// chrome that makes the window wider than the saved frame or the panel's minimum.
#include <giomm/menu.h>
#include <giomm/simpleactiongroup.h>
#include <gtkmm/menubutton.h>
#include <gtkmm/settings.h>

#include "windows/window_manager_fixture.hpp"
#include "windows/window_shell_hooks.hpp"

#include <gdk/gdkx.h>

namespace quenlith::test {
namespace {

class WindowChromeTest : public WindowManagerFixture {
protected:
    // The item of the menu with that label, or none.
    static Gtk::MenuItem* item(Gtk::Menu& menu, const std::string& label) {
        for (Gtk::Widget* child : menu.get_children())
            if (auto* entry = dynamic_cast<Gtk::MenuItem*>(child); entry && entry->get_label() == label)
                return entry;
        return nullptr;
    }
    static int width(const Gtk::Widget& widget) { return widget.get_allocated_width(); }
    static bool settlesAt(BrowserWindowController& window, const Rect& frame) {
        return spinUntil([&] { return window.panel().frame() == frame; });
    }
};

TEST_F(WindowChromeTest, AtTheDefaultWidthTheTitleBarShowsTheHostAndTheMoreMenuTheLesserButtons) {
    auto alpha = website("Alpha", "/alpha");
    alpha.windowFrame = CodableRect{100, 40, 480, 720, std::nullopt};
    start({alpha});
    std::vector<std::optional<std::string>> saved;
    WindowShellHooks hooks = manager->hooks();
    hooks.onSaveWebsite = [&](const std::optional<std::string>& address, const std::optional<std::string>&,
                              const std::optional<WebAppProfile>&) { saved.push_back(address); };
    manager->setHooks(hooks);
    auto& window = openOwn(alpha);
    // A main menu as the application hands it over, its action on the window.
    auto menuModel = Gio::Menu::create();
    menuModel->append("Ping", "test.ping");
    int pings = 0;
    auto actions = Gio::SimpleActionGroup::create();
    actions->add_action("ping", [&] { ++pings; });
    window.panel().insert_action_group("test", actions);
    auto* menuButton = Gtk::manage(new Gtk::MenuButton());
    menuButton->set_menu_model(menuModel);
    std::vector<bool> shown;
    BrowserToolbar& toolbar = window.browser().chrome().toolbar();
    toolbar.setMainMenuButton(*menuButton, [&](bool opened) { shown.push_back(opened); });
    ASSERT_TRUE(mapped(window));
    ASSERT_TRUE(settlesAt(window, Rect{100, 40, 480, 720}));

    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    ASSERT_TRUE(spinUntil([&] {
        return toolbar.showsTitle() && toolbar.shownAddress() == host + "/alpha" &&
               width(toolbar.titleArea()) >= 180 && toolbar.lesserButtonsInMenu();
    })) << "title area "
        << width(toolbar.titleArea()) << " px showing '" << toolbar.shownAddress() << "'";
    EXPECT_FALSE(menuButton->get_mapped());
    EXPECT_FALSE(toolbar.startPage().get_mapped());
    // The chrome above the page stays within 90 pixels.
    int x = 0, y = -1;
    gtk_widget_translate_coordinates(GTK_WIDGET(window.browser().tabs().active()->webView()),
                                     GTK_WIDGET(window.panel().gobj()), 0, 0, &x, &y);
    EXPECT_GE(y, 0);
    EXPECT_LE(y, 90);

    // Each button out of sight acts from the More menu.
    auto menu = window.browser().moreMenu().make();
    Gtk::MenuItem* mainMenu = item(*menu, "Main Menu");
    ASSERT_TRUE(mainMenu && mainMenu->get_submenu());
    EXPECT_EQ(shown, std::vector<bool>{true}) << "the main menu's states are brought up to date before it shows";
    Gtk::MenuItem* ping = item(*mainMenu->get_submenu(), "Ping");
    ASSERT_TRUE(ping);
    ping->activate();
    EXPECT_TRUE(spinUntil([&] { return pings == 1; }));
    ASSERT_TRUE(item(*menu, "Save Website\u2026") && item(*menu, "Save Website\u2026")->get_sensitive());
    item(*menu, "Save Website\u2026")->activate();
    EXPECT_TRUE(spinUntil([&] { return saved.size() == 1; }));
    ASSERT_TRUE(item(*menu, "Start Page"));
    item(*menu, "Start Page")->activate();
    EXPECT_TRUE(spinUntil([&] { return window.browser().tabs().active()->state().showsStartPage; }));
    g_signal_emit_by_name(menu->gobj(), "deactivate");
    EXPECT_EQ(shown, (std::vector<bool>{true, false})) << "told as the More menu closes";
    menu.reset();

    // A wide window keeps them in its title bar and out of the menu.
    window.panel().setFrame(Rect{100, 40, 720, 720});
    ASSERT_TRUE(
        spinUntil([&] { return !toolbar.lesserButtonsInMenu() && toolbar.startPage().get_mapped(); }));
    EXPECT_TRUE(menuButton->get_mapped());
    menu = window.browser().moreMenu().make();
    EXPECT_FALSE(item(*menu, "Start Page") || item(*menu, "Save Website\u2026") || item(*menu, "Main Menu"));
}

TEST_F(WindowChromeTest, ASavedNarrowFrameOpensAsSavedAndTheChromeGivesWayDownToTheMinimum) {
    auto alpha = website("Alpha", "/alpha");
    const CodableRect narrow{100, 100, 400, 300, std::nullopt};
    alpha.windowFrame = narrow;
    start({alpha});
    auto& window = openOwn(alpha);
    int reported = 0;
    sigc::connection counting = window.panel().signal_frame_changed().connect([&] { ++reported; });
    window.browser().chrome().toolbar().setMainMenuButton(*Gtk::manage(new Gtk::MenuButton()), nullptr);
    ASSERT_TRUE(mapped(window));
    EXPECT_TRUE(settlesAt(window, Rect{100, 100, 400, 300})) << "at " << window.panel().frame().width;
    ASSERT_TRUE(spinUntil([&] { return reported > 0; })) << "the window reports where it opened";
    int minimum = 0, natural = 0;
    window.panel().get_preferred_width(minimum, natural);
    EXPECT_LE(minimum, static_cast<int>(kPanelMinimumWidth));
    timers.runDue();
    EXPECT_EQ(store->profile(alpha.id)->windowFrame, narrow) << "nobody moved the window";
    counting.disconnect();

    // Down to the minimum, and no further.
    window.panel().setFrame(Rect{100, 100, kPanelMinimumWidth, kPanelMinimumHeight});
    EXPECT_TRUE(settlesAt(window, Rect{100, 100, kPanelMinimumWidth, kPanelMinimumHeight}));
    EXPECT_TRUE(spinUntil([&] { return window.browser().chrome().toolbar().lesserButtonsInMenu(); }));
}

// Through a real window manager: tests/wm/narrow_frame_checks.sh runs these under openbox and xfwm4.
class WindowChromeUnderWindowManager : public WindowChromeTest {
protected:
    void SetUp() override {
        GdkDisplay* display = gdk_display_get_default();
        if (!GDK_IS_X11_DISPLAY(display) ||
            !gdk_x11_screen_supports_net_wm_hint(
                gdk_display_get_default_screen(display),
                gdk_atom_intern_static_string("_NET_WM_STATE_MAXIMIZED_HORZ")))
            GTEST_SKIP() << "needs a window manager (tests/wm/narrow_frame_checks.sh)";
    }
};

TEST_F(WindowChromeUnderWindowManager, DoubleClickingTheTitleBarBesideTheTitleMaximises) {
    auto alpha = website("Alpha", "/alpha");
    alpha.windowFrame = CodableRect{100, 40, 480, 720, std::nullopt};
    start({alpha});
    auto& window = openOwn(alpha);
    ASSERT_TRUE(mapped(window));
    ASSERT_TRUE(spinUntil([&] { return window.browser().chrome().toolbar().showsTitle(); }));
    ASSERT_TRUE(settlesAt(window, Rect{100, 40, 480, 720}));
    // Just inside the title area, left of the centred title.
    const Gtk::Allocation area = window.browser().chrome().toolbar().titleArea().get_allocation();
    int x = 0, y = 0;
    window.panel().get_window()->get_root_coords(area.get_x() + 3, area.get_y() + area.get_height() / 2, x,
                                                 y);
    // A machine busy with other checks may hold xdotool back between the clicks for longer than a
    // person's double-click: the toolkit is given a generous one here.
    auto settings = Gtk::Settings::get_default();
    const int doubleClickTime = settings->property_gtk_double_click_time();
    settings->property_gtk_double_click_time() = 2000;
    const std::string command = "xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y) +
                                " click --repeat 2 --delay 60 1";
    int status = 1;
    ASSERT_TRUE(g_spawn_command_line_sync(command.c_str(), nullptr, nullptr, &status, nullptr) &&
                status == 0);
    auto maximized = [&] {
        return (window.panel().get_window()->get_state() & Gdk::WINDOW_STATE_MAXIMIZED) != 0;
    };
    // The window manager's answer may take a while on a machine running many checks side by side.
    ASSERT_TRUE(spinUntil([&] { return maximized() && window.panel().frame().width > 480; }))
        << "maximised: " << maximized() << ", width " << window.panel().frame().width;
    EXPECT_FALSE(window.browser().chrome().toolbar().address().has_focus())
        << "the title did not take the clicks";
    settings->property_gtk_double_click_time() = doubleClickTime;
}

}  // namespace
}  // namespace quenlith::test
