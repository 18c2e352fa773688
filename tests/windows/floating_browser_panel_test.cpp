// The floating window on a bare X server (no window manager): what the window asks of the X server
// and where it puts itself. Window-manager behaviour (keep above, all workspaces, no frame) is
// checked by tests/wm/app_checks.sh under openbox.
#include <gtest/gtest.h>

#include <gtkmm/label.h>

#include "support/main_loop.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/screen_layout.hpp"

#include "windows/x_window_property.hpp"

namespace quenlith {

static void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}

namespace {

using test::spinUntil;

WebAppProfile website(bool onTop, bool allWorkspaces, double opacity, bool compact = false) {
    WebAppProfile profile;
    profile.name = "Example";
    profile.homeURL = "https://example.com";
    profile.alwaysOnTop = onTop;
    profile.followAcrossSpaces = allWorkspaces;
    profile.opacity = opacity;
    profile.compactMode = compact;
    return profile;
}

// _NET_WM_WINDOW_OPACITY as the X server holds it, as a fraction; none when unset.
std::optional<double> serverOpacity(Gtk::Window& window) {
    auto value = test::windowProperty(window, "_NET_WM_WINDOW_OPACITY", "CARDINAL");
    return value ? std::optional(double(*value) / 0xFFFFFFFFu) : std::nullopt;
}

struct PanelTest : testing::Test {
    std::unique_ptr<FloatingBrowserPanel> panel;
    Gtk::Label content{"content"};

    std::unique_ptr<FloatingBrowserPanel> makePanel(const WebAppProfile& profile) {
        auto made = std::make_unique<FloatingBrowserPanel>(profile.followAcrossSpaces);
        made->apply(profile);
        return made;
    }

    bool showAndWait(FloatingBrowserPanel& window) {
        bool mapped = false;
        auto connection =
            window.signal_map_event().connect([&](GdkEventAny*) { return mapped = true, false; });
        window.show_all();
        bool ok = spinUntil([&] { return mapped; });
        connection.disconnect();
        return ok;
    }

    bool settlesAt(FloatingBrowserPanel& window, const Rect& expected) {
        return spinUntil([&] { return window.frame() == expected; });
    }
};

TEST_F(PanelTest, TakesItsFrameAndOpacitySavesTheFrameBackUnchangedAndKeepsItOnTheScreen) {
    auto profile = website(true, true, 0.8);
    panel = makePanel(profile);
    panel->add(content);
    CodableRect remembered{137, 91, 517, 433, std::nullopt};
    panel->applyFrame(remembered, 480, 720);
    EXPECT_EQ(panel->frame(), (Rect{137, 91, 517, 433}));  // known before it is shown
    ASSERT_TRUE(showAndWait(*panel));
    ASSERT_TRUE(settlesAt(*panel, Rect{137, 91, 517, 433})) << testing::PrintToString(panel->frame());

    CodableRect saved = panel->savedFrame();
    EXPECT_EQ(saved, (CodableRect{137, 91, 517, 433, panel->screens().screens.at(0).displayID}));

    // Reopened from the saved frame, a second window lands on the very same frame. Its opacity
    // reaches the server once it is mapped; a change while shown applies at once, an out-of-range
    // opacity kept within 0.35 to 1.
    auto second = makePanel(website(false, false, 0.6));
    Gtk::Label other{"other"};
    second->add(other);
    second->applyFrame(saved, 480, 720);
    EXPECT_FALSE(second->isAlwaysOnTop());
    EXPECT_FALSE(second->isOnAllWorkspaces());
    ASSERT_TRUE(showAndWait(*second));
    EXPECT_TRUE(settlesAt(*second, Rect{137, 91, 517, 433})) << testing::PrintToString(second->frame());
    ASSERT_TRUE(spinUntil([&] { return serverOpacity(*second).has_value(); }));
    EXPECT_NEAR(*serverOpacity(*second), 0.6, 1e-6);
    second->apply(website(true, true, 0.1));
    EXPECT_TRUE(second->isAlwaysOnTop());
    EXPECT_TRUE(second->isOnAllWorkspaces());
    EXPECT_DOUBLE_EQ(second->panelOpacity(), 0.35);
    ASSERT_TRUE(spinUntil([&] { return std::abs(serverOpacity(*second).value_or(0) - 0.35) < 1e-6; }));

    // Hidden and shown again, it comes back to its frame with its opacity.
    panel->hide();
    ASSERT_TRUE(spinUntil([&] { return !panel->get_mapped(); }));
    EXPECT_EQ(panel->frame(), (Rect{137, 91, 517, 433}));
    ASSERT_TRUE(showAndWait(*panel));
    EXPECT_TRUE(settlesAt(*panel, Rect{137, 91, 517, 433})) << testing::PrintToString(panel->frame());
    ASSERT_TRUE(spinUntil([&] { return serverOpacity(*panel).has_value(); }));
    EXPECT_NEAR(*serverOpacity(*panel), 0.8, 1e-6);

    // Moving reports the frame, clamping brings it back on the screen, compact mode keeps it.
    int changes = 0;
    panel->signal_frame_changed().connect([&] { ++changes; });
    auto layout = panel->screens();
    const Rect& visible = layout.screens[*layout.mainScreen].visibleFrame;
    panel->setFrame(Rect{visible.maxX() - 100, 60, 400, 300});
    ASSERT_TRUE(settlesAt(*panel, Rect{visible.maxX() - 100, 60, 400, 300}));
    panel->clampToScreen();
    const Rect clamped{visible.maxX() - 400, 60, 400, 300};
    EXPECT_TRUE(settlesAt(*panel, clamped)) << testing::PrintToString(panel->frame());
    EXPECT_TRUE(spinUntil([&] { return changes >= 1; }));

    // Compact mode drops the title bar and keeps the frame, both ways.
    EXPECT_TRUE(panel->headerBar().get_mapped());
    panel->apply(website(true, true, 0.8, true));
    EXPECT_TRUE(panel->isCompact());
    EXPECT_FALSE(panel->get_decorated());
    ASSERT_TRUE(spinUntil([&] { return !panel->headerBar().get_mapped(); }));
    test::spinFor(std::chrono::milliseconds(200));  // let any resize from the change arrive
    EXPECT_TRUE(settlesAt(*panel, clamped)) << testing::PrintToString(panel->frame());
    panel->apply(profile);
    ASSERT_TRUE(spinUntil([&] { return panel->headerBar().get_mapped(); }));
    test::spinFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(settlesAt(*panel, clamped)) << testing::PrintToString(panel->frame());
}

}  // namespace
}  // namespace quenlith
