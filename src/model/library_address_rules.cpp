#include "model/library_address_rules.hpp"

// PROVISIONAL: a minimal stand-in for the shared address functions (the normaliser, the
// credential-free test and the page comparison key), used until they are available in this
// branch. Each function below is to become a one-line call of its shared counterpart.

#include <algorithm>
#include <array>
#include <cctype>

#include <glib.h>

#include "model/text_limits.hpp"

namespace quenlith {

namespace {

constexpr GUriFlags kFlags = static_cast<GUriFlags>(G_URI_FLAGS_HAS_PASSWORD | G_URI_FLAGS_ENCODED);

std::string lowered(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool hasCredentialParameter(const char* parameters) {
    static constexpr std::array<std::string_view, 17> kNames = {
        "code",    "access_token", "id_token",  "refresh_token", "token",         "password",
        "api_key", "apikey",       "secret",    "session",       "sessionid",     "authorization",
        "client_secret", "assertion", "credential", "ticket", "samlresponse"};
    if (!parameters || !*parameters) return false;
    GHashTable* table = g_uri_parse_params(parameters, -1, "&", G_URI_PARAMS_NONE, nullptr);
    if (!table) return false;
    bool found = false;
    GHashTableIter iter;
    gpointer key = nullptr;
    g_hash_table_iter_init(&iter, table);
    while (!found && g_hash_table_iter_next(&iter, &key, nullptr)) {
        std::string name = lowered(static_cast<const char*>(key));
        found = std::find(kNames.begin(), kNames.end(), name) != kNames.end();
    }
    g_hash_table_unref(table);
    return found;
}

}  // namespace

std::optional<std::string> acceptedWebsiteAddress(std::string_view text) {
    std::string trimmed = trimmedWhitespaceAndNewlines(text);
    if (trimmed.empty()) return std::nullopt;
    if (!allScalars(trimmed, [](char32_t c) { return !isWhitespaceOrNewline(c); })) return std::nullopt;
    if (trimmed.find("://") == std::string::npos) trimmed = "https://" + trimmed;
    GUri* uri = g_uri_parse(trimmed.c_str(), kFlags, nullptr);
    if (!uri) return std::nullopt;
    std::string scheme = g_uri_get_scheme(uri) ? lowered(g_uri_get_scheme(uri)) : "";
    const char* host = g_uri_get_host(uri);
    std::string hostText = host ? host : "";
    bool ok = (scheme == "http" || scheme == "https") && !hostText.empty() && !g_uri_get_user(uri) &&
              !g_uri_get_password(uri) &&
              (hostText.find('.') != std::string::npos || hostText.find(':') != std::string::npos ||
               hostText == "localhost");
    g_uri_unref(uri);
    if (!ok) return std::nullopt;
    return trimmed;
}

bool isKeepableAddress(std::string_view address) {
    if (!acceptedWebsiteAddress(address)) return false;
    std::string text(address);
    GUri* uri = g_uri_parse(text.c_str(), kFlags, nullptr);
    if (!uri) return false;
    std::string path = lowered(g_uri_get_path(uri) ? g_uri_get_path(uri) : "");
    std::string host = lowered(g_uri_get_host(uri) ? g_uri_get_host(uri) : "");
    static constexpr std::array<std::string_view, 4> kSignInHosts = {
        "accounts.google.com", "login.microsoftonline.com", "appleid.apple.com", "github.com/login"};
    bool keepable = path.find("/oauth/") == std::string::npos &&
                    std::find(kSignInHosts.begin(), kSignInHosts.end(), host) == kSignInHosts.end() &&
                    !hasCredentialParameter(g_uri_get_query(uri));
    if (keepable) {
        std::string fragment = g_uri_get_fragment(uri) ? g_uri_get_fragment(uri) : "";
        auto question = fragment.find('?');
        if (question != std::string::npos && question + 1 < fragment.size()) fragment = fragment.substr(question + 1);
        keepable = !hasCredentialParameter(fragment.c_str());
    }
    g_uri_unref(uri);
    return keepable;
}

std::string pageComparisonKey(std::string_view address) {
    std::string text(address);
    GUri* uri = g_uri_parse(text.c_str(), kFlags, nullptr);
    if (!uri) return text;
    const char* scheme = g_uri_get_scheme(uri);
    const char* host = g_uri_get_host(uri);
    std::string lowerScheme = scheme ? lowered(scheme) : "";
    std::string lowerHost = host ? lowered(host) : "";
    const char* path = g_uri_get_path(uri);
    GUri* rebuilt = g_uri_build_with_user(kFlags, scheme ? lowerScheme.c_str() : nullptr, g_uri_get_user(uri),
                                          g_uri_get_password(uri), g_uri_get_auth_params(uri),
                                          host ? lowerHost.c_str() : nullptr, g_uri_get_port(uri),
                                          (path && *path) ? path : "/", g_uri_get_query(uri), g_uri_get_fragment(uri));
    char* joined = g_uri_to_string(rebuilt);
    std::string key = joined ? joined : text;
    g_free(joined);
    g_uri_unref(rebuilt);
    g_uri_unref(uri);
    return key;
}

}  // namespace quenlith
