#include "launcher/start_page_search.hpp"

#include <algorithm>

#include <unicode/unistr.h>

#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

namespace {

std::u16string folded(std::string_view text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    unicode.foldCase();
    return std::u16string(reinterpret_cast<const char16_t*>(unicode.getBuffer()), static_cast<size_t>(unicode.length()));
}

// The comparison form of a website address given as typed or stored text; none when the text is
// no website address.
std::optional<std::string> comparisonKey(std::string_view address) {
    auto website = normalizedWebsiteURL(address);
    if (!website) return std::nullopt;
    return SuggestedWebsite::canonicalAddress(*website);
}

}  // namespace

FoldedQuery::FoldedQuery(std::string_view query) : folded_(folded(query)) {}

bool FoldedQuery::isContainedIn(std::string_view text) const {
    if (folded_.empty()) return true;
    return folded(text).find(folded_) != std::u16string::npos;
}

bool savedWebsiteMatches(const FoldedQuery& query, const WebAppProfile& profile) {
    return query.empty() || query.isContainedIn(profile.name) || query.isContainedIn(profile.homeURL);
}

bool suggestionMatches(const FoldedQuery& query, const SuggestedWebsite& suggestion) {
    return query.empty() || query.isContainedIn(localizedString(suggestion.name)) ||
           query.isContainedIn(suggestion.address);
}

std::vector<WebAppProfile> filteredSaved(const std::vector<WebAppProfile>& profiles, std::string_view search) {
    FoldedQuery query(trimmedWhitespaceAndNewlines(search));
    std::vector<WebAppProfile> kept;
    for (const auto& profile : profiles)
        if (savedWebsiteMatches(query, profile)) kept.push_back(profile);
    std::stable_partition(kept.begin(), kept.end(), [](const WebAppProfile& profile) { return profile.isFavorite; });
    return kept;
}

std::vector<SuggestedWebsite> filteredSuggestions(const std::vector<SuggestedWebsite>& table,
                                                  const std::vector<WebAppProfile>& profiles, std::string_view search) {
    FoldedQuery query(trimmedWhitespaceAndNewlines(search));
    std::vector<std::string> savedKeys;
    for (const auto& profile : profiles)
        if (auto key = comparisonKey(profile.homeURL)) savedKeys.push_back(*key);

    std::vector<SuggestedWebsite> kept;
    for (const auto& suggestion : table) {
        if (!suggestionMatches(query, suggestion)) continue;
        std::string key = SuggestedWebsite::canonicalAddress(suggestion.address);
        if (std::find(savedKeys.begin(), savedKeys.end(), key) != savedKeys.end()) continue;
        kept.push_back(suggestion);
    }
    return kept;
}

SearchSubmission submitSearch(std::string_view search, const std::vector<WebAppProfile>& profiles,
                              const std::vector<SuggestedWebsite>& table) {
    SearchSubmission submission;
    if (trimmedWhitespaceAndNewlines(search).empty()) return submission;
    if (auto website = normalizedWebsiteURL(search)) {
        submission.kind = SearchSubmission::Kind::openURL;
        submission.url = *website;
        return submission;
    }
    if (auto saved = filteredSaved(profiles, search); !saved.empty()) {
        submission.kind = SearchSubmission::Kind::openSaved;
        submission.saved = saved.front();
        return submission;
    }
    if (auto suggestions = filteredSuggestions(table, profiles, search); !suggestions.empty()) {
        submission.kind = SearchSubmission::Kind::openURL;
        submission.url = suggestions.front().address;
        return submission;
    }
    submission.kind = SearchSubmission::Kind::search;
    submission.text = std::string(search);
    return submission;
}

}  // namespace quenlith
