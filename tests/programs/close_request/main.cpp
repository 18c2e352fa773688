// close_request WINDOW: asks the window manager to close the X window (its id in decimal or 0x…
// hexadecimal) with _NET_CLOSE_WINDOW, as a taskbar's or a window list's "Close" does; the window
// manager then sends the window's client its WM_DELETE_WINDOW. Exits 2 without a display or id.
#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    const Window window = argc == 2 ? std::strtoul(argv[1], nullptr, 0) : 0;
    if (!display || window == 0) return 2;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "_NET_CLOSE_WINDOW", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = CurrentTime;
    event.xclient.data.l[1] = 2;  // from a pager or taskbar, as the person's own request
    XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
               &event);
    XCloseDisplay(display);
    return 0;
}
