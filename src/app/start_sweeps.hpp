#pragma once

#include "app/credential_sweep.hpp"
#include "app/session_sweep.hpp"

namespace quenlith {

class DownloadManager;

// The clean-ups that run once each start, with the data folder held: at once, what downloads cut
// short by the end of an earlier process left; once the windows are restored, the website data of
// the sessions nothing uses, and the proxy passwords nothing names.
class StartSweeps {
public:
    StartSweeps(WebAppStore& store, PreferencesStore& preferences, LibraryStore& library,
                BrowserWindowManager& windows, DownloadManager& downloads, Scheduler& timers);
    StartSweeps(const StartSweeps&) = delete;
    StartSweeps& operator=(const StartSweeps&) = delete;

    // Each sweeps after its delay, or at its first look after that when it can.
    void schedule();
    SessionSweep& sessions() { return sessions_; }
    CredentialSweep& credentials() { return credentials_; }

private:
    DownloadManager& downloads_;
    SessionSweep sessions_;
    CredentialSweep credentials_;
};

}  // namespace quenlith
