#include "browser/page/page_error.hpp"

#include <cctype>

#include <webkit2/webkit2.h>

#include "browser/page/navigation_policy.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

PageFailure pageFailure(const GError& error) {
    return {g_quark_to_string(error.domain) ? g_quark_to_string(error.domain) : "", error.code,
            error.message ? error.message : ""};
}

PageFailure webProcessEndedFailure() {
    return {"Quenlith", 1, localizedString("The page stopped responding. Try again to reconnect.")};
}

namespace {

// "host:port" of an address, or nothing.
std::optional<std::string> hostAndPort(std::string_view address) {
    auto parts = parseUri(address);
    if (!parts || !parts->host || parts->host->empty()) return std::nullopt;
    std::string host = *parts->host;
    if (host.find(':') != std::string::npos) host = "[" + host + "]";
    int port = parts->port;
    if (port <= 0 && parts->scheme)
        port = *parts->scheme == "https" ? 443 : *parts->scheme == "http" ? 80 : -1;
    return port > 0 ? host + ":" + std::to_string(port) : host;
}

}  // namespace

PageFailure proxyRefusalFailure(const std::optional<std::string>& proxyAddress, std::string_view pageAddress,
                                unsigned statusCode) {
    const std::string website = hostAndPort(pageAddress).value_or(std::string(pageAddress));
    const std::optional<std::string> proxy = proxyAddress ? hostAndPort(*proxyAddress) : std::nullopt;
    std::string text = proxy
                           ? localizedFormat("The proxy %@ refused the connection to %@.", {*proxy, website})
                           : localizedFormat("A proxy refused the connection to %@.", {website});
    return {"Proxy", statusCode, std::move(text)};
}

bool isSilentPageFailure(const PageFailure& failure) {
    auto is = [&](GQuark domain, int code) { return failure.domain == g_quark_to_string(domain) && failure.code == code; };
    return is(WEBKIT_NETWORK_ERROR, WEBKIT_NETWORK_ERROR_CANCELLED) ||
           is(WEBKIT_POLICY_ERROR, WEBKIT_POLICY_ERROR_FRAME_LOAD_INTERRUPTED_BY_POLICY_CHANGE);
}

std::optional<std::string> pageErrorText(const PageFailure& failure, std::string_view address) {
    if (isSilentPageFailure(failure)) return std::nullopt;
    std::string text = failure.description;
    auto parts = parseUri(address);
    if (!parts || !parts->host || parts->host->empty() || parts->port <= 0) return text;
    const std::string& host = *parts->host;
    const std::string withPort = host + ":" + std::to_string(parts->port);
    if (text.find(withPort) != std::string::npos) return text;
    // The host as a whole word: "127.0.0.1" in "Could not connect to 127.0.0.1: refused".
    for (std::size_t at = text.find(host); at != std::string::npos; at = text.find(host, at + 1)) {
        const std::size_t end = at + host.size();
        auto inWord = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-'; };
        const bool joinedBefore = at > 0 && (inWord(text[at - 1]) || text[at - 1] == '.');
        const bool joinedAfter = end < text.size() &&
                                 (inWord(text[end]) || (text[end] == '.' && end + 1 < text.size() &&
                                                        std::isalnum(static_cast<unsigned char>(text[end + 1]))));
        if (joinedBefore || joinedAfter) continue;
        text.insert(end, ":" + std::to_string(parts->port));
        break;
    }
    return text;
}

bool isRoutinePageFailure(const PageFailure& failure) {
    return failure.domain != "Quenlith";
}

std::string pageFailureLogLine(const PageFailure& failure, std::string_view address) {
    return "Navigation failed: " + addressForLog(address) + " (" + quotedForLog(failure.description) + ") " +
           failure.domain + " code " + std::to_string(failure.code);
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
