#pragma once

#include <cstdint>
#include <optional>

#include <gdkmm/display.h>
#include <gdkmm/monitor.h>

#include "model/window_geometry.hpp"

namespace quenlith {

// The display number of a monitor (from its connector name), none when it has no name.
std::optional<std::uint32_t> displayID(const Glib::RefPtr<Gdk::Monitor>& monitor);

// The monitors of the display in its order, with their work areas; the primary monitor is the
// main one, else the first.
ScreenLayout screenLayout(const Glib::RefPtr<Gdk::Display>& display);

}  // namespace quenlith
