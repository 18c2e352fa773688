#include "windows/tab_sleep_scheduler.hpp"

#include "browser/view/browser_view_controller.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {

TabSleepScheduler::TabSleepScheduler(WindowRegistry& registry, Scheduler& timers)
    : registry_(registry),
      timers_(timers),
      sleepTabs_([](BrowserViewController& browser) { browser.tabSleep().sleepIdleTabs(); }) {
    arm();
}

TabSleepScheduler::~TabSleepScheduler() {
    timer_.cancel();
}

void TabSleepScheduler::arm() {
    timer_ = timers_.schedule(std::chrono::duration_cast<std::chrono::milliseconds>(kSleepInterval), [this] {
        arm();
        sleepIdleWindows();
    });
}

void TabSleepScheduler::stop() {
    stopped_ = true;
    timer_.cancel();
}

void TabSleepScheduler::sleepIdleWindows() {
    if (stopped_ || !sleepTabs_) return;
    // Each window is looked up again: a pass may close windows on the way.
    for (const Uuid& id : registry_.ids())
        if (auto controller = registry_.window(id)) sleepTabs_(controller->browser());
}

}  // namespace quenlith
