#pragma once

#include <optional>

#include "model/scheduler.hpp"
#include "model/uuid.hpp"

namespace quenlith {

// Which browser window a command of the main menu acts on. The menu is a window of its own that
// holds the focus while it is open, and the chosen command runs as it closes, before the window
// it was opened from has the focus back: so a command chosen in a menu acts on the window the menu
// was opened from, and one chosen in a menu opened from a window that shows no website (the
// launcher) on the last active browser window. Once the menu has closed and the turn it closed on
// is over, or once a key is pressed in a window, commands act on the key browser window again, as
// accelerators do. Main thread only.
class MenuCommandTarget {
public:
    explicit MenuCommandTarget(Scheduler& scheduler) : scheduler_(scheduler) {}

    // A menu opened from the browser window of that id, or (none) from another window.
    void opened(std::optional<Uuid> browserWindow);
    // The menu closed: a command chosen in it runs on this turn, after this.
    void closed();
    // A key pressed in a window: it acts on the key window, whatever menu came before.
    void keyPressed();

    // The window a command acts on now, given the key browser window and the last active one.
    std::optional<Uuid> target(const std::optional<Uuid>& keyWindow, const std::optional<Uuid>& lastActive) const;

private:
    Scheduler& scheduler_;
    // Set while a menu is in use: the browser window it was opened from, or none for another window.
    std::optional<std::optional<Uuid>> origin_;
    ScheduledTask settling_;
};

}  // namespace quenlith
