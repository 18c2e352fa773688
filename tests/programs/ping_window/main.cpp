// ping_window WINDOW: sends the X window's client _NET_WM_PING, as a window manager does, and
// waits up to 30 s for its answer. A client reads its events in order, so once it answers it has
// read every event the server sent it before, such as a change of the active window just made.
// Exits 0 once answered, 1 without an answer, 2 without a display or id.
#include <X11/Xlib.h>
#include <poll.h>

#include <chrono>
#include <cstdlib>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    const Window window = argc == 2 ? std::strtoul(argv[1], nullptr, 0) : 0;
    if (!display || window == 0) return 2;
    const Window root = DefaultRootWindow(display);
    const Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
    const Atom ping = XInternAtom(display, "_NET_WM_PING", False);
    // The answer goes to the root window, to whoever selects its substructure.
    XSelectInput(display, root, SubstructureNotifyMask);
    // A time of our own, so that an answer to a window manager's ping is not taken for ours.
    const long stamp =
        static_cast<long>(std::chrono::steady_clock::now().time_since_epoch().count() & 0x7fffffff);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = protocols;
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(ping);
    event.xclient.data.l[1] = stamp;
    event.xclient.data.l[2] = static_cast<long>(window);
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
        while (XPending(display)) {
            XEvent answer;
            XNextEvent(display, &answer);
            if (answer.type == ClientMessage && answer.xclient.message_type == protocols &&
                static_cast<Atom>(answer.xclient.data.l[0]) == ping && answer.xclient.data.l[1] == stamp) {
                XCloseDisplay(display);
                return 0;
            }
        }
        pollfd wait{ConnectionNumber(display), POLLIN, 0};
        poll(&wait, 1, 100);
    }
    XCloseDisplay(display);
    return 1;
}
