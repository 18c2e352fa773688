#include <gtest/gtest.h>

#include "model/edge_tuck_controller.hpp"

namespace quenlith {
namespace {

using std::chrono::milliseconds;

// The scheduler's time as the clock: ticks and "more than 0.7 s" agree as in the application.
struct SchedulerClock final : Clock {
    const ManualScheduler& timers;
    explicit SchedulerClock(const ManualScheduler& scheduler) : timers(scheduler) {}
    Date now() const override { return Date{double(timers.now().count()) / 1000}; }
};

struct FakeWindow final : EdgeTuckWindow {
    Rect windowFrame{400, 200, 500, 400};
    bool key = true, sheet = false, enabled = true, button = false, shown = true;
    ScreenPoint mouse{0, 0};
    std::optional<Rect> handle;
    std::string label;  // of the handle
    std::vector<bool> presents;  // activate, per present()
    EdgeTuckController* controller = nullptr;

    Rect frame() const override { return windowFrame; }
    std::optional<Rect> visibleFrame() const override { return Rect{30, 40, 1250, 700}; }
    bool isKey() const override { return key; }
    bool hasSheet() const override { return sheet; }
    bool edgeTuckEnabled() const override { return enabled; }
    std::string displayTitle() const override { return "Alpha"; }
    ScreenPoint mouseLocation() const override { return mouse; }
    bool mouseButtonPressed() const override { return button; }
    void orderOut() override { shown = false; }
    void showHandle(const Rect& frame, const std::string& text) override { handle = frame, label = text; }
    void hideHandle() override { handle.reset(); }
    void present(bool activate, bool keepTuck, bool) override {
        if (!keepTuck) controller->reset();
        shown = true;
        presents.push_back(activate);
    }
    void visibilityChanged() override { ++visibility; }
    int visibility = 0;
};

struct EdgeTuck : ::testing::Test {
    ManualScheduler timers;
    SchedulerClock clock{timers};
    FakeWindow window;
    EdgeTuckController tuck{window, timers, clock};
    EdgeTuck() { window.controller = &tuck; }
};

TEST_F(EdgeTuck, AMoveTucksOnceTheWindowRestsNextToAnEdge) {
    struct Case {
        Rect frame;
        bool enabled, key, buttonHeld;
        std::optional<DockEdge> expected;
    } const cases[] = {
        {{48, 200, 500, 400}, true, true, false, DockEdge::left},  // 18 from the left
        {{49, 200, 500, 400}, true, true, false, std::nullopt},
        {{12, 200, 500, 400}, true, true, false, DockEdge::left},  // 18 beyond it
        {{762, 200, 500, 400}, true, true, false, DockEdge::right},
        {{40, 200, 1230, 400}, true, true, false, DockEdge::left},  // both: left wins
        {{-600, 200, 500, 400}, true, true, false, std::nullopt},  // off the screen
        {{48, 200, 500, 400}, false, true, false, std::nullopt},
        {{48, 200, 500, 400}, true, false, false, std::nullopt},
        {{48, 200, 500, 400}, true, true, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.frame.x);
        tuck.reset();
        window.shown = true, window.windowFrame = c.frame;
        window.enabled = c.enabled, window.key = c.key, window.button = c.buttonHeld;
        tuck.windowMoved();
        timers.advance(milliseconds(300));
        tuck.windowMoved();  // every move restarts the wait
        timers.advance(milliseconds(449));
        EXPECT_FALSE(tuck.edge());
        timers.advance(milliseconds(1));
        EXPECT_EQ(tuck.edge(), c.expected);
        EXPECT_EQ(window.shown, !c.expected);
        window.button = false;  // letting go later does not check again
        timers.advance(milliseconds(1000));
        EXPECT_EQ(tuck.edge(), c.expected);
    }
}

TEST_F(EdgeTuck, TheCommandPicksTheNearerSideAndKeepsTheHandleOnScreen) {
    window.enabled = false;  // the command tucks regardless
    window.windowFrame = {405, 40, 500, 60};  // centred exactly, near the top
    tuck.tuck();
    EXPECT_TRUE(tuck.edge() == DockEdge::right && window.label == "Expand Alpha");
    EXPECT_EQ(window.handle, (Rect{1264, 48, 16, 72}));
    window.windowFrame = {100, 700, 300, 100};  // near the bottom
    tuck.tuck();
    EXPECT_EQ(window.handle, (Rect{30, 660, 16, 72}));
    tuck.reset();
    window.shown = true, window.sheet = true;
    tuck.tuck(DockEdge::left);
    EXPECT_TRUE(!tuck.edge() && window.shown);
}

TEST_F(EdgeTuck, HoverShowsTheWindowLeavingItTucksItAndThePollRunsOnlyMeanwhile) {
    EXPECT_FALSE(tuck.isPolling());
    tuck.tuck(DockEdge::left);
    const Rect handle = *window.handle;
    window.key = false, window.mouse = {handle.x + 8, handle.y + 10};
    timers.advance(milliseconds(200));
    tuck.reveal();  // the handle entered again: nothing more
    EXPECT_TRUE(window.shown && tuck.edge() && !tuck.isTuckedAway() && tuck.isPolling() && window.visibility == 2);
    EXPECT_EQ(window.presents, std::vector<bool>{false});
    EXPECT_EQ(window.handle, handle);  // still there, for a click

    // On the handle or within 8 of the window counts as inside, however long.
    timers.advance(milliseconds(2000));
    window.mouse = {window.windowFrame.maxX() + 8, window.windowFrame.y};
    timers.advance(milliseconds(2000));
    EXPECT_TRUE(window.shown);
    // Outside: first seen at the next tick, more than 0.7 s later tucked (0.8 s: the fifth tick).
    window.mouse.x += 1;
    timers.advance(milliseconds(800));
    EXPECT_TRUE(window.shown);
    timers.advance(milliseconds(200));
    EXPECT_TRUE(!window.shown && tuck.isTuckedAway() && window.presents.size() == 1);

    // A key window stays while it is key; dragging it ends the tuck.
    window.mouse = {handle.x, handle.y};
    timers.advance(milliseconds(200));
    window.key = true, window.mouse = {900, 700};
    timers.advance(milliseconds(3000));
    EXPECT_TRUE(window.shown);
    window.button = true;
    tuck.windowMoved();
    EXPECT_FALSE(tuck.edge() || tuck.isPolling());
    // A click on the handle brings the window forward for good.
    tuck.tuck(DockEdge::right);
    tuck.click();
    EXPECT_EQ(window.presents.back(), true);
    EXPECT_FALSE(tuck.edge() || window.handle || timers.pendingCount());
    tuck.tuck();
    tuck.tearDown();
    EXPECT_EQ(timers.pendingCount(), 0u);
    tuck.tuck();
    EXPECT_FALSE(tuck.edge());
}

}  // namespace
}  // namespace quenlith
