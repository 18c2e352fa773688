#include "browser/page_error.hpp"

#include <webkit2/webkit2.h>

#include "model/localization.hpp"

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

}  // namespace quenlith
