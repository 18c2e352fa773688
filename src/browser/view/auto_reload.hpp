#pragma once

// When a browser window reloads its page by itself.

#include <optional>

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

}  // namespace quenlith
