#pragma once

#include <gtkmm/scrolledwindow.h>

namespace quenlith {

// Room enough for a focus ring and a row's spacing.
inline constexpr int kFocusMargin = 12;

// Keeps the control that takes the keyboard focus inside `scroller` wholly in sight, with `margin`
// pixels of the form around it. The toolkit scrolls such a control only to the very edge of the
// view, which cuts off its focus ring.
void keepFocusInView(Gtk::ScrolledWindow& scroller, int margin = kFocusMargin);

}  // namespace quenlith
