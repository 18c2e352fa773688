#include "model/address.hpp"

#include <algorithm>
#include <cstring>

#include <glib.h>
#include <unicode/uchar.h>

#include "model/address_limit.hpp"
#include "model/address_text.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "model/typed_userinfo.hpp"
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

// The scheme, in lower case, of a word written as an address with one; empty for any other word.
std::string typedScheme(std::string_view word) {
    const std::size_t colon = word.find(':');
    if (colon == std::string_view::npos || colon == 0 || !g_ascii_isalpha(word[0])) return {};
    for (std::size_t i = 1; i < colon; ++i)
        if (!g_ascii_isalnum(word[i]) && std::strchr("+-.", word[i]) == nullptr) return {};
    std::string scheme = asciiLowercased(word.substr(0, colon));
    if (word.substr(colon + 1, 2) == "//") return scheme;
    for (auto bare : kSchemesWithoutSlashes)
        if (scheme == bare) return scheme;
    return {};
}

// A typed word as the address it names: escaped, with "https://" in front when it has no scheme.
std::string typedAddress(std::string_view word) {
    return escapeForAddress(typedScheme(word).empty() ? "https://" + std::string(word) : std::string(word));
}

// The word without one pair of marks around it ("<…>", "(…)", quotes), as an address is often
// written in text.
std::string_view unwrapped(std::string_view word) {
    static constexpr std::string_view pairs[] = {"<>", "()", "\"\"", "''"};
    if (word.size() < 2) return word;
    for (auto pair : pairs)
        if (word.front() == pair[0] && word.back() == pair[1]) return word.substr(1, word.size() - 2);
    return word;
}

// Whether a typed word is an address carrying credentials, in any spelling. A password counts
// wherever it stands; a user name alone only in an address: with a scheme, after "//", or with
// something after its host, since "me@example.com" alone is an e-mail address. Among other words
// only a password counts (a search may well name an e-mail address).
bool carriesCredentials(std::string_view word, bool onlyWord) {
    const auto userinfo = typedUserinfo(word);
    if (std::any_of(userinfo.begin(), userinfo.end(),
                    [&](const TypedUserinfo& found) { return found.password || (onlyWord && found.inAddress); }))
        return true;
    const std::string_view inner = unwrapped(word);
    auto parts = splitUri(typedAddress(inner));
    if (!parts || !parts->userinfo || parts->userinfo->empty() || !parts->host) return false;
    const bool password = parts->userinfo->find(':') != std::string::npos;
    if (!onlyWord) return password;
    const bool beyondHost = parts->port >= 0 || !parts->path.empty() || parts->query || parts->fragment;
    return password || beyondHost || !typedScheme(inner).empty();
}

// The address a refusal for credentials names: the word without them, as the address it would
// be read as.
std::string addressWithoutCredentials(std::string_view word) {
    std::string kept = withoutTypedUserinfo(unwrapped(word));
    if (kept.starts_with("//")) kept.insert(0, "https:");
    return withoutCredentials(typedAddress(kept));
}

// The address a refusal names: without credentials, and not longer than a line or two.
std::string shownAddress(const std::string& address) {
    constexpr std::size_t kShownCharacters = 120;
    return shortenedText(withoutCredentials(address), kShownCharacters);
}

Error refusal(std::string_view code, std::string_view format, const std::string& address) {
    return Error{std::string(code), localizedFormat(format, {shownAddress(address)})};
}

}  // namespace

std::optional<std::string> normalizedWebsiteURL(std::string_view text) {
    if (!isWithinAddressLimit(text)) return std::nullopt;
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

Result<std::string> resolveAddressInput(std::string_view text, SearchEngine engine) {
    const Error empty{std::string(kEmptyAddressInput), ""};
    // Neither opened nor searched for: a search address would be longer still.
    if (!isWithinAddressLimit(text)) return Error{std::string(kAddressTooLong), addressTooLongMessage()};
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) return empty;
    std::string_view trimmed = trimmedText(text);
    if (trimmed.empty()) return empty;
    if (auto address = normalizedWebsiteURL(trimmed)) return *address;

    // A search would hand the credentials to the search engine.
    const auto words = whiteSpaceSeparatedWords(trimmed);
    for (std::string_view word : words)
        if (carriesCredentials(word, words.size() == 1))
            return refusal(kAddressWithCredentials,
                           "Addresses with a user name or password are not opened: %@",
                           addressWithoutCredentials(word));
    if (words.size() == 1) {
        const std::string scheme = typedScheme(trimmed);
        if (!scheme.empty() && scheme != "http" && scheme != "https")
            return refusal(kAddressOfOtherScheme, "Only http and https addresses are opened: %@",
                           std::string(trimmed));
        if (!scheme.empty())
            return refusal(kUnusableAddress, "This address cannot be opened: %@", std::string(trimmed));
    }
    if (auto search = searchURL(engine, trimmed)) return *search;
    return empty;
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
    // Escaping may lengthen an address: what is kept stays within the limit as written.
    if (!normalized || !isWithinAddressLimit(*normalized)) return false;
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
