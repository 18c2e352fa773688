#pragma once

// A window's X property read straight from the X server. Include it last: Xlib defines macros that
// clash with ordinary names.

#include <optional>

#include <gtkmm/window.h>

#include <gdk/gdkx.h>

namespace quenlith::test {

// The first 32-bit item of the property `name` of type `type` on the window, none when unset.
inline std::optional<unsigned long> windowProperty(Gtk::Window& window, const char* name, const char* type) {
    GdkWindow* gdkWindow = window.get_window()->gobj();
    Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<unsigned long> value;
    if (XGetWindowProperty(display, GDK_WINDOW_XID(gdkWindow), XInternAtom(display, name, False), 0, 1, False,
                           XInternAtom(display, type, False), &actualType, &format, &count, &remaining,
                           &data) == Success &&
        count == 1 && data)
        value = *reinterpret_cast<unsigned long*>(data) & 0xFFFFFFFFul;  // format 32 arrives as a long
    if (data) XFree(data);
    return value;
}

}  // namespace quenlith::test
