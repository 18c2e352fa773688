#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/browser_proxy_settings.hpp"
#include "model/proxy_form_rules.hpp"

namespace quenlith {

class PreferencesStore;

// Writes the global proxy into the preferences and saves them; when the save fails the previous
// preferences are put back and the reason is returned.
Status storeGlobalProxy(PreferencesStore& preferences, const BrowserProxySettings& proxy);

// The Network page's draft of the global proxy: the edited settings, the port as typed, the typed
// password and the result of the last Save. Nothing reaches the preferences before Save.
class GlobalProxyForm {
public:
    struct Services {
        std::shared_ptr<ProxyPasswordVault> vault;
        // Lets go of a credential the stored settings no longer use (unless something else does).
        std::function<void(const std::string&)> discardCredential;
    };

    explicit GlobalProxyForm(PreferencesStore& preferences);
    ~GlobalProxyForm();
    GlobalProxyForm(const GlobalProxyForm&) = delete;
    GlobalProxyForm& operator=(const GlobalProxyForm&) = delete;

    // The proxy as edited, its port as typed and the typed password.
    const BrowserProxySettings& draft() const { return draft_; }
    void editDraft(const std::function<void(BrowserProxySettings&)>& edit) { edit(draft_); }
    const std::string& port() const { return port_; }
    void setPort(std::string port) { port_ = std::move(port); }
    const std::string& password() const { return password_; }
    void setPassword(std::string password) { password_ = std::move(password); }

    const std::optional<std::string>& message() const { return message_; }
    bool failed() const { return failed_; }
    bool saving() const { return saving_; }
    // Whether the last Save stopped because the settings file could not be written.
    bool storeFailed() const { return storeFailed_; }

    // The stored global proxy (the default settings when none is stored) with its port as text
    // and no password; the message stays.
    void resetDraft();
    // "Discard Changes": the stored values again and no message.
    void discard();
    // "Save Proxy Settings". A refused Save keeps the draft, the port text and the password, and
    // changes neither the preferences nor the secret store (an item it made is removed again).
    // After a stored one the draft is read back from the preferences. `done` runs when the outcome
    // is known, unless the form is gone by then.
    void save(const Services& services, std::function<void()> done = {});

private:
    PreferencesStore& preferences_;
    BrowserProxySettings draft_;
    std::string port_ = "7890";
    std::string password_;
    std::optional<std::string> message_;
    bool failed_ = false;
    bool saving_ = false;
    bool storeFailed_ = false;
    std::shared_ptr<GlobalProxyForm*> self_;
};

}  // namespace quenlith
