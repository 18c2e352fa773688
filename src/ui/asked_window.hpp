#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

typedef struct _GtkWindow GtkWindow;

namespace Gtk {
class Window;
}

namespace quenlith {

// A window the person asked for comes in front of the window they asked from and takes the focus;
// when it is hidden while it has the focus, the focus goes back to that window (shown again if it
// was hidden meanwhile, as the launcher is). Main thread only.

// The window of this application that took the input being handled (for an item of a menu, the
// window the menu was opened from), else the one that has the focus now, or nullptr.
Gtk::Window* focusedApplicationWindow();

// The X time of the input being handled, else the last input GDK saw (0 when neither is known).
std::uint32_t askingInputTime(const Gtk::Window& window);

// Presents `window` with the asking input's time. `attach` makes it transient for `origin`
// (dialogs and sheets). Asked for from a window kept above, it is kept above too, until the person
// turns to another application's window.
void presentAskedWindow(Gtk::Window& window, Gtk::Window* origin, bool attach);

// Hides a window presented by `presentAskedWindow`; when it had the focus, the focus returns to its
// origin, unless the input that closed it asked for another window.
void hideAskedWindow(Gtk::Window& window);

// Runs `run`, which shows a dialog transient for `origin` that is not presented as an asked window
// (one the toolkit builds, as the print dialog): the dialog is kept as `presentAskedWindow` keeps a
// sheet, and as it is answered the focus goes back to `origin`. Its maker takes it apart only after
// the answer has been handled.
void runAskedDialog(Gtk::Window& origin, const std::function<void()>& run);

// Called when a window asks for the focus with the time of the input that asked: a window closed by
// the same input leaves the focus to it.
void noteFocusRequested(std::uint32_t time);

// Whether `window` was presented as an asked window (its focus goes back to its origin).
bool isAskedWindow(GtkWindow* window);

// Whether the input of that time asked for a window's focus (0: no input known), or a window asked
// for it on this turn of the main loop, as one closed by the same input goes.
bool focusAskedBy(std::uint32_t time);

// Called after `window` asked for the focus (and noted it): when it has not got it a moment later,
// and nothing asked after it, it asks once more. Window managers now and then give the focus to
// another window as one of ours goes away while this one is mapped.
void askAgainIfNotFocused(Gtk::Window& window);

// For a window its owner shows itself (the launcher): notes the window it was asked from, where
// `hideAskedWindow` gives the focus back.
void noteAskedFrom(Gtk::Window& window, Gtk::Window* origin);

// How long `window` is still being given the focus back by a window it opened that closed: the
// window manager may hand the focus elsewhere for a moment as that window goes. Zero when not.
std::chrono::milliseconds focusReturnPending(const Gtk::Window& window);

// Asks for the focus once more, with the X server's current time (newer than any hand-over).
void askForFocusAgain(Gtk::Window& window);

// Whether the window manager has `window` minimised now. Read from the server: on a busy machine a
// request for the focus made on a timer or a map may run before the minimise has reached us, and
// asking then would bring the window back against the person's wish.
bool minimisedNow(GtkWindow* window);

}  // namespace quenlith
