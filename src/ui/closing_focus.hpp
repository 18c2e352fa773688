#pragma once

#include <cstdint>

typedef struct _GtkWindow GtkWindow;

namespace quenlith {

// A window of this application that closes with the keyboard in it leaves the keyboard to the
// application's window used last that is still shown and not minimised. Window managers that hand
// the focus on only to windows in their taskbar (openbox) otherwise leave no window focused, as
// ours stay out of it while "Show Dock icon" is off. A window closed by an input that asked for
// another window, or without the keyboard, leaves the focus alone. Main thread; once per process
// is enough, more do nothing.
void handFocusOnAsWindowsClose();

// For windows whose focus goes back to the window they were asked from: called as `closing` goes
// with the keyboard when that window is not there to take it; `time` is the closing input's.
void handFocusOnFrom(GtkWindow* closing, std::uint32_t time);

// How many ordinary windows of this application have been hidden since `handFocusOnAsWindowsClose`
// (none before), those hidden on the current turn of the main loop left out: a window asked for on
// the turn another goes (the launcher putting itself away) sees that one go after it asked.
std::uint64_t windowsHiddenBeforeThisTurn();
// The same, counting this turn's too.
std::uint64_t windowsHidden();

}  // namespace quenlith
