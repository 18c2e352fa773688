#pragma once

#include <optional>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// Which window a command of the main menu acts on. The menu is a window of its own that holds the
// focus while it is open, and the chosen command runs as it closes, before the window it was
// opened from has the focus back: so a command chosen in a menu acts on the window the menu was
// opened from, and one chosen in a menu opened from a window that shows no website (the launcher)
// on the last active browser window. The editing commands (Copy, Paste) act on the focused field
// or page of the window the menu was opened from, whichever window that is. Once the menu has
// closed and the turn it closed on is over, or once a key is pressed in a window, commands act on
// the key window again, as accelerators do. Main thread only.
class MenuCommandTarget {
public:
    // A window as the menu knows it: by its identity alone, never followed as a pointer.
    using WindowKey = const void*;

    explicit MenuCommandTarget(Scheduler& scheduler) : scheduler_(scheduler) {}

    // A menu opened from `window`, which is the browser window of that id or (none) another window.
    void opened(std::optional<Uuid> browserWindow, WindowKey window = nullptr);
    // The menu closed: a command chosen in it runs on this turn, after this.
    void closed();
    // A key pressed in a window: it acts on the key window, whatever menu came before.
    void keyPressed();

    // The browser window a command acts on now, given the key browser window and the last active one.
    std::optional<Uuid> target(const std::optional<Uuid>& keyWindow, const std::optional<Uuid>& lastActive) const;
    // The window whose focused field or page an editing command acts on now, given the key window.
    WindowKey editingWindow(WindowKey keyWindow) const;
    // Whether the browser window is away from the person: not the window the menu in use was
    // opened from, or without a menu, not the key window. A command that puts the focus into it
    // brings it forward first.
    bool isAway(const Uuid& browserWindow, const std::optional<Uuid>& keyWindow) const;

private:
    struct Origin {
        std::optional<Uuid> browserWindow;
        WindowKey window = nullptr;
    };
    Scheduler& scheduler_;
    // Set while a menu is in use: the window it was opened from.
    std::optional<Origin> origin_;
    ScheduledTask settling_;
};

}  // namespace quenlith
