// The start page's decisions without a display: which saved websites and suggestions a search
// shows, in which order, and what Return opens.
#include <gtest/gtest.h>

#include "launcher/start_page_search.hpp"

namespace quenlith {
namespace {

WebAppProfile site(const std::string& name, const std::string& home, bool favorite) {
    WebAppProfile profile;
    profile.name = name;
    profile.homeURL = home;
    profile.isFavorite = favorite;
    return profile;
}

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
    site("Mail Desk", "https://desk.example.com", false),
    site("Straße Karte", "https://karte.example.org/map", false),
    site("Desk Favourite", "https://other.example.net", true),
    site("Broken", "not an address at all", false),
};

const std::vector<SuggestedWebsite> kTable = {
    {"one", "Example One", "https://www.one.example", "globe", 0x112233},
    {"two", "Desk Two", "https://two.example/", "globe", 0x445566},
    {"three", "Three", "https://three.example:8443", "globe", 0x778899},
};

TEST(StartPageRules, FilteringKeepsMatchesInOrderWithFavouritesFirst) {
    struct Case {
        std::string search;
        std::vector<std::string> saved;
    } cases[] = {
        {"", {"Desk Favourite", "Mail Desk", "Straße Karte", "Broken"}},
        {"   \n", {"Desk Favourite", "Mail Desk", "Straße Karte", "Broken"}},
        {"  desk ", {"Desk Favourite", "Mail Desk"}},
        {"DESK.EXAMPLE", {"Mail Desk"}},
        {"STRASSE", {"Straße Karte"}},  // full case folding
        {"/map", {"Straße Karte"}},
        {"nothing like it", {}},
    };
    for (const auto& c : cases) EXPECT_EQ(names(filteredSaved(kSaved, c.search)), c.saved) << "'" << c.search << "'";
}

TEST(StartPageRules, SuggestionsHideWhatASavedWebsiteCovers) {
    struct Case {
        std::string savedHome;
        std::vector<std::string> shown;
    } cases[] = {
        {"https://ONE.example", {"two", "three"}},            // host case and a leading "www."
        {"one.example/", {"two", "three"}},                   // typed text, "/" path against none
        {"http://www.one.example", {"one", "two", "three"}},  // another scheme
        {"https://two.example/path", {"one", "two", "three"}},
        {"https://three.example:8443/", {"one", "two"}},
        {"https://three.example", {"one", "two", "three"}},   // another port
        {"spaces inside are no address", {"one", "two", "three"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ids(filteredSuggestions(kTable, {site("Saved", c.savedHome, false)}, "")), c.shown) << c.savedHome;
    EXPECT_EQ(ids(filteredSuggestions(kTable, {}, " desk ")), std::vector<std::string>{"two"});
    EXPECT_EQ(ids(filteredSuggestions(kTable, {}, "8443")), std::vector<std::string>{"three"});
}

TEST(StartPageRules, ReturnOpensAddressThenSavedThenSuggestionThenSearches) {
    using Kind = SearchSubmission::Kind;
    struct Case {
        std::string search;
        Kind kind;
        std::string target;  // address, website name or search text
    } cases[] = {
        {"", Kind::nothing, ""},
        {"  \t", Kind::nothing, ""},
        {"desk.example.com", Kind::openURL, "https://desk.example.com"},  // an address wins over a name
        {"  Karte.Example.org/x ", Kind::openURL, "https://Karte.Example.org/x"},
        {"desk", Kind::openSaved, "Desk Favourite"},                      // the favourite first
        {"mail desk", Kind::openSaved, "Mail Desk"},
        {"three", Kind::openURL, "https://three.example:8443"},
        {" no such thing ", Kind::search, " no such thing "},            // as typed
    };
    for (const auto& c : cases) {
        auto submission = submitSearch(c.search, kSaved, kTable);
        EXPECT_EQ(submission.kind, c.kind) << c.search;
        std::string target = submission.kind == Kind::openSaved ? submission.saved->name
                             : submission.kind == Kind::search  ? submission.text
                                                                : submission.url;
        EXPECT_EQ(target, c.target) << c.search;
    }
}

}  // namespace
}  // namespace quenlith
