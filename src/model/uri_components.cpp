#include "model/uri_components.hpp"

#include <glib.h>

#include "model/uri_flags.hpp"

namespace quenlith {

namespace {

// Takes over a string GLib allocated.
std::optional<std::string> adopt(gchar* text) {
    if (!text) return std::nullopt;
    std::string result(text);
    g_free(text);
    return result;
}

const char* cString(const std::optional<std::string>& text) { return text ? text->c_str() : nullptr; }

}  // namespace

std::optional<UriComponents> splitUri(std::string_view address) {
    std::string text(address);
    gchar *scheme = nullptr, *userinfo = nullptr, *host = nullptr, *path = nullptr, *query = nullptr,
          *fragment = nullptr;
    UriComponents parts;
    if (!g_uri_split(text.c_str(), kUriFlags, &scheme, &userinfo, &host, &parts.port, &path, &query, &fragment,
                     nullptr))
        return std::nullopt;
    parts.scheme = adopt(scheme);
    parts.userinfo = adopt(userinfo);
    parts.host = adopt(host);
    parts.path = adopt(path).value_or("");
    parts.query = adopt(query);
    parts.fragment = adopt(fragment);
    return parts;
}

std::optional<UriComponents> parseUri(std::string_view address) {
    std::string text(address);
    GUri* uri = g_uri_parse(text.c_str(), kUriFlags, nullptr);
    if (!uri) return std::nullopt;
    auto copy = [](const char* part) { return part ? std::optional<std::string>(part) : std::nullopt; };
    UriComponents parts;
    parts.scheme = copy(g_uri_get_scheme(uri));
    parts.userinfo = copy(g_uri_get_userinfo(uri));
    parts.host = copy(g_uri_get_host(uri));
    parts.port = g_uri_get_port(uri);
    parts.path = g_uri_get_path(uri);
    parts.query = copy(g_uri_get_query(uri));
    parts.fragment = copy(g_uri_get_fragment(uri));
    g_uri_unref(uri);
    return parts;
}

std::optional<std::string> uriHost(std::string_view address) {
    auto parts = splitUri(address);
    if (!parts || !parts->host || parts->host->empty()) return std::nullopt;
    return parts->host;
}

std::string withoutCredentials(std::string_view address) {
    auto parts = splitUri(address);
    if (!parts || !parts->userinfo || !parts->scheme) return std::string(address);
    // The user information stands as written between "scheme://" and "@": cut out there, the rest
    // keeps its letter case and escapes.
    const std::size_t start = parts->scheme->size() + 3;
    const std::string& userinfo = *parts->userinfo;
    if (address.substr(parts->scheme->size(), 3) == "://" &&
        address.substr(start, userinfo.size()) == userinfo &&
        address.substr(start + userinfo.size(), 1) == "@") {
        std::string result(address);
        result.erase(start, userinfo.size() + 1);
        return result;
    }
    parts->userinfo.reset();
    return joinUri(*parts).value_or(std::string());
}

std::optional<UriCredentials> uriCredentials(std::string_view address) {
    auto parts = splitUri(address);
    if (!parts || !parts->userinfo || parts->userinfo->empty() || !parts->host || parts->host->empty())
        return std::nullopt;
    const std::string& userinfo = *parts->userinfo;
    const std::size_t colon = userinfo.find(':');
    auto decoded = [](const std::string& text) {
        return adopt(g_uri_unescape_string(text.c_str(), nullptr)).value_or(text);
    };
    UriCredentials credentials;
    credentials.user = decoded(userinfo.substr(0, colon));
    if (colon != std::string::npos) credentials.password = decoded(userinfo.substr(colon + 1));
    credentials.host = *parts->host;
    return credentials;
}

std::optional<std::string> joinUri(const UriComponents& parts) {
    return adopt(g_uri_join(kUriFlags, cString(parts.scheme), cString(parts.userinfo), cString(parts.host),
                            parts.port, parts.path.c_str(), cString(parts.query), cString(parts.fragment)));
}

}  // namespace quenlith
