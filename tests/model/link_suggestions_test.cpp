// Which addresses "Open Multiple Links" offers, in which order, and how many.
#include <gtest/gtest.h>

#include "model/link_suggestions.hpp"

namespace quenlith {
namespace {

RuntimeWindow windowWith(std::vector<RuntimeTab> tabs, bool isPrivate = false) {
    RuntimeWindow window;
    window.tabs = std::move(tabs);
    window.isPrivate = isPrivate;
    return window;
}

RuntimeTab tab(const std::string& url, bool startPage = false) {
    return {Uuid::random(), "Tab " + url, url, false, startPage};
}

TEST(LinkSuggestions, OfferTabsThenWebsitesThenSavedPagesOncePerPage) {
    WebAppProfile website;
    website.name = "Site";
    website.homeURL = "news.example";
    PageClip sameAsTab, saved;
    sameAsTab.address = "https://A.example";
    saved.address = "https://saved.example/read";
    saved.title = "Saved";
    PageClip signIn = saved;
    signIn.address = "https://saved.example/login?access_token=x";
    const auto suggestions =
        linkSuggestions({windowWith({tab("https://a.example/"), tab("https://start.example/", true),
                                     tab("https://b.example/cb?access_token=x")}),
                         windowWith({tab("https://private.example/")}, true)},
                        {website}, {sameAsTab, saved, signIn});
    EXPECT_EQ(suggestions, (std::vector<LinkSuggestion>{{"Tab https://a.example/", "https://a.example/"},
                                                        {"Site", "https://news.example"},
                                                        {"Saved", "https://saved.example/read"}}));
}

TEST(LinkSuggestions, KeepTheFirstFortyTabs) {
    std::vector<RuntimeTab> tabs;
    for (int i = 0; i < 50; ++i) tabs.push_back(tab("https://example.com/" + std::to_string(i)));
    WebAppProfile website;
    website.homeURL = "https://other.example";
    const auto suggestions = linkSuggestions({windowWith(tabs)}, {website}, {});
    ASSERT_EQ(suggestions.size(), 40u);
    EXPECT_EQ(suggestions.back().url, "https://example.com/39");
}

}  // namespace
}  // namespace quenlith
