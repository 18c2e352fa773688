#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "browser/engine/gobject_ptr.hpp"
#include "model/result.hpp"
#include "model/scheduler.hpp"

namespace quenlith {

// Failure codes of a secret store, carried in Error::code.
inline constexpr const char* kSecretUnavailable = "secret.unavailable";  // no Secret Service, or it failed
inline constexpr const char* kSecretLocked = "secret.locked";            // the item is in a locked collection
inline constexpr const char* kSecretMissing = "secret.missing";          // no such item
inline constexpr const char* kSecretNotText = "secret.not-text";         // the secret is not UTF-8 text

// The handle of one asynchronous secret-store call. Destroying it (or cancel()) stops the call and
// its answer never comes; detach() lets the call run to its end with nobody holding it. Move-only.
class SecretCall {
public:
    SecretCall() = default;
    // A call that watches `cancellable` before it answers.
    explicit SecretCall(GObjectPtr<GCancellable> cancellable) : cancellable_(std::move(cancellable)) {}
    SecretCall(SecretCall&&) noexcept = default;
    SecretCall& operator=(SecretCall&& other) noexcept {
        cancel();
        cancellable_ = std::move(other.cancellable_);
        return *this;
    }
    SecretCall(const SecretCall&) = delete;
    SecretCall& operator=(const SecretCall&) = delete;
    ~SecretCall() { cancel(); }

    void cancel() {
        if (cancellable_) g_cancellable_cancel(cancellable_.get());
        cancellable_.reset();
    }
    void detach() { cancellable_.reset(); }

private:
    GObjectPtr<GCancellable> cancellable_;
};

// The accounts of a store's items: those that can be read now, and how many more sit in a locked
// collection (their accounts cannot be read without unlocking it).
struct SecretAccounts {
    std::vector<std::string> accounts;
    int locked = 0;
};

// Secrets stored under an account name. Every call answers later on the main loop, never inside
// the call, and never once its SecretCall is gone. Reading never asks the user anything and never
// waits for an unlock: when the secret cannot be read at once, reading fails.
class SecretStore {
public:
    using ReadDone = std::function<void(Result<std::string>)>;
    using WriteDone = std::function<void(Status)>;
    using ListDone = std::function<void(Result<SecretAccounts>)>;

    virtual ~SecretStore() = default;
    [[nodiscard]] virtual SecretCall read(const std::string& account, ReadDone done) = 0;
    // Adds a new item under `account` (the store never updates an existing one).
    [[nodiscard]] virtual SecretCall add(const std::string& account, const std::string& label,
                                         const std::string& secret, WriteDone done) = 0;
    // Removes every item of `account` (of the store's folder, when it has one); no item is no
    // failure.
    [[nodiscard]] virtual SecretCall remove(const std::string& account, WriteDone done) = 0;
    // The accounts of every item, read without unlocking anything or asking the user.
    [[nodiscard]] virtual SecretCall list(ListDone done) = 0;
};

// The desktop's Secret Service through libsecret: items of one schema with the attribute "account",
// and "folder" naming the data folder of the store that added them (when it was given one; `list`
// and `remove` then touch only the items of that folder: never another folder's, nor one made
// before items named their folder, whose owner is unknown). Each call opens its own connection to
// the service, so a restarted service is found.
// A service that owns its name but never answers is given up on after a time limit (the
// scheduler's time), and the call fails as unavailable.
class LibsecretStore final : public SecretStore {
public:
    explicit LibsecretStore(std::string schemaName, Scheduler& scheduler = mainLoopScheduler(),
                            std::string folder = {});
    SecretCall read(const std::string& account, ReadDone done) override;
    SecretCall add(const std::string& account, const std::string& label, const std::string& secret,
                   WriteDone done) override;
    SecretCall remove(const std::string& account, WriteDone done) override;
    SecretCall list(ListDone done) override;

    // How long a read (or a list) may take, and a write (which may wait for the user to unlock
    // the keyring).
    static constexpr std::chrono::milliseconds kReadLimit{5000};
    static constexpr std::chrono::milliseconds kWriteLimit{120000};
    // Calls of any store still talking to the service (answered, cancelled or not): the
    // lifetime tests wait for zero.
    static int callsInFlight();

private:
    std::string schemaName_;
    Scheduler& scheduler_;
    std::string folder_;
};

}  // namespace quenlith
