// Minimising, hiding, showing and arranging browser windows through a real window manager.
// Minimising needs one, so these tests skip on a bare X server; tests/wm/window_state_checks.sh
// runs them under openbox.
#include <memory>

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
    auto& panel = own.panel();
    ASSERT_TRUE(mapped(own));
    // window_state_checks.sh leaves a work area of 1250 x 700 at (30, 40) on the 1280 x 800 screen.
    ASSERT_EQ(panel.screens().screens.at(0).visibleFrame, (Rect{30, 40, 1250, 700}));

    // The first arrangement comes while the window's map is still under way, as when a window is
    // arranged the moment it opens; the second once it is on screen.
    const struct {
        BrowserCommand command;
        Rect half;
    } rounds[] = {{BrowserCommand::arrangeLeft, {38, 48, 613, 684}},
                  {BrowserCommand::arrangeRight, {659, 48, 613, 684}}};
    for (const auto& round : rounds) {
        SCOPED_TRACE(round.half.x < 100 ? "left half, arranged while mapping" : "right half");
        own.browser().services().onCommand(round.command);
        const CodableRect arranged = codableRect(round.half, panel.screens());
        ASSERT_TRUE(spinUntil([&] {
            return panel.isMappedOnScreen() && panel.frame() == round.half &&
                   store->profile(alpha.id)->windowFrame == arranged;
        }));

        // Maximised, the website keeps the arranged frame it will come back to, also once the
        // window has told its new frame (which saves the website).
        auto toldMaximised = std::make_shared<bool>(false);
        panel.signal_frame_changed().connect([toldMaximised, &panel] {
            *toldMaximised = *toldMaximised || (panel.isMaximizedOrFullscreen() && panel.frame().width > 1000);
        });
        panel.maximize();
        ASSERT_TRUE(spinUntil([&] { return *toldMaximised; }));
        EXPECT_EQ(panel.savedFrame(), arranged);
        EXPECT_EQ(store->profile(alpha.id)->windowFrame, arranged);

        // The window manager brings back the frame it was given: nothing grew it meanwhile.
        panel.unmaximize();
        EXPECT_TRUE(spinUntil([&] { return !panel.isMaximizedOrFullscreen() && panel.frame() == round.half; }))
            << "back at " << panel.frame().x << "," << panel.frame().y << " " << panel.frame().width << "x"
            << panel.frame().height;
        EXPECT_EQ(panel.savedFrame(), arranged);
    }
}

}  // namespace
}  // namespace quenlith
