#pragma once

// The user's choice of ad and tracker blocking, the clean-up of typed host names, per-site
// exceptions, and the content-blocker rule text built from it. Pure values, no state.

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/result.hpp"

namespace quenlith {

struct AdFilterSettings {
    bool enabled = false;
    bool hidePlaceholders = true;
    std::vector<std::string> allowedSites;    // pages on these hosts load unfiltered
    std::vector<std::string> blockedDomains;  // blocked besides the built-in list

    // The most entries one list holds after normalisation.
    static constexpr std::size_t maximumEntries = 100;

    // Elements that usually hold ads, hidden when hidePlaceholders is on (in this order).
    static constexpr std::array<std::string_view, 12> placeholderSelectors = {
        "ins.adsbygoogle", "[id^='google_ads_iframe_']", "[id^='div-gpt-ad']", "[data-ad-slot]",
        "[data-ad-client]", ".advertisement", ".ad-container", ".ad-banner",
        ".ad-slot", ".ad-wrapper", "#ad-banner", "#ad-container",
    };

    bool operator==(const AdFilterSettings&) const = default;

    // Both lists cleaned: usable lower-case hosts only, no duplicates, sorted, at most 100.
    AdFilterSettings normalized() const;

    // A lower-case host name from typed text (a host or an http/https address), or nullopt when
    // the text is unusable.
    static std::optional<std::string> normalizedDomain(std::string_view text);

    // One dot-separated part of a host: 1 to 63 bytes of a-z, 0-9 and "-", not starting or
    // ending with "-".
    static bool isValidLabel(std::string_view label);

    // Allowing adds the host unless an entry covers it already or the list is full; stopping
    // removes every entry that covers the host (a parent domain included). Unusable text changes
    // nothing.
    void setAllowed(bool allowed, std::string_view host);

    // The first entry equal to `host` or of which `host` is a subdomain.
    static std::optional<std::string> coveringEntry(std::string_view host, const std::vector<std::string>& entries);

    // The content-rule list text for these settings (normalised first) and the built-in host
    // list: compact JSON with sorted keys and "/" written as "\/"; "[]" when disabled. Fails only
    // when a text cannot be written as JSON (invalid UTF-8).
    Result<std::string> contentRuleListJSON(const std::vector<std::string>& domains) const;
};

// JSON form: all four keys required on reading and always written; the lists are not cleaned.
void to_json(nlohmann::json& json, const AdFilterSettings& settings);
void from_json(const nlohmann::json& json, AdFilterSettings& settings);

}  // namespace quenlith

template <>
struct std::hash<quenlith::AdFilterSettings> {
    std::size_t operator()(const quenlith::AdFilterSettings& settings) const noexcept;
};
