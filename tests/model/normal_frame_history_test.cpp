#include <gtest/gtest.h>

#include "model/normal_frame_history.hpp"

namespace quenlith {

// Readable failures; internal to this file.
static void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.x << ", " << r.y << ", " << r.width << " x " << r.height << ")";
}

namespace {

// One 1280 x 800 screen whose work area openbox's margins leave at (30, 40), 1250 x 700, and a
// second screen to its right.
ScreenLayout twoScreens() {
    return ScreenLayout{{ScreenArea{{0, 0, 1280, 800}, {30, 40, 1250, 700}, 1},
                         ScreenArea{{1280, 0, 1920, 1080}, {1280, 0, 1920, 1080}, 2}},
                        0};
}

TEST(NormalFrameHistory, AMaximisedWindowComesBackToTheLastFrameThePersonGaveItNotToAStepOfTheMaximise) {
    const Rect left{38, 48, 613, 684};
    const Rect corner{30, 40, 613, 684};
    const struct {
        const char* name;
        std::vector<Rect> seen;
        std::optional<Rect> wanted;
    } cases[] = {
        {"nothing seen", {}, std::nullopt},
        {"seen only in its frame", {left}, left},
        {"moved to the work area's corner at its old size first", {left, corner}, left},
        {"moved to the corner, then grown to the work area", {left, corner, {30, 40, 1250, 700}}, left},
        {"grown to the work area in one step", {left, {30, 40, 1250, 700}}, left},
        {"grown in its place first", {left, {38, 48, 1250, 700}}, left},
        {"filling the whole screen on its way to full screen", {left, {0, 0, 1280, 800}}, left},
        {"a step towards the second screen's work area", {{1400, 100, 500, 600}, {1280, 0, 500, 600}},
         Rect{1400, 100, 500, 600}},
        {"a step a pixel off still counts", {left, {31, 39, 613, 684}}, left},
        {"moved elsewhere by the person, then maximised", {left, {200, 120, 613, 684}}, Rect{200, 120, 613, 684}},
        {"resized by the person in its corner: a new size is no step", {corner, {30, 40, 700, 500}},
         Rect{30, 40, 700, 500}},
        {"put in the corner with another height: no step", {left, {30, 40, 613, 500}}, Rect{30, 40, 613, 500}},
        {"the first frame seen is kept even in the corner", {corner}, corner},
        {"a frame seen twice is one frame", {left, corner, corner}, left},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        NormalFrameHistory history;
        for (const auto& frame : c.seen) history.record(frame);
        history.settleOnFilling(twoScreens());
        EXPECT_EQ(history.normalFrame(), c.wanted);
    }
}

TEST(NormalFrameHistory, AfterAMaximiseTheFramesSeenNextAreTheOnesToComeBackTo) {
    NormalFrameHistory history;
    history.record({38, 48, 613, 684});
    history.record({30, 40, 613, 684});
    history.settleOnFilling(twoScreens());
    // Restored to its frame, moved by the person, then maximised in one step.
    history.record({38, 48, 613, 684});
    history.record({200, 120, 613, 684});
    history.record({30, 40, 1250, 700});
    history.settleOnFilling(twoScreens());
    EXPECT_EQ(history.normalFrame(), (Rect{200, 120, 613, 684}));
}

}  // namespace
}  // namespace quenlith
