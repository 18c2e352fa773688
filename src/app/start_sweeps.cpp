#include "app/start_sweeps.hpp"

#include "browser/page/download_manager.hpp"

namespace quenlith {

StartSweeps::StartSweeps(WebAppStore& store, PreferencesStore& preferences, LibraryStore& library,
                         BrowserWindowManager& windows, DownloadManager& downloads, Scheduler& timers)
    : downloads_(downloads),
      sessions_(store, library, windows, timers),
      credentials_(preferences, library, windows, timers) {}

void StartSweeps::schedule() {
    downloads_.sweepLeftovers();
    sessions_.schedule();
    credentials_.schedule();
}

}  // namespace quenlith
