#include "app/start_sweeps.hpp"

namespace quenlith {

StartSweeps::StartSweeps(WebAppStore& store, PreferencesStore& preferences, LibraryStore& library,
                         BrowserWindowManager& windows, Scheduler& timers)
    : sessions_(store, library, windows, timers), credentials_(preferences, library, windows, timers) {}

void StartSweeps::schedule() {
    sessions_.schedule();
    credentials_.schedule();
}

}  // namespace quenlith
