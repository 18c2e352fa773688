// Minimising, hiding, showing and arranging browser windows through a real window manager.
// Minimising needs one, so these tests skip on a bare X server; tests/wm/window_state_checks.sh
// runs them under openbox.
#include <gtest/gtest.h>

#include "windows/runtime_publisher.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_manager_fixture.hpp"

#include "windows/x_window_property.hpp"

#include <X11/Xutil.h>

namespace quenlith {
namespace {

using test::spinFor;
using test::spinUntil;

// Whether a window manager that follows the desktop conventions runs on the display.
bool windowManagerRuns() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return false;
    return gdk_x11_screen_supports_net_wm_hint(gdk_display_get_default_screen(display),
                                               gdk_atom_intern_static_string("_NET_WM_STATE_HIDDEN"));
}

// What the X server says of the window: minimised ("iconic") or not.
bool iconicOnServer(Gtk::Window& window) {
    const unsigned long iconic = IconicState;
    return test::windowProperty(window, "WM_STATE", "WM_STATE") == iconic;
}

class WindowStateUnderWindowManager : public test::WindowManagerFixture {
protected:
    void SetUp() override {
        if (!windowManagerRuns()) GTEST_SKIP() << "needs a window manager (tests/wm/window_state_checks.sh)";
    }
};

TEST_F(WindowStateUnderWindowManager, MinimisingHidingAndShowing) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    auto& own = openOwn(alpha);
    ASSERT_TRUE(mapped(own));
    manager->publisher().publishState();
    ASSERT_EQ(manager->publisher().visibleWindowCount(), 1);

    own.panel().iconify();
    ASSERT_TRUE(spinUntil([&] { return own.isMinimized(); }));
    EXPECT_FALSE(own.browser().isPresented());
    EXPECT_EQ(manager->publisher().visibleWindowCount(), 0) << "the window reports its change itself";
    EXPECT_EQ(manager->publisher().runtime().windows().at(0).state, BrowserWindowState::minimized);

    own.present(false, false, true);
    ASSERT_TRUE(spinUntil([&] { return !own.isMinimized(); }));
    EXPECT_TRUE(own.browser().isPresented());
    EXPECT_TRUE(spinUntil([&] { return !iconicOnServer(own.panel()); }));
    // A busy window manager may still report the minimising it was asked for first.
    EXPECT_TRUE(spinUntil([&] { return manager->publisher().visibleWindowCount() == 1; }));

    // A minimised window that is hidden stays hidden, and comes back shown.
    own.panel().iconify();
    ASSERT_TRUE(spinUntil([&] { return own.isMinimized(); }));
    manager->closing().requestClose(own.id);  // "Hide Window"
    ASSERT_TRUE(spinUntil([&] { return !own.panel().get_mapped(); }));
    spinFor(std::chrono::milliseconds(300));  // whatever the window manager says of a withdrawn window
    EXPECT_FALSE(own.browser().isPresented()) << "a hidden window is not presented";
    EXPECT_FALSE(own.isOnScreen());

    own.present(false, false, true);
    manager->publisher().publishState();
    ASSERT_TRUE(spinUntil([&] { return own.panel().get_mapped() && own.isOnScreen(); }))
        << "minimised " << own.isMinimized();
    spinFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(own.isOnScreen());
    EXPECT_FALSE(iconicOnServer(own.panel())) << "shown, not minimised again";
    EXPECT_TRUE(own.browser().isPresented());
    manager->publisher().publishState();
    EXPECT_EQ(manager->publisher().visibleWindowCount(), 1);
}

TEST_F(WindowStateUnderWindowManager, AMinimisedWindowIsInTheTaskbarUntilRestored) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    auto& own = openOwn(alpha);
    ASSERT_TRUE(mapped(own));
    FloatingBrowserPanel& panel = own.panel();
    // Without the taskbar switch a floating window keeps out of the taskbar.
    ASSERT_TRUE(spinUntil([&] { return !test::listedInTaskbar(panel); }));

    for (int round = 0; round < 2; ++round) {
        panel.iconify();
        EXPECT_TRUE(spinUntil([&] { return own.isMinimized() && test::listedInTaskbar(panel); }))
            << "minimised, it can be found in the taskbar and Alt+Tab (round " << round << ")";
        own.present(false, false, true);
        EXPECT_TRUE(spinUntil([&] { return !own.isMinimized() && !test::listedInTaskbar(panel); }))
            << "restored, it leaves them again (round " << round << ")";
    }

    // With the switch on it stays listed either way.
    panel.setSkipsTaskbar(false);
    EXPECT_TRUE(spinUntil([&] { return test::listedInTaskbar(panel); }));
    panel.iconify();
    ASSERT_TRUE(spinUntil([&] { return own.isMinimized(); }));
    own.present(false, false, true);
    ASSERT_TRUE(spinUntil([&] { return !own.isMinimized(); }));
    EXPECT_TRUE(test::listedInTaskbar(panel));
}

TEST_F(WindowStateUnderWindowManager, ArrangingPutsTheWindowOnAHalfOfTheWorkArea) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    auto& own = openOwn(alpha);
    ASSERT_TRUE(mapped(own));
    // window_state_checks.sh leaves a work area of 1250 x 700 at (30, 40) on the 1280 x 800 screen.
    ASSERT_EQ(own.panel().screens().screens.at(0).visibleFrame, (Rect{30, 40, 1250, 700}));
    own.browser().services().onCommand(BrowserCommand::arrangeLeft);
    EXPECT_TRUE(spinUntil([&] { return own.panel().frame() == Rect{38, 48, 613, 684}; }));
    own.browser().services().onCommand(BrowserCommand::arrangeRight);
    EXPECT_TRUE(spinUntil([&] { return own.panel().frame() == Rect{659, 48, 613, 684}; }));

    // Maximised, the website keeps the normal frame it will come back to.
    spinFor(std::chrono::milliseconds(200));
    const CodableRect normal = own.panel().savedFrame();
    own.panel().maximize();
    ASSERT_TRUE(spinUntil([&] { return own.panel().isMaximizedOrFullscreen() && own.panel().frame().width > 1000; }));
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(own.panel().savedFrame(), normal);
    EXPECT_EQ(store->profile(alpha.id)->windowFrame, normal);
}

}  // namespace
}  // namespace quenlith
