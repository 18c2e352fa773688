#pragma once

#include <gtkmm/scrolledwindow.h>

namespace quenlith {

// The mouse wheel over a scrolled form moves the form. GTK gives wheel events to the picker,
// slider or number field under the pointer first, and those change their value with them, so
// scrolling through a form would silently edit whatever passed under the pointer (a window's
// first slider even holds the focus from the start). Inside `scroller`, such controls leave the
// wheel to the scrolled window; they still change by mouse and keyboard. Controls present
// whenever the scroller is shown are covered.
void leaveWheelToScrolling(Gtk::ScrolledWindow& scroller);

}  // namespace quenlith
