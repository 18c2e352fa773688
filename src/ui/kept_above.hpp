#pragma once

#include <chrono>

namespace Gtk {
class Window;
}

namespace quenlith {

// How a window of this application stays above the other windows of the desktop.
enum class KeptAbove {
    no,
    // Above until, once it has had the focus, the person turns to another window: then it goes
    // back among the others (the launcher opened as an ordinary window).
    untilAnotherWindow,
    // The same, but only another application's window counts: among this application's windows it
    // stays in front (what a window kept above asked for).
    untilAnotherApplication,
    always,
};

// How long the desktop's active window stays before it counts as the window the person turned to.
constexpr std::chrono::milliseconds kTurnAwaySettling{600};

// Tells the window manager, and while the window is kept above until something happens, follows
// the desktop's active window to end it then. Main thread only.
void keepAbove(Gtk::Window& window, KeptAbove how);
// How the window is kept above now (`no` for a window never told).
KeptAbove keptAbove(const Gtk::Window& window);

// Whether a shown window of this application other than `window` is kept above the others.
bool anotherWindowKeptAbove(const Gtk::Window& window);

// Whenever `window` becomes the active window while another shown window of this application is
// kept above, it comes in front of that one, kept above until the person turns to another
// application: brought forward by the taskbar, or given the focus but stacked as the window manager
// chose, it would lie under the windows kept above.
void comeAboveWhenActive(Gtk::Window& window);

}  // namespace quenlith
