#include <gtest/gtest.h>

#include <cmath>

#include "model/window_geometry.hpp"

namespace quenlith {

// Readable failures; internal to this file.
static void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}

namespace {

TEST(BestScreenIndex, LargestOverlapWinsAndTiesGoToTheFirst) {
    std::vector<Rect> screens = {{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    EXPECT_EQ(bestScreenIndex({100, 100, 400, 300}, screens), 0u);
    EXPECT_EQ(bestScreenIndex({900, 100, 400, 300}, screens), 1u);  // 100 on the left, 300 on the right
    EXPECT_EQ(bestScreenIndex({800, 100, 400, 300}, screens), 0u);  // equal halves: the first screen
    EXPECT_EQ(bestScreenIndex({3000, 100, 400, 300}, screens), std::nullopt);
    EXPECT_EQ(bestScreenIndex({1000, 0, 0, 300}, screens), std::nullopt);  // no area
    // Touching an edge is no overlap.
    EXPECT_EQ(bestScreenIndex({-400, 0, 400, 300}, screens), std::nullopt);
    EXPECT_EQ(bestScreenIndex({0, 0, 10, 10}, {}), std::nullopt);
}

TEST(EdgeHandleFrame, SitsAtTheEdgeCentredOnTheWindowAndInsideTheScreen) {
    Rect screen{0, 30, 1280, 770};  // work area below a 30-point panel
    // Centred on the window's height.
    EXPECT_EQ(edgeHandleFrame(DockEdge::left, {0, 200, 400, 300}, screen), (Rect{0, 314, 16, 72}));
    EXPECT_EQ(edgeHandleFrame(DockEdge::right, {880, 200, 400, 300}, screen), (Rect{1264, 314, 16, 72}));
    // A window whose middle is 10 points above the bottom of the work area: 8 points clear of it.
    EXPECT_EQ(edgeHandleFrame(DockEdge::left, {0, 690, 400, 200}, screen).y, 800 - 80);
    // Near the top: 8 points below the top of the work area.
    EXPECT_EQ(edgeHandleFrame(DockEdge::left, {0, 0, 400, 40}, screen).y, 30 + 8);
    // A work area too short for both margins keeps the bottom one.
    EXPECT_EQ(edgeHandleFrame(DockEdge::right, {0, 0, 400, 40}, Rect{0, 0, 800, 50}).y, 50 - 80);
}

TEST(DockEdge, WithinToleranceOfTheLeftOrRightEdge) {
    Rect visible{0, 0, 1280, 800};
    EXPECT_EQ(dockEdge({18, 100, 400, 300}, visible, 18), DockEdge::left);
    EXPECT_EQ(dockEdge({18.5, 100, 400, 300}, visible, 18), std::nullopt);
    EXPECT_EQ(dockEdge({-10, 100, 400, 300}, visible, 18), DockEdge::left);
    EXPECT_EQ(dockEdge({862, 100, 400, 300}, visible, 18), DockEdge::right);
    EXPECT_EQ(dockEdge({861.5, 100, 400, 300}, visible, 18), std::nullopt);
    EXPECT_EQ(dockEdge({0, 0, 1280, 800}, visible, 18), DockEdge::left);    // as wide as the screen
    EXPECT_EQ(dockEdge({2000, 100, 400, 300}, visible, 18), std::nullopt);  // outside its screen
}

ScreenLayout oneScreen() {
    return ScreenLayout{{ScreenArea{{0, 0, 1280, 800}, {0, 30, 1280, 770}, 7}}, 0};
}

// Two monitors side by side; the main one is the right one, its work area below a panel.
ScreenLayout twoScreens() {
    return ScreenLayout{{ScreenArea{{0, 0, 1024, 768}, {0, 0, 1024, 768}, 1},
                         ScreenArea{{1024, 0, 1920, 1080}, {1024, 40, 1920, 1040}, 2}},
                        1};
}

TEST(ClampedFrame, LandsInsideAWorkArea) {
    const ScreenLayout one = oneScreen(), two = twoScreens();
    const ScreenLayout tiny{{ScreenArea{{0, 0, 300, 200}, {0, 0, 300, 200}, 1}}, 0};
    const struct {
        const char* name;
        const ScreenLayout& layout;
        Rect frame, expected;
    } cases[] = {
        {"inside stays", one, {100, 100, 400, 500}, {100, 100, 400, 500}},
        {"under the panel moves down", one, {100, 0, 400, 500}, {100, 30, 400, 500}},
        {"past the right edge moves in", one, {1100, 100, 400, 500}, {880, 100, 400, 500}},
        {"too small grows", one, {100, 100, 200, 100}, {100, 100, 360, 280}},
        {"too large shrinks to the work area", one, {-50, -50, 3000, 2000}, {0, 30, 1280, 770}},
        {"off every screen: the main one", two, {5000, 500, 400, 300}, {2544, 500, 400, 300}},
        {"above every screen", two, {1200, -900, 400, 300}, {1200, 40, 400, 300}},
        {"half on two screens: the larger part", two, {924, 100, 400, 300}, {1024, 100, 400, 300}},
        {"mostly on the left screen", two, {800, 100, 400, 300}, {624, 100, 400, 300}},
        {"a small screen beats the minimum size", tiny, {0, 0, 100, 100}, {0, 0, 300, 200}},
        {"not finite", one, {std::nan(""), 10, HUGE_VAL, 300}, {0, 30, 360, 300}},
    };
    for (const auto& c : cases) EXPECT_EQ(clampedFrame(c.frame, c.layout), c.expected) << c.name;
    // Without screens there is nothing to land on.
    EXPECT_EQ(clampedFrame({0, 0, 400, 300}, ScreenLayout{}), std::nullopt);
    // A main-screen index past the last screen names no screen.
    ScreenLayout pastTheEnd = oneScreen();
    pastTheEnd.mainScreen = 1;
    EXPECT_EQ(clampedFrame({5000, 0, 400, 300}, pastTheEnd), std::nullopt);
    EXPECT_EQ(initialFrame(std::nullopt, 480, 720, pastTheEnd), (Rect{0, 30, 480, 720})) << "clamped to the screen it meets";
}

// A dialog's frame kept inside the work area of its screen, at whatever size it came up with.
TEST(FrameWithin, ShrinksToTheAreaAndMovesIn) {
    const Rect area{0, 30, 1280, 770};
    const struct {
        const char* name;
        Rect frame, expected;
    } cases[] = {
        {"inside stays", {100, 100, 600, 400}, {100, 100, 600, 400}},
        {"a file chooser taller than the area", {92, 0, 1096, 846}, {92, 30, 1096, 770}},
        {"past the bottom right moves in", {900, 600, 500, 300}, {780, 500, 500, 300}},
        {"above and left of it moves in", {-40, -10, 500, 300}, {0, 30, 500, 300}},
        {"larger both ways takes the area", {-100, 900, 3000, 2000}, {0, 30, 1280, 770}},
    };
    for (const auto& c : cases) EXPECT_EQ(frameWithin(c.frame, area), c.expected) << c.name;
}

TEST(InitialFrame, NewOrDisplacedFramesAreCentredOnTheMainScreenAndClamped) {
    EXPECT_EQ(initialFrame(std::nullopt, 480, 720, twoScreens()), (Rect{1744, 200, 480, 720}));
    // A default larger than the work area is cut to it.
    EXPECT_EQ(initialFrame(std::nullopt, 2000, 600, oneScreen()), (Rect{0, 115, 1280, 600}));
    EXPECT_EQ(initialFrame(std::nullopt, 480, 900, oneScreen()), (Rect{400, 30, 480, 770}));

    // A remembered frame on a connected display stays.
    CodableRect saved{100, 200, 500, 400, 1};
    EXPECT_EQ(initialFrame(saved, 480, 720, twoScreens()), (Rect{100, 200, 500, 400}));
    // A display number that belongs to the other monitor changes nothing either: the frame decides.
    saved.displayID = 2;
    EXPECT_EQ(initialFrame(saved, 480, 720, twoScreens()), (Rect{100, 200, 500, 400}));
    // On a gone display it is centred on the main screen.
    saved.displayID = 99;
    EXPECT_EQ(initialFrame(saved, 480, 720, twoScreens()), (Rect{1734, 360, 500, 400}));
    // Without a display number it is only clamped.
    saved.displayID.reset();
    saved.x = -300;
    EXPECT_EQ(initialFrame(saved, 480, 720, twoScreens()), (Rect{0, 200, 500, 400}));
}

TEST(SavedFrame, CarriesTheDisplayOfTheMonitorHoldingMostOfTheWindow) {
    // Display numbers are the FNV-1a hash of the connector name.
    EXPECT_EQ(fnv1a32(""), 0x811c9dc5u);
    EXPECT_EQ(fnv1a32("a"), 0xe40c292cu);
    EXPECT_EQ(fnv1a32("foobar"), 0xbf9cf968u);
    EXPECT_EQ(displayNumber("HDMI-1"), fnv1a32("HDMI-1"));
    EXPECT_NE(displayNumber("HDMI-1"), displayNumber("HDMI-2"));
    EXPECT_EQ(displayNumber(""), std::nullopt);
    EXPECT_EQ(codableRect({100, 100, 400, 300}, twoScreens()), (CodableRect{100, 100, 400, 300, 1}));
    EXPECT_EQ(codableRect({1000, 100, 400, 300}, twoScreens()), (CodableRect{1000, 100, 400, 300, 2}));
    EXPECT_EQ(codableRect({9000, 100, 400, 300}, twoScreens()).displayID, std::nullopt);
    // A monitor without a connector name gives no number.
    ScreenLayout unnamed{{ScreenArea{{0, 0, 800, 600}, {0, 0, 800, 600}, std::nullopt}}, 0};
    EXPECT_EQ(codableRect({0, 0, 400, 300}, unnamed).displayID, std::nullopt);
    // Saved and restored on the same monitors, a frame comes back unchanged.
    Rect frame{1300.5, 77.25, 640, 480};
    EXPECT_EQ(initialFrame(codableRect(frame, twoScreens()), 480, 720, twoScreens()), frame);
}

// Requesting the visible frame of a window back must leave the window where it is, whatever
// decoration surrounds it; moving it elsewhere keeps the decoration's offsets.
TEST(FramePlacement, RoundTripsWithoutDrift) {
    const struct {
        const char* name;
        WindowPlacement placement;
        Rect visible;
    } cases[] = {
        // Client-side decoration without compositing: no shadow, the X window is the frame.
        {"plain", {{200, 120, 500, 400}, {200, 120, 500, 400}, {}}, {200, 120, 500, 400}},
        // Client-side decoration with a shadow declared inside the X window.
        {"shadow", {{177, 100, 546, 453}, {177, 100, 546, 453}, {23, 23, 20, 33}},
         {200, 120, 500, 400}},
        // A window manager that draws its own title bar and border around the client anyway.
        {"server-side", {{200, 120, 502, 425}, {201, 144, 500, 400}, {}}, {200, 120, 502, 425}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Rect& shown = c.visible;
        EXPECT_EQ(visibleFrame(c.placement), shown);
        // What a window manager does with a request: places the outer frame's top-left corner
        // (north-west gravity) at the requested position around a client of the requested size.
        auto placeAt = [&](const Rect& req) {
            const auto& p = c.placement;
            double left = p.client.x - p.outer.x, top = p.client.y - p.outer.y;
            double right = p.outer.maxX() - p.client.maxX();
            double bottom = p.outer.maxY() - p.client.maxY();
            WindowPlacement next{req, req, p.shadow};
            if (left > 0 || top > 0) {  // decorated by the server
                next.outer = {req.x, req.y, req.width + left + right, req.height + top + bottom};
                next.client = {req.x + left, req.y + top, req.width, req.height};
            }
            return next;
        };
        EXPECT_EQ(visibleFrame(placeAt(clientRequestForFrame(shown, c.placement))), shown);
        Rect elsewhere{shown.x + 123, shown.y + 45, shown.width + 10, shown.height - 20};
        EXPECT_EQ(visibleFrame(placeAt(clientRequestForFrame(elsewhere, c.placement))), elsewhere);
    }
}

}  // namespace
}  // namespace quenlith
