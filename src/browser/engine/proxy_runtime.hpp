#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <libsoup/soup.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/proxy_configuration.hpp"
#include "browser/engine/secret_store.hpp"
#include "browser/engine/website_data_store.hpp"
#include "model/browser_proxy_settings.hpp"
#include "model/result.hpp"

namespace quenlith {

// Applies one proxy setting to website data stores and to the application's own HTTP sessions.
// A runtime is loaded once; a different proxy needs a new runtime (or, for the global proxy, the
// next launch). The password is read asynchronously: until it arrives the runtime is pending, the
// stores it configures hold their network and it makes no session. Main thread only.
class ProxyRuntime {
public:
    // Starts reading the password of a credential id and answers later (see SecretStore).
    using CredentialReader =
        std::function<SecretCall(const std::string& credentialID, SecretStore::ReadDone done)>;

    explicit ProxyRuntime(CredentialReader readCredential);
    ~ProxyRuntime();
    ProxyRuntime(const ProxyRuntime&) = delete;
    ProxyRuntime& operator=(const ProxyRuntime&) = delete;

    // Takes the settings: validates them and starts reading the password when they authenticate.
    void load(const BrowserProxySettings& settings);
    // Takes the settings of `source` together with the password it already read, so a runtime made
    // later in the launch does not depend on a keyring item that may have been replaced since.
    // While `source` is still reading, the password is read again; while it is held, this one is
    // held with it.
    void loadFrom(ProxyRuntime& source);
    // Holds the network of every store it configures, and of the runtimes loaded from it, until
    // release(), as while a password is read: the settings it was given stand in for ones that
    // could not be read, and the person has not been told yet.
    void hold();
    void release();
    bool held() const { return held_; }
    // Whether the password is still being read, or the runtime is held.
    bool pending() const { return reading_ || held_; }
    // Applies the proxy to the store, once per store: later calls for the same store do nothing.
    // A store whose proxy cannot be used (errorMessage set) is cut off from the network instead,
    // so that nothing reaches the network by another route; kind `system` lets the desktop's proxy
    // settings apply. While the password is pending the store holds its network and is configured
    // when the answer arrives.
    void configure(const std::shared_ptr<WebsiteDataStore>& store);
    // Nothing for kind `system`, while pending or errorMessage is set, or for a port outside 1 to
    // 65535.
    std::optional<ProxyConfiguration> makeConfiguration() const;
    // A new session without persistent state whose requests take the proxy; nothing while
    // pending or errorMessage is set.
    GObjectPtr<SoupSession> makeSession() const;

    const BrowserProxySettings& settings() const { return settings_; }
    // Why the proxy cannot be used; while set, nothing is proxied and the stores of this runtime
    // refuse pages.
    const std::optional<std::string>& errorMessage() const { return errorMessage_; }
    const std::optional<std::string>& password() const { return password_; }

private:
    void passwordRead(Result<std::string> password);
    // Configures the stores that waited, once nothing is pending.
    void settle();
    void apply(WebsiteDataStore& store) const;

    BrowserProxySettings settings_;
    std::optional<std::string> errorMessage_;
    std::optional<std::string> password_;
    CredentialReader readCredential_;
    std::optional<SecretCall> reading_;
    std::vector<std::weak_ptr<WebsiteDataStore>> configuredStores_;
    std::vector<std::weak_ptr<WebsiteDataStore>> heldStores_;
    bool held_ = false;
    // Runtimes loaded from this one while it was held, released with it.
    std::vector<std::weak_ptr<ProxyRuntime*>> followers_;
    // The reader's answer holds this weakly.
    std::shared_ptr<ProxyRuntime*> self_;
};

}  // namespace quenlith
