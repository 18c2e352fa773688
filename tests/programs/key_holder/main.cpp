// key_holder COMBINATION [X Y W H]: grabs COMBINATION ("ctrl+alt+p") as another X client, prints
// "held" or "refused", then "press" per press; a rectangle shows a window reporting each "click".
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <string>

static int refusals = 0;
static int onError(Display*, XErrorEvent* error) { return refusals += error->error_code == BadAccess, 0; }

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display || (argc != 2 && argc != 6)) return 2;
    Window root = DefaultRootWindow(display);
    unsigned state = 0;
    std::string part, key;
    for (char c : std::string(argv[1]) + "+") {
        if (c != '+') { part += c; continue; }
        state |= part == "ctrl" ? ControlMask : part == "alt" ? Mod1Mask : part == "shift" ? ShiftMask : 0;
        if (part.size() == 1) key = part;
        part.clear();
    }
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(key.c_str()));
    XSetErrorHandler(onError);
    for (unsigned locks : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
        XGrabKey(display, code, state | locks, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::printf("%s\n", refusals ? "refused" : "held");
    if (argc == 6) {
        Window window = XCreateSimpleWindow(display, root, std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]),
                                            std::atoi(argv[5]), 0, 0, 0xffffff);
        XSizeHints hints{};
        hints.flags = USPosition | USSize;  // placed where asked, not by the window manager
        XSetWMNormalHints(display, window, &hints);
        XSelectInput(display, window, ButtonPressMask);
        XMapWindow(display, window);
    }
    for (XEvent event;;) {
        std::fflush(stdout);
        XNextEvent(display, &event);
        if (event.type == KeyPress || event.type == ButtonPress) std::printf(event.type == KeyPress ? "press\n" : "click\n");
    }
}
