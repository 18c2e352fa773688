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

}  // namespace quenlith
