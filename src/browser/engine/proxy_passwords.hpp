#pragma once

#include <memory>
#include <string>

#include "model/result.hpp"

namespace quenlith {

class SecretStore;

// The secret-store schema of proxy passwords.
inline constexpr const char* kProxyPasswordSchema = "com.quenlith.Quenlith.proxy";

// Where one proxy password lives: the schema above, attribute "account" = the credential id.
struct ProxyKeychainQuery {
    std::string schema;
    std::string account;
    bool operator==(const ProxyKeychainQuery&) const = default;
};

ProxyKeychainQuery proxyKeychainQuery(const std::string& account);

// The password stored under the credential id, read without any prompt; fails with
// keychainError when the item is missing, locked, not text, or no secret service answers.
Result<std::string> readProxyPassword(const std::string& credentialID);
// Stores the password under a new credential id (a new UUID text) and returns that id. An existing
// item is never changed: a changed password gets a new id.
Result<std::string> saveProxyPassword(const std::string& password);
// Removes the item of the credential id; the outcome is not reported.
void deleteProxyPassword(const std::string& credentialID);

// The error of every failed password call: code "keychain:<cause>", message the localised
// "Proxy password could not be accessed in Keychain. Enter it again in Network settings."
Error keychainError(const std::string& cause);

// The store the functions above use: the Secret Service unless replaced (tests of the settings
// forms put a fake in its place). Main thread only.
SecretStore& proxySecretStore();
void setProxySecretStore(std::shared_ptr<SecretStore> store);

}  // namespace quenlith
