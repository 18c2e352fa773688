#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "model/browser_proxy_settings.hpp"
#include "model/json_coding.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

const std::string kHostMessage = "Enter a proxy hostname or IP address without a scheme, path or port.";
const std::string kPortMessage = "Proxy port must be between 1 and 65535.";
const std::string kUsernameMessage = "Enter the proxy username.";
const std::string kSocksMessage = "SOCKS5 credentials must be at most 255 UTF-8 bytes each.";

BrowserProxySettings proxy(BrowserProxyKind kind, std::string host, std::int64_t port) {
    return {kind, std::move(host), port, "", std::nullopt, false};
}

BrowserProxySettings authenticated(BrowserProxyKind kind, std::string username) {
    return {kind, "proxy.example", 1080, std::move(username), std::nullopt, true};
}

// The first failing message, or none; a proxy without authentication needs no user.
TEST(BrowserProxySettings, ValidationGivesTheFirstFailingMessage) {
    using K = BrowserProxyKind;
    const std::optional<std::string> valid;
    const std::pair<BrowserProxySettings, std::optional<std::string>> cases[] = {
        {proxy(K::system, "", 0), valid},  // system ignores everything else
        {proxy(K::socks5, " [::1] ", 1080), valid},
        {proxy(K::socks5, "::1", 1080), valid},
        {proxy(K::httpConnect, "127.0.0.1", 7890), valid},
        {proxy(K::httpConnect, "代理.例子", 80), valid},
        {proxy(K::httpConnect, "proxy.example:8080", 8080), kHostMessage},
        {proxy(K::httpConnect, "http://proxy.example", 80), kHostMessage},
        {proxy(K::httpConnect, "proxy example", 80), kHostMessage},
        {proxy(K::httpConnect, "proxy\u00A0example", 80), kHostMessage},
        {proxy(K::httpsConnect, "   ", 80), kHostMessage},
        {proxy(K::httpsConnect, "[]", 80), kHostMessage},
        {proxy(K::httpConnect, "user@proxy", 80), kHostMessage},
        {proxy(K::httpConnect, "fe80::1%eth0", 80), kHostMessage},
        {proxy(K::httpConnect, "my_proxy", 80), kHostMessage},
        {proxy(K::httpConnect, "a:b:c", 80), kHostMessage},
        {proxy(K::httpConnect, "[[::1]]", 80), kHostMessage},
        {proxy(K::httpConnect, std::string(253, 'a'), 80), valid},
        {proxy(K::httpConnect, std::string(254, 'a'), 80), kHostMessage},
        {proxy(K::httpConnect, "proxy.example", 0), kPortMessage},
        {proxy(K::httpConnect, "proxy.example", 65536), kPortMessage},
        {proxy(K::httpConnect, "proxy.example", -1), kPortMessage},
        {proxy(K::httpConnect, "proxy.example", 65535), valid},
        {proxy(K::httpConnect, "a b", 0), kHostMessage},  // the host is checked first
        {authenticated(K::httpConnect, ""), kUsernameMessage},
        {authenticated(K::httpConnect, "a\nb"), kUsernameMessage},
        {authenticated(K::httpConnect, "a\u2028b"), kUsernameMessage},
        {authenticated(K::httpConnect, "a\u0085b"), kUsernameMessage},
        {authenticated(K::httpConnect, "   "), valid},
        {authenticated(K::socks5, std::string(255, 'u')), valid},
        {authenticated(K::socks5, std::string(256, 'u')), kSocksMessage},
        {authenticated(K::socks5, test::repeated("é", 128)), kSocksMessage},  // counted in bytes
        {authenticated(K::httpConnect, std::string(256, 'u')), valid}};
    for (const auto& [settings, message] : cases)
        EXPECT_EQ(settings.validationMessage(), message) << settings.host << " " << settings.username;
}

TEST(BrowserProxySettings, NormalizedHostRemovesOnePairOfBracketsAndTheSummaryDoesNot) {
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, " [::1] ", 1).normalizedHost(), "::1");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "\t[ ::1 ]\n", 1).normalizedHost(), " ::1 ");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "[[::1]]", 1).normalizedHost(), "[::1]");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "[::1", 1).normalizedHost(), "[::1");
    // The summary shows the host as stored.
    EXPECT_EQ(proxy(BrowserProxyKind::system, "ignored", 1).summary(), "Use System Proxy");
    EXPECT_EQ(proxy(BrowserProxyKind::httpConnect, " [::1] ", 8080).summary(), "HTTP CONNECT \u00B7  [::1] :8080");
    EXPECT_EQ(proxy(BrowserProxyKind::httpsConnect, "p", 443).summary(), "HTTPS CONNECT (TLS) \u00B7 p:443");
    EXPECT_EQ(proxy(BrowserProxyKind::socks5, "p", 1080).summary(), "SOCKS5 \u00B7 p:1080");
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

}  // namespace
}  // namespace quenlith
