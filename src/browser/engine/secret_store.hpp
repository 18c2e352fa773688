#pragma once

#include <string>

#include "model/result.hpp"

namespace quenlith {

// Failure codes of a secret store, carried in Error::code.
inline constexpr const char* kSecretUnavailable = "secret.unavailable";  // no Secret Service, or it failed
inline constexpr const char* kSecretLocked = "secret.locked";            // the item is in a locked collection
inline constexpr const char* kSecretMissing = "secret.missing";          // no such item
inline constexpr const char* kSecretNotText = "secret.not-text";         // the secret is not UTF-8 text

// Secrets stored under an account name. Reading never asks the user anything and never waits for
// an unlock: when the secret cannot be read at once, reading fails.
class SecretStore {
public:
    virtual ~SecretStore() = default;
    virtual Result<std::string> read(const std::string& account) = 0;
    // Adds a new item under `account` (the store never updates an existing one).
    virtual Status add(const std::string& account, const std::string& label, const std::string& secret) = 0;
    // Removes every item of `account`; failures are not reported.
    virtual void remove(const std::string& account) = 0;
};

// The desktop's Secret Service through libsecret: items of one schema with the single attribute
// "account". Each call opens its own connection to the service, so a restarted service is found.
class LibsecretStore final : public SecretStore {
public:
    explicit LibsecretStore(std::string schemaName);
    Result<std::string> read(const std::string& account) override;
    Status add(const std::string& account, const std::string& label, const std::string& secret) override;
    void remove(const std::string& account) override;

private:
    std::string schemaName_;
};

}  // namespace quenlith
