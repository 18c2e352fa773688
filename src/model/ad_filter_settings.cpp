#include "model/ad_filter_settings.hpp"

#include "model/uri_flags.hpp"

#include <algorithm>
#include <memory>

#include <glib.h>
#include <nlohmann/json.hpp>

#include "model/json_coding.hpp"
#include "model/record_fields.hpp"

namespace quenlith {
namespace {

constexpr std::size_t kMaximumHostBytes = 253;
constexpr std::size_t kMaximumLabelBytes = 63;

struct UriDeleter {
    void operator()(GUri* uri) const { g_uri_unref(uri); }
};

char asciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Trims white space and line breaks at both ends; nullopt when the text is not UTF-8 or keeps
// white space inside.
std::optional<std::string> trimmedWithoutInnerSpace(std::string_view text) {
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) return std::nullopt;
    struct Character {
        std::size_t offset;
        std::size_t length;
        bool space;
    };
    std::vector<Character> characters;
    const char* begin = text.data();
    const char* end = begin + text.size();
    for (const char* p = begin; p < end;) {
        const char* next = g_utf8_next_char(p);
        gunichar c = g_utf8_get_char(p);
        // U+0085 (next line) is a line break that g_unichar_isspace does not count.
        characters.push_back({static_cast<std::size_t>(p - begin), static_cast<std::size_t>(next - p),
                              g_unichar_isspace(c) || c == 0x85});
        p = next;
    }
    auto first = std::find_if(characters.begin(), characters.end(), [](const Character& c) { return !c.space; });
    if (first == characters.end()) return std::string();
    auto last = std::find_if(characters.rbegin(), characters.rend(), [](const Character& c) { return !c.space; });
    for (auto it = first; it != last.base(); ++it)
        if (it->space) return std::nullopt;
    std::size_t from = first->offset;
    std::size_t to = last->offset + last->length;
    return std::string(text.substr(from, to - from));
}

// Cleans one list: usable hosts, unique, sorted, at most 100.
std::vector<std::string> normalizedList(const std::vector<std::string>& entries) {
    std::vector<std::string> result;
    result.reserve(entries.size());
    for (const auto& entry : entries)
        if (auto host = AdFilterSettings::normalizedDomain(entry)) result.push_back(std::move(*host));
    std::sort(result.begin(), result.end());
    result.erase(std::unique(result.begin(), result.end()), result.end());
    if (result.size() > AdFilterSettings::maximumEntries) result.resize(AdFilterSettings::maximumEntries);
    return result;
}

bool coversHost(std::string_view entry, std::string_view host) {
    if (host == entry) return true;
    return host.size() > entry.size() && host.substr(host.size() - entry.size()) == entry &&
           host[host.size() - entry.size() - 1] == '.';
}

// Writes `text` as a JSON string the way the engine's rule lists are written: "/" as "\/",
// backslashes and quotes escaped, control characters as escapes. False for invalid UTF-8.
bool appendJsonString(std::string& out, std::string_view text) {
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr)) return false;
    static constexpr char kHex[] = "0123456789abcdef";
    out.push_back('"');
    for (char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '/': out += "\\/"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                out += "\\u00";
                out.push_back(kHex[(static_cast<unsigned char>(c) >> 4) & 0xf]);
                out.push_back(kHex[static_cast<unsigned char>(c) & 0xf]);
            } else {
                out.push_back(c);
            }
        }
    }
    out.push_back('"');
    return true;
}

// The pattern matching a host and its subdomains, with an optional final dot and port, for http
// and https, anchored at the first "/" of the path.
std::string hostPattern(std::string_view host) {
    std::string pattern = "^https?://([a-z0-9-]+\\.)*";
    for (char c : host) {
        if (c == '.')
            pattern += "\\.";
        else
            pattern.push_back(c);
    }
    pattern += "\\.?(:[0-9]+)?/";
    return pattern;
}

// One trigger: {"load-type":["third-party"],"unless-top-url":[...],"url-filter":"..."}, keys in
// sorted order. `unlessList` is the already written JSON array, empty for none.
bool appendTrigger(std::string& out, std::string_view urlFilter, const std::string& unlessList, bool thirdPartyOnly) {
    out += "{";
    if (thirdPartyOnly) out += "\"load-type\":[\"third-party\"],";
    if (!unlessList.empty()) {
        out += "\"unless-top-url\":";
        out += unlessList;
        out += ",";
    }
    out += "\"url-filter\":";
    if (!appendJsonString(out, urlFilter)) return false;
    out += "}";
    return true;
}

Error jsonWriterError() {
    return Error{"invalidText", "The rule list could not be written because a host name is not valid UTF-8 text."};
}

}  // namespace

AdFilterSettings AdFilterSettings::normalized() const {
    AdFilterSettings result = *this;
    result.allowedSites = normalizedList(allowedSites);
    result.blockedDomains = normalizedList(blockedDomains);
    return result;
}

std::optional<std::string> AdFilterSettings::normalizedDomain(std::string_view text) {
    auto trimmed = trimmedWithoutInnerSpace(text);
    if (!trimmed || trimmed->empty()) return std::nullopt;
    std::string address = *trimmed;
    if (address.find("://") == std::string::npos) address = "https://" + address;

    std::unique_ptr<GUri, UriDeleter> uri(g_uri_parse(address.c_str(), kUriFlags, nullptr));
    if (!uri) return std::nullopt;
    const char* scheme = g_uri_get_scheme(uri.get());
    if (!scheme) return std::nullopt;
    std::string lowerScheme;
    for (const char* p = scheme; *p; ++p) lowerScheme.push_back(asciiLower(*p));
    if (lowerScheme != "http" && lowerScheme != "https") return std::nullopt;
    // Any user information, even an empty one before "@", marks a sign-in address.
    if (g_uri_get_user(uri.get()) || g_uri_get_password(uri.get()) || g_uri_get_userinfo(uri.get()))
        return std::nullopt;
    const char* rawHost = g_uri_get_host(uri.get());
    if (!rawHost || !*rawHost) return std::nullopt;

    std::string host;
    for (const char* p = rawHost; *p; ++p) host.push_back(asciiLower(*p));
    if (!host.empty() && host.back() == '.') host.pop_back();
    if (host.size() > kMaximumHostBytes) return std::nullopt;
    if (host.find('.') == std::string::npos) return std::nullopt;
    std::size_t start = 0;
    while (true) {
        std::size_t dot = host.find('.', start);
        std::string_view label = std::string_view(host).substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!isValidLabel(label)) return std::nullopt;
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return host;
}

bool AdFilterSettings::isValidLabel(std::string_view label) {
    if (label.empty() || label.size() > kMaximumLabelBytes) return false;
    if (label.front() == '-' || label.back() == '-') return false;
    return std::all_of(label.begin(), label.end(),
                       [](char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; });
}

void AdFilterSettings::setAllowed(bool allowed, std::string_view hostText) {
    auto host = normalizedDomain(hostText);
    if (!host) return;
    if (!allowed) {
        std::erase_if(allowedSites, [&](const std::string& entry) { return coversHost(entry, *host); });
        std::sort(allowedSites.begin(), allowedSites.end());
        return;
    }
    if (coveringEntry(*host, allowedSites)) return;
    if (allowedSites.size() >= maximumEntries) return;
    allowedSites.push_back(*host);
    std::sort(allowedSites.begin(), allowedSites.end());
}

std::optional<std::string> AdFilterSettings::coveringEntry(std::string_view host, const std::vector<std::string>& entries) {
    for (const auto& entry : entries)
        if (coversHost(entry, host)) return entry;
    return std::nullopt;
}

Result<std::string> AdFilterSettings::contentRuleListJSON(const std::vector<std::string>& domains) const {
    const AdFilterSettings settings = normalized();
    if (!settings.enabled) return std::string("[]");

    std::string unlessList;
    if (!settings.allowedSites.empty()) {
        unlessList.push_back('[');
        for (std::size_t i = 0; i < settings.allowedSites.size(); ++i) {
            if (i > 0) unlessList += ",";
            if (!appendJsonString(unlessList, hostPattern(settings.allowedSites[i]))) return jsonWriterError();
        }
        unlessList += "]";
    }

    std::vector<std::string> hosts;
    hosts.reserve(domains.size() + settings.blockedDomains.size());
    hosts.insert(hosts.end(), domains.begin(), domains.end());
    hosts.insert(hosts.end(), settings.blockedDomains.begin(), settings.blockedDomains.end());
    std::sort(hosts.begin(), hosts.end());
    hosts.erase(std::unique(hosts.begin(), hosts.end()), hosts.end());

    std::string out;
    out.reserve((hosts.size() + 1) * (140 + unlessList.size()));
    out += "[";
    bool first = true;
    if (settings.hidePlaceholders) {
        std::string selector;
        for (std::size_t i = 0; i < placeholderSelectors.size(); ++i) {
            if (i > 0) selector += ",";
            selector += placeholderSelectors[i];
        }
        out += "{\"action\":{\"selector\":";
        appendJsonString(out, selector);
        out += ",\"type\":\"css-display-none\"},\"trigger\":";
        appendTrigger(out, "^https?://", unlessList, false);
        out += "}";
        first = false;
    }
    for (const auto& host : hosts) {
        if (!first) out += ",";
        first = false;
        out += "{\"action\":{\"type\":\"block\"},\"trigger\":";
        if (!appendTrigger(out, hostPattern(host), unlessList, true)) return jsonWriterError();
        out += "}";
    }
    out += "]";
    return out;
}

namespace {

constexpr RecordFields kFields{
    field("enabled", &AdFilterSettings::enabled),
    field("hidePlaceholders", &AdFilterSettings::hidePlaceholders),
    field("allowedSites", &AdFilterSettings::allowedSites),
    field("blockedDomains", &AdFilterSettings::blockedDomains),
};

}  // namespace

void to_json(nlohmann::json& json, const AdFilterSettings& settings) {
    kFields.write(json, settings);
}

void from_json(const nlohmann::json& json, AdFilterSettings& settings) {
    kFields.read(json, settings);
}

}  // namespace quenlith

std::size_t std::hash<quenlith::AdFilterSettings>::operator()(const quenlith::AdFilterSettings& settings) const noexcept {
    std::size_t seed = settings.enabled ? 0x9e3779b97f4a7c15ull : 0x85ebca6bull;
    auto combine = [&seed](std::size_t value) { seed ^= value + 0x9e3779b97f4a7c15ull + (seed << 6) + (seed >> 2); };
    combine(settings.hidePlaceholders ? 1 : 2);
    std::hash<std::string> hashText;
    combine(settings.allowedSites.size());
    for (const auto& entry : settings.allowedSites) combine(hashText(entry));
    combine(settings.blockedDomains.size());
    for (const auto& entry : settings.blockedDomains) combine(hashText(entry));
    return seed;
}
