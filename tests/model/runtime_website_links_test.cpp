#include <gtest/gtest.h>

#include "model/runtime_website_links.hpp"
#include "model/sample_records.hpp"
#include "model/runtime_test_records.hpp"

namespace quenlith {
namespace {

using test::tab;
using test::window;

WebAppProfile website(std::string home) { return test::website("Site", std::move(home)); }

// The tab at `index` of `window` as a target.
WebsiteWindowTarget at(const RuntimeWindow& window, std::size_t index) {
    return {window.id, window.tabs[index].id};
}

TEST(WebsiteWindowLinks, TabChoicePrefersTheGivenTabThenTheSelectedThenTheFirst) {
    auto w = window(1, {tab("https://a.test/"), tab("https://b.test/", true), tab("https://c.test/")});
    EXPECT_EQ(WebsiteWindowLinks::target(w, w.tabs[2].id), at(w, 2));
    EXPECT_EQ(WebsiteWindowLinks::target(w, Uuid::random()), at(w, 1));
    EXPECT_EQ(WebsiteWindowLinks::target(w, std::nullopt), at(w, 1));
    w.tabs[1].isSelected = false;
    EXPECT_EQ(WebsiteWindowLinks::target(w, std::nullopt), at(w, 0));
    EXPECT_EQ(WebsiteWindowLinks::target(window(2, {}), std::nullopt), std::nullopt);
}

TEST(WebsiteWindowLinks, RecordedTargetWinsWhileItsWindowIsACandidateThenTheOwnWindow) {
    auto site = website("https://example.com");
    auto own = window(1, {tab("https://example.com/", true)});
    own.id = site.id;
    auto other = window(2, {tab("https://x.test/", true), tab("https://y.test/")});
    WebsiteWindowLinks links;
    links.targets[site.id] = {other.id, other.tabs[1].id};
    EXPECT_EQ(links.target(site, std::nullopt, {own, other}), at(other, 1));
    // Its tab closed: the window's selected tab.
    links.targets[site.id].tabID = Uuid::random();
    EXPECT_EQ(links.target(site, std::nullopt, {own, other}), at(other, 0));
    // Its window now private (or gone): resolved afresh, here to the website's own window.
    other.isPrivate = true;
    EXPECT_EQ(links.target(site, std::nullopt, {own, other}), at(own, 0));

    // The own window: by window id, then by website id.
    auto byProfile = window(3, {tab("https://example.com/", true)});
    byProfile.profileID = site.id;
    auto byId = window(4, {tab("https://elsewhere.test/", true)});
    byId.id = site.id;
    links.targets.clear();
    EXPECT_EQ(links.target(site, std::nullopt, {byProfile, byId}), at(byId, 0));
    EXPECT_EQ(links.target(site, std::nullopt, {byProfile}), at(byProfile, 0));
}

TEST(WebsiteWindowLinks, OnlyNonPrivateWindowsOfTheSameDataStoreCount) {
    auto site = website("https://example.com");
    Uuid store = Uuid::random();
    auto privateWindow = window(1, {tab("https://example.com/", true)});
    privateWindow.isPrivate = true;
    auto shared = window(2, {tab("https://example.com/", true)});
    auto own = window(3, {tab("https://example.com/", true)}, BrowserWindowState::visible, store);
    auto foreign = window(4, {tab("https://example.com/", true)}, BrowserWindowState::visible, Uuid::random());
    WebsiteWindowLinks links;
    std::vector<RuntimeWindow> all = {privateWindow, shared, own, foreign};
    EXPECT_EQ(links.target(site, std::nullopt, all), at(shared, 0));
    EXPECT_EQ(links.target(site, store, all), at(own, 0));
    EXPECT_EQ(links.target(site, Uuid::random(), all), std::nullopt);
}

TEST(WebsiteWindowLinks, LowestSequenceWinsAndAnExactMatchBeatsAnEarlierHostMatch) {
    auto site = website("https://www.example.com/");
    auto hostOnly = window(1, {tab("https://mail.example.com/inbox", true)});
    auto exactLater = window(3, {tab("https://x.test/", true), tab("https://example.com")});
    auto exactEarlier = window(2, {tab("https://EXAMPLE.com/", true)});
    WebsiteWindowLinks links;
    // Given out of order: windows are searched by sequence.
    EXPECT_EQ(links.target(site, std::nullopt, {exactLater, hostOnly, exactEarlier}),
              at(exactEarlier, 0));
    EXPECT_EQ(links.target(site, std::nullopt, {exactLater, hostOnly}), at(exactLater, 1));
    EXPECT_EQ(links.target(site, std::nullopt, {hostOnly}), at(hostOnly, 0));
}

TEST(WebsiteWindowLinks, MatchesTheHostAndItsSubdomainsWithTheSameSchemeAndPort) {
    const struct {
        const char* home;
        const char* tab;
        bool matches;
    } cases[] = {
        {"https://www.example.com", "https://example.com/a", true},
        {"https://www.example.com", "https://docs.example.com/", true},
        {"https://www.example.com", "https://DOCS.EXAMPLE.COM/x", true},
        {"www.example.com", "https://example.com/", true},  // typed without scheme
        {"https://www.example.com", "https://myexample.com/", false},
        {"https://www.example.com", "http://example.com/", false},
        {"https://example.com", "https://example.com:8443/", false},
        {"https://example.com:8443", "https://example.com:8443/x", true},
        {"https://docs.example.com", "https://example.com/", false},
        {"not a website", "https://example.com/", false},
        {"https://example.com", "about:blank", false},
    };
    const WebsiteWindowLinks links;
    for (const auto& c : cases) {
        auto found = links.target(website(c.home), std::nullopt, {window(1, {tab(c.tab, true)})});
        EXPECT_EQ(found.has_value(), c.matches) << c.home << " vs " << c.tab;
    }
    // Start pages and tabs without an address are never matched.
    auto start = tab("https://example.com/", true);
    start.isStartPage = true;
    auto w = window(1, {start, tab(std::nullopt)});
    EXPECT_EQ(links.target(website("https://example.com"), std::nullopt, {w}), std::nullopt);
}

TEST(WebsiteWindowLinks, UpdateFollowsTabsAndDropsClosedWindows) {
    auto kept = window(1, {tab("https://a.test/"), tab("https://b.test/", true)});
    auto closing = window(2, {tab("https://c.test/", true)});
    auto emptied = window(3, {tab("https://d.test/", true)});
    auto goesPrivate = window(4, {tab("https://e.test/", true)});
    Uuid onTab = Uuid::random(), onClosedTab = Uuid::random(), inClosed = Uuid::random(),
         inEmptied = Uuid::random(), inPrivate = Uuid::random();
    WebsiteWindowLinks links;
    links.targets = {{onTab, {kept.id, kept.tabs[0].id}},
                     {onClosedTab, {kept.id, Uuid::random()}}, {inClosed, {closing.id, closing.tabs[0].id}},
                     {inEmptied, {emptied.id, emptied.tabs[0].id}},
                     {inPrivate, {goesPrivate.id, goesPrivate.tabs[0].id}}};
    emptied.tabs.clear();
    goesPrivate.isPrivate = true;
    links.update({kept, emptied, goesPrivate});
    EXPECT_EQ(links.targets,
              (std::map<Uuid, WebsiteWindowTarget>{{onTab, {kept.id, kept.tabs[0].id}},
                                                   {onClosedTab, {kept.id, kept.tabs[1].id}}}));
}

TEST(WebsiteWindowLinks, LookupAndRemoval) {
    Uuid window1 = Uuid::random(), window2 = Uuid::random();
    Uuid a = Uuid::random(), b = Uuid::random(), c = Uuid::random();
    WebsiteWindowLinks links;
    links.targets = {
        {a, {window1, Uuid::random()}}, {b, {window1, Uuid::random()}}, {c, {window2, Uuid::random()}}};
    EXPECT_EQ(links.profileIDs(window1), (std::set<Uuid>{a, b}));
    EXPECT_TRUE(links.profileIDs(Uuid::random()).empty());
    links.remove(b);
    links.remove(Uuid::random());
    EXPECT_EQ(links.profileIDs(window1), (std::set<Uuid>{a}));
    links.removeWindow(window1);
    EXPECT_EQ(links.targets.size(), 1u);
    EXPECT_TRUE(links.targets.contains(c));
}

TEST(WebsiteWindowLinks, RestorableLinksGiveTabPositionsInWebsiteIDOrder) {
    Uuid window1 = Uuid::random(), window2 = Uuid::random();
    Uuid tab0 = Uuid::random(), tab1 = Uuid::random(), tab2 = Uuid::random(), closedTab = Uuid::random();
    // Ids whose text order differs from the order they are listed in.
    Uuid late = *Uuid::parse("F0000000-0000-4000-8000-000000000000");
    Uuid early = *Uuid::parse("0A000000-0000-4000-8000-000000000000");
    Uuid middle = *Uuid::parse("7B000000-0000-4000-8000-000000000000");
    Uuid elsewhere = Uuid::random(), onClosedTab = Uuid::random();
    WebsiteWindowLinks links;
    links.targets = {{late, {window1, tab0}},
                     {early, {window1, tab2}}, {middle, {window1, tab2}}, {elsewhere, {window2, tab1}},
                     {onClosedTab, {window1, closedTab}}};

    EXPECT_EQ(links.restorableLinks(window1, {tab0, tab1, tab2}),
              (std::vector<RestorableWebsiteLink>{{early, 2}, {middle, 2}, {late, 0}}));
    // The first position of a tab listed twice.
    EXPECT_EQ(links.restorableLinks(window2, {tab1, tab0, tab1}), (std::vector<RestorableWebsiteLink>{{elsewhere, 0}}));
    EXPECT_TRUE(links.restorableLinks(window1, {}).empty());
    EXPECT_TRUE(links.restorableLinks(Uuid::random(), {tab0, tab1, tab2}).empty());
}

}  // namespace
}  // namespace quenlith
