#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/ad_filter_settings.hpp"

namespace quenlith {

// The editing rules of one domain list of the ad-filter settings (website exceptions or
// additional blocked domains): the typed text, the last refusal, and what adding and removing do
// to the list. The list itself belongs to the preferences; the editor only computes its next value.
class AdFilterDomainEditor {
public:
    // `input` is the typed text, `error` the refusal shown under it.
    explicit AdFilterDomainEditor(std::string input = {}, std::optional<std::string> error = std::nullopt)
        : input_(std::move(input)), error_(std::move(error)) {}

    const std::string& input() const { return input_; }
    void setInput(std::string input) { input_ = std::move(input); }
    const std::optional<std::string>& error() const { return error_; }

    // The typed text as a domain: a refusal sets `error` and keeps `input`; a full list changes
    // nothing at all; otherwise the domain is inserted at its sorted place (once) and the field and
    // the refusal are cleared. Answers the new list only when the list changed.
    std::optional<std::vector<std::string>> add(const std::vector<std::string>& domains);

    // The list without every entry equal to `entry`; the refusal stays as it is.
    static std::vector<std::string> remove(const std::vector<std::string>& domains, const std::string& entry);

    // Whether "Add" is offered: typed text that is not only white space, and room in the list.
    bool canAdd(const std::vector<std::string>& domains) const;
    static bool isFull(const std::vector<std::string>& domains) {
        return domains.size() >= AdFilterSettings::maximumEntries;
    }

    // "Enter a domain such as example.com or an HTTP/HTTPS website URL." (looked up).
    static std::string refusalMessage();
    // "Up to 100 domains per list." (looked up).
    static std::string limitHint();

private:
    std::string input_;
    std::optional<std::string> error_;
};

// The "allow ads on this website" state of one host under the effective settings.
struct AdSiteException {
    // An entry covers the host (it is the host or one of its parent domains).
    bool allowed = false;
    // The toggle can be used: an exception always can be switched off; a new one needs room.
    bool toggleEnabled = false;
    // The covering entry when it is a parent domain, not the host itself.
    std::optional<std::string> parentEntry;
    bool operator==(const AdSiteException&) const = default;
};

AdSiteException adSiteException(const AdFilterSettings& settings, const std::string& host);

// The settings after switching the host's exception: allowing adds the host, stopping removes
// every covering entry, parent domains included; the result is normalised.
AdFilterSettings settingsWithAdsAllowed(const AdFilterSettings& settings, bool allowed, const std::string& host);

}  // namespace quenlith
