#pragma once

// When a browser window reloads its page by itself.

#include <chrono>
#include <functional>
#include <optional>

#include "model/scheduler.hpp"

namespace quenlith {

// How late a tick may come: a tenth of the interval, at most 5 seconds.
double autoReloadTolerance(double intervalSeconds);

// A running window needs a new timer when the interval changed (presence or value) or it has
// none; a change of anything else keeps the running timer.
bool autoReloadNeedsRescheduling(const std::optional<double>& previousInterval,
                                 const std::optional<double>& newInterval, bool timerExists);

// A timer runs only for a website with a positive interval whose window is presented.
bool autoReloadShouldRun(const std::optional<double>& interval, bool presented);

// What a tick looks at.
struct AutoReloadTickFacts {
    bool presented = false;
    bool windowVisible = false;
    bool windowMinimized = false;
    bool sheetAttached = false;
    bool hasActiveTab = false;
    bool activeTabSleeping = false;
    bool activeTabLoading = false;
};

// A tick reloads only a visible, unminimised window without a dialog, whose active tab is awake
// and not loading.
bool autoReloadTickReloads(const AutoReloadTickFacts& facts);

// The repeating timer of one window: each period runs `tick`, which decides whether to reload.
class AutoReloadTimer {
public:
    // What the timer runs with.
    struct Period {
        double interval = 0;
        double tolerance = 0;
    };

    AutoReloadTimer(Scheduler& timers, std::function<void()> tick);
    // Runs every `interval` seconds from now on, in place of what ran before.
    void start(double interval);
    void stop();
    // Nothing while no timer runs.
    const std::optional<Period>& period() const { return period_; }

private:
    void fire(std::chrono::milliseconds period);

    Scheduler& timers_;
    std::function<void()> tick_;
    std::optional<Period> period_;
    ScheduledTask task_;
};

}  // namespace quenlith
