#include "browser/engine/proxy_configuration.hpp"

#include <glib.h>

#include "model/uri_flags.hpp"

namespace quenlith {

namespace {

std::string escaped(const std::string& text) {
    char* escapedText = g_uri_escape_string(text.c_str(), nullptr, FALSE);
    std::string result = escapedText;
    g_free(escapedText);
    return result;
}

const char* schemeOf(BrowserProxyKind kind) {
    switch (kind) {
        case BrowserProxyKind::httpsConnect: return "https";
        case BrowserProxyKind::socks5: return "socks5";
        default: return "http";
    }
}

}  // namespace

std::string ProxyConfiguration::uri() const {
    bool inAddress = credential && kind != BrowserProxyKind::httpConnect;
    std::string user = inAddress ? escaped(credential->username) : std::string();
    std::string password = inAddress ? escaped(credential->password) : std::string();
    char* ascii = g_hostname_to_ascii(host.c_str());
    std::string asciiHost = ascii ? ascii : host;
    g_free(ascii);
    char* joined = g_uri_join_with_user(kUriFlags, schemeOf(kind), inAddress ? user.c_str() : nullptr,
                                        inAddress ? password.c_str() : nullptr, nullptr, asciiHost.c_str(),
                                        port, "", nullptr, nullptr);
    std::string result = joined;
    g_free(joined);
    return result;
}

std::optional<ProxyCredential> ProxyConfiguration::challengeCredential() const {
    if (kind == BrowserProxyKind::httpConnect) return credential;
    return std::nullopt;
}

}  // namespace quenlith
