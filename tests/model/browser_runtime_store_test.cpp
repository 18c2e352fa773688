#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "model/browser_runtime_store.hpp"
#include "model/file_test_support.hpp"
#include "model/localization.hpp"
#include "model/runtime_test_records.hpp"

namespace quenlith {
namespace {

using test::tab;
using test::window;

TEST(BrowserRuntimeStore, UpdateSortsBySequenceReusesClosedNumbersAndPublishesOnlyChanges) {
    BrowserRuntimeStore store;
    int changes = 0;
    store.signal_changed().connect([&] { ++changes; });
    auto one = window(1, {tab("https://a.example/", true)});
    auto two = window(2, {tab("https://b.example/", true)});
    auto three = window(3, {tab("https://c.example/", true)});

    store.update({three, one, two});
    ASSERT_EQ(changes, 1);
    EXPECT_EQ(store.windows(), (std::vector<RuntimeWindow>{one, two, three}));

    // The same picture in another order is no change.
    store.update({two, three, one});
    EXPECT_EQ(changes, 1);

    // One tab starting to load is.
    two.tabs[0].isLoading = true;
    store.update({one, two, three});
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(store.windows()[1].tabs[0].isLoading);

    // Every field takes part in the comparison.
    auto retitled = three;
    retitled.tabs[0].title = "Other";
    store.update({one, two, retitled});
    EXPECT_EQ(changes, 3);
    auto moved = retitled;
    moved.sessionIdentifier = Uuid::random();
    store.update({one, two, moved});
    EXPECT_EQ(changes, 4);

    store.update({});
    EXPECT_EQ(changes, 5);
    EXPECT_TRUE(store.windows().empty());
    store.update({});
    EXPECT_EQ(changes, 5);

    // A closed window's number is reused in its place.
    EXPECT_EQ(lowestFreeSequence({}), 1);
    EXPECT_EQ(lowestFreeSequence({2, 3}), 1);
    EXPECT_EQ(lowestFreeSequence({1, 2, 3}), 4);
    EXPECT_EQ(lowestFreeSequence({-1, 0, 1, 3}), 2);
    // Windows 1, 2, 3 with window 2 closed: the next window is 2 and listed between 1 and 3.
    auto next = window(lowestFreeSequence({one.sequence, three.sequence}), {});
    auto alsoTwo = window(2, {});  // equal numbers keep their given order
    store.update({one, three, next, alsoTwo});
    EXPECT_EQ(store.windows(), (std::vector<RuntimeWindow>{one, next, alsoTwo, three}));
}

// Only retitles leave the presence as it was: views that show where pages are and how their windows
// stand (the tray items) skip them.
TEST(BrowserRuntimeStore, EveryChangeButARetitleCountsAsAChangeOfPresence) {
    const auto before = window(1, {tab("https://a.example/", true), tab("https://b.example/", false)});
    const std::pair<const char*, void (*)(RuntimeWindow&)> cases[] = {
        {"the page retitled", [](RuntimeWindow& w) { w.tabs[0].title = "Inbox (1)"; }},
        {"the window retitled", [](RuntimeWindow& w) { w.title = "Inbox (1)"; }},
        {"both retitled", [](RuntimeWindow& w) { w.title = w.tabs[1].title = "Other"; }},
        {"another address", [](RuntimeWindow& w) { w.tabs[0].url = "https://a.example/next"; }},
        {"another tab selected", [](RuntimeWindow& w) { w.tabs[0].isSelected = false, w.tabs[1].isSelected = true; }},
        {"a tab asleep", [](RuntimeWindow& w) { w.tabs[1].isSleeping = true; }},
        {"a tab loading", [](RuntimeWindow& w) { w.tabs[0].isLoading = true; }},
        {"the start page shown", [](RuntimeWindow& w) { w.tabs[1].isStartPage = true; }},
        {"a tab closed", [](RuntimeWindow& w) { w.tabs.pop_back(); }},
        {"the window hidden", [](RuntimeWindow& w) { w.state = BrowserWindowState::hidden; }},
        {"another session", [](RuntimeWindow& w) { w.sessionIdentifier = Uuid::random(); }},
    };
    for (const auto& [what, change] : cases) {
        SCOPED_TRACE(what);
        BrowserRuntimeStore store;
        store.update({before});
        const auto revision = store.presenceRevision();
        auto after = before;
        change(after);
        int changes = 0;
        store.signal_changed().connect([&] { ++changes; });
        store.update({after});
        EXPECT_EQ(changes, 1) << "every change is published";
        const bool retitle = std::string_view(what).ends_with("retitled");
        EXPECT_EQ(store.presenceRevision() != revision, !retitle);
    }
}

TEST(BrowserRuntimeStore, PageCountSkipsStartPagesButCountsPrivateTabsThatNeverCountForActivity) {
    BrowserRuntimeStore store;
    EXPECT_EQ(store.pageCount(), 0);
    auto start = tab(std::nullopt, true);
    start.isStartPage = true;
    auto normal = window(1, {start, tab("https://a.example/"), tab("https://b.example/")});
    auto privateWindow = window(2, {tab("https://example.com/", true)});
    privateWindow.isPrivate = true;
    store.update({normal, privateWindow});
    EXPECT_EQ(store.pageCount(), 3);
    EXPECT_EQ(store.activity("https://example.com", std::nullopt, false, std::nullopt),
              WebsiteActivity::closed);
}

TEST(BrowserRuntimeStore, ActivityComparesHostsWithoutCaseAndLeadingWww) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        // Website addresses are typed text: the scheme may be missing, spaces around it. The host
        // rule itself has its own table; here the store's use of it.
        {"example.com", "https://example.com/", true},
        {"  www.example.com\n", "https://m.example.com/", true},
        {"https://mail.example.com", "https://example.com/", false},  // one direction only
        // An unusable website address matches nothing.
        {"", "https://example.com/", false}, {"ftp://example.com", "https://example.com/", false},
        {"example", "https://example/", false}};
    EXPECT_EQ(BrowserRuntimeStore().activity("https://example.com", std::nullopt, false, std::nullopt),
              WebsiteActivity::closed);
    for (const auto& [website, tabAddress, matches] : cases) {
        BrowserRuntimeStore store;
        store.update({window(1, {tab(tabAddress, true)})});
        EXPECT_EQ(store.activity(website, std::nullopt, false, std::nullopt),
                  matches ? WebsiteActivity::visible : WebsiteActivity::closed)
            << website << " vs " << tabAddress;
    }
}

TEST(BrowserRuntimeStore, ActivityTakesTheMostPresentState) {
    const std::string site = "https://example.com";
    auto activityOf = [&](std::vector<RuntimeWindow> windows) {
        BrowserRuntimeStore store;
        store.update(std::move(windows));
        return store.activity(site, std::nullopt, false, std::nullopt);
    };
    auto sleeping = tab("https://example.com/s");
    sleeping.isSleeping = true;

    // A background tab in one visible window and the selected tab in another: visible.
    EXPECT_EQ(activityOf({window(1, {tab("https://x.test/", true), tab("https://example.com/a")}),
                          window(2, {tab("https://example.com/b", true)})}),
              WebsiteActivity::visible);
    EXPECT_EQ(activityOf({window(1, {tab("https://x.test/", true), tab("https://example.com/a")})}),
              WebsiteActivity::background);
    // A sleeping tab and a tab in a minimised window: minimised.
    EXPECT_EQ(activityOf({window(1, {tab("https://x.test/", true), sleeping}),
                          window(2, {tab("https://example.com/", true)}, BrowserWindowState::minimized)}),
              WebsiteActivity::minimized);
    EXPECT_EQ(activityOf({window(1, {tab("https://x.test/", true), sleeping})}), WebsiteActivity::sleeping);
    // A sleeping selected tab in a visible window is asleep, not viewed.
    auto sleepingSelected = sleeping;
    sleepingSelected.isSelected = true;
    EXPECT_EQ(activityOf({window(1, {sleepingSelected})}), WebsiteActivity::sleeping);
    EXPECT_EQ(activityOf({window(1, {tab("https://example.com/", true)}, BrowserWindowState::tucked),
                          window(2, {tab("https://example.com/", true)}, BrowserWindowState::hidden)}),
              WebsiteActivity::tucked);
    EXPECT_EQ(activityOf({window(1, {tab("https://example.com/", true)}, BrowserWindowState::minimized),
                          window(2, {tab("https://example.com/", true)}, BrowserWindowState::hidden)}),
              WebsiteActivity::hidden);
    // Start pages and tabs without an address never count.
    auto start = tab("https://example.com/", true);
    start.isStartPage = true;
    EXPECT_EQ(activityOf({window(1, {start, tab(std::nullopt)})}), WebsiteActivity::closed);
}

TEST(BrowserRuntimeStore, DataStoreAndWebsiteFiltersChooseTheWindows) {
    const std::string site = "https://example.com";
    const Uuid session = Uuid::random();
    auto shared = window(1, {tab("https://example.com/", true)}, BrowserWindowState::hidden);
    auto own = window(2, {tab("https://example.com/", true)}, BrowserWindowState::visible);
    own.sessionIdentifier = session;
    auto other = window(3, {tab("https://example.com/", true)}, BrowserWindowState::minimized);
    other.sessionIdentifier = Uuid::random();
    BrowserRuntimeStore store;
    store.update({shared, own, other});

    // A website on the shared store ignores windows that have their own store.
    EXPECT_EQ(store.activity(site, std::nullopt, true, std::nullopt), WebsiteActivity::hidden);
    // A website with its own store counts only windows of exactly that store.
    EXPECT_EQ(store.activity(site, std::nullopt, false, session), WebsiteActivity::visible);
    EXPECT_EQ(store.activity(site, std::nullopt, false, Uuid::random()), WebsiteActivity::closed);
    // The identifier wins over the website id.
    EXPECT_EQ(store.activity(site, shared.profileID, false, session), WebsiteActivity::visible);
    // Without an identifier, a website id keeps only that website's windows.
    EXPECT_EQ(store.activity(site, other.profileID, false, std::nullopt), WebsiteActivity::minimized);
    EXPECT_EQ(store.activity(site, shared.profileID, true, std::nullopt), WebsiteActivity::hidden);
    EXPECT_EQ(store.activity(site, own.profileID, true, std::nullopt), WebsiteActivity::closed);
    // Neither filter: every window counts.
    EXPECT_EQ(store.activity(site, std::nullopt, false, std::nullopt), WebsiteActivity::visible);
}

// Every state and activity has its Simplified Chinese title in the shipped catalog.
TEST(RuntimeTexts, TitlesAreTranslated) {
    {
        test::LanguageEnvironment chinese("zh_CN.UTF-8");
        EXPECT_EQ(title(WebsiteActivity::visible), "正在查看");
        for (auto state : kAllBrowserWindowStates) EXPECT_NE(title(state), rawValue(state)) << rawValue(state);
        for (auto activity : kAllWebsiteActivities) EXPECT_NE(title(activity), rawValue(activity)) << rawValue(activity);
    }
    EXPECT_EQ(title(WebsiteActivity::closed), localizedString("Not Open"));
}

}  // namespace
}  // namespace quenlith
