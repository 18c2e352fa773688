#pragma once

namespace quenlith {

// A rectangle in root-window coordinates (origin top left, y grows downwards).
struct LauncherRect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const LauncherRect&) const = default;
};

// Where and how large the launcher opens for a click of the tray icon at (x, y) on a monitor with
// the work area `workArea`.
//
// Size: width = min(max(work width - 24, 1), max(420, contentWidth)); height = min(max(room - 36,
// 1), 590), where the room is the height between the point and the farther edge of the work area
// (a tray at the top opens the launcher below the point, one at the bottom above it). The launcher
// is centred on x and lies wholly inside the work area. `contentWidth` is what the title row and
// the footer need with all their texts: at a larger text size the launcher widens so that the
// title and the buttons' texts still show, where the screen has room.
LauncherRect launcherFrame(const LauncherRect& workArea, int x, int y, int contentWidth = 0);

inline constexpr int kLauncherWidth = 420;
inline constexpr int kLauncherHeight = 590;

}  // namespace quenlith
