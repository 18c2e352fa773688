#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/engine/secret_store.hpp"
#include "model/scheduler.hpp"

namespace quenlith {

class BrowserWindowManager;
class LibraryStore;
class PreferencesStore;

// Removes, once each start, the proxy passwords in the keyring that nothing names: those a save
// left behind when the process ended before the record without them reached the disk. It waits as
// the session sweep does; then it lists this data folder's items in the keyring (one stored
// before items named their folder may be another folder's, and stays), reads the saved files off
// the main thread, and removes an item only when no saved file names it, nothing open uses it and
// it was not made during this run (findUnusedCredentials, as every let-go asks). Nothing goes while a saved file cannot be read or when there is no keyring to
// list; items in a locked keyring are left as they are (nothing here unlocks or asks).
class CredentialSweep {
public:
    // How long after the start, and then between looks while it waits.
    static constexpr std::chrono::seconds kDelay{20};

    CredentialSweep(PreferencesStore& preferences, LibraryStore& library, BrowserWindowManager& windows,
                    Scheduler& timers);
    ~CredentialSweep();
    CredentialSweep(const CredentialSweep&) = delete;
    CredentialSweep& operator=(const CredentialSweep&) = delete;

    // Sweeps kDelay from now, or at the first look after that when it can.
    void schedule();
    bool started() const { return started_; }
    // Told on the main loop once the sweep has ended, with the credentials it removed.
    void setOnFinished(std::function<void(const std::vector<std::string>&)> finished) {
        onFinished_ = std::move(finished);
    }

private:
    bool ready() const;
    void sweep();
    // Reads the saved files off the main thread, then removes what neither they nor anything open
    // names.
    void readFiles(std::vector<std::string> stored);
    void removeUnused(const std::vector<std::string>& unused);
    // Whether a website, a window, the library or the global proxy uses the credential now, or it
    // was made during this run.
    bool inUse(const std::string& credentialID) const;
    void finish(std::vector<std::string> removed);

    PreferencesStore& preferences_;
    LibraryStore& library_;
    BrowserWindowManager& windows_;
    Scheduler& timers_;
    ScheduledTask look_;
    SecretCall listing_;
    bool started_ = false;
    std::function<void(const std::vector<std::string>&)> onFinished_;
    // The answers of the keyring and of the reading hold this weakly.
    std::shared_ptr<CredentialSweep*> self_;
};

}  // namespace quenlith
