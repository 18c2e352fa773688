#include "browser/view/auto_reload.hpp"

#include <algorithm>
#include <cmath>

namespace quenlith {

double autoReloadTolerance(double intervalSeconds) {
    return std::min(intervalSeconds * 0.1, 5.0);
}

bool autoReloadNeedsRescheduling(const std::optional<double>& previousInterval,
                                 const std::optional<double>& newInterval, bool timerExists) {
    return previousInterval != newInterval || !timerExists;
}

bool autoReloadShouldRun(const std::optional<double>& interval, bool presented) {
    // A record that skipped normalisation must not turn into a busy loop.
    return interval.has_value() && std::isfinite(*interval) && *interval > 0 && presented;
}

bool autoReloadTickReloads(const AutoReloadTickFacts& facts) {
    return facts.presented && facts.windowVisible && !facts.windowMinimized && !facts.sheetAttached &&
           facts.hasActiveTab && !facts.activeTabSleeping && !facts.activeTabLoading;
}

AutoReloadTimer::AutoReloadTimer(Scheduler& timers, std::function<void()> tick)
    : timers_(timers), tick_(std::move(tick)) {}

void AutoReloadTimer::start(double interval) {
    period_ = Period{interval, autoReloadTolerance(interval)};
    const auto period = std::chrono::milliseconds(static_cast<long long>(std::llround(interval * 1000)));
    task_ = timers_.schedule(period, [this, period] { fire(period); });
}

void AutoReloadTimer::stop() {
    task_.cancel();
    period_.reset();
}

void AutoReloadTimer::fire(std::chrono::milliseconds period) {
    // A repeating timer: each tick books the next one.
    task_ = timers_.schedule(period, [this, period] { fire(period); });
    tick_();
}

}  // namespace quenlith
