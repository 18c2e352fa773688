#pragma once

// A window's X property read straight from the X server. Include it last: Xlib defines macros that
// clash with ordinary names.

#include <algorithm>
#include <optional>
#include <vector>

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

// The 32-bit items of the property `name` (atoms, windows) on the X window, empty when unset.
inline std::vector<unsigned long> windowPropertyList(Display* display, ::Window window, const char* name) {
    Atom actualType = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::vector<unsigned long> items;
    if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 4096, False,
                           AnyPropertyType, &actualType, &format, &count, &remaining, &data) == Success &&
        format == 32 && data)
        for (unsigned long i = 0; i < count; ++i)
            items.push_back(reinterpret_cast<unsigned long*>(data)[i] & 0xFFFFFFFFul);
    if (data) XFree(data);
    return items;
}

// Whether the desktop's taskbar lists the window: the window manager's client list holds it and
// its state does not ask to be skipped.
inline bool listedInTaskbar(Gtk::Window& window) {
    GdkWindow* gdkWindow = window.get_window()->gobj();
    Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
    const ::Window id = GDK_WINDOW_XID(gdkWindow);
    const auto clients = windowPropertyList(display, DefaultRootWindow(display), "_NET_CLIENT_LIST");
    const auto state = windowPropertyList(display, id, "_NET_WM_STATE");
    const unsigned long skip = XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False);
    return std::find(clients.begin(), clients.end(), id) != clients.end() &&
           std::find(state.begin(), state.end(), skip) == state.end();
}

}  // namespace quenlith::test
