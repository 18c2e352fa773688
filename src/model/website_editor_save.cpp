#include "model/website_editor_save.hpp"

#include <cmath>

#include "model/form_numbers.hpp"
#include "model/localization.hpp"
#include "model/user_agent.hpp"
#include "model/website_checks.hpp"

namespace quenlith {

namespace {

using Status_ = WebsiteEditorSaveOutcome::Status;

WebsiteEditorSaveOutcome refusal(WebAppProfile draft, std::string message) {
    return {Status_::refused, std::move(draft), std::move(message)};
}

// Steps 8 and 9: normalise, hand over, and clean up after the owner's answer.
void store(WebAppProfile draft, const WebsiteEditorSaveRequest& request,
           const WebsiteEditorSaveServices& services, const std::optional<std::string>& createdCredential,
           const std::function<void(WebsiteEditorSaveOutcome)>& done) {
    draft.normalize();
    if (services.onSave && services.onSave(draft)) {
        if (auto replaced = replacedProxyCredential(request.originalProxy, draft.siteProxy))
            if (services.discardCredential) services.discardCredential(*replaced);
        return done({Status_::saved, std::move(draft), std::nullopt});
    }
    if (createdCredential && services.vault) services.vault->remove(*createdCredential);
    if (draft.siteProxy)
        draft.siteProxy->credentialID =
            request.originalProxy ? request.originalProxy->credentialID : std::nullopt;
    done({Status_::notStored, std::move(draft), std::nullopt});
}

}  // namespace

void runWebsiteEditorSave(WebsiteEditorSaveRequest request, WebsiteEditorSaveServices services,
                          std::function<void(WebsiteEditorSaveOutcome)> done) {
    WebAppProfile draft = request.draft;

    if (auto message = websiteNameMessage(draft.name)) return done(refusal(std::move(draft), *message));

    auto address = checkedWebsiteAddress(draft.homeURL);
    if (!address) return done(refusal(std::move(draft), address.error().message));

    // The interval field's text decides while auto reload is on; text that is no number is refused
    // like a too-short interval rather than keeping the previous value.
    std::optional<double> interval = draft.autoReloadInterval;
    if (draft.autoReloadInterval && request.autoReloadText)
        interval = parseDecimalText(*request.autoReloadText);
    if (draft.autoReloadInterval &&
        (!interval || !std::isfinite(*interval) || *interval < kMinimumAutoReloadInterval))
        return done(refusal(std::move(draft), localizedString("Auto reload must be at least 10 seconds.")));
    if (draft.autoReloadInterval) draft.autoReloadInterval = interval;

    if (auto message = userAgentValidationMessage(draft.customUserAgent))
        return done(refusal(std::move(draft), *message));

    if (services.validateShortcut)
        if (auto message = services.validateShortcut(draft.globalShortcut, draft.id.string()))
            return done(refusal(std::move(draft), *message));

    draft.homeURL = *address;
    if (!draft.rememberLastURL) draft.lastURL.reset();
    if (!draft.rememberWindowFrame) draft.windowFrame.reset();

    if (!draft.siteProxy) return store(std::move(draft), request, services, std::nullopt, done);

    BrowserProxySettings proxy = *draft.siteProxy;
    if (proxy.kind != BrowserProxyKind::system && request.proxyPortText) {
        // A port text that is no number fails the endpoint's own port check, in its order.
        proxy.port = parseProxyPortText(*request.proxyPortText).value_or(0);
    }
    if (auto message = proxy.validationMessage()) return done(refusal(std::move(draft), *message));

    auto shared = std::make_shared<WebsiteEditorSaveRequest>(std::move(request));
    runProxyCredentialStep(
        proxy, shared->originalProxy, shared->proxyPassword, services.vault,
        [draft, shared, services, done](Result<ProxyCredentialOutcome> credential) mutable {
            if (!credential) return done(refusal(std::move(draft), credential.error().message));
            credential->settings.host = credential->settings.normalizedHost();
            draft.siteProxy = credential->settings;
            store(std::move(draft), *shared, services, credential->createdCredential, done);
        });
}

}  // namespace quenlith
