#include "model/ad_filter_domain_editor.hpp"

#include <algorithm>

#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

std::optional<std::vector<std::string>> AdFilterDomainEditor::add(const std::vector<std::string>& domains) {
    auto domain = AdFilterSettings::normalizedDomain(input_);
    if (!domain) {
        error_ = refusalMessage();
        return std::nullopt;
    }
    // A full list takes nothing more, and says nothing more than its hint does.
    if (isFull(domains)) return std::nullopt;
    std::optional<std::vector<std::string>> changed;
    if (std::find(domains.begin(), domains.end(), *domain) == domains.end()) {
        changed = domains;
        changed->insert(std::upper_bound(changed->begin(), changed->end(), *domain), *domain);
    }
    input_.clear();
    error_.reset();
    return changed;
}

std::vector<std::string> AdFilterDomainEditor::remove(const std::vector<std::string>& domains,
                                                      const std::string& entry) {
    std::vector<std::string> kept = domains;
    std::erase(kept, entry);
    return kept;
}

bool AdFilterDomainEditor::canAdd(const std::vector<std::string>& domains) const {
    return !trimmedWhitespaceAndNewlines(input_).empty() && !isFull(domains);
}

std::string AdFilterDomainEditor::refusalMessage() {
    return localizedString("Enter a domain such as example.com or an HTTP/HTTPS website URL.");
}

std::string AdFilterDomainEditor::limitHint() {
    const auto limit = static_cast<std::int64_t>(AdFilterSettings::maximumEntries);
    return localizedPlural("Up to %ld domain per list.", "Up to %ld domains per list.", limit);
}

AdSiteException adSiteException(const AdFilterSettings& settings, const std::string& host) {
    AdSiteException state;
    auto covering = AdFilterSettings::coveringEntry(host, settings.allowedSites);
    state.allowed = covering.has_value();
    state.toggleEnabled = state.allowed || settings.allowedSites.size() < AdFilterSettings::maximumEntries;
    if (covering && *covering != host) state.parentEntry = covering;
    return state;
}

AdFilterSettings settingsWithAdsAllowed(const AdFilterSettings& settings, bool allowed, const std::string& host) {
    AdFilterSettings changed = settings.normalized();
    changed.setAllowed(allowed, host);
    return changed.normalized();
}

}  // namespace quenlith
