#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/suggested_website.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// A search text folded once for case-insensitive containment tests over many texts.
class FoldedQuery {
public:
    // `query` is used as given (callers trim it first).
    explicit FoldedQuery(std::string_view query);
    bool empty() const { return folded_.empty(); }
    // Whether `text` contains the query anywhere, ignoring letter case (Unicode case folding, so
    // "STRASSE" finds "straße" and "Ä" finds "ä").
    bool isContainedIn(std::string_view text) const;

private:
    std::u16string folded_;
};

// Whether a saved website's name or home address contains the query (an empty one keeps all).
bool savedWebsiteMatches(const FoldedQuery& query, const WebAppProfile& profile);
// Whether a suggestion's name in the interface language or its address contains the query.
bool suggestionMatches(const FoldedQuery& query, const SuggestedWebsite& suggestion);

// The saved websites whose name or home address contains the trimmed search (all of them for an
// empty one), favourites first, each group in the store's order.
std::vector<WebAppProfile> filteredSaved(const std::vector<WebAppProfile>& profiles, std::string_view search);

// The built-in suggestions whose name in the interface language or address contains the trimmed
// search, without those a saved website already covers (same comparison form of the address), in
// table order.
std::vector<SuggestedWebsite> filteredSuggestions(const std::vector<SuggestedWebsite>& table,
                                                  const std::vector<WebAppProfile>& profiles, std::string_view search);

// What Return in the start page's search field does.
struct SearchSubmission {
    enum class Kind { nothing, openURL, openSaved, search };
    Kind kind = Kind::nothing;
    std::string url;                   // openURL: the website address
    std::optional<WebAppProfile> saved;  // openSaved: the website, as shown
    std::string text;                  // search: the field's text exactly as typed

    bool operator==(const SearchSubmission&) const = default;
};

// Empty text does nothing; a website address opens; else the first matching saved website (a
// favourite first), else the first matching suggestion's address, else a web search of the text
// as typed.
SearchSubmission submitSearch(std::string_view search, const std::vector<WebAppProfile>& profiles,
                              const std::vector<SuggestedWebsite>& table);

}  // namespace quenlith
