#pragma once

#include <optional>

#include "browser/view/auto_reload.hpp"

namespace quenlith {

class BrowserViewController;

// The auto-reload timer of one browser view: it runs while the website has a positive interval
// and the window is presented, and each tick reloads the active page unless something holds it
// back (see autoReloadTickReloads). Main thread only.
class ViewAutoReload {
public:
    ViewAutoReload(BrowserViewController& view, Scheduler& timers);

    // Starts the timer anew when it should run, else leaves it stopped.
    void schedule();
    void stop();
    // The website changed from an interval of `previousInterval`: the timer follows a new interval.
    void profileChanged(const std::optional<double>& previousInterval);
    // The view's browsing ended: no timer runs any more.
    void end();
    // What the timer runs with; nothing while no timer runs.
    const std::optional<AutoReloadTimer::Period>& period() const { return timer_.period(); }

private:
    void tick();

    BrowserViewController& view_;
    AutoReloadTimer timer_;
    bool ended_ = false;
};

}  // namespace quenlith
