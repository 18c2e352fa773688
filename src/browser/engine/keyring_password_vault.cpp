#include "browser/engine/keyring_password_vault.hpp"

#include "browser/engine/proxy_passwords.hpp"

namespace quenlith {

// The calls run to their end even when nobody waits any more: a Save always hears whether its
// password was stored, so an item made for a Save that is then refused can be removed again.
void KeyringPasswordVault::verify(const std::string& credentialID, std::function<void(Status)> done) {
    readProxyPassword(credentialID, [done](Result<std::string> password) {
        done(password ? success() : Status(password.error()));
    }).detach();
}

void KeyringPasswordVault::store(const std::string& password, std::function<void(Result<std::string>)> done) {
    saveProxyPassword(password, std::move(done)).detach();
}

void KeyringPasswordVault::remove(const std::string& credentialID) {
    deleteProxyPassword(credentialID);
}

}  // namespace quenlith
