#pragma once

#include <gtk/gtk.h>

namespace quenlith {

// The window of this application that asked for the keyboard focus last and has not had it since.
// Until it has it, another of our windows that the window manager focuses meanwhile (as a window of
// ours goes) does not raise itself: it would cover the window the person asked for, which the window
// manager focuses next. Main thread only.

// `window` has just asked for the focus; it replaces any window asking before it.
void awaitFocus(GtkWindow* window);

// Whether a shown window other than `window` asked for the focus and has not had it yet.
bool anotherWindowAwaitsFocus(GtkWindow* window);

}  // namespace quenlith
