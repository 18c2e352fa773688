// What every proxy and keyring test shares: proxies and websites behind them, a password reader that
// answers at once or when told, a Secret Service that never answers, waits for the keyring's answers.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "model/web_app_profile.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"

namespace quenlith::test {

inline const std::string kKeyringText =
    "Proxy password could not be accessed in the keyring. Enter it again in Network settings.";

// Authentication is on exactly when a user name is given.
inline BrowserProxySettings proxyAt(BrowserProxyKind kind, std::int64_t port, const std::string& username = "",
                                    std::optional<std::string> credentialID = std::nullopt,
                                    const std::string& host = "127.0.0.1") {
    return BrowserProxySettings{kind, host, port, username, credentialID, !username.empty()};
}

// A website with an own session behind the proxy.
inline WebAppProfile websiteBehind(const BrowserProxySettings& proxy) {
    WebAppProfile profile;
    profile.homeURL = "http://127.0.0.1/";
    profile.siteProxy = proxy;
    profile.normalize();
    return profile;
}

// Passwords by credential id; answers at once, or, when `deferred`, when answer() is called.
// Answers to cancelled calls are never given.
struct FakeCredentials {
    explicit FakeCredentials(std::map<std::string, std::string> passwords = {}, bool deferred = false)
        : passwords(std::move(passwords)), deferred(deferred) {}
    std::map<std::string, std::string> passwords;
    bool deferred;
    std::vector<std::string> asked;
    std::vector<std::function<void()>> waiting;

    ProxyRuntime::CredentialReader reader() {
        return [this](const std::string& id, SecretStore::ReadDone done) {
            asked.push_back(id);
            auto cancellable = GObjectPtr<GCancellable>::adopt(g_cancellable_new());
            auto reply = [this, id, done, cancellable] {
                if (g_cancellable_is_cancelled(cancellable.get())) return;
                auto it = passwords.find(id);
                done(it == passwords.end() ? Result<std::string>(keychainError(kSecretMissing))
                                           : Result<std::string>(it->second));
            };
            deferred ? waiting.push_back(reply) : reply();
            return SecretCall(cancellable);
        };
    }
    void answer() {
        auto replies = std::move(waiting);
        waiting.clear();
        for (auto& reply : replies) reply();
    }
};

// A Secret Service that has hung, on the current session bus; gone from the bus with the object.
// It keeps the process's bus connection open, as the application does: concurrent first
// connections share one initialisation, which the first cancelled call would fail for all.
class SilentSecretService {
public:
    SilentSecretService() : process_({QUENLITH_SILENT_SECRET_SERVICE}, folder_.file("output.txt")) {}
    ~SilentSecretService() {
        process_.stop();
        spinUntil([&] { return !nameOwned(); });
    }
    bool ready() {
        return spinUntil([&] { return !process_.running() || process_.output().find("ready") != std::string::npos; }) &&
               process_.running();
    }
    bool nameOwned() {
        GVariant* reply = g_dbus_connection_call_sync(
            bus_.get(), "org.freedesktop.DBus", "/org/freedesktop/DBus",
            "org.freedesktop.DBus", "NameHasOwner", g_variant_new("(s)", "org.freedesktop.secrets"),
            G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        gboolean owned = FALSE;
        if (reply) g_variant_get(reply, "(b)", &owned), g_variant_unref(reply);
        return owned;
    }

private:
    GObjectPtr<GDBusConnection> bus_ =
        GObjectPtr<GDBusConnection>::adopt(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr));
    TemporaryFolder folder_{"quenlith-silent-secrets"};  // made before the process that writes there
    BackgroundProcess process_;
};

// Waits for the answer of an asynchronous keyring call: `start` gets the callback to hand on.
template <typename T, typename Start>
Result<T> awaitAnswer(Start start) {
    std::optional<Result<T>> answer;
    auto call = start([&](Result<T> result) { answer = std::move(result); });
    spinUntil([&] { return answer.has_value(); }, std::chrono::seconds(20));
    return answer.value_or(Error{"test.no-answer", "no answer came"});
}

inline Result<std::string> readPassword(const std::string& id) {
    return awaitAnswer<std::string>([&](auto done) { return readProxyPassword(id, done); });
}
inline Result<std::string> savePassword(const std::string& password) {
    return awaitAnswer<std::string>([&](auto done) { return saveProxyPassword(password, done); });
}
inline Status deletePassword(const std::string& id) {
    return awaitAnswer<Done>([&](auto done) {
        deleteProxyPassword(id, done);
        return SecretCall();
    });
}

}  // namespace quenlith::test
