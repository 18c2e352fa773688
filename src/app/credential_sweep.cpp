#include "app/credential_sweep.hpp"

#include <gio/gio.h>

#include "browser/engine/proxy_passwords.hpp"
#include "model/credential_users.hpp"
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
    struct Reading {
        std::weak_ptr<CredentialSweep*> sweep;
        std::vector<std::string> stored;
        SavedCredentialFiles files;
        CredentialUsers users;
    };
    GTask* task = g_task_new(
        nullptr, nullptr,
        [](GObject*, GAsyncResult* result, gpointer) {
            auto& reading = *static_cast<Reading*>(g_task_get_task_data(G_TASK(result)));
            if (auto self = reading.sweep.lock()) (*self)->removeUnused(reading.stored, reading.users);
        },
        nullptr);
    g_task_set_task_data(task, new Reading{self_, std::move(stored), SavedCredentialFiles::current(), {}},
                         [](gpointer reading) { delete static_cast<Reading*>(reading); });
    g_task_run_in_thread(task, [](GTask* running, gpointer, gpointer data, GCancellable*) {
        auto& reading = *static_cast<Reading*>(data);
        reading.users.addSavedFiles(reading.files);
        g_task_return_boolean(running, TRUE);
    });
    g_object_unref(task);
}

bool CredentialSweep::inUse(const std::string& credentialID) const {
    const auto& proxy = preferences_.value().proxy;
    return (proxy && proxy->credentialID == credentialID) ||
           windows_.services().isCredentialInUse(credentialID) || credentialMadeThisRun(credentialID);
}

void CredentialSweep::removeUnused(const std::vector<std::string>& stored, const CredentialUsers& users) {
    if (!users.known()) {
        logInfo(LogCategory::lifecycle,
                "Unused proxy passwords were not looked for: a saved file could not be read");
        return finish({});
    }
    std::vector<std::string> unused;
    // Decided now, on the main loop: what opened or was saved while the files were read counts.
    if (!windows_.session().shuttingDown())
        for (const auto& credential : unusedCredentials(stored, users))
            if (!inUse(credential)) unused.push_back(credential);
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
