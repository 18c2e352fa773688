#include "model/proxy_form_rules.hpp"

#include "model/form_numbers.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {
constexpr std::size_t kMaximumSocksPasswordBytes = 255;
}

Result<BrowserProxySettings> checkGlobalProxyEndpoint(BrowserProxySettings draft, std::string_view portText) {
    if (draft.kind == BrowserProxyKind::system) return draft;
    auto port = parseProxyPortText(portText);
    if (!port) return Error{"proxy.port", localizedString("Proxy port must be between 1 and 65535.")};
    draft.port = *port;
    draft.host = draft.normalizedHost();
    if (auto message = draft.validationMessage()) return Error{"proxy.endpoint", *message};
    return draft;
}

Result<ProxyCredentialPlan> planProxyCredential(BrowserProxySettings draft,
                                                const std::optional<BrowserProxySettings>& previous,
                                                const std::string& typedPassword) {
    if (draft.kind == BrowserProxyKind::system || !draft.usesAuthentication) {
        draft.username.clear();
        draft.credentialID.reset();
        draft.usesAuthentication = false;
        return ProxyCredentialPlan{ProxyCredentialPlan::Action::none, std::move(draft)};
    }
    if (typedPassword.empty()) {
        if (previous && draft.canReuseCredential(*previous)) {
            draft.credentialID = previous->credentialID;
            return ProxyCredentialPlan{ProxyCredentialPlan::Action::verifyPrevious, std::move(draft)};
        }
        return Error{"proxy.password-missing",
                     localizedString("Enter the proxy password for this endpoint and username.")};
    }
    if (draft.kind == BrowserProxyKind::socks5 && typedPassword.size() > kMaximumSocksPasswordBytes)
        return Error{"proxy.socks-length",
                     localizedString("SOCKS5 credentials must be at most 255 UTF-8 bytes each.")};
    draft.credentialID.reset();
    return ProxyCredentialPlan{ProxyCredentialPlan::Action::storeTyped, std::move(draft)};
}

std::optional<std::string> replacedProxyCredential(const std::optional<BrowserProxySettings>& previous,
                                                   const std::optional<BrowserProxySettings>& stored) {
    if (!previous || !previous->credentialID) return std::nullopt;
    if (stored && stored->credentialID == previous->credentialID) return std::nullopt;
    return previous->credentialID;
}

void runProxyCredentialStep(BrowserProxySettings draft, const std::optional<BrowserProxySettings>& previous,
                            const std::string& typedPassword,
                            const std::shared_ptr<ProxyPasswordVault>& vault,
                            std::function<void(Result<ProxyCredentialOutcome>)> done) {
    auto plan = planProxyCredential(std::move(draft), previous, typedPassword);
    if (!plan) return done(plan.error());
    BrowserProxySettings settings = plan->settings;
    switch (plan->action) {
        case ProxyCredentialPlan::Action::none:
            return done(ProxyCredentialOutcome{std::move(settings), std::nullopt});
        case ProxyCredentialPlan::Action::verifyPrevious:
            // The password read is only a proof that the kept credential still works; it is dropped.
            return vault->verify(*settings.credentialID, [settings, done](Status readable) mutable {
                if (!readable) return done(readable.error());
                done(ProxyCredentialOutcome{std::move(settings), std::nullopt});
            });
        case ProxyCredentialPlan::Action::storeTyped:
            return vault->store(typedPassword, [settings, done](Result<std::string> stored) mutable {
                if (!stored) return done(stored.error());
                settings.credentialID = *stored;
                done(ProxyCredentialOutcome{std::move(settings), *stored});
            });
    }
}

void runGlobalProxySave(BrowserProxySettings draft, std::string_view portText,
                        const BrowserProxySettings& previous, const std::string& typedPassword,
                        GlobalProxySaveServices services,
                        std::function<void(Result<BrowserProxySettings>)> done) {
    auto checked = checkGlobalProxyEndpoint(std::move(draft), portText);
    if (!checked) return done(checked.error());
    runProxyCredentialStep(
        *checked, previous, typedPassword, services.vault,
        [previous, services, done](Result<ProxyCredentialOutcome> credential) {
            if (!credential) return done(credential.error());
            const BrowserProxySettings& settings = credential->settings;
            Status stored = services.store ? services.store(settings) : success();
            if (!stored) {
                if (credential->createdCredential) services.vault->remove(*credential->createdCredential);
                return done(Error{"proxy.store",
                                  localizedFormat("Could not save settings: %@", {stored.error().message})});
            }
            if (auto replaced = replacedProxyCredential(previous, settings))
                if (services.discardCredential) services.discardCredential(*replaced);
            done(settings);
        });
}

}  // namespace quenlith
