// client_windows NAME COUNT: one X client showing COUNT small windows whose instance name (WM_CLASS)
// is NAME, titled "NAME 1" to "NAME COUNT", side by side; runs until killed.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    Display* display = XOpenDisplay(nullptr);
    const int count = argc == 3 ? std::atoi(argv[2]) : 0;
    if (!display || count < 1) return 2;
    const Window root = DefaultRootWindow(display);
    for (int i = 1; i <= count; ++i) {
        const Window window = XCreateSimpleWindow(display, root, 100 + 220 * i, 500, 200, 120, 0, 0, 0xdddddd);
        XClassHint hint{argv[1], const_cast<char*>("Client-windows")};
        XSetClassHint(display, window, &hint);
        const std::string title = std::string(argv[1]) + " " + std::to_string(i);
        XStoreName(display, window, title.c_str());
        XWMHints input{};
        input.flags = InputHint;
        input.input = True;
        XSetWMHints(display, window, &input);
        XMapWindow(display, window);
    }
    XFlush(display);
    for (XEvent event;;) XNextEvent(display, &event);
}
