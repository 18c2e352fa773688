#pragma once

#include <chrono>
#include <functional>

#include "model/scheduler.hpp"

namespace quenlith {

class BrowserViewController;
class WindowRegistry;

// The tab-sleep pass: every kSleepInterval each window's browser view puts its idle tabs to sleep.
// Main thread only.
class TabSleepScheduler {
public:
    // Period of the tab-sleep pass.
    static constexpr std::chrono::seconds kSleepInterval{30};

    TabSleepScheduler(WindowRegistry& registry, Scheduler& timers);
    ~TabSleepScheduler();
    TabSleepScheduler(const TabSleepScheduler&) = delete;
    TabSleepScheduler& operator=(const TabSleepScheduler&) = delete;

    // What the pass does with each window's browser view (its idle tabs go to sleep); none stops
    // the pass from doing anything.
    void setSleepTabs(std::function<void(BrowserViewController&)> sleepTabs) {
        sleepTabs_ = std::move(sleepTabs);
    }
    // The pass of the sleep timer.
    void sleepIdleWindows();
    // No more passes (shutdown).
    void stop();

private:
    void arm();

    WindowRegistry& registry_;
    Scheduler& timers_;
    std::function<void(BrowserViewController&)> sleepTabs_;
    ScheduledTask timer_;
    bool stopped_ = false;
};

}  // namespace quenlith
