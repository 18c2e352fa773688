#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/proxy_form_rules.hpp"
#include "model/result.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// The Saves of a browser window's own sheets, without their widgets.

// "Website Settings": the user agent is checked first, then the auto-reload interval, read from
// the interval field's text while auto reload is on (text that is no number is refused, not
// kept); the accepted record comes back normalised.
Result<WebAppProfile> checkWindowSettings(WebAppProfile draft, const std::optional<std::string>& intervalText);

// "User agent": white space alone means the engine's own user agent; anything else is kept as
// typed.
std::optional<std::string> userAgentToStore(const std::optional<std::string>& value);

// What the website proxy sheet's Save asks of its owner and the secret store.
struct WebsiteProxySaveServices {
    std::shared_ptr<ProxyPasswordVault> vault;
    // Stores the edited website; true when stored.
    std::function<bool(const WebAppProfile&)> onSave;
    // A credential the stored website no longer uses.
    std::function<void(const std::string&)> discardCredential;
};

// "Proxy…" of a saved website: a website proxy is checked (the port from its field's text), its
// credential step run against `previous`'s proxy and its host normalised; the draft is normalised
// and handed to `onSave`. Stored: the replaced credential is let go of and the stored record
// answered. Refused by the owner: the password item made by this Save is removed and the message
// is "Could not save website". `done` runs exactly once, maybe before this returns.
void runWebsiteProxySave(WebAppProfile draft, const WebAppProfile& previous, const std::string& password,
                         const std::optional<std::string>& portText, WebsiteProxySaveServices services,
                         std::function<void(Result<WebAppProfile>)> done);

}  // namespace quenlith
