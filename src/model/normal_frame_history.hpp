#pragma once

// The frame a maximised or full-screen window comes back to, from the frames it was seen in.
// Window managers may move a window on its way to filling a screen before they tell it its new
// state (openbox first puts it in the work area's corner at its old size, then tells, then grows
// it), so the last frames seen before the state changed can be steps of that move rather than
// frames the person gave the window.

#include <optional>
#include <vector>

#include "model/window_geometry.hpp"

namespace quenlith {

class NormalFrameHistory {
public:
    // A frame seen while the window was neither maximised nor full screen.
    void record(const Rect& frame);
    // The window became maximised or full screen among these screens: the latest frames that were
    // steps towards filling one of them are forgotten, keeping the last frame before those.
    void settleOnFilling(const ScreenLayout& screens);
    std::optional<Rect> normalFrame() const;

private:
    std::vector<Rect> frames_;  // oldest first; only the last few
};

}  // namespace quenlith
