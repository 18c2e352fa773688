#include "model/window_sheet_saves.hpp"

#include <cmath>

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "model/user_agent.hpp"

namespace quenlith {

Result<WebAppProfile> checkWindowSettings(WebAppProfile draft, const std::optional<std::string>& intervalText) {
    if (auto message = userAgentValidationMessage(draft.customUserAgent)) return Error{"userAgent", *message};
    if (draft.autoReloadInterval) {
        std::optional<double> interval = intervalText ? parseDecimalText(*intervalText) : draft.autoReloadInterval;
        if (!interval || !std::isfinite(*interval) || *interval < kMinimumAutoReloadInterval)
            return Error{"autoReload", localizedString("Auto reload must be at least 10 seconds.")};
        draft.autoReloadInterval = interval;
    }
    draft.normalize();
    return draft;
}

std::optional<std::string> userAgentToStore(const std::optional<std::string>& value) {
    if (value && trimmedWhitespaceAndNewlines(*value).empty()) return std::nullopt;
    return value;
}

namespace {

void storeWebsite(WebAppProfile draft, const std::optional<BrowserProxySettings>& previousProxy,
                  const std::optional<std::string>& createdCredential, const WebsiteProxySaveServices& services,
                  const std::function<void(Result<WebAppProfile>)>& done) {
    draft.normalize();
    if (services.onSave && services.onSave(draft)) {
        if (auto replaced = replacedProxyCredential(previousProxy, draft.siteProxy))
            if (services.discardCredential) services.discardCredential(*replaced);
        return done(std::move(draft));
    }
    if (createdCredential && services.vault) services.vault->remove(*createdCredential);
    done(Error{"notStored", localizedString("Could not save website")});
}

}  // namespace

void runWebsiteProxySave(WebAppProfile draft, const WebAppProfile& previous, const std::string& password,
                         const std::optional<std::string>& portText, WebsiteProxySaveServices services,
                         std::function<void(Result<WebAppProfile>)> done) {
    const std::optional<BrowserProxySettings> previousProxy = previous.siteProxy;
    if (!draft.siteProxy) return storeWebsite(std::move(draft), previousProxy, std::nullopt, services, done);

    BrowserProxySettings proxy = *draft.siteProxy;
    // A port text that is no number fails the endpoint's own port check, in its order.
    if (proxy.kind != BrowserProxyKind::system && portText) proxy.port = parseProxyPortText(*portText).value_or(0);
    if (auto message = proxy.validationMessage()) return done(Error{"proxy", *message});

    runProxyCredentialStep(proxy, previousProxy, password, services.vault,
                           [draft = std::move(draft), previousProxy, services,
                            done](Result<ProxyCredentialOutcome> credential) mutable {
                               if (!credential) return done(credential.error());
                               credential->settings.host = credential->settings.normalizedHost();
                               draft.siteProxy = credential->settings;
                               storeWebsite(std::move(draft), previousProxy, credential->createdCredential, services,
                                            done);
                           });
}

}  // namespace quenlith
