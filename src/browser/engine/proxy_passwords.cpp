#include "browser/engine/proxy_passwords.hpp"

#include "browser/engine/secret_store.hpp"
#include "model/localization.hpp"
#include "model/uuid.hpp"

namespace quenlith {

namespace {
std::shared_ptr<SecretStore>& currentStore() {
    static std::shared_ptr<SecretStore> store = std::make_shared<LibsecretStore>(kProxyPasswordSchema);
    return store;
}
}  // namespace

ProxyKeychainQuery proxyKeychainQuery(const std::string& account) { return {kProxyPasswordSchema, account}; }

Error keychainError(const std::string& cause) {
    return Error{"keychain:" + cause,
                 localizedString("Proxy password could not be accessed in Keychain. Enter it again in Network settings.")};
}

Result<std::string> readProxyPassword(const std::string& credentialID) {
    auto query = proxyKeychainQuery(credentialID);
    auto password = proxySecretStore().read(query.account);
    if (!password) return keychainError(password.error().code);
    return password;
}

Result<std::string> saveProxyPassword(const std::string& password) {
    auto query = proxyKeychainQuery(Uuid::random().string());
    auto stored = proxySecretStore().add(query.account, "Quenlith proxy password", password);
    if (!stored) return keychainError(stored.error().code);
    return query.account;
}

void deleteProxyPassword(const std::string& credentialID) {
    proxySecretStore().remove(proxyKeychainQuery(credentialID).account);
}

SecretStore& proxySecretStore() { return *currentStore(); }

void setProxySecretStore(std::shared_ptr<SecretStore> store) {
    currentStore() = store ? std::move(store) : std::make_shared<LibsecretStore>(kProxyPasswordSchema);
}

}  // namespace quenlith
