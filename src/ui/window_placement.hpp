#pragma once

#include <optional>

#include <gdkmm/window.h>

#include "model/window_geometry.hpp"

namespace quenlith {

// Where a realised toplevel is on the X server: its frame with the window manager's decoration,
// its own X window and the shadow it declares inside that; none off X11 or for a window gone.
std::optional<WindowPlacement> windowPlacement(const Glib::RefPtr<Gdk::Window>& window);

// Asks for the window's visible frame to become `frame` (root coordinates), decoration included.
void requestVisibleFrame(const Glib::RefPtr<Gdk::Window>& window, const Rect& frame);

}  // namespace quenlith
