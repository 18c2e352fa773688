#include "editor/keyring_password_vault.hpp"

#include "browser/engine/proxy_passwords.hpp"

namespace quenlith {

// The secret-store calls answer within their own time limit; once they answer through callbacks of
// their own, these forward them unchanged.
void KeyringPasswordVault::verify(const std::string& credentialID, std::function<void(Status)> done) {
    auto password = readProxyPassword(credentialID);
    done(password ? success() : Status(password.error()));
}

void KeyringPasswordVault::store(const std::string& password, std::function<void(Result<std::string>)> done) {
    done(saveProxyPassword(password));
}

void KeyringPasswordVault::remove(const std::string& credentialID) { deleteProxyPassword(credentialID); }

}  // namespace quenlith
