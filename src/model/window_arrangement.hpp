#pragma once

#include <optional>

#include "model/window_geometry.hpp"

namespace quenlith {

// Where the "arrange" window commands put a window.
enum class WindowArrangement { left, right, center };

// The frame for `arrangement` on the work area of the screen holding the largest part of `frame`
// (the main screen when it is on none): the left or right half with an 8-point margin at the
// edges, top and bottom and an 8-point gap between the halves, or the same size centred. None
// without a screen. The caller clamps the result as every frame.
std::optional<Rect> arrangedFrame(WindowArrangement arrangement, const Rect& frame, const ScreenLayout& layout);

}  // namespace quenlith
