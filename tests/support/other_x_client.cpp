#include "support/other_x_client.hpp"

#include <gtkmm/window.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <gdk/gdkx.h>

namespace quenlith::test {

namespace {

Display* xDisplay(void* display) { return static_cast<Display*>(display); }

}  // namespace

OtherXClient::OtherXClient() {
    Display* x = XOpenDisplay(gdk_display_get_name(gdk_display_get_default()));
    display_ = x;
    const ::Window root = DefaultRootWindow(x);
    window_ = XCreateSimpleWindow(x, root, 0, 0, 80, 60, 0, 0, 0);
    XMapWindow(x, window_);
    // The requests clients send the window manager arrive at the root window's substructure.
    XSelectInput(x, root, SubstructureNotifyMask);
    XSync(x, False);
}

OtherXClient::~OtherXClient() {
    XDestroyWindow(xDisplay(display_), window_);
    XCloseDisplay(xDisplay(display_));
}

void OtherXClient::activate(unsigned long window) {
    Display* x = xDisplay(display_);
    const ::Window active = window;
    XChangeProperty(x, DefaultRootWindow(x), XInternAtom(x, "_NET_ACTIVE_WINDOW", False), XA_WINDOW, 32,
                    PropModeReplace, reinterpret_cast<const unsigned char*>(&active), 1);
    XSync(x, False);
}

bool OtherXClient::askedNotAbove(unsigned long window) {
    Display* x = xDisplay(display_);
    const Atom state = XInternAtom(x, "_NET_WM_STATE", False);
    const Atom above = XInternAtom(x, "_NET_WM_STATE_ABOVE", False);
    bool asked = false;
    XSync(x, False);
    while (XPending(x)) {
        XEvent event;
        XNextEvent(x, &event);
        if (event.type == ClientMessage && event.xclient.message_type == state &&
            event.xclient.window == window && event.xclient.data.l[0] == 0 &&
            (static_cast<Atom>(event.xclient.data.l[1]) == above ||
             static_cast<Atom>(event.xclient.data.l[2]) == above))
            asked = true;
    }
    return asked;
}

unsigned long xWindowOf(Gtk::Window& window) {
    return GDK_WINDOW_XID(window.get_window()->gobj());
}

}  // namespace quenlith::test
