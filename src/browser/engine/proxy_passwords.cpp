#include "browser/engine/proxy_passwords.hpp"

#include <map>
#include <set>
#include <vector>

#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith {

namespace {
// Its items name this data folder: the start's sweep of another folder sharing the keyring
// leaves them alone.
std::shared_ptr<SecretStore> folderStore() {
    return std::make_shared<LibsecretStore>(kProxyPasswordSchema, mainLoopScheduler(), applicationDataDirectory());
}

std::shared_ptr<SecretStore>& currentStore() {
    static std::shared_ptr<SecretStore> store = folderStore();
    return store;
}

std::set<std::string>& madeThisRun() {
    static std::set<std::string> made;
    return made;
}

// The removals on their way, with whom to tell: a second removal of an item joins the first, as
// two deletions of one item at once make the service fail one and libsecret answer twice.
std::map<std::string, std::vector<SecretStore::WriteDone>>& removing() {
    static std::map<std::string, std::vector<SecretStore::WriteDone>> waiting;
    return waiting;
}
}  // namespace

ProxyKeychainQuery proxyKeychainQuery(const std::string& account) { return {kProxyPasswordSchema, account}; }

Error keychainError(const std::string& cause) { return Error{"keychain:" + cause, localizedString(kKeyringMessage)}; }

SecretCall readProxyPassword(const std::string& credentialID, SecretStore::ReadDone done) {
    return proxySecretStore().read(proxyKeychainQuery(credentialID).account,
                                   [done = std::move(done)](Result<std::string> password) {
                                       if (!password) return done(keychainError(password.error().code));
                                       done(std::move(password));
                                   });
}

SecretCall saveProxyPassword(const std::string& password, std::function<void(Result<std::string>)> done) {
    auto query = proxyKeychainQuery(Uuid::random().string());
    madeThisRun().insert(query.account);
    return proxySecretStore().add(query.account, "Quenlith proxy password", password,
                                  [account = query.account, done = std::move(done)](Status stored) {
                                      if (!stored) return done(keychainError(stored.error().code));
                                      done(account);
                                  });
}

SecretCall listProxyCredentials(SecretStore::ListDone done) {
    return proxySecretStore().list(std::move(done));
}

bool credentialMadeThisRun(const std::string& credentialID) {
    return madeThisRun().contains(credentialID);
}

void deleteProxyPassword(const std::string& credentialID, SecretStore::WriteDone done) {
    auto [waiting, first] = removing().try_emplace(credentialID);
    waiting->second.push_back(std::move(done));
    if (!first) return;
    proxySecretStore()
        .remove(proxyKeychainQuery(credentialID).account,
                [credentialID](Status removed) {
                    if (!removed) {
                        logError(LogCategory::browser, "A proxy password could not be removed from the keyring: " +
                                                           removed.error().message);
                        removed = keychainError(removed.error().code);
                    }
                    auto told = removing().extract(credentialID);
                    if (told.empty()) return;
                    for (auto& tell : told.mapped())
                        if (tell) tell(removed);
                })
        .detach();
}

SecretStore& proxySecretStore() { return *currentStore(); }

void setProxySecretStore(std::shared_ptr<SecretStore> store) {
    currentStore() = store ? std::move(store) : folderStore();
}

}  // namespace quenlith
