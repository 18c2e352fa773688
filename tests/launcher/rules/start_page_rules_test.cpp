// The start page's decisions without a display: which saved websites and suggestions a search
// shows, in which order, and what Return opens.
#include <gtest/gtest.h>

#include "launcher/start_page_search.hpp"

namespace quenlith {
namespace {

std::vector<std::string> names(const std::vector<WebAppProfile>& profiles) {
    std::vector<std::string> result;
    for (const auto& profile : profiles) result.push_back(profile.name);
    return result;
}

std::vector<std::string> ids(const std::vector<SuggestedWebsite>& suggestions) {
    std::vector<std::string> result;
    for (const auto& suggestion : suggestions) result.push_back(suggestion.id);
    return result;
}

const std::vector<WebAppProfile> kSaved = {
    {.name = "Mail Desk", .homeURL = "https://desk.example.com", .isFavorite = false},
    {.name = "Straße Karte", .homeURL = "https://karte.example.org/map", .isFavorite = false},
    {.name = "Desk Favourite", .homeURL = "https://other.example.net", .isFavorite = true},
    {.name = "Broken", .homeURL = "not an address at all", .isFavorite = false},
};

const std::vector<SuggestedWebsite> kTable = {
    {"one", "Example One", "https://www.one.example", "globe", 0x112233},
    {"two", "Desk Two", "https://two.example/", "globe", 0x445566},
    {"three", "Three", "https://three.example:8443", "globe", 0x778899},
};

TEST(StartPageRules, FilteringKeepsMatchesInOrderWithFavouritesFirst) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {  // search, saved shown
        {"", {"Desk Favourite", "Mail Desk", "Straße Karte", "Broken"}},
        {"   \n", {"Desk Favourite", "Mail Desk", "Straße Karte", "Broken"}},
        {"  desk ", {"Desk Favourite", "Mail Desk"}},
        {"DESK.EXAMPLE", {"Mail Desk"}},
        {"STRASSE", {"Straße Karte"}},  // full case folding
        {"/map", {"Straße Karte"}},
        {"nothing like it", {}},
    };
    for (const auto& [search, saved] : cases)
        EXPECT_EQ(names(filteredSaved(kSaved, search)), saved) << "'" << search << "'";
}

TEST(StartPageRules, SuggestionsHideWhatASavedWebsiteCovers) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {  // saved home, suggestions shown
        {"https://ONE.example", {"two", "three"}},            // host case and a leading "www."
        {"one.example/", {"two", "three"}},                   // typed text, "/" path against none
        {"http://www.one.example", {"one", "two", "three"}},  // another scheme
        {"https://two.example/path", {"one", "two", "three"}},
        {"https://three.example:8443/", {"one", "two"}},
        {"https://three.example", {"one", "two", "three"}},   // another port
        {"spaces inside are no address", {"one", "two", "three"}},
    };
    for (const auto& [home, shown] : cases) {
        const WebAppProfile saved{.name = "Saved", .homeURL = home};
        EXPECT_EQ(ids(filteredSuggestions(kTable, {saved}, "")), shown) << home;
    }
    EXPECT_EQ(ids(filteredSuggestions(kTable, {}, " desk ")), std::vector<std::string>{"two"});
    EXPECT_EQ(ids(filteredSuggestions(kTable, {}, "8443")), std::vector<std::string>{"three"});
}

TEST(StartPageRules, ReturnOpensAddressThenSavedThenSuggestionThenSearches) {
    using Kind = SearchSubmission::Kind;
    // The search, what it opens, and the address, website name or search text opened.
    const std::tuple<std::string, Kind, std::string> cases[] = {
        {"", Kind::nothing, ""},
        {"  \t", Kind::nothing, ""},
        {"desk.example.com", Kind::openURL, "https://desk.example.com"},  // an address wins over a name
        {"  Karte.Example.org/x ", Kind::openURL, "https://Karte.Example.org/x"},
        {"desk", Kind::openSaved, "Desk Favourite"},                      // the favourite first
        {"mail desk", Kind::openSaved, "Mail Desk"},
        {"three", Kind::openURL, "https://three.example:8443"},
        {" no such thing ", Kind::search, " no such thing "},            // as typed
    };
    for (const auto& [search, kind, target] : cases) {
        auto submission = submitSearch(search, kSaved, kTable);
        EXPECT_EQ(submission.kind, kind) << search;
        const std::string opened = submission.kind == Kind::openSaved ? submission.saved->name
                                   : submission.kind == Kind::search  ? submission.text
                                                                      : submission.url;
        EXPECT_EQ(opened, target) << search;
    }
}

}  // namespace
}  // namespace quenlith
