#pragma once

#include <functional>
#include <memory>
#include <vector>

#include <sigc++/connection.h>

typedef struct _GdkDisplay GdkDisplay;
typedef struct _GtkWindow GtkWindow;

namespace quenlith {

// The window manager's active X window on that display; 0 when none is (or not on X11).
unsigned long activeXWindow(GdkDisplay* display);

// Whether `window` has the keyboard: it is the window manager's active window (as GTK counts it
// without one). GTK's own count lags: a key binding of the window manager's (Alt+F4) grabs the
// keyboard while it runs, and GTK counts the window as inactive until the grab ends, when it may
// have closed already; a window activated meanwhile is heard of only when GTK reads its events.
bool holdsKeyboard(GtkWindow* window);

// Follows the window manager's active window on X11 (_NET_ACTIVE_WINDOW on the root window):
// `changed` runs on a later turn of the main loop after it changed, once for changes that come
// together. Main thread only.
class ActiveWindowWatch {
public:
    // None without an X11 display.
    static std::unique_ptr<ActiveWindowWatch> create(std::function<void()> changed);
    ~ActiveWindowWatch();
    ActiveWindowWatch(const ActiveWindowWatch&) = delete;
    ActiveWindowWatch& operator=(const ActiveWindowWatch&) = delete;

    GdkDisplay* display() const { return display_; }
    // The active X window now; 0 when none is.
    unsigned long active() const;
    // Whether the X window is one of this application's.
    bool isOwn(unsigned long window) const;
    // The active windows in turn since the last run of `changed`, read as each change was heard of
    // (during `changed`). A window in front only for a moment is in it although another one is
    // active again by the time the main loop turns.
    const std::vector<unsigned long>& seen() const { return seen_; }

private:
    ActiveWindowWatch(GdkDisplay* display, std::function<void()> changed);
    static int filter(void* event, void* gdkEvent, void* self);

    GdkDisplay* display_;
    unsigned long root_ = 0;
    unsigned long activeAtom_ = 0;
    std::function<void()> changed_;
    sigc::connection pending_;
    std::vector<unsigned long> seen_;
};

}  // namespace quenlith
