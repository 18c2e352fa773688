#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/browser_proxy_settings.hpp"
#include "model/json_coding.hpp"

namespace quenlith {
namespace {

const std::string kHostMessage = "Enter a proxy hostname or IP address without a scheme, path or port.";
const std::string kPortMessage = "Proxy port must be between 1 and 65535.";
const std::string kUsernameMessage = "Enter the proxy username.";
const std::string kSocksMessage = "SOCKS5 credentials must be at most 255 UTF-8 bytes each.";

BrowserProxySettings proxy(BrowserProxyKind kind, std::string host, std::int64_t port) {
    BrowserProxySettings settings;
    settings.kind = kind;
    settings.host = std::move(host);
    settings.port = port;
    return settings;
}

BrowserProxySettings authenticated(BrowserProxyKind kind, std::string username) {
    BrowserProxySettings settings = proxy(kind, "proxy.example", 1080);
    settings.usesAuthentication = true;
    settings.username = std::move(username);
    return settings;
}

struct ValidationCase {
    const char* label;
    BrowserProxySettings settings;
    std::optional<std::string> message;
};

class ProxyValidation : public testing::TestWithParam<ValidationCase> {};

TEST_P(ProxyValidation, GivesTheFirstFailingMessage) {
    EXPECT_EQ(GetParam().settings.validationMessage(), GetParam().message) << GetParam().label;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProxyValidation,
    testing::Values(
        ValidationCase{"system ignores everything else", proxy(BrowserProxyKind::system, "", 0), std::nullopt},
        ValidationCase{"bracketed IPv6 with spaces", proxy(BrowserProxyKind::socks5, " [::1] ", 1080), std::nullopt},
        ValidationCase{"bare IPv6", proxy(BrowserProxyKind::socks5, "::1", 1080), std::nullopt},
        ValidationCase{"IPv4", proxy(BrowserProxyKind::httpConnect, "127.0.0.1", 7890), std::nullopt},
        ValidationCase{"letters of other scripts", proxy(BrowserProxyKind::httpConnect, "代理.例子", 80), std::nullopt},
        ValidationCase{"host with port", proxy(BrowserProxyKind::httpConnect, "proxy.example:8080", 8080), kHostMessage},
        ValidationCase{"host with scheme", proxy(BrowserProxyKind::httpConnect, "http://proxy.example", 80), kHostMessage},
        ValidationCase{"space inside", proxy(BrowserProxyKind::httpConnect, "proxy example", 80), kHostMessage},
        ValidationCase{"no-break space inside", proxy(BrowserProxyKind::httpConnect, "proxy\u00A0example", 80), kHostMessage},
        ValidationCase{"empty", proxy(BrowserProxyKind::httpsConnect, "   ", 80), kHostMessage},
        ValidationCase{"empty brackets", proxy(BrowserProxyKind::httpsConnect, "[]", 80), kHostMessage},
        ValidationCase{"user info", proxy(BrowserProxyKind::httpConnect, "user@proxy", 80), kHostMessage},
        ValidationCase{"percent", proxy(BrowserProxyKind::httpConnect, "fe80::1%eth0", 80), kHostMessage},
        ValidationCase{"underscore", proxy(BrowserProxyKind::httpConnect, "my_proxy", 80), kHostMessage},
        ValidationCase{"malformed IPv6", proxy(BrowserProxyKind::httpConnect, "a:b:c", 80), kHostMessage},
        ValidationCase{"two bracket pairs", proxy(BrowserProxyKind::httpConnect, "[[::1]]", 80), kHostMessage},
        ValidationCase{"253 bytes", proxy(BrowserProxyKind::httpConnect, std::string(253, 'a'), 80), std::nullopt},
        ValidationCase{"254 bytes", proxy(BrowserProxyKind::httpConnect, std::string(254, 'a'), 80), kHostMessage},
        ValidationCase{"port 0", proxy(BrowserProxyKind::httpConnect, "proxy.example", 0), kPortMessage},
        ValidationCase{"port 65536", proxy(BrowserProxyKind::httpConnect, "proxy.example", 65536), kPortMessage},
        ValidationCase{"negative port", proxy(BrowserProxyKind::httpConnect, "proxy.example", -1), kPortMessage},
        ValidationCase{"port 65535", proxy(BrowserProxyKind::httpConnect, "proxy.example", 65535), std::nullopt},
        ValidationCase{"bad host and bad port", proxy(BrowserProxyKind::httpConnect, "a b", 0), kHostMessage},
        ValidationCase{"authentication without user", authenticated(BrowserProxyKind::httpConnect, ""), kUsernameMessage},
        ValidationCase{"user with line feed", authenticated(BrowserProxyKind::httpConnect, "a\nb"), kUsernameMessage},
        ValidationCase{"user with line separator", authenticated(BrowserProxyKind::httpConnect, "a\u2028b"), kUsernameMessage},
        ValidationCase{"user with next line", authenticated(BrowserProxyKind::httpConnect, "a\u0085b"), kUsernameMessage},
        ValidationCase{"user of spaces", authenticated(BrowserProxyKind::httpConnect, "   "), std::nullopt},
        ValidationCase{"SOCKS5 user of 255 bytes", authenticated(BrowserProxyKind::socks5, std::string(255, 'u')), std::nullopt},
        ValidationCase{"SOCKS5 user of 256 bytes", authenticated(BrowserProxyKind::socks5, std::string(256, 'u')), kSocksMessage},
        ValidationCase{"SOCKS5 user counted in bytes", authenticated(BrowserProxyKind::socks5, [] {
                           std::string text;
                           for (int i = 0; i < 128; ++i) text += "é";
                           return text;
                       }()), kSocksMessage},
        ValidationCase{"HTTP user of 256 bytes", authenticated(BrowserProxyKind::httpConnect, std::string(256, 'u')), std::nullopt}));

TEST(BrowserProxySettings, EmptyUserIsFineWithoutAuthentication) {
    BrowserProxySettings settings = authenticated(BrowserProxyKind::httpConnect, "");
    settings.usesAuthentication = false;
    EXPECT_EQ(settings.validationMessage(), std::nullopt);
}

TEST(BrowserProxySettings, NormalizedHostRemovesOnePairOfBrackets) {
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, " [::1] ", 1).normalizedHost(), "::1");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "\t[ ::1 ]\n", 1).normalizedHost(), " ::1 ");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "[[::1]]", 1).normalizedHost(), "[::1]");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "[::1", 1).normalizedHost(), "[::1");
}

TEST(BrowserProxySettings, CredentialReuse) {
    BrowserProxySettings stored = authenticated(BrowserProxyKind::httpConnect, "alice");
    stored.credentialID = "0B7E7A34-4F0B-4E0C-9E6A-1C2D3E4F5A6B";
    BrowserProxySettings edited = stored;
    edited.credentialID.reset();
    EXPECT_TRUE(edited.canReuseCredential(stored));
    edited.host = "  [proxy.example]  ";
    EXPECT_TRUE(edited.canReuseCredential(stored)) << "hosts compare normalised";

    const std::pair<const char*, std::function<void(BrowserProxySettings& edit, BrowserProxySettings& old)>> changes[] = {
        {"user name case", [](auto& e, auto&) { e.username = "Alice"; }},
        {"port", [](auto& e, auto&) { e.port = 1081; }},
        {"kind", [](auto& e, auto&) { e.kind = BrowserProxyKind::socks5; }},
        {"authentication off", [](auto& e, auto&) { e.usesAuthentication = false; }},
        {"nothing stored", [](auto&, auto& o) { o.credentialID.reset(); }},
        {"system proxy", [](auto& e, auto& o) { e.kind = o.kind = BrowserProxyKind::system; }},
    };
    for (const auto& [label, change] : changes) {
        BrowserProxySettings edit = edited, old = stored;
        change(edit, old);
        EXPECT_FALSE(edit.canReuseCredential(old)) << label;
    }
}

TEST(BrowserProxySettings, SummaryShowsStoredHost) {
    EXPECT_EQ(proxy(BrowserProxyKind::system, "ignored", 1).summary(), "Use System Proxy");
    EXPECT_EQ(proxy(BrowserProxyKind::httpConnect, " [::1] ", 8080).summary(), "HTTP CONNECT \u00B7  [::1] :8080");
    EXPECT_EQ(proxy(BrowserProxyKind::httpsConnect, "p", 443).summary(), "HTTPS CONNECT (TLS) \u00B7 p:443");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "p", 1080).summary(), "SOCKS5 \u00B7 p:1080");
}

}  // namespace
}  // namespace quenlith
