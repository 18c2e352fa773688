#pragma once

// Where a short notice lies over a view, as plain values: wholly inside the view, clear of the bars
// laid over the view's top whenever there is room below them, as wide as its text asks within the
// view's side margins and as tall as its text needs at that width, so a long text wraps instead of
// being cut. Pixels; the view's own coordinates.

#include <functional>

namespace quenlith {

// The edge of the view a notice keeps to.
enum class ToastEdge { top, bottom };

struct ToastRoom {
    int width = 0;
    int height = 0;
    // How far down from the view's top the bars drawn over it reach (0: none).
    int coveredTop = 0;
};

struct ToastFrame {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const ToastFrame&) const = default;
};

struct ToastMargins {
    static constexpr int side = 12;
    static constexpr int belowBars = 6;     // between the bars and a notice at the top
    static constexpr int aboveBottom = 20;  // between a notice at the bottom and the view's bottom
};

// The frame of a notice whose width may range from `minimumWidth` to `naturalWidth` and whose
// height at a width is `heightForWidth(width)`. A notice too tall for the room below the bars moves
// up over them (it is drawn above them), and one too tall for the view is cut to it.
ToastFrame toastFrame(const ToastRoom& room, ToastEdge edge, int minimumWidth, int naturalWidth,
                      const std::function<int(int)>& heightForWidth);

}  // namespace quenlith
