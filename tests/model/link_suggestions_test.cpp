// Which addresses "Open Multiple Links" offers, in which order, and how many.
#include <gtest/gtest.h>

#include "model/link_suggestions.hpp"

namespace quenlith {
namespace {

RuntimeTab tab(const std::string& url, bool startPage = false) {
    return {{}, "Tab", url, false, startPage};
}

TEST(LinkSuggestions, OfferTabsThenWebsitesThenSavedPagesOncePerPageAndFortyAtMost) {
    RuntimeWindow shared, many, privateWindow{.tabs = {tab("https://private.example/")}, .isPrivate = true};
    shared.tabs = {tab("https://a.example/"), tab("https://start.example/", true),
                   tab("https://b.example/?access_token=x")};
    WebAppProfile website;
    website.name = "Site";
    website.homeURL = "news.example";
    PageClip sameAsTab{.title = "Same", .address = "https://A.example"},
        saved{.title = "Saved", .address = "https://s.example/r"};
    PageClip signIn{.title = "Sign in", .address = "https://s.example/login?access_token=x"};
    EXPECT_EQ(linkSuggestions({shared, privateWindow}, {website}, {sameAsTab, saved, signIn}),
              (std::vector<LinkSuggestion>{{"Tab", "https://a.example/"},
                                           {"Site", "https://news.example"},
                                           {"Saved", "https://s.example/r"}}));

    for (int i = 0; i < 50; ++i) many.tabs.push_back(tab("https://example.com/" + std::to_string(i)));
    const auto first = linkSuggestions({many}, {website}, {});
    ASSERT_EQ(first.size(), 40u);
    EXPECT_EQ(first.back().url, "https://example.com/39");
}

}  // namespace
}  // namespace quenlith
