#pragma once

#include <functional>
#include <memory>
#include <string>

#include "browser/engine/secret_store.hpp"
#include "model/result.hpp"

namespace quenlith {

// The secret-store schema of proxy passwords.
inline constexpr const char* kProxyPasswordSchema = "com.quenlith.Quenlith.proxy";

// Where one proxy password lives: the schema above, attribute "account" = the credential id.
struct ProxyKeychainQuery {
    std::string schema;
    std::string account;
    bool operator==(const ProxyKeychainQuery&) const = default;
};

ProxyKeychainQuery proxyKeychainQuery(const std::string& account);

// Each call answers later on the main loop, unless its SecretCall is gone first.
//
// The password stored under the credential id, read without any prompt; fails with
// keychainError when the item is missing, locked, not text, or no secret service answers.
[[nodiscard]] SecretCall readProxyPassword(const std::string& credentialID, SecretStore::ReadDone done);
// Stores the password under a new credential id (a new UUID text) and answers that id. An
// existing item is never changed: a changed password gets a new id.
[[nodiscard]] SecretCall saveProxyPassword(const std::string& password,
                                           std::function<void(Result<std::string>)> done);
// The credential ids of the proxy passwords stored, read without unlocking anything; items in a
// locked collection are only counted.
[[nodiscard]] SecretCall listProxyCredentials(SecretStore::ListDone done);
// Whether saveProxyPassword made the credential id in this process: such an item may belong to a
// save still on its way to the disk.
bool credentialMadeThisRun(const std::string& credentialID);
// Removes the item of the credential id. The call runs to its end by itself; a failure is logged
// and handed to `done` when given. A removal of an item already being removed waits for that one.
void deleteProxyPassword(const std::string& credentialID, SecretStore::WriteDone done = nullptr);

// The error of every failed password call: code "keychain:<cause>", message the localised
// kKeyringMessage.
inline constexpr const char* kKeyringMessage =
    "Proxy password could not be accessed in the keyring. Enter it again in Network settings.";
Error keychainError(const std::string& cause);

// The store the functions above use: the Secret Service unless replaced (tests put a fake in its
// place). Main thread only.
SecretStore& proxySecretStore();
void setProxySecretStore(std::shared_ptr<SecretStore> store);

}  // namespace quenlith
