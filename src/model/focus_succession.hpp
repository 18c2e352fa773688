#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace quenlith {

// Which window of this application takes the keyboard when the one that had it closes: the one
// used last among those still shown and not minimised. Some window managers hand the focus on only
// to windows they list in their taskbar, which ours may stay out of, and leave none focused. The
// caller names windows by ids it never reuses. Main thread only.
class FocusSuccession {
public:
    using WindowID = std::uint64_t;

    struct Window {
        WindowID id = 0;
        bool shown = false;
        bool minimised = false;
    };

    struct Closing {
        WindowID id = 0;
        // The keyboard was in it as it closed: otherwise another application may have it.
        bool hadFocus = false;
        // The input that closed it asked for another window, which takes the focus itself.
        bool focusAskedElsewhere = false;
    };

    // `window` took the keyboard.
    void used(WindowID window);

    // The window to give the keyboard to as `closing` closes, among the application's `windows`
    // (the closing one may be among them): the one used last that is shown and not minimised, else
    // the first such window never used. None when the closing window did not have the keyboard or
    // the input that closed it asked for another window. Windows no longer among `windows` are
    // forgotten, the closing one too.
    std::optional<WindowID> successor(const Closing& closing, const std::vector<Window>& windows);

private:
    // Least recently used first.
    std::vector<WindowID> used_;
};

}  // namespace quenlith
