#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "model/browser_proxy_settings.hpp"
#include "model/result.hpp"

namespace quenlith {

// The one rule set every proxy form applies on Save to its draft and the password typed beside
// it. The password itself never enters the settings: they hold only the credential id of its
// secret-store item.

// The global proxy form's endpoint check, for every kind but `system`: the port text parsed (see
// parseProxyPortText), the host normalised, then the settings' own validation. With `system` the
// port text is not read and the draft comes back as it is.
Result<BrowserProxySettings> checkGlobalProxyEndpoint(BrowserProxySettings draft, std::string_view portText);

// What the credential step needs from the secret store before the draft can be stored.
struct ProxyCredentialPlan {
    enum class Action {
        none,            // no password involved: the settings are final
        verifyPrevious,  // the previous credential is kept, once its password is still readable
        storeTyped,      // the typed password becomes a new item, whose id the settings take
    };
    Action action = Action::none;
    // The draft with user name, credential id and authentication set; for `storeTyped` the
    // credential id is filled in once the store answers.
    BrowserProxySettings settings;
    bool operator==(const ProxyCredentialPlan&) const = default;
};

// The credential step without the store: a `system` kind or no authentication clears user name
// and credential; a blank password (no characters at all; spaces count) keeps the previous
// credential only when the endpoint and user name are unchanged; a typed password always makes a
// new item (SOCKS5 passwords at most 255 UTF-8 bytes).
Result<ProxyCredentialPlan> planProxyCredential(BrowserProxySettings draft,
                                                const std::optional<BrowserProxySettings>& previous,
                                                const std::string& typedPassword);

// The previous credential that stored settings no longer use, to be removed after the store
// succeeded: the previous id when the stored settings are absent or hold no or another id.
std::optional<std::string> replacedProxyCredential(const std::optional<BrowserProxySettings>& previous,
                                                   const std::optional<BrowserProxySettings>& stored);

// The secret store as the proxy forms see it. Calls may answer at once or on a later turn of the
// main loop; answers always come on the main loop.
class ProxyPasswordVault {
public:
    virtual ~ProxyPasswordVault() = default;
    // Whether the password of `credentialID` can still be read; an error carries the message.
    virtual void verify(const std::string& credentialID, std::function<void(Status)> done) = 0;
    // Stores `password` as a new item and answers its new credential id.
    virtual void store(const std::string& password, std::function<void(Result<std::string>)> done) = 0;
    // Removes the item; the outcome is not reported.
    virtual void remove(const std::string& credentialID) = 0;
};

// The settings after the credential step and the id of the item this Save made, if any.
struct ProxyCredentialOutcome {
    BrowserProxySettings settings;
    std::optional<std::string> createdCredential;
};

// Runs the credential step: plans it, then asks `vault` for what the plan needs. `done` gets the
// final settings or the message to show; it is called exactly once, maybe before this returns.
void runProxyCredentialStep(BrowserProxySettings draft, const std::optional<BrowserProxySettings>& previous,
                            const std::string& typedPassword,
                            const std::shared_ptr<ProxyPasswordVault>& vault,
                            std::function<void(Result<ProxyCredentialOutcome>)> done);

// What the global proxy form's Save needs from the preferences and the secret store.
struct GlobalProxySaveServices {
    std::shared_ptr<ProxyPasswordVault> vault;
    // Writes the settings into the preferences and saves them; a failure puts the previous
    // preferences back and carries the reason.
    std::function<Status(const BrowserProxySettings&)> store;
    // A credential the stored settings no longer use; removed only when nothing else uses it.
    std::function<void(const std::string&)> discardCredential;
};

// The global proxy form's Save: the endpoint check with the port text, the credential step, then
// the preferences are stored. Only after they are stored is the replaced credential let go of;
// when storing fails, the item this Save made is removed and the message is "Could not save
// settings: " and the reason. `previous` is the stored global proxy (the default when none).
// `done` gets the stored settings or the message, exactly once.
void runGlobalProxySave(BrowserProxySettings draft, std::string_view portText,
                        const BrowserProxySettings& previous, const std::string& typedPassword,
                        GlobalProxySaveServices services,
                        std::function<void(Result<BrowserProxySettings>)> done);

}  // namespace quenlith
