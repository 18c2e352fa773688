// Quick Open's search over every source, and the palette's highlight and Return.
#include <gtest/gtest.h>

#include "model/auxiliary_window_sizes.hpp"
#include "model/quick_open.hpp"
#include "model/quick_open_palette.hpp"
#include "model/search_folding.hpp"
#include "model/runtime_test_records.hpp"

namespace quenlith {
namespace {

RuntimeTab namedTab(std::string title, std::optional<std::string> url, bool startPage = false) {
    RuntimeTab made = test::tab(std::move(url));
    made.title = std::move(title);
    made.isStartPage = startPage;
    return made;
}

WebAppProfile site(std::string name, std::int64_t sortOrder) {
    return {.id = Uuid::random(), .name = name, .homeURL = "https://" + name + ".example/", .sortOrder = sortOrder};
}

PageClip clip(std::string title, double modified, std::optional<ReadingState> state) {
    return {Uuid::random(), title, "https://read.example/" + title, "", "", Date{modified}, state};
}

// Every source once, with what each must leave out.
struct Sources {
    std::vector<RuntimeWindow> windows;
    std::vector<WebAppProfile> websites;
    std::vector<PageClip> clips;
    std::vector<BrowserScene> scenes;
    std::vector<HistoryVisit> history;

    Sources() {
        RuntimeWindow hidden = test::window(1, {namedTab("Alpha secret", "https://private.example/")});
        hidden.isPrivate = true;
        windows = {hidden, test::window(2, {namedTab("Start", std::nullopt, true), namedTab("Blank", std::nullopt),
                                            namedTab("Mail", "https://mail.example/?access_token=x"),
                                            namedTab("Alpha Docs", "https://docs.example/alpha")})};
        websites = {site("Zeta", 2), site("Beta", 1), site("Gamma", 1)};
        clips = {clip("older", 10, ReadingState::finished), clip("newer", 20, ReadingState::unread),
                 clip("same", 10, std::nullopt)};
        SceneWindow a{.urls = {"https://one.example/", "https://two.example/"}};
        SceneWindow b{.urls = {"https://three.example/"}};
        scenes = {{Uuid::random(), "Work", {a, b}, Date{}}, {Uuid::random(), "Empty", {}, Date{}}};
        HistoryVisit visit{Uuid::random(), "visited.example/École", "Straße am Fluss", Date{1}};
        HistoryVisit broken{Uuid::random(), "not an address", "Alpha broken", Date{2}};
        history = {visit, broken, visit};
    }

    std::vector<QuickOpenItem> search(std::string_view query, bool includeHistory = true) const {
        return quickOpenResults(query, windows, websites, clips, scenes, history, includeHistory);
    }
};

std::vector<std::string> titles(const std::vector<QuickOpenItem>& items) {
    std::vector<std::string> result;
    for (const auto& item : items) result.push_back(item.title);
    return result;
}

TEST(QuickOpenResultsTest, ListsTheSourcesInOrderWithTheirRowsAndTargets) {
    Sources sources;
    auto items = sources.search(" \t\u3000");
    EXPECT_EQ(titles(items), (std::vector<std::string>{"Alpha Docs", "Beta", "Gamma", "Zeta", "newer", "older",
                                                       "same", "Work", "Empty", "Straße am Fluss",
                                                       "Straße am Fluss"}));
    const RuntimeWindow& window = sources.windows[1];
    EXPECT_EQ(items[0], (QuickOpenItem{"tab-" + window.tabs[3].id.string(), "Alpha Docs",
                                       "https://docs.example/alpha", "Switch to Open Tab", "macwindow",
                                       QuickOpenTarget::openTab(window.id, window.tabs[3].id)}));
    // A finished Read Later entry is a bookmark.
    EXPECT_EQ((std::vector{items[4].category, items[5].category, items[6].category}),
              (std::vector<std::string>{"Read Later", "Bookmark", "Bookmark"}));
    EXPECT_EQ(items[7].detail, "https://one.example/ \u00B7 https://two.example/ \u00B7 https://three.example/");
    EXPECT_EQ(items[8].detail, "");
    // The row shows the visit as stored and opens the normalised address; a repeated id is suffixed.
    const std::string visitID = "history-" + sources.history[0].id.string();
    EXPECT_EQ(items[9], (QuickOpenItem{visitID, "Straße am Fluss", "visited.example/École", "History", "clock",
                                       QuickOpenTarget::openAddress("https://visited.example/%C3%89cole")}));
    EXPECT_EQ(items[10].id, visitID + "-2");
    EXPECT_EQ(sources.search("", false).size(), 9u) << "no history while it is off";
}

TEST(QuickOpenResultsTest, KeepsRowsHoldingEveryWordInAnyField) {
    Sources sources;
    const struct {
        const char* query;
        std::vector<std::string> titles;
    } cases[] = {
        {"alpha", {"Alpha Docs"}},  // private tabs and unnormalised visits never match
        {"ALPHA docs.EXAMPLE", {"Alpha Docs"}},
        {"alpha zeta", {}},
        {"two work", {"Work"}},  // title and detail
        {"page group", {"Work", "Empty"}},
        {"read later", {"newer"}},
        {"history", {"Straße am Fluss", "Straße am Fluss"}},
        {"STRASSE école", {"Straße am Fluss", "Straße am Fluss"}},  // full folding, non-ASCII
        {"\u00C9COLE", {"Straße am Fluss", "Straße am Fluss"}},
        {"saved website beta", {"Beta"}},
    };
    for (const auto& c : cases) EXPECT_EQ(titles(sources.search(c.query)), c.titles) << c.query;
    EXPECT_TRUE(sources.search("history", false).empty());
    for (auto [locale, turkic] : {std::pair{"tr_TR", true}, {"az", true}, {"en_US", false}, {"tru", false}})
        EXPECT_EQ(localeFoldsTurkic(locale), turkic) << locale;
    CaseFolder plain(false), turkic(true);
    EXPECT_EQ(plain.folded("ISTANBUL İ"), "istanbul i\u0307");
    EXPECT_EQ(turkic.folded("ISTANBUL İ"), "\u0131stanbul i");
    EXPECT_EQ(searchWords("a\u2028b\u00A0 c  "), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(QuickOpenResultsTest, CutsAtSixtyRowsInSourceOrder) {
    Sources sources;
    sources.windows = {test::window(1, {})};
    for (int i = 0; i < 70; ++i)
        sources.windows[0].tabs.push_back(namedTab("Tab " + std::to_string(i), "https://t.example/" + std::to_string(i)));
    for (const char* query : {"", "tab"}) {
        auto items = sources.search(query);
        ASSERT_EQ(items.size(), 60u);
        EXPECT_EQ(items.back().title, "Tab 59");
    }
    EXPECT_EQ(sources.search("t.example/6").size(), 11u);
}

QuickOpenItem row(std::string id) { return {id, id, "", "", "", QuickOpenTarget::openAddress("https://" + id + ".example/")}; }

TEST(QuickOpenPaletteTest, MovesTheHighlightWithinTheRowsAndOpensIt) {
    using Kind = QuickOpenPalette::Submission::Kind;
    const struct {
        const char* query;
        std::vector<std::string> rows;
        std::optional<std::string> start;  // highlight before the keys
        std::vector<int> steps;
        std::optional<std::string> highlighted;
    } cases[] = {
        {"", {"a", "b"}, "a", {1, 1, 1}, "b"},   // Down stops at the last row
        {"", {"a", "b"}, "b", {-1, -1}, "a"},    // Up stops at the first
        {"x", {"a", "b"}, std::nullopt, {-1}, "search"},  // Up from nothing: the last row
        {"x", {"a", "b"}, "gone", {1}, "a"},     // Down from nothing: the first row
        {"  ", {}, std::nullopt, {1, -1}, std::nullopt},
    };
    for (const auto& c : cases) {
        QuickOpenPalette palette;
        std::vector<QuickOpenItem> items;
        for (const auto& id : c.rows) items.push_back(row(id));
        palette.setQuery(c.query, items);
        palette.select(c.start);
        for (int step : c.steps) palette.moveSelection(step);
        EXPECT_EQ(palette.selected(), c.highlighted) << c.query << " " << c.steps.size();
    }

    QuickOpenPalette palette;
    palette.setQuery("b", {row("a"), row("b")});
    EXPECT_EQ(palette.selected(), "a") << "a new query highlights the first row";
    palette.moveSelection(1);
    palette.setItems({row("c"), row("b")});
    EXPECT_EQ(palette.selected(), "b") << "a row still listed keeps the highlight";
    EXPECT_EQ(palette.submit(), (QuickOpenPalette::Submission{Kind::choose, row("b").target, {}}));
    palette.setItems({row("c")});
    EXPECT_EQ(palette.selected(), "c");
    palette.setQuery(" no match ", {});
    EXPECT_EQ(palette.submit(), (QuickOpenPalette::Submission{Kind::search, {}, " no match "}));
    palette.setQuery(" ", {});
    EXPECT_EQ(palette.submit().kind, Kind::none);

    // While an input method composes, the keys are its own.
    EXPECT_EQ(quickOpenCommand(QuickOpenKey::returnKey, false), QuickOpenCommand::submit);
    EXPECT_EQ(quickOpenCommand(QuickOpenKey::escape, false), QuickOpenCommand::cancel);
    EXPECT_EQ(quickOpenCommand(QuickOpenKey::up, false), QuickOpenCommand::moveUp);
    for (auto key : {QuickOpenKey::down, QuickOpenKey::returnKey, QuickOpenKey::escape})
        EXPECT_EQ(quickOpenCommand(key, true), std::nullopt);
}

TEST(AuxiliaryWindowSizesTest, FitTheWorkAreaAndNeverVanish) {
    EXPECT_EQ(quickOpenContentSize(std::nullopt), (ContentSize{690, 510}));
    EXPECT_EQ(quickOpenContentSize(ContentSize{700, 500}), (ContentSize{620, 400}));
    EXPECT_EQ(guideContentSize(ContentSize{1440, 875}), (ContentSize{620, 620}));
    EXPECT_EQ(guideContentSize(ContentSize{600, 500}), (ContentSize{540, 420}));
    EXPECT_EQ(guideContentSize(ContentSize{10, 10}), (ContentSize{1, 1}));
    EXPECT_EQ(batchLinksContentSize(ContentSize{1280, 700}), (ContentSize{610, 600}));
    EXPECT_EQ(batchLinksContentSize(ContentSize{1280, 500}), (ContentSize{610, 400}));
    EXPECT_EQ(batchLinksContentSize(ContentSize{300, 500}), (ContentSize{260, 400}));
    EXPECT_EQ(batchLinksContentSize(std::nullopt), (ContentSize{610, 640}));
    EXPECT_EQ(clipContentSize(ContentSize{1280, 800}), (ContentSize{540, 510}));
    EXPECT_EQ(clipContentSize(ContentSize{300, 500}), (ContentSize{260, 400}));
}

}  // namespace
}  // namespace quenlith
