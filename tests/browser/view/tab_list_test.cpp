#include "browser/view/tab_list.hpp"
#include "browser/view/tab_strip.hpp"
#include "browser/view/tab_title.hpp"

#include <gtest/gtest.h>
#include <gtkmm/label.h>
#include <gtkmm/window.h>

#include "model/scheduler.hpp"

namespace quenlith {
namespace {

TabList<Uuid> makeTabs(std::size_t count, std::size_t active, std::vector<Uuid>* ids = nullptr) {
    TabList<Uuid> tabs;
    for (std::size_t i = 0; i < count; ++i) {
        Uuid id = Uuid::random();
        if (ids) ids->push_back(id);
        tabs.append(id);
    }
    tabs.setActiveIndex(active);
    return tabs;
}

TEST(TabList, ACloseSelectsTheNeighbourThatTookThePlace) {
    struct Case {
        std::size_t count, active, closed;
        std::size_t selection, selectedBefore;  // the index selected after, and that tab's index before
    };
    const Case cases[] = {
        {5, 3, 2, 2, 3},  // third of five closed while the fourth is active: the former fourth
        {5, 4, 4, 3, 3},  // the active last tab closed: the new last tab
        {5, 2, 2, 2, 3},  // the active middle tab closed: the tab that took its place
        {5, 1, 3, 1, 1},  // a tab after the active one closed: selection unchanged
        {3, 0, 0, 0, 1},  // the first tab closed while it is active
        {2, 1, 0, 0, 1},  // two tabs, the second active, the first closed
    };
    for (const auto& c : cases) {
        std::vector<Uuid> ids;
        auto tabs = makeTabs(c.count, c.active, &ids);
        auto [removed, next] = tabs.close(c.closed);
        EXPECT_EQ(std::make_tuple(removed, tabs.count(), next, tabs.at(next)),
                  std::make_tuple(ids[c.closed], c.count - 1, c.selection, ids[c.selectedBefore]))
            << c.count << " tabs, active " << c.active << ", closed " << c.closed;
    }
}

TEST(TabList, AfterACloseTheActiveTabIsStillTheOneThatWasActive) {
    std::vector<Uuid> ids;
    auto tabs = makeTabs(4, 1, &ids);
    tabs.close(0);  // a tab before the active one
    tabs.close(2);  // a tab after it
    ASSERT_NE(tabs.active(), nullptr);
    EXPECT_EQ(*tabs.active(), ids[1]);
    tabs.close(tabs.activeIndex());  // the active one itself: none is active until one is selected
    EXPECT_EQ(tabs.active(), nullptr);
}

TEST(TabList, CloseRequestNamesTheActiveTabOrTheGivenOne) {
    std::vector<Uuid> ids;
    auto tabs = makeTabs(3, 1, &ids);
    EXPECT_EQ(tabs.indexToClose(std::nullopt), std::optional<std::size_t>(1));
    EXPECT_EQ(tabs.indexToClose(ids[2]), std::optional<std::size_t>(2));
    EXPECT_EQ(tabs.indexToClose(Uuid::random()), std::nullopt);
    tabs.setActiveIndex(7);
    EXPECT_EQ(tabs.indexToClose(std::nullopt), std::nullopt);
    EXPECT_EQ(tabs.active(), nullptr);
}

TEST(TabList, AdjacentTabWrapsAroundBothEnds) {
    struct Row {
        std::size_t count, active;
        int offset;
        std::size_t expected;
    };
    const Row rows[] = {
        {4, 0, -1, 3}, {4, 3, +1, 0}, {4, 1, +1, 2}, {4, 2, -1, 1},
        {1, 0, +1, 0}, {1, 0, -1, 0}, {3, 0, -4, 2},
    };
    for (const auto& row : rows) {
        auto tabs = makeTabs(row.count, row.active);
        EXPECT_EQ(tabs.adjacentIndex(row.offset), std::optional<std::size_t>(row.expected))
            << row.count << " tabs, active " << row.active << ", offset " << row.offset;
    }
    EXPECT_EQ(TabList<Uuid>().adjacentIndex(1), std::nullopt);
}

TEST(TabList, MovingClampsAtTheEndsAndKeepsTheActiveTabActive) {
    std::vector<Uuid> ids;
    auto tabs = makeTabs(4, 0, &ids);
    EXPECT_EQ(tabs.move(ids[0], -1), std::nullopt) << "the first tab cannot move left";
    EXPECT_EQ(tabs.items(), ids);

    // The active tab moves right: it stays the one to select, at its new index.
    EXPECT_EQ(tabs.move(ids[0], +1), std::optional<std::size_t>(1));
    EXPECT_EQ(tabs.items(), (std::vector<Uuid>{ids[1], ids[0], ids[2], ids[3]}));

    // Another tab moves across the active one: the active one is found again.
    tabs.setActiveIndex(1);
    EXPECT_EQ(tabs.move(ids[3], -3), std::optional<std::size_t>(2));
    EXPECT_EQ(tabs.items(), (std::vector<Uuid>{ids[3], ids[1], ids[0], ids[2]}));

    // A far move is clamped to the last place.
    tabs.setActiveIndex(2);
    EXPECT_EQ(tabs.move(ids[3], +10), std::optional<std::size_t>(1));
    EXPECT_EQ(tabs.items(), (std::vector<Uuid>{ids[1], ids[0], ids[2], ids[3]}));

    EXPECT_EQ(tabs.move(Uuid::random(), 1), std::nullopt) << "unknown id";
    tabs.setActiveIndex(9);
    EXPECT_EQ(tabs.move(ids[0], 1), std::nullopt) << "no active tab";
}

TEST(ClosedTabStack, KeepsTheNewestTwentyAndReopensThemNewestFirst) {
    ClosedTabStack stack;
    for (int i = 1; i <= 21; ++i) stack.push("https://example.com/" + std::to_string(i));
    EXPECT_EQ(stack.size(), 20u);
    for (int i = 21; i >= 2; --i) EXPECT_EQ(stack.pop(), "https://example.com/" + std::to_string(i));
    EXPECT_EQ(stack.pop(), std::nullopt) << "the 21st reopen does nothing";
    EXPECT_TRUE(stack.empty());
}

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
        {"page host", {false, "", false, "", "https://user@A.test:8443/x", "https://b.test/"}, "A.test"},
        {"last host", {false, "", false, "", std::nullopt, "http://127.0.0.1:9/"}, "127.0.0.1"},
        {"page without host", {false, "", false, "", "about:blank", "https://b.test/"}, "b.test"},
        {"no title and no host", {false, "", false, "", "about:blank", std::nullopt}, "New Tab"},
    };
    for (const auto& c : cases) EXPECT_EQ(tabDisplayTitle(c.facts), c.expected) << c.name;
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
    // The page title's override is left out: it cannot reach the mark before it.
    TabStripEntry entry{Uuid::random(), false, false, "\u202EMail", ""};
    EXPECT_EQ(tabButtonTitle(entry), "Mail");
    entry.mediaPaused = true;
    EXPECT_EQ(tabButtonTitle(entry), "\u2161 Mail");
    entry.isSleeping = true;  // sleeping wins over paused
    EXPECT_EQ(tabButtonTitle(entry), "\u263E Mail");
}

TEST(TabStrip, ButtonTitlePrefixesHaveGlyphsInTheInterfaceFont) {
    // A sign no installed font has is drawn as a box.
    TabStripEntry entry{Uuid::random(), false, false, "Mail", ""};
    for (auto [sleeping, paused] : {std::pair{true, false}, std::pair{false, true}}) {
        entry.isSleeping = sleeping;
        entry.mediaPaused = paused;
        Gtk::Label label(tabButtonTitle(entry));
        EXPECT_EQ(pango_layout_get_unknown_glyphs_count(label.get_layout()->gobj()), 0)
            << tabButtonTitle(entry);
    }
}

// The page tabs under an accessible object, by name, with whether each reports itself selected.
void collectPageTabs(AtkObject* object, std::vector<std::pair<std::string, bool>>& tabs) {
    if (atk_object_get_role(object) == ATK_ROLE_PAGE_TAB) {
        AtkStateSet* states = atk_object_ref_state_set(object);
        const char* name = atk_object_get_name(object);
        tabs.emplace_back(name ? name : "", atk_state_set_contains_state(states, ATK_STATE_SELECTED));
        g_object_unref(states);
    }
    for (int index = 0; index < atk_object_get_n_accessible_children(object); ++index) {
        AtkObject* child = atk_object_ref_accessible_child(object, index);
        collectPageTabs(child, tabs);
        g_object_unref(child);
    }
}

// A screen reader sees the strip as a page-tab list whose selected tab says so, and follows the
// selection.
TEST(TabStrip, TheSelectedTabReportsItselfSelectedInAPageTabList) {
    ManualScheduler scheduler;
    TabStrip strip(scheduler);
    Gtk::Window window;
    window.add(strip.view());
    window.show_all();
    const std::vector<TabStripEntry> entries{{Uuid::random(), false, false, "Mail", ""},
                                             {Uuid::random(), false, false, "News", ""}};
    using Tabs = std::vector<std::pair<std::string, bool>>;
    for (auto [active, expected] : {std::pair{0, Tabs{{"Mail", true}, {"News", false}}},
                                    std::pair{1, Tabs{{"Mail", false}, {"News", true}}}}) {
        strip.show(active, entries);
        AtkObject* list = gtk_widget_get_accessible(GTK_WIDGET(strip.box().gobj()));
        EXPECT_EQ(atk_object_get_role(list), ATK_ROLE_PAGE_TAB_LIST);
        Tabs tabs;
        collectPageTabs(list, tabs);
        EXPECT_EQ(tabs, expected) << "tab " << active << " selected";
    }
}

}  // namespace
}  // namespace quenlith
