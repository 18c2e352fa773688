#include "browser/view/tab_title.hpp"

#include <gtest/gtest.h>

namespace quenlith {
namespace {

struct TitleCase {
    const char* name;
    TabTitleFacts facts;
    std::string expected;
};

TEST(TabTitle, FollowsSleepStartPageTitleAndHostOrder) {
    const TitleCase cases[] = {
        {"sleeping with kept title",
         {true, "Inbox", false, "Ignored", "https://a.test/", "https://b.test/"},
         "Inbox"},
        {"sleeping without title",
         {true, "", false, "Ignored", "https://a.test/", "https://b.test/x"},
         "b.test"},
        {"sleeping without anything", {true, "", false, "", std::nullopt, std::nullopt}, "New Tab"},
        {"start page", {false, "Kept", true, "Page", "https://a.test/", std::nullopt}, "Start Page"},
        {"page title", {false, "", false, "Page", "https://a.test/", "https://b.test/"}, "Page"},
        {"page host", {false, "", false, "", "https://a.test:8443/x", "https://b.test/"}, "a.test"},
        {"last host", {false, "", false, "", std::nullopt, "http://127.0.0.1:9/"}, "127.0.0.1"},
        {"page without host", {false, "", false, "", "about:blank", "https://b.test/"}, "b.test"},
        {"no title and no host", {false, "", false, "", "about:blank", std::nullopt}, "New Tab"},
    };
    for (const auto& c : cases) EXPECT_EQ(tabDisplayTitle(c.facts), c.expected) << c.name;
}

TEST(TabTitle, HostOfAnAddress) {
    EXPECT_EQ(addressHost("https://Example.COM/path?q=1"), "Example.COM");
    EXPECT_EQ(addressHost("https://user@a.test:80/"), "a.test");
    EXPECT_EQ(addressHost("not an address"), "");
    EXPECT_EQ(addressHost(""), "");
}

TEST(TabStrip, SignatureChangesWithEveryShownPropertyButNotWithMedia) {
    using Entries = std::vector<TabStripEntry>;
    const Entries entries = {{Uuid::random(), false, false, "One", "https://a.test/"},
                             {Uuid::random(), false, false, "Two", ""}};
    const std::string base = tabStripSignature(0, entries);
    EXPECT_NE(tabStripSignature(1, entries), base);
    const std::pair<void (*)(Entries&), bool> changes[] = {
        {[](Entries& e) { e[1].isSleeping = true; }, true},
        {[](Entries& e) { e[0].displayTitle = "Uno"; }, true},
        {[](Entries& e) { e[1].pageURL = "https://b.test/"; }, true},
        {[](Entries& e) { std::swap(e[0], e[1]); }, true},
        {[](Entries& e) { e[0].mediaPaused = true; }, false}};
    for (const auto& [change, shown] : changes) {
        auto changed = entries;
        change(changed);
        EXPECT_EQ(tabStripSignature(0, changed) != base, shown);
    }
}

TEST(TabStrip, ButtonTitlePrefixes) {
    TabStripEntry entry{Uuid::random(), false, false, "Mail", ""};
    EXPECT_EQ(tabButtonTitle(entry), "Mail");
    entry.mediaPaused = true;
    EXPECT_EQ(tabButtonTitle(entry), "\u2161 Mail");
    entry.isSleeping = true;  // sleeping wins over paused
    EXPECT_EQ(tabButtonTitle(entry), "\u23FE Mail");
}

}  // namespace
}  // namespace quenlith
