// key_holder X-MODIFIERS KEY [X Y W H]: another client grabs the combination (modifier bits as in the
// X protocol, 12 = Ctrl+Alt) and prints "held" or "refused"; a rectangle shows a window that prints
// "click" per click.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

static int refusals = 0;

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    if (!display || (argc != 3 && argc != 7)) return 2;
    Window root = DefaultRootWindow(display);
    const unsigned state = std::strtoul(argv[1], nullptr, 10);
    KeyCode code = XKeysymToKeycode(display, XStringToKeysym(argv[2]));
    XSetErrorHandler(
        [](Display*, XErrorEvent* error) { return refusals += error->error_code == BadAccess, 0; });
    for (unsigned locks : {0u, unsigned(LockMask), unsigned(Mod2Mask), unsigned(LockMask | Mod2Mask)})
        XGrabKey(display, code, state | locks, root, False, GrabModeAsync, GrabModeAsync);
    XSync(display, False);
    std::printf("%s\n", refusals ? "refused" : "held");
    if (argc == 7) {
        Window window = XCreateSimpleWindow(display, root, std::atoi(argv[3]), std::atoi(argv[4]),
                                            std::atoi(argv[5]), std::atoi(argv[6]), 0, 0, 0xffffff);
        XSizeHints hints{};
        hints.flags = USPosition | USSize;  // placed where asked, not by the window manager
        XSetWMNormalHints(display, window, &hints);
        XSelectInput(display, window, ButtonPressMask);
        XMapWindow(display, window);
    }
    for (XEvent event;;) {
        std::fflush(stdout);
        XNextEvent(display, &event);
        if (event.type == ButtonPress) std::printf("click\n");
    }
}
