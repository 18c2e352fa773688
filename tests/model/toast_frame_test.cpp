#include <gtest/gtest.h>

#include "model/toast_frame.hpp"

namespace quenlith {

// Readable failures; internal to this file.
static void PrintTo(const ToastFrame& f, std::ostream* out) {
    *out << "(" << f.x << ", " << f.y << ", " << f.width << " x " << f.height << ")";
}

namespace {

// A text 1200 px long on one line, wrapped into lines of 20 px, with 6 px of padding above and below.
int wrappedHeight(int width) {
    return 20 * ((1200 + width - 1) / width) + 12;
}

TEST(ToastFrame, LiesInTheViewBelowItsBarsAsWideAsItsTextAsksAndAsTallAsItNeedsThere) {
    const struct {
        const char* name;
        ToastRoom room;
        ToastEdge edge;
        int minimumWidth, naturalWidth;
        ToastFrame wanted;
    } cases[] = {
        {"below the bars, at its natural width", {480, 600, 50}, ToastEdge::top, 120, 330, {75, 56, 330, 92}},
        {"a short text keeps its own width", {480, 600, 0}, ToastEdge::top, 120, 200, {140, 6, 200, 132}},
        {"the narrowest window: within the side margins, taller", {360, 280, 76}, ToastEdge::top, 120, 400,
         {12, 82, 336, 92}},
        {"at the bottom", {480, 600, 0}, ToastEdge::bottom, 120, 330, {75, 488, 330, 92}},
        {"at the bottom, below tall bars", {360, 280, 150}, ToastEdge::bottom, 120, 400, {12, 168, 336, 92}},
        {"no room below the bars: up over them, inside the view", {360, 280, 200}, ToastEdge::top, 120, 400,
         {12, 188, 336, 92}},
        {"no room below the bars at the bottom edge either", {360, 280, 200}, ToastEdge::bottom, 120, 400,
         {12, 188, 336, 92}},
        {"bars below the view's bottom count as the whole view", {360, 280, 900}, ToastEdge::top, 120, 400,
         {12, 188, 336, 92}},
        {"a view shorter than the text: cut to the view", {360, 60, 20}, ToastEdge::top, 120, 400,
         {12, 0, 336, 60}},
        {"too narrow for the margins: its minimum width, centred", {200, 400, 0}, ToastEdge::top, 190, 400,
         {5, 6, 190, 152}},
        {"narrower than its minimum: the view's width", {150, 400, 0}, ToastEdge::top, 190, 400,
         {0, 6, 150, 172}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<int> asked;
        const ToastFrame frame = toastFrame(c.room, c.edge, c.minimumWidth, c.naturalWidth, [&](int width) {
            asked.push_back(width);
            return wrappedHeight(width);
        });
        EXPECT_EQ(frame, c.wanted);
        EXPECT_EQ(asked, std::vector<int>{c.wanted.width}) << "measured at the width it gets";
    }
}

}  // namespace
}  // namespace quenlith
