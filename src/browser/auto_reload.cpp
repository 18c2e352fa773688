#include "browser/auto_reload.hpp"

#include <algorithm>
#include <cmath>

#include <glibmm/main.h>

namespace quenlith {

double autoReloadTolerance(double intervalSeconds) { return std::min(intervalSeconds * 0.1, 5.0); }

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

sigc::connection startMainLoopTimer(double intervalSeconds, double toleranceSeconds, std::function<void()> tick) {
    const auto milliseconds = static_cast<unsigned int>(std::max(1.0, std::round(intervalSeconds * 1000)));
    auto slot = [tick = std::move(tick)] {
        tick();
        return true;
    };
    // Whole-second timers with a second or more of slack let GLib batch the wake-ups.
    if (toleranceSeconds >= 1 && milliseconds % 1000 == 0)
        return Glib::signal_timeout().connect_seconds(slot, milliseconds / 1000);
    return Glib::signal_timeout().connect(slot, milliseconds);
}

}  // namespace quenlith
