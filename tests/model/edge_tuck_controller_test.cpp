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

const Rect kScreen{30, 40, 1250, 700};

struct FakeWindow final : EdgeTuckWindow {
    Rect windowFrame{400, 200, 500, 400};
    bool key = true, sheet = false, enabled = true, button = false, shown = true;
    ScreenPoint mouse{0, 0};
    std::optional<Rect> handle;
    std::string label;
    std::vector<std::string> presents;
    EdgeTuckController* controller = nullptr;

    Rect frame() const override { return windowFrame; }
    std::optional<Rect> visibleFrame() const override { return kScreen; }
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
        presents.push_back(activate ? "active" : "inactive");
    }
    void visibilityChanged() override {}
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
        const char* what;
        Rect frame;
        bool enabled, key, buttonHeld;
        std::optional<DockEdge> expected;
    };
    const Case cases[] = {
        {"left side 18 from the left", {48, 200, 500, 400}, true, true, false, DockEdge::left},
        {"left side 19 from the left", {49, 200, 500, 400}, true, true, false, std::nullopt},
        {"left side 18 past the left", {12, 200, 500, 400}, true, true, false, DockEdge::left},
        {"right side 18 from the right", {762, 200, 500, 400}, true, true, false, DockEdge::right},
        {"both sides near: left wins", {40, 200, 1230, 400}, true, true, false, DockEdge::left},
        {"off the screen", {-600, 200, 500, 400}, true, true, false, std::nullopt},
        {"edge tucking off", {48, 200, 500, 400}, false, true, false, std::nullopt},
        {"not the key window", {48, 200, 500, 400}, true, false, false, std::nullopt},
        {"button still held", {48, 200, 500, 400}, true, true, true, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        tuck.reset();
        window.shown = true;
        window.windowFrame = c.frame;
        window.enabled = c.enabled, window.key = c.key, window.button = c.buttonHeld;
        tuck.windowMoved();
        timers.advance(milliseconds(300));
        tuck.windowMoved();  // every move restarts the wait
        timers.advance(milliseconds(449));
        EXPECT_FALSE(tuck.edge());
        timers.advance(milliseconds(1));
        EXPECT_EQ(tuck.edge(), c.expected);
        EXPECT_EQ(window.shown, !c.expected);
        EXPECT_EQ(window.handle.has_value(), c.expected.has_value());
        window.button = false;  // letting go later does not check again
        timers.advance(milliseconds(1000));
        EXPECT_EQ(tuck.edge(), c.expected);
    }
}

TEST_F(EdgeTuck, TheCommandPicksTheNearerSideAndKeepsTheHandleOnScreen) {
    window.enabled = false;  // the command tucks regardless
    window.windowFrame = {405, 40, 500, 60};  // centred exactly, near the top
    tuck.tuck();
    EXPECT_EQ(tuck.edge(), DockEdge::right);
    EXPECT_EQ(window.handle, (Rect{1264, 48, 16, 72}));
    EXPECT_EQ(window.label, "Expand Alpha");
    window.windowFrame = {100, 700, 300, 100};  // near the bottom
    tuck.tuck();
    EXPECT_EQ(tuck.edge(), DockEdge::left);
    EXPECT_EQ(window.handle, (Rect{30, 660, 16, 72}));

    tuck.reset();
    window.shown = true;
    window.sheet = true;
    tuck.tuck(DockEdge::left);
    EXPECT_FALSE(tuck.edge());
    EXPECT_TRUE(window.shown);
}

TEST_F(EdgeTuck, HoverShowsTheWindowAndLeavingItTucksItAgain) {
    tuck.tuck(DockEdge::left);
    const Rect handle = *window.handle;
    window.key = false;
    window.mouse = {handle.x + 8, handle.y + 10};
    timers.advance(milliseconds(200));
    EXPECT_TRUE(window.shown);
    EXPECT_EQ(window.presents, std::vector<std::string>{"inactive"});
    EXPECT_TRUE(tuck.edge());
    EXPECT_FALSE(tuck.isTuckedAway());
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
    EXPECT_FALSE(window.shown);
    EXPECT_TRUE(tuck.isTuckedAway());
    EXPECT_EQ(window.presents.size(), 1u);

    // A key window stays while it is key.
    window.mouse = {handle.x + 1, handle.y + 1};
    timers.advance(milliseconds(200));
    window.key = true;
    window.mouse = {900, 700};
    timers.advance(milliseconds(3000));
    EXPECT_TRUE(window.shown);
    // Dragging it ends the tuck; a click on the handle brings the window forward for good.
    window.button = true;
    tuck.windowMoved();
    EXPECT_FALSE(tuck.edge());
    window.button = false;
    tuck.tuck(DockEdge::right);
    tuck.click();
    EXPECT_EQ(window.presents.back(), "active");
    EXPECT_FALSE(tuck.edge());
    EXPECT_FALSE(window.handle);
}

TEST_F(EdgeTuck, ThePollRunsOnlyWhileTucked) {
    EXPECT_FALSE(tuck.isPolling());
    tuck.windowMoved();
    timers.advance(milliseconds(1000));
    EXPECT_FALSE(tuck.isPolling());
    tuck.tuck();
    EXPECT_TRUE(tuck.isPolling());
    window.mouse = {window.handle->x, window.handle->y};
    timers.advance(milliseconds(200));
    EXPECT_TRUE(tuck.isPolling());  // shown by hovering
    tuck.reset();
    EXPECT_FALSE(tuck.isPolling());
    EXPECT_EQ(timers.pendingCount(), 0u);
    tuck.tuck();
    tuck.tearDown();
    EXPECT_EQ(timers.pendingCount(), 0u);
    tuck.tuck();
    EXPECT_FALSE(tuck.edge());
}

}  // namespace
}  // namespace quenlith
