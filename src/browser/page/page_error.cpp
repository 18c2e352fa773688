#include "browser/page/page_error.hpp"

#include <webkit2/webkit2.h>

#include "browser/page/navigation_policy.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

PageFailure pageFailure(const GError& error) {
    return {g_quark_to_string(error.domain) ? g_quark_to_string(error.domain) : "", error.code,
            error.message ? error.message : ""};
}

PageFailure webProcessEndedFailure() {
    return {"Quenlith", 1, localizedString("The page stopped responding. Try again to reconnect.")};
}

bool isSilentPageFailure(const PageFailure& failure) {
    auto is = [&](GQuark domain, int code) { return failure.domain == g_quark_to_string(domain) && failure.code == code; };
    return is(WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
           is(WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
}

std::optional<std::string> pageErrorText(const PageFailure& failure) {
    if (isSilentPageFailure(failure)) return std::nullopt;
    return failure.description;
}

std::string pageFailureLogLine(const PageFailure& failure) {
    return "Navigation failed: " + failure.domain + " code " + std::to_string(failure.code);
}

namespace {

bool present(const std::optional<std::string>& address) { return address && !address->empty(); }

std::optional<std::string> websiteAddress(const WebAppProfile& profile) {
    if (profile.rememberLastURL && profile.lastURL) {
        if (auto remembered = normalizedWebsiteURL(*profile.lastURL)) return remembered;
    }
    return normalizedWebsiteURL(profile.homeURL);
}

}  // namespace

std::optional<std::string> retryAddress(const std::optional<std::string>& tabLastURL,
                                        const std::optional<std::string>& viewURL, const WebAppProfile& profile) {
    if (present(tabLastURL)) return tabLastURL;
    if (present(viewURL)) return viewURL;
    return websiteAddress(profile);
}

std::optional<std::string> defaultBrowserAddress(const std::optional<std::string>& viewURL,
                                                 const std::optional<std::string>& tabLastURL,
                                                 const WebAppProfile& profile) {
    std::optional<std::string> address;
    if (present(viewURL))
        address = viewURL;
    else if (present(tabLastURL))
        address = tabLastURL;
    else
        address = websiteAddress(profile);
    if (!address || !isWebAddress(*address)) return std::nullopt;
    return address;
}

}  // namespace quenlith
