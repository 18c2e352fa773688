#include "app/credential_sweep.hpp"

#include "browser/engine/proxy_passwords.hpp"
#include "model/credential_release.hpp"
#include "model/library_store.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

CredentialSweep::CredentialSweep(PreferencesStore& preferences, LibraryStore& library,
                                 BrowserWindowManager& windows, Scheduler& timers)
    : preferences_(preferences),
      library_(library),
      windows_(windows),
      timers_(timers),
      self_(std::make_shared<CredentialSweep*>(this)) {}

CredentialSweep::~CredentialSweep() {
    self_.reset();
    look_.cancel();
    listing_.cancel();
}

void CredentialSweep::schedule() {
    look_ = timers_.schedule(kDelay, [this] {
        if (ready())
            sweep();
        else
            schedule();
    });
}

bool CredentialSweep::ready() const {
    const SessionRestore& session = windows_.session();
    // The windows' proxies are known once restored; the library answers once read.
    return !started_ && session.didRestore() && !session.isRestoring() && !session.shuttingDown() &&
           !library_.loading();
}

void CredentialSweep::sweep() {
    started_ = true;
    std::weak_ptr<CredentialSweep*> weak = self_;
    // The keyring first: an item made after this list is never among those removed.
    listing_ = listProxyCredentials([weak](Result<SecretAccounts> stored) {
        auto self = weak.lock();
        if (!self) return;
        if (!stored) {
            logInfo(LogCategory::lifecycle,
                    "Unused proxy passwords were not looked for: the keyring could not be listed (" +
                        stored.error().message + ")");
            return (*self)->finish({});
        }
        if (stored->locked > 0)
            logInfo(LogCategory::lifecycle, std::to_string(stored->locked) +
                                                " proxy passwords in a locked keyring were left as they are");
        (*self)->readFiles(std::move(stored->accounts));
    });
}

void CredentialSweep::readFiles(std::vector<std::string> stored) {
    std::weak_ptr<CredentialSweep*> weak = self_;
    findUnusedCredentials(
        credentialsOfOurShape(std::move(stored)), SavedCredentialFiles::current(),
        [weak](const std::string& credentialID) {
            auto self = weak.lock();
            return !self || (*self)->windows_.session().shuttingDown() || (*self)->inUse(credentialID);
        },
        [weak](std::optional<std::vector<std::string>> unused) {
            auto self = weak.lock();
            if (!self) return;
            if (!unused) {
                logInfo(LogCategory::lifecycle,
                        "Unused proxy passwords were not looked for: a saved file could not be read");
                return (*self)->finish({});
            }
            (*self)->removeUnused(*unused);
        });
}

bool CredentialSweep::inUse(const std::string& credentialID) const {
    // One made during this run may belong to a save still on its way to the disk.
    return windows_.services().isCredentialInUse(credentialID) || credentialMadeThisRun(credentialID);
}

void CredentialSweep::removeUnused(const std::vector<std::string>& unused) {
    if (unused.empty()) return finish({});

    struct Removal {
        std::size_t waiting;
        std::vector<std::string> removed;
    };
    auto removal = std::make_shared<Removal>(Removal{unused.size(), {}});
    std::weak_ptr<CredentialSweep*> weak = self_;
    for (const auto& credential : unused)
        deleteProxyPassword(credential, [weak, removal, credential](Status removed) {
            if (removed) removal->removed.push_back(credential);
            if (--removal->waiting > 0) return;
            logInfo(LogCategory::lifecycle, "Removed " + std::to_string(removal->removed.size()) +
                                                " proxy passwords nothing names from the keyring");
            if (auto self = weak.lock()) (*self)->finish(std::move(removal->removed));
        });
}

void CredentialSweep::finish(std::vector<std::string> removed) {
    if (onFinished_) onFinished_(removed);
}

}  // namespace quenlith
