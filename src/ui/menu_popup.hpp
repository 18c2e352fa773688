#pragma once

#include <glibmm/refptr.h>

namespace Gdk {
class Rectangle;
class Window;
}

namespace Gtk {
class Menu;
}

namespace quenlith {

// Pops `menu` up below `area` of `window` (a list's cell, a button), for the input being handled.
// A screen reader's action comes with no input event, and the toolkit places and grabs a menu by
// the event that opened it (without one it opens nothing, or logs that it has none): the menu then
// opens as from the keyboard.
void popupMenuBelow(Gtk::Menu& menu, const Glib::RefPtr<Gdk::Window>& window, const Gdk::Rectangle& area);

}  // namespace quenlith
