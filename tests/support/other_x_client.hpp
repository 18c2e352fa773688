#pragma once

// Another X client on the test's display, standing in for another application and, where a test
// has no window manager, for the window manager too.

#include <cstdint>

namespace Gtk {
class Window;
}

namespace quenlith::test {

class OtherXClient {
public:
    // Connects, and shows a small window of its own.
    OtherXClient();
    ~OtherXClient();
    OtherXClient(const OtherXClient&) = delete;
    OtherXClient& operator=(const OtherXClient&) = delete;

    unsigned long window() const { return window_; }
    // Makes the X window the window manager's active window, as a window manager tells it
    // (_NET_ACTIVE_WINDOW on the root window).
    void activate(unsigned long window);
    // Whether a client has asked the window manager, since the last call, to stop keeping `window`
    // above the others (a _NET_WM_STATE request to remove _NET_WM_STATE_ABOVE).
    bool askedNotAbove(unsigned long window);

private:
    void* display_ = nullptr;
    unsigned long window_ = 0;
};

// The X window of a realized window of this process.
unsigned long xWindowOf(Gtk::Window& window);

}  // namespace quenlith::test
