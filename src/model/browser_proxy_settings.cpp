#include "model/browser_proxy_settings.hpp"

#include <algorithm>

#include <glib.h>
#include <unicode/uchar.h>

#include "model/logging.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"
#include "model/record_fields.hpp"
#include "model/text_limits.hpp"
#include "model/uri_flags.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kMaximumHostBytes = 253;
constexpr std::size_t kMaximumSocksCredentialBytes = 255;
constexpr std::int64_t kMaximumPort = 65535;

// Letters, marks and digits of every script, as the platform's alphanumeric set counts them.
bool isUnicodeAlphanumeric(char32_t scalar) {
    auto mask = U_GET_GC_MASK(static_cast<UChar32>(scalar));
    return (mask & (U_GC_L_MASK | U_GC_M_MASK | U_GC_N_MASK)) != 0;
}

bool isLineBreak(char32_t scalar) {
    switch (scalar) {
    case U'\n': case U'\v': case U'\f': case U'\r': case U'\u0085': case U'\u2028': case U'\u2029':
        return true;
    default:
        return false;
    }
}

// The host must make an address with a host once a scheme and port are put around it.
bool formsAddressWithHost(const std::string& host, std::int64_t port) {
    std::string address = "http://";
    address += host.find(':') != std::string::npos ? "[" + host + "]" : host;
    // An out-of-range port is the port check's to report, not a reason to blame the host.
    address += ":" + std::to_string(port >= 0 && port <= kMaximumPort ? port : 1);
    GUri* uri = g_uri_parse(address.c_str(), kUriFlags, nullptr);
    if (!uri) return false;
    const char* parsedHost = g_uri_get_host(uri);
    bool hasHost = parsedHost && *parsedHost;
    g_uri_unref(uri);
    return hasHost;
}

bool isUsableHost(const std::string& host) {
    if (host.empty() || host.size() > kMaximumHostBytes) return false;
    if (!allScalars(host, [](char32_t c) { return !isWhitespaceOrNewline(c); })) return false;
    if (host.find_first_of("/\\@?#%") != std::string::npos) return false;
    if (!allScalars(host, [](char32_t c) { return isUnicodeAlphanumeric(c) || c == U'-' || c == U'.' || c == U':'; }))
        return false;
    auto colons = std::count(host.begin(), host.end(), ':');
    if (colons == 1) return false;  // a port typed into the host
    return true;
}

}  // namespace

std::string_view rawValue(BrowserProxyKind kind) {
    switch (kind) {
    case BrowserProxyKind::system: return "system";
    case BrowserProxyKind::httpConnect: return "httpConnect";
    case BrowserProxyKind::httpsConnect: return "httpsConnect";
    case BrowserProxyKind::socks5: return "socks5";
    }
    return "system";
}

std::optional<BrowserProxyKind> browserProxyKindFromRawValue(std::string_view raw) {
    for (auto kind : kAllBrowserProxyKinds)
        if (rawValue(kind) == raw) return kind;
    return std::nullopt;
}

std::string title(BrowserProxyKind kind) {
    switch (kind) {
    case BrowserProxyKind::system: return localizedString("Use System Proxy");
    case BrowserProxyKind::httpConnect: return "HTTP CONNECT";
    case BrowserProxyKind::httpsConnect: return "HTTPS CONNECT (TLS)";
    case BrowserProxyKind::socks5: return "SOCKS5";
    }
    return {};
}

void to_json(nlohmann::json& json, BrowserProxyKind kind) { json = std::string(rawValue(kind)); }

void from_json(const nlohmann::json& json, BrowserProxyKind& kind) {
    std::string raw;
    decodeValue(json, raw);
    auto parsed = browserProxyKindFromRawValue(raw);
    if (!parsed) throw JsonDecodingError("unknown proxy kind " + quotedForLog(raw));
    kind = *parsed;
}

std::string BrowserProxySettings::normalizedHost() const {
    std::string trimmed = trimmedWhitespaceAndNewlines(host);
    if (trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']')
        return trimmed.substr(1, trimmed.size() - 2);
    return trimmed;
}

std::optional<std::string> BrowserProxySettings::validationMessage() const {
    if (kind == BrowserProxyKind::system) return std::nullopt;
    std::string normalized = normalizedHost();
    if (!isUsableHost(normalized) || !formsAddressWithHost(normalized, port))
        return localizedString("Enter a proxy hostname or IP address without a scheme, path or port.");
    if (port < 1 || port > kMaximumPort) return localizedString("Proxy port must be between 1 and 65535.");
    if (!usesAuthentication) return std::nullopt;
    if (username.empty() || !allScalars(username, [](char32_t c) { return !isLineBreak(c); }))
        return localizedString("Enter the proxy username.");
    if (kind == BrowserProxyKind::socks5 && username.size() > kMaximumSocksCredentialBytes)
        return localizedString("SOCKS5 credentials must be at most 255 UTF-8 bytes each.");
    return std::nullopt;
}

bool BrowserProxySettings::canReuseCredential(const BrowserProxySettings& other) const {
    return kind != BrowserProxyKind::system && usesAuthentication && other.usesAuthentication &&
           kind == other.kind && normalizedHost() == other.normalizedHost() && port == other.port &&
           username == other.username && other.credentialID.has_value();
}

std::string BrowserProxySettings::summary() const {
    if (kind == BrowserProxyKind::system) return title(kind);
    return title(kind) + " \u00B7 " + host + ":" + std::to_string(port);
}

namespace {

constexpr RecordFields kFields{
    field("kind", &BrowserProxySettings::kind),
    field("host", &BrowserProxySettings::host),
    field("port", &BrowserProxySettings::port),
    field("username", &BrowserProxySettings::username),
    field("credentialID", &BrowserProxySettings::credentialID),
    field("usesAuthentication", &BrowserProxySettings::usesAuthentication),
};

}  // namespace

void to_json(nlohmann::json& json, const BrowserProxySettings& settings) {
    kFields.write(json, settings);
}

void from_json(const nlohmann::json& json, BrowserProxySettings& settings) {
    kFields.read(json, settings);
}

}  // namespace quenlith
