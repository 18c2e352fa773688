// key_holder COMBINATION [X Y W H]
// Grabs COMBINATION (like "ctrl+alt+p") on the root window with the four lock states and prints
// "held" or "refused"; then prints "press" for each press of it. With a rectangle it also shows a
// window there that prints "click" for every button press it receives. Runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

static int refusals = 0;
static int onError(Display*, XErrorEvent* error) {
    if (error->error_code == BadAccess) ++refusals;
    return 0;
}

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display || (argc != 2 && argc != 6)) return 2;
    Window root = DefaultRootWindow(display);
    unsigned state = 0;
    std::string text = argv[1], key;
    for (std::size_t start = 0, end; start <= text.size(); start = end + 1) {
        end = text.find('+', start);
        if (end == std::string::npos) end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "ctrl") state |= ControlMask;
        else if (part == "alt") state |= Mod1Mask;
        else if (part == "shift") state |= ShiftMask;
        else if (part == "super") state |= Mod4Mask;
        else key = part;
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
        XStoreName(display, window, "key_holder below");
        XSizeHints hints{};
        hints.flags = USPosition | USSize;  // placed where asked, not by the window manager
        XSetWMNormalHints(display, window, &hints);
        XSelectInput(display, window, ButtonPressMask | ExposureMask);
        XMapWindow(display, window);
    }
    std::fflush(stdout);
    for (XEvent event;;) {
        XNextEvent(display, &event);
        if (event.type == KeyPress) std::printf("press\n");
        if (event.type == ButtonPress) std::printf("click\n");
        std::fflush(stdout);
    }
}
