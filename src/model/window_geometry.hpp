#pragma once

// Screen geometry of the floating windows, as plain values so every decision can be tested without
// a display. Rectangles are in X11 root coordinates: origin at the top-left of the whole desktop,
// y growing downwards. A window's frame is the rectangle the user sees: the window with any
// decoration the window manager draws around it, without the invisible shadow a client-side
// decorated window keeps around itself.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "model/codable_rect.hpp"
#include "model/dock_edge.hpp"

namespace quenlith {

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double minY() const { return y; }
    double maxX() const { return x + width; }
    double maxY() const { return y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }

    bool operator==(const Rect&) const = default;
};

// The overlap of two rectangles; none unless it has a positive width and height.
std::optional<Rect> intersection(const Rect& a, const Rect& b);

// Index of the screen rectangle sharing the largest area with `frame`; the earlier one on equal
// areas; none when the frame overlaps no screen.
std::optional<std::size_t> bestScreenIndex(const Rect& frame, const std::vector<Rect>& screens);

// The 16 x 72 handle of a window tucked at `edge` of the visible frame `screen`: flush with that
// edge, centred on the window's height, kept 8 points clear of the top and of the bottom of the
// screen; when the screen is too short for both, the bottom margin wins.
Rect edgeHandleFrame(DockEdge edge, const Rect& windowFrame, const Rect& screenFrame);

// Which edge of `visibleFrame` the window sits at, within `tolerance` points; left is tested first.
// None when the window does not overlap the visible frame.
std::optional<DockEdge> dockEdge(const Rect& frame, const Rect& visibleFrame, double tolerance);

// --- Floating window placement ---------------------------------------------------------------

// The smallest frame a floating window takes, unless the screen is smaller.
inline constexpr double kPanelMinimumWidth = 360;
inline constexpr double kPanelMinimumHeight = 280;

// One monitor: its whole area, the part windows may use (without panels and docks) and its
// display number (none when the monitor has no connector name).
struct ScreenArea {
    Rect frame;
    Rect visibleFrame;
    std::optional<std::uint32_t> displayID;

    bool operator==(const ScreenArea&) const = default;
};

// The monitors in the display's order and the index of the main one (the primary monitor, else
// the first); `mainScreen` is none only when there is no monitor.
struct ScreenLayout {
    std::vector<ScreenArea> screens;
    std::optional<std::size_t> mainScreen;
};

// 32-bit FNV-1a hash of the text.
std::uint32_t fnv1a32(std::string_view text);

// The display number of a monitor: the FNV-1a hash of its connector name ("HDMI-1"), stable for as
// long as the monitor stays on the same connector. None for a monitor without a name.
std::optional<std::uint32_t> displayNumber(std::string_view connectorName);

// The frame shrunk to the area where it is larger and moved in from every edge it crosses.
Rect frameWithin(const Rect& frame, const Rect& area);

// The frame moved and shrunk into the visible frame of the screen holding the largest part of it
// (the main screen when it is on none): at least 360 x 280 unless the visible frame is smaller.
// None only when there is no screen at all.
std::optional<Rect> clampedFrame(const Rect& frame, const ScreenLayout& layout);

// A frame of the given size centred on the main screen's visible frame (unchanged position when
// there is no screen).
Rect centeredFrame(double width, double height, const ScreenLayout& layout);

// The first frame of a window: the remembered frame when there is one (centred on the main screen,
// keeping its size, when it was on a display that is no longer connected), else the default size
// centred on the main screen; then clamped.
Rect initialFrame(const std::optional<CodableRect>& remembered, double defaultWidth, double defaultHeight,
                  const ScreenLayout& layout);

// A window frame as it is saved: the frame with the display number of the monitor holding the
// largest part of it (none when it is on no monitor, or that monitor has no number).
CodableRect codableRect(const Rect& frame, const ScreenLayout& layout);
Rect rect(const CodableRect& saved);

// --- Frames and X windows --------------------------------------------------------------------

// Widths of the four sides of a border, in points.
struct Margins {
    double left = 0;
    double right = 0;
    double top = 0;
    double bottom = 0;

    bool operator==(const Margins&) const = default;
};

// Where a window is on the X server. `outer` is the window with the window manager's decoration
// (as the window manager reports it), `client` the application's own X window, `shadow` the
// invisible border a client-side decorated window declares inside its X window.
struct WindowPlacement {
    Rect outer;
    Rect client;
    Margins shadow;
};

// The frame the user sees: the outer rectangle without the shadow.
Rect visibleFrame(const WindowPlacement& placement);

// The position and size to request for the client window so its visible frame becomes `frame`:
// window managers place the decorated frame's top-left corner at the requested position (north-west
// gravity) and give the client the requested size, so decoration is taken off the size and the
// shadow is added around it. Saving the result of visibleFrame and requesting it back gives the same
// frame: nothing drifts by the width of a decoration.
Rect clientRequestForFrame(const Rect& frame, const WindowPlacement& current);

}  // namespace quenlith
