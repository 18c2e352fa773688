#include "ui/window_placement.hpp"

#include <algorithm>
#include <cmath>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <X11/Xatom.h>
#include <gdk/gdkx.h>

namespace quenlith {

namespace {

int roundedLength(double value) {
    return std::max(1, static_cast<int>(std::lround(value)));
}

// Left, right, top and bottom widths of the invisible shadow a client-side decorated window keeps
// inside its X window (none when the window declares none).
Margins shadowOf(Display* display, ::Window window, double scale) {
    Margins shadow;
    Atom property = XInternAtom(display, "_GTK_FRAME_EXTENTS", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(display, window, property, 0, 4, False, XA_CARDINAL, &type, &format, &count,
                           &remaining, &data) == Success &&
        type == XA_CARDINAL && format == 32 && count == 4 && data) {
        auto values = reinterpret_cast<unsigned long*>(data);  // format 32 arrives as longs
        auto width = [&](int i) { return double(values[i] & 0xFFFFFFFFul) / scale; };
        shadow = Margins{width(0), width(1), width(2), width(3)};
    }
    if (data) XFree(data);
    return shadow;
}

}  // namespace

std::optional<WindowPlacement> windowPlacement(const Glib::RefPtr<Gdk::Window>& window) {
    if (!window) return std::nullopt;
    GdkWindow* gdkWindow = window->gobj();
    if (!GDK_IS_X11_WINDOW(gdkWindow)) return std::nullopt;

    WindowPlacement result;
    Gdk::Rectangle outer;
    window->get_frame_extents(outer);
    result.outer = Rect{double(outer.get_x()), double(outer.get_y()), double(outer.get_width()),
                        double(outer.get_height())};

    GdkDisplay* gdkDisplay = gdk_window_get_display(gdkWindow);
    Display* display = GDK_DISPLAY_XDISPLAY(gdkDisplay);
    ::Window xid = GDK_WINDOW_XID(gdkWindow);
    double scale = std::max(1, window->get_scale_factor());
    gdk_x11_display_error_trap_push(gdkDisplay);
    ::Window root = None, child = None;
    int x = 0, y = 0;
    unsigned width = 0, height = 0, border = 0, depth = 0;
    bool known = XGetGeometry(display, xid, &root, &x, &y, &width, &height, &border, &depth) &&
                 XTranslateCoordinates(display, xid, root, 0, 0, &x, &y, &child);
    if (known) {
        result.client = Rect{x / scale, y / scale, width / scale, height / scale};
        result.shadow = shadowOf(display, xid, scale);
    }
    if (gdk_x11_display_error_trap_pop(gdkDisplay) != 0 || !known) return std::nullopt;
    return result;
}

void requestVisibleFrame(const Glib::RefPtr<Gdk::Window>& window, const Rect& frame) {
    auto current = windowPlacement(window);
    if (!current) return;
    Rect request = clientRequestForFrame(frame, *current);
    window->move_resize(static_cast<int>(std::lround(request.x)), static_cast<int>(std::lround(request.y)),
                        roundedLength(request.width), roundedLength(request.height));
}

}  // namespace quenlith
