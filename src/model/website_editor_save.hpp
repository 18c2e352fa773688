#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/proxy_form_rules.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// What the website editor hands to its Save.
struct WebsiteEditorSaveRequest {
    WebAppProfile draft;
    // The website's proxy as it stood when the editor opened: the credential a blank password may
    // keep, and the one to let go of once the new record is stored.
    std::optional<BrowserProxySettings> originalProxy;
    std::string proxyPassword;
    // The text of the interval field while auto reload is on, and of the proxy port field while
    // the website proxy has an endpoint; read here, so text that is no number is refused.
    std::optional<std::string> autoReloadText;
    std::optional<std::string> proxyPortText;
};

// What Save asks of the editor's owner and the platform.
struct WebsiteEditorSaveServices {
    // Nothing when the shortcut may be used under the binding name, else the message.
    std::function<std::optional<std::string>(const std::optional<ShortcutConfiguration>&, const std::string&)>
        validateShortcut;
    std::shared_ptr<ProxyPasswordVault> vault;
    // Stores the website; true when stored. The owner reports a refusal itself.
    std::function<bool(const WebAppProfile&)> onSave;
    // A credential the stored website no longer uses; the owner removes it when nothing else does.
    std::function<void(const std::string&)> discardCredential;
};

struct WebsiteEditorSaveOutcome {
    enum class Status {
        refused,    // a check stopped the Save; `error` says why, nothing was stored
        saved,      // the owner stored the website
        notStored,  // the owner refused it (and said so); the password made for it is gone again
    };
    Status status = Status::refused;
    // The draft the editor keeps showing: the address is normalised once the first checks pass,
    // even when a later step stops.
    WebAppProfile draft;
    std::optional<std::string> error;
};

// The editor's Save: name, address, auto-reload interval, user agent and shortcut are checked in
// that order; then the address is normalised and forgotten frame and last page dropped; then the
// website proxy's endpoint and credential (the one secret-store step), the record normalised and
// handed to `onSave`. After a refusal by the owner the password item this Save made is removed
// and the credential id goes back to the original one; after success the replaced credential is
// handed to `discardCredential`, never before the new record is stored.
// `done` is called exactly once, maybe before this returns.
void runWebsiteEditorSave(WebsiteEditorSaveRequest request, WebsiteEditorSaveServices services,
                          std::function<void(WebsiteEditorSaveOutcome)> done);

}  // namespace quenlith
