// The library window's display-free rules: search, filters, counts, collections, the save rule of
// the save-page sheet, the percentages and sizes it shows, and the one-shot confirmation.
#include <limits>
#include <tuple>

#include <gtest/gtest.h>

#include "model/clip_draft.hpp"
#include "model/file_test_support.hpp"
#include "model/library_filters.hpp"
#include "model/library_presentation.hpp"
#include "model/pending_confirmation.hpp"
#include "model/sample_records.hpp"
#include "model/saved_pages_section.hpp"

namespace quenlith {
namespace {

PageClip clip(std::string title, std::string address, double modified, std::optional<ReadingState> state = {},
              std::string collection = "", std::string text = "") {
    PageClip made;
    made.id = Uuid::random();
    made.title = std::move(title);
    made.address = std::move(address);
    made.modified = Date{modified};
    made.readingState = state;
    made.collection = std::move(collection);
    made.text = std::move(text);
    return made;
}

std::vector<std::string> titles(const std::vector<const PageClip*>& clips) {
    std::vector<std::string> result;
    for (const PageClip* c : clips) result.push_back(c->title);
    return result;
}

TEST(LibraryQueryTest, MatchesAsTypedIgnoringCase) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"", "anything", true},          {"", "", true},
        {" ", "no-space-here", false},   {" ", "two words", true},
        {"news", "Daily News", true},    {"NEWS", "https://example.com/news", true},
        {"STRASSE", "Hauptstraße 5", true}, {"straße", "HAUPTSTRASSE", true},
        {"café", "CAFÉ am Markt", true}, {"é", "plain ascii text", false},
        {"longer than the text", "short", false}, {"ab", "a b", false},
    };
    for (const auto& [query, text, matches] : cases)
        EXPECT_EQ(LibraryQuery(query).isContainedIn(text), matches) << query << " in " << text;
}

TEST(LibraryFiltersTest, BookmarksFilterByExactCollectionAndEveryText) {
    const std::vector<PageClip> clips = {
        clip("Old work", "https://a.example.com", 10, {}, "work"),
        clip("Upper Work", "https://b.example.com", 30, {}, "Work"),
        clip("Excerpt only", "https://c.example.com", 20, ReadingState::unread, "", "the secret word is tulip"),
        clip("Same time first", "https://d.example.com/tulip", 20, {}, "work"),
        clip("Later", "https://e.example.com", 40, ReadingState::finished),
    };
    const std::tuple<const char*, const char*, std::vector<std::string>> cases[] = {
        {"", "", {"Later", "Upper Work", "Excerpt only", "Same time first", "Old work"}},
        {"work", "", {"Same time first", "Old work"}},
        {"Work", "", {"Upper Work"}},
        {"", "TULIP", {"Excerpt only", "Same time first"}},
        {"work", "tulip", {"Same time first"}},
        {"gone", "", {}},
    };
    for (const auto& [folder, query, expected] : cases)
        EXPECT_EQ(titles(filteredClips(clips, folder, LibraryQuery(query))), expected)
            << "folder \"" << folder << "\", query \"" << query << '"';
}

TEST(LibraryFiltersTest, ReadLaterListsOneStateAndSkipsTheExcerpt) {
    const std::vector<PageClip> clips = {
        clip("Unread old", "https://a.example.com", 1, ReadingState::unread),
        clip("Bookmark", "https://b.example.com", 9, std::nullopt),
        clip("Unread new", "https://c.example.com", 5, ReadingState::unread, "Reading"),
        clip("Finished", "https://d.example.com", 7, ReadingState::finished),
        clip("Unread excerpt", "https://e.example.com", 3, ReadingState::unread, "", "needle"),
        clip("Finished two", "https://f.example.com", 2, ReadingState::finished),
        clip("Finished three", "https://g.example.com", 4, ReadingState::finished),
    };
    EXPECT_EQ(titles(readLaterClips(clips, ReadingState::unread, LibraryQuery(""))),
              (std::vector<std::string>{"Unread new", "Unread excerpt", "Unread old"}));
    EXPECT_EQ(titles(readLaterClips(clips, ReadingState::finished, LibraryQuery("FINISHED"))),
              (std::vector<std::string>{"Finished", "Finished three", "Finished two"}));
    EXPECT_EQ(titles(readLaterClips(clips, ReadingState::unread, LibraryQuery("reading"))),
              (std::vector<std::string>{"Unread new"}))
        << "the collection is searched";
    EXPECT_TRUE(readLaterClips(clips, ReadingState::unread, LibraryQuery("needle")).empty())
        << "the excerpt is not searched here";
    EXPECT_EQ(filteredClips(clips, "", LibraryQuery("needle")).size(), 1u) << "but it is in Bookmarks";
    EXPECT_EQ(unreadCount(clips), 3u);
}

TEST(LibraryFiltersTest, CollectionsAreDistinctInCodePointOrderAndHistoryRowsArePositions) {
    const std::vector<PageClip> clips = {
        clip("1", "https://a.example.com", 1, {}, "ärger"), clip("2", "https://a.example.com", 1, {}, "b"),
        clip("3", "https://a.example.com", 1, {}, ""),      clip("4", "https://a.example.com", 1, {}, "Zoo"),
        clip("5", "https://a.example.com", 1, {}, "b"),     clip("6", "https://a.example.com", 1, {}, "B"),
    };
    EXPECT_EQ(collectionNames(clips), (std::vector<std::string>{"B", "Zoo", "b", "ärger"}));

    // History rows are positions, so shared ids stay apart.
    const Uuid shared = Uuid::random();
    const std::vector<HistoryVisit> history = {
        {shared, "https://news.example.com/a", "Front page", Date{3}},
        {Uuid::random(), "https://other.example.com", "Daily News", Date{2}},
        {shared, "https://news.example.com/b", "Second", Date{1}},
        {Uuid::random(), "https://quiet.example.com", "Quiet", Date{0}},
    };
    EXPECT_EQ(filteredHistory(history, LibraryQuery("news")), (std::vector<std::size_t>{0, 1, 2}));
    EXPECT_EQ(filteredHistory(history, LibraryQuery("")), (std::vector<std::size_t>{0, 1, 2, 3}));
    EXPECT_TRUE(filteredHistory(history, LibraryQuery("nothing")).empty());
}

TEST(LibraryPresentationTest, PercentsHostsSubtitlesAndWindowSize) {
    // The saved percentage truncates without binary error.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::pair<std::optional<double>, std::optional<long>> cases[] = {
        {std::nullopt, std::nullopt}, {0.0, std::nullopt}, {-0.2, std::nullopt}, {nan, std::nullopt},
        {0.001, 0},                   {0.29, 29},          {0.57, 57},           {0.426, 42},
        {0.999, 99},                  {1.0, 100},          {1.7, 100},
    };
    for (const auto& [position, percent] : cases)
        EXPECT_EQ(savedPercent(position), percent) << (position ? std::to_string(*position) : "none");

    EXPECT_EQ(hostText("https://Docs.Example.com/x?y=1"), "Docs.Example.com");
    EXPECT_EQ(hostText("example.com/page"), "example.com/page") << "no host as written";
    EXPECT_EQ(hostText("not an address"), "not an address");
    PageClip bookmark = clip("t", "https://host.example.org/p", 0, {}, "Reading");
    EXPECT_EQ(bookmarkSubtitle(bookmark), "Reading");
    bookmark.collection.clear();
    EXPECT_EQ(bookmarkSubtitle(bookmark), "host.example.org");
    bookmark.address = "host.example.org/p";
    EXPECT_EQ(bookmarkSubtitle(bookmark), "Bookmark");

    // The window's size, and the most it takes where its content needs more.
    const std::tuple<std::optional<ContentSize>, ContentSize, std::optional<ContentSize>> sizes[] = {
        {std::nullopt, {780, 610}, std::nullopt},
        {ContentSize{700, 500}, {640, 420}, ContentSize{640, 420}},
        {ContentSize{2560, 1400}, {780, 610}, ContentSize{2500, 1320}},
        {ContentSize{61, 81}, {1, 1}, ContentSize{1, 1}},
        {ContentSize{0, 0}, {1, 1}, ContentSize{1, 1}},
        {ContentSize{-50, 20}, {1, 1}, ContentSize{1, 1}},
    };
    for (const auto& [area, expected, limit] : sizes) {
        EXPECT_EQ(libraryContentSize(area), expected);
        EXPECT_EQ(libraryContentLimit(area), limit);
    }
    // Noon, so the day is the same in every time zone; the month is spelled out in English.
    EXPECT_EQ(visitDateText(Date::fromUnixSeconds(1796644800)), "December 7, 2026");
    {
        test::LanguageEnvironment chinese("zh_CN.UTF-8");
        EXPECT_EQ(visitDateText(Date::fromUnixSeconds(1796644800)), "2026年12月7日");
    }
    EXPECT_EQ(visitDateText(Date::fromUnixSeconds(1796644800)), "December 7, 2026");
}

TEST(SavedPagesSectionTest, RawValuesOutsideZeroToThreeAreNoSection) {
    for (int raw = -1; raw <= 4; ++raw) {
        auto section = savedPagesSection(raw);
        ASSERT_EQ(section.has_value(), raw >= 0 && raw <= 3) << raw;
        if (!section) continue;
        EXPECT_EQ(rawValue(*section), raw);
    }
    SavedPagesNavigation navigation;
    int told = 0;
    navigation.signal_changed().connect([&] { ++told; });
    navigation.setSection(SavedPagesSection::later);
    navigation.setSection(SavedPagesSection::history);
    EXPECT_EQ(told, 1) << "only a change is told";
}

TEST(PendingConfirmationTest, ContinueRunsTheLatestActionExactlyOnce) {
    PendingConfirmation confirmation;
    int first = 0, second = 0;
    EXPECT_FALSE(confirmation.confirm());
    confirmation.ask("First?", [&] { ++first; });
    confirmation.ask("Second?", [&] { ++second; });
    EXPECT_TRUE(confirmation.confirm());
    EXPECT_FALSE(confirmation.confirm()) << "a second answer finds nothing waiting";
    EXPECT_EQ(std::pair(first, second), std::pair(0, 1)) << "only the latest action runs";
    EXPECT_EQ(confirmation.text(), "Second?") << "the text stays after the answer";

    confirmation.ask("Cancel me?", [&] { ++first; });
    confirmation.cancel();
    EXPECT_FALSE(confirmation.confirm());
    EXPECT_EQ(first, 0);

    // An action that asks again leaves the new question waiting.
    confirmation.ask("Outer?", [&] { confirmation.ask("Inner?", [&] { ++first; }); });
    EXPECT_TRUE(confirmation.confirm());
    EXPECT_TRUE(confirmation.pending());
    EXPECT_TRUE(confirmation.confirm());
    EXPECT_EQ(first, 1);
}

TEST(ClipDraftTest, SaveRuleCountsCharactersAsTypedAndEditsDropThePosition) {
    const std::string thumb = "\U0001F44D\U0001F3FD";  // one character, two scalars
    const auto readLater = [](std::string address, ReadingState state) {
        return [=](PageClip& d) {
            d.address = address;
            d.readingState = state;
        };
    };
    const std::tuple<const char*, std::function<void(PageClip&)>, bool> cases[] = {
        {"plain bookmark", [](PageClip&) {}, true},
        {"empty title", [](PageClip& d) { d.title.clear(); }, true},
        // The address rule has its own table; here a typed address is accepted and a refused one refused.
        {"host without scheme", [](PageClip& d) { d.address = "docs.example.com/a"; }, true},
        {"ftp", [](PageClip& d) { d.address = "ftp://example.com/file"; }, false},
        {"token bookmark", [](PageClip& d) { d.address = "https://example.com/?access_token=x"; }, true},
        {"token in Read Later", readLater("https://example.com/?access_token=x", ReadingState::unread), false},
        {"sign-in in Read Later", readLater("https://accounts.google.com/signin", ReadingState::finished), false},
        {"500 title", [&](PageClip& d) { d.title = test::repeated(thumb, 500); }, true},
        {"501 title", [&](PageClip& d) { d.title = test::repeated(thumb, 501); }, false},
        {"200000 excerpt", [](PageClip& d) { d.text = std::string(200'000, 'x'); }, true},
        {"200001 excerpt", [](PageClip& d) { d.text = std::string(200'001, 'x'); }, false},
        {"100 collection with spaces", [](PageClip& d) { d.collection = " " + std::string(98, 'c') + " "; }, true},
        {"101 collection with spaces", [](PageClip& d) { d.collection = " " + std::string(99, 'c') + " "; }, false},
    };
    for (const auto& [name, change, canSave] : cases) {
        PageClip draft = clip("Title", "https://example.com/page", 0);
        change(draft);
        EXPECT_EQ(canSaveClip(draft), canSave) << name;
    }
    EXPECT_TRUE(canQueueForReadLater("example.com/a"));
    EXPECT_FALSE(canQueueForReadLater("https://example.com/?code=1"));
    EXPECT_FALSE(canQueueForReadLater("not an address"));

    // Address and Read Later edits drop the reading position.
    PageClip draft = clip("T", "https://example.com/a", 0, ReadingState::finished);
    draft.readingPosition = 0.4;
    setDraftReadLater(draft, true);
    EXPECT_EQ(draft.readingState, ReadingState::finished) << "left alone, a finished page stays finished";
    setDraftAddress(draft, "https://example.com/a");
    EXPECT_EQ(draft.readingPosition, 0.4) << "no change, no loss";
    setDraftAddress(draft, "https://example.com/b");
    EXPECT_EQ(draft.address, "https://example.com/b");
    EXPECT_FALSE(draft.readingPosition);

    draft.readingPosition = 0.7;
    setDraftReadLater(draft, false);
    setDraftReadLater(draft, true);
    EXPECT_EQ(draft.readingState, ReadingState::unread);
    EXPECT_FALSE(draft.readingPosition);

    const PageClip link = blankClip(Date{5}, ReadingState::unread);
    const PageClip bookmark = blankClip(Date{5});
    EXPECT_NE(link.id, bookmark.id);
    EXPECT_EQ(link.readingState, ReadingState::unread);
    EXPECT_FALSE(bookmark.readingState);
}

}  // namespace
}  // namespace quenlith
