#include "model/address.hpp"

#include <algorithm>
#include <cstring>

#include <glib.h>
#include <unicode/uchar.h>

#include "model/address_text.hpp"
#include "model/uri_components.hpp"
#include "model/uri_flags.hpp"

namespace quenlith {

namespace {

bool isHexDigit(char c) {
    return g_ascii_isxdigit(c);
}

// Characters that may not stand in an address as they are: controls, space, non-ASCII bytes and
// the few ASCII characters RFC 3986 leaves out. A "%" that starts no escape is escaped itself.
std::string escapeForAddress(std::string_view text) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        bool escape;
        if (c == '%')
            escape = !(i + 2 < text.size() && isHexDigit(text[i + 1]) && isHexDigit(text[i + 2]));
        else
            escape = c < 0x21 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr;
        if (escape) {
            out.push_back('%');
            out.push_back(digits[c >> 4]);
            out.push_back(digits[c & 0x0F]);
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out;
}

// A registered host name written without escapes: letters, digits and RFC 3986's unreserved and
// sub-delimiter characters. Anything else (a decoded space, "@", "\") is no host of a website.
bool isPlainHostName(std::string_view host) {
    return std::all_of(host.begin(), host.end(), [](char c) {
        return g_ascii_isalnum(c) || std::strchr("-._~!$&'()*+,;=", c) != nullptr;
    });
}

std::string_view view(const char* text) {
    return text ? std::string_view(text) : std::string_view();
}

// Whether one query-style parameter text names a credential parameter.
bool carriesCredentialParameter(std::string_view parameters) {
    bool found = false;
    forEachParameterName(parameters, [&](const std::string& name) {
        std::string lower = lowercased(name);
        for (auto credential : kCredentialParameterNames)
            if (lower == credential) found = true;
    });
    return found;
}

}  // namespace

std::optional<std::string> normalizedWebsiteURL(std::string_view text) {
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::nullopt;
    std::string_view trimmed = trimmedText(text);
    if (trimmed.empty() || containsWhiteSpace(trimmed)) return std::nullopt;

    std::string typed = trimmed.find("://") == std::string_view::npos ? "https://" + std::string(trimmed)
                                                                      : std::string(trimmed);
    std::string escaped = escapeForAddress(typed);
    GUri* uri = g_uri_parse(escaped.c_str(), kUriFlags, nullptr);
    if (!uri) return std::nullopt;

    std::string scheme(view(g_uri_get_scheme(uri)));
    std::string host(view(g_uri_get_host(uri)));
    bool hasUser = g_uri_get_user(uri) != nullptr || g_uri_get_password(uri) != nullptr;
    int port = g_uri_get_port(uri);
    g_uri_unref(uri);

    scheme = asciiLowercased(scheme);
    if (scheme != "http" && scheme != "https") return std::nullopt;
    if (host.empty() || hasUser) return std::nullopt;
    // Only a host written in brackets is an IP literal: an escaped ":" in a name ("a.com%3a%2fb")
    // decodes to a colon too, and must be refused, not bracketed into an address of its own.
    std::size_t authorityStart = escaped.find("://") + 3;
    bool ipLiteral = escaped.compare(authorityStart, 1, "[") == 0 && host.find(':') != std::string::npos;
    if (!ipLiteral && host.find('.') == std::string::npos && host != "localhost") return std::nullopt;
    if (!ipLiteral && !isPlainHostName(host)) return std::nullopt;

    // Rebuilt from the text as typed: the scheme keeps its letter case, and the rest after the
    // host and port is the escaped text itself. Only the host takes the parser's form (the ASCII
    // form of an international name; an IPv6 literal in brackets).
    std::size_t authorityEnd = escaped.find_first_of("/?#", authorityStart);
    std::string result = escaped.substr(0, authorityStart);
    if (ipLiteral) {
        result += '[';
        for (char c : host) result += c == '%' ? std::string("%25") : std::string(1, c);
        result += ']';
    } else {
        result += host;
    }
    if (port >= 0) result += ":" + std::to_string(port);
    if (authorityEnd != std::string::npos) result.append(escaped, authorityEnd);
    return result;
}

std::optional<std::string> resolveAddressInput(std::string_view text, SearchEngine engine) {
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::nullopt;
    std::string_view trimmed = trimmedText(text);
    if (trimmed.empty()) return std::nullopt;
    if (auto address = normalizedWebsiteURL(trimmed)) return address;
    return searchURL(engine, trimmed);
}

bool isSignInURL(std::string_view address) {
    std::string text(address);
    GUri* uri = g_uri_parse(text.c_str(), kUriFlags, nullptr);
    if (!uri) return false;
    std::string host = asciiLowercased(view(g_uri_get_host(uri)));
    std::string path(view(g_uri_get_path(uri)));
    g_uri_unref(uri);
    for (auto signIn : kSignInHosts)
        if (host == signIn) return true;
    // Both the written and the decoded path count, so an escaped letter hides nothing.
    for (const std::string& candidate : {path, percentDecoded(path)})
        if (lowercased(candidate).find("/oauth/") != std::string::npos) return true;
    return false;
}

bool isCredentialFreeURL(std::string_view address) {
    auto normalized = normalizedWebsiteURL(address);
    if (!normalized) return false;
    if (isSignInURL(*normalized)) return false;
    GUri* uri = g_uri_parse(normalized->c_str(), kUriFlags, nullptr);
    if (!uri) return false;
    std::string query(view(g_uri_get_query(uri)));
    std::string fragment(view(g_uri_get_fragment(uri)));
    g_uri_unref(uri);
    if (carriesCredentialParameter(query)) return false;
    // A fragment carries parameters after its first "?" (a route such as "#/callback?token=…"),
    // or as a whole ("#access_token=…").
    std::size_t mark = fragment.find('?');
    std::string_view fragmentParameters = fragment;
    if (mark != std::string::npos && mark + 1 < fragment.size()) fragmentParameters.remove_prefix(mark + 1);
    return !carriesCredentialParameter(fragmentParameters);
}

std::optional<std::string> rootFaviconURL(std::string_view address) {
    auto parts = parseUri(address);
    if (!parts || !parts->host) return std::nullopt;
    UriComponents root;
    root.scheme = parts->scheme;
    root.host = parts->host;
    root.port = parts->port;
    root.path = "/favicon.ico";
    return joinUri(root);
}

}  // namespace quenlith
