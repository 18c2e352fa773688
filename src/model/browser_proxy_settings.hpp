#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// The protocol of a proxy; `system` means no proxy of our own. Coded by case name.
enum class BrowserProxyKind { system, httpConnect, httpsConnect, socks5 };

// Picker order.
inline constexpr std::array<BrowserProxyKind, 4> kAllBrowserProxyKinds = {
    BrowserProxyKind::system, BrowserProxyKind::httpConnect, BrowserProxyKind::httpsConnect, BrowserProxyKind::socks5};

std::string_view rawValue(BrowserProxyKind kind);
std::optional<BrowserProxyKind> browserProxyKindFromRawValue(std::string_view raw);
// The picker title; only "Use System Proxy" is translated.
std::string title(BrowserProxyKind kind);

void to_json(nlohmann::json& json, BrowserProxyKind kind);
void from_json(const nlohmann::json& json, BrowserProxyKind& kind);

// A proxy endpoint: the global proxy of the preferences or a website's own. The password is never
// part of it; it lives in the secret store under `credentialID`.
struct BrowserProxySettings {
    BrowserProxyKind kind = BrowserProxyKind::system;
    std::string host = "127.0.0.1";
    std::int64_t port = 7890;
    std::string username;
    std::optional<std::string> credentialID;
    bool usesAuthentication = false;

    // The host as used and compared: trimmed, and one pair of IPv6 brackets removed.
    std::string normalizedHost() const;
    // Nothing when the settings are usable, else one localised message for the user.
    std::optional<std::string> validationMessage() const;
    // Whether the password stored for `other` may serve these settings.
    bool canReuseCredential(const BrowserProxySettings& other) const;
    // "HTTP CONNECT · host:port", or the system title.
    std::string summary() const;

    bool operator==(const BrowserProxySettings&) const = default;
};

void to_json(nlohmann::json& json, const BrowserProxySettings& settings);
void from_json(const nlohmann::json& json, BrowserProxySettings& settings);

}  // namespace quenlith
