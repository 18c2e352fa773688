#pragma once

#include <gtkmm/scrolledwindow.h>

namespace quenlith {

// The mouse wheel over a scrolled form moves the form. GTK gives wheel events to the picker,
// slider or number field under the pointer first, and those change their value with them, so
// scrolling through a form would silently edit whatever passed under the pointer. Inside
// `scroller`, such controls take the wheel only while they hold the keyboard focus; otherwise it
// goes on to the scrolled window. Controls present whenever the scroller is shown are covered.
void leaveWheelToScrolling(Gtk::ScrolledWindow& scroller);

}  // namespace quenlith
