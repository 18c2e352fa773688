#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/library_document.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

using test::makeClip;
using test::makeScene;
using test::makeSceneWindow;
using test::makeVisit;

std::string repeat(const std::string& unit, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count; ++i) out += unit;
    return out;
}

std::vector<std::string> addresses(const std::vector<HistoryVisit>& history) {
    std::vector<std::string> out;
    for (const auto& visit : history) out.push_back(visit.address);
    return out;
}

bool isValid(const LibraryDocument& document) { return validateLibraryDocument(document).ok(); }

struct ValidationCase {
    const char* name;
    std::function<void(LibraryDocument&)> change;
    bool valid;
};

using V = ValidationCase;

class LibraryValidation : public testing::TestWithParam<ValidationCase> {};

TEST_P(LibraryValidation, AppliesEachRule) {
    LibraryDocument document;
    document.clips = {makeClip()};
    document.scenes = {makeScene()};
    document.history = {makeVisit("https://example.com/a", Date{1})};
    ASSERT_TRUE(isValid(document));
    GetParam().change(document);
    auto result = LibraryStore::validate(document);
    EXPECT_EQ(result.ok(), GetParam().valid);
    if (!result.ok()) {
        EXPECT_EQ(result.error().code, kLibraryInvalidDocument);
        EXPECT_EQ(result.error().message, "This backup is invalid, too large, or from an unsupported version.");
    } else {
        EXPECT_EQ(*result, document) << "returned unchanged";
    }
}

// One letter with two combining marks, and a family emoji of seven scalars: one character each.
const std::string kCombined = "e\u0301\u0302";
const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";

INSTANTIATE_TEST_SUITE_P(
    Rules, LibraryValidation,
    testing::Values(
        V{"EmptyDocument", [](LibraryDocument& d) { d = LibraryDocument{}; }, true},
        V{"Version0", [](LibraryDocument& d) { d.version = 0; }, false},
        V{"Version2", [](LibraryDocument& d) { d.version = 2; }, false},
        V{"MaximumCounts",
                       [](LibraryDocument& d) {
                           d.clips.clear();
                           for (int i = 0; i < 5000; ++i) d.clips.push_back(makeClip());
                           d.scenes.clear();
                           for (int i = 0; i < 100; ++i) d.scenes.push_back(makeScene());
                           d.history.assign(1000, makeVisit("https://example.com/", Date{0}));
                       },
                       true},
        V{"TooManyClips", [](LibraryDocument& d) { for (int i = 0; i < 5000; ++i) d.clips.push_back(makeClip()); }, false},
        V{"TooManyScenes", [](LibraryDocument& d) { for (int i = 0; i < 100; ++i) d.scenes.push_back(makeScene()); }, false},
        V{"TooManyVisits", [](LibraryDocument& d) { d.history.assign(1001, makeVisit("https://example.com/", Date{0})); }, false},
        V{"RepeatedClipId", [](LibraryDocument& d) { d.clips.push_back(d.clips[0]); }, false},
        V{"RepeatedSceneId", [](LibraryDocument& d) { d.scenes.push_back(d.scenes[0]); }, false},
        V{"RepeatedVisitIdAllowed", [](LibraryDocument& d) { d.history.push_back(d.history[0]); }, true},
        V{"Title500", [](LibraryDocument& d) { d.clips[0].title = std::string(500, 'a'); }, true},
        V{"Title501", [](LibraryDocument& d) { d.clips[0].title = std::string(501, 'a'); }, false},
        V{"Title500CombinedLetters", [](LibraryDocument& d) { d.clips[0].title = repeat(kCombined, 500); }, true},
        V{"Title501CombinedLetters", [](LibraryDocument& d) { d.clips[0].title = repeat(kCombined, 501); }, false},
        V{"Title500EmojiSequences", [](LibraryDocument& d) { d.clips[0].title = repeat(kFamily, 500); }, true},
        V{"Text200000", [](LibraryDocument& d) { d.clips[0].text = std::string(200000, 'x'); }, true},
        V{"Text200001", [](LibraryDocument& d) { d.clips[0].text = std::string(200001, 'x'); }, false},
        V{"Collection100", [](LibraryDocument& d) { d.clips[0].collection = repeat("\u00e9", 100); }, true},
        V{"Collection101", [](LibraryDocument& d) { d.clips[0].collection = repeat("\u00e9", 101); }, false},
        V{"ClipAddressNotWeb", [](LibraryDocument& d) { d.clips[0].address = "ftp://example.com/"; }, false},
        V{"ClipAddressWithoutScheme", [](LibraryDocument& d) { d.clips[0].address = "example.com/a"; }, true},
        V{"Position0", [](LibraryDocument& d) { d.clips[0].readingPosition = 0.0; }, true},
        V{"Position1", [](LibraryDocument& d) { d.clips[0].readingPosition = 1.0; }, true},
        V{"PositionNegative", [](LibraryDocument& d) { d.clips[0].readingPosition = -0.01; }, false},
        V{"PositionOver1", [](LibraryDocument& d) { d.clips[0].readingPosition = 1.01; }, false},
        V{"PositionNaN", [](LibraryDocument& d) { d.clips[0].readingPosition = std::nan(""); }, false},
        V{"TokenBookmark", [](LibraryDocument& d) { d.clips[0].address = "https://example.com/cb?code=1"; }, true},
        V{"TokenReadLater",
                       [](LibraryDocument& d) {
                           d.clips[0].address = "https://example.com/cb?code=1";
                           d.clips[0].readingState = ReadingState::unread;
                       },
                       false},
        V{"SceneNameSpaces", [](LibraryDocument& d) { d.scenes[0].name = "   \n"; }, false},
        V{"SceneName100", [](LibraryDocument& d) { d.scenes[0].name = std::string(100, 'n'); }, true},
        V{"SceneName101Untrimmed", [](LibraryDocument& d) { d.scenes[0].name = " " + std::string(100, 'n'); }, false},
        V{"SceneNoWindow", [](LibraryDocument& d) { d.scenes[0].windows.clear(); }, false},
        V{"Scene20Windows", [](LibraryDocument& d) { for (int i = 0; i < 19; ++i) d.scenes[0].windows.push_back(makeSceneWindow()); }, true},
        V{"Scene21Windows", [](LibraryDocument& d) { for (int i = 0; i < 20; ++i) d.scenes[0].windows.push_back(makeSceneWindow()); }, false},
        V{"RepeatedWindowId", [](LibraryDocument& d) { d.scenes[0].windows.push_back(d.scenes[0].windows[0]); }, false},
        V{"SameWindowIdInTwoScenes",
                       [](LibraryDocument& d) {
                           d.scenes.push_back(makeScene());
                           d.scenes[1].windows[0].id = d.scenes[0].windows[0].id;
                       },
                       true},
        V{"WindowNoAddress", [](LibraryDocument& d) { d.scenes[0].windows[0].urls.clear(); }, false},
        V{"Window50Addresses",
                       [](LibraryDocument& d) { d.scenes[0].windows[0].urls.assign(50, "https://example.com/"); }, true},
        V{"Window51Addresses",
                       [](LibraryDocument& d) { d.scenes[0].windows[0].urls.assign(51, "https://example.com/"); }, false},
        V{"SelectedEqualsCount", [](LibraryDocument& d) { d.scenes[0].windows[0].selected = 2; }, false},
        V{"SelectedNegative", [](LibraryDocument& d) { d.scenes[0].windows[0].selected = -1; }, false},
        V{"WindowTokenAddress",
                       [](LibraryDocument& d) { d.scenes[0].windows[0].urls[0] = "https://example.com/#access_token=x"; }, false},
        V{"Width320Height240",
                       [](LibraryDocument& d) {
                           d.scenes[0].windows[0].frame.width = 320;
                           d.scenes[0].windows[0].frame.height = 240;
                       },
                       true},
        V{"Width319_99", [](LibraryDocument& d) { d.scenes[0].windows[0].frame.width = 319.99; }, false},
        V{"Height239_9", [](LibraryDocument& d) { d.scenes[0].windows[0].frame.height = 239.9; }, false},
        V{"InfiniteX",
                       [](LibraryDocument& d) { d.scenes[0].windows[0].frame.x = std::numeric_limits<double>::infinity(); }, false},
        V{"Opacity0_35", [](LibraryDocument& d) { d.scenes[0].windows[0].opacity = 0.35; }, true},
        V{"Opacity0_34", [](LibraryDocument& d) { d.scenes[0].windows[0].opacity = 0.34; }, false},
        V{"OpacityNaN", [](LibraryDocument& d) { d.scenes[0].windows[0].opacity = std::nan(""); }, false},
        V{"VisitNotWeb", [](LibraryDocument& d) { d.history[0].address = "about:blank"; }, false},
        V{"VisitSignIn", [](LibraryDocument& d) { d.history[0].address = "https://example.com/OAuth/authorize"; }, false},
        V{"VisitLongTitleAllowed", [](LibraryDocument& d) { d.history[0].title = std::string(900, 't'); }, true}),
    [](const testing::TestParamInfo<ValidationCase>& info) { return std::string(info.param.name); });

// Keys and strictness of the records are checked with every other record's; here the text.
TEST(LibraryJson, CompactTextKeepsDatesExactlyAndReencodesIdentically) {
    LibraryDocument document;
    document.clips = {makeClip()};
    document.clips[0].modified = Date{123456789.123456789};
    document.history = {makeVisit("https://example.com/", Date{-5.5})};
    auto text = encodeLibraryDocument(document);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find('\n'), std::string::npos) << "compact";
    auto decoded = decodeLibraryDocument(*text, "library.json");
    ASSERT_TRUE(decoded.ok()) << decoded.error().message;
    EXPECT_EQ(*decoded, document);
    EXPECT_EQ(encodeLibraryDocument(*decoded), text) << "re-encoding gives the same bytes";
    EXPECT_EQ(decodeLibraryDocument("{\"version\":1,", "library.json").error().code, files::kCorruptFile);
    EXPECT_EQ(decodeLibraryDocument(R"({"version":1,"clips":[]})", "library.json").error().code, files::kCorruptFile);
}

TEST(LibraryDocumentMutations, UpsertReplacesInPlaceOrInsertsFirst) {
    LibraryDocument document;
    auto a = makeClip("https://a.example/"), b = makeClip("https://b.example/");
    document.upsert(a);
    document.upsert(b);
    ASSERT_EQ(document.clips.size(), 2u);
    EXPECT_EQ(document.clips[0].id, b.id) << "new pages come first";
    a.title = "Changed";
    document.upsert(a);
    ASSERT_EQ(document.clips.size(), 2u);
    EXPECT_EQ(document.clips[1].title, "Changed") << "an existing page keeps its place";
}

TEST(LibraryDocumentMutations, RecordVisitKeepsOneEntryPerAddressNewestFirst) {
    LibraryDocument document;
    Date now{800000000};
    document.history = {makeVisit("https://b.example/", now.adding(-10)),
                        makeVisit("https://a.example/", now.adding(-20)),
                        makeVisit("https://old.example/", now.adding(-2592001)),
                        makeVisit("https://edge.example/", now.adding(-2592000))};
    document.recordVisit("https://a.example/", "Again", now);
    EXPECT_EQ(addresses(document.history),
              (std::vector<std::string>{"https://a.example/", "https://b.example/", "https://edge.example/"}))
        << "exactly 30 days stays";
    EXPECT_EQ(document.history[0].title, "Again");
    EXPECT_EQ(document.history[0].date, now);

    document.recordVisit("https://A.example/", std::string(600, 'x') + kFamily, now);
    EXPECT_EQ(document.history.size(), 4u) << "addresses compare exactly";
    EXPECT_EQ(document.history[0].title, std::string(500, 'x'));
}

TEST(LibraryDocumentMutations, RecordVisitDropsTheOldestPastOneThousand) {
    LibraryDocument document;
    Date now{800000000};
    for (int i = 0; i < 1000; ++i)
        document.history.push_back(makeVisit("https://example.com/" + std::to_string(i), now.adding(-i)));
    document.recordVisit("https://example.com/new", "New", now);
    ASSERT_EQ(document.history.size(), 1000u);
    EXPECT_EQ(document.history.front().address, "https://example.com/new");
    EXPECT_EQ(document.history.back().address, "https://example.com/998");
}

TEST(LibraryDocumentMutations, ReadingStateAndHistoryPruning) {
    ManualClock clock(Date{900000000});
    LibraryDocument document;
    auto clip = makeClip();
    clip.readingState = ReadingState::unread;
    clip.readingPosition = 0.5;
    document.clips = {clip};

    document.setReadingState(ReadingState::finished, clip.id, clock);
    clip.readingState = ReadingState::finished;  // finished keeps the position
    clip.modified = clock.now();
    EXPECT_EQ(document.clips[0], clip);
    clock.advance(5);
    document.setReadingState(std::nullopt, clip.id, clock);
    clip.readingState.reset();
    clip.readingPosition.reset();
    clip.modified = clock.now();
    EXPECT_EQ(document.clips[0], clip);
    auto before = document;
    document.setReadingState(ReadingState::unread, Uuid::random(), clock);
    EXPECT_EQ(document, before) << "an unknown id changes nothing";

    document.history = {makeVisit("https://future.example/", clock.now().adding(100)),
                        makeVisit("https://recent.example/", clock.now().adding(-29 * 86400)),
                        makeVisit("https://old.example/", clock.now().adding(-31 * 86400))};
    EXPECT_TRUE(document.hasExpiredHistory(clock.now()));
    document.pruneExpiredHistory(clock);
    EXPECT_EQ(addresses(document.history), (std::vector<std::string>{"https://future.example/", "https://recent.example/"}));

    auto id = document.history[0].id;
    document.history.push_back(document.history[0]);
    document.removeVisit(id);
    EXPECT_EQ(addresses(document.history), std::vector<std::string>{"https://recent.example/"}) << "every visit with the id";
}

TEST(PageClipMatching, ComparesWebsiteSessionAndPage) {
    auto clip = makeClip("https://Example.COM");
    Uuid website = Uuid::random();
    WindowSessionReference session{Uuid::random(), std::nullopt};
    clip.profileID = website;
    clip.windowSession = session;

    EXPECT_TRUE(clip.matches("https://example.com/", website, session));
    EXPECT_TRUE(clip.matches("HTTPS://EXAMPLE.com", website, session)) << "scheme and host case, empty path";
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::httpConnect;
    EXPECT_TRUE(clip.matches("https://example.com/", website, WindowSessionReference{session.identifier, proxy}))
        << "the proxy is not compared";
    EXPECT_FALSE(clip.matches("https://example.com/", website, std::nullopt)) << "shared store";
    EXPECT_FALSE(clip.matches("https://example.com/", website, WindowSessionReference{Uuid::random(), std::nullopt}));
    EXPECT_FALSE(clip.matches("https://example.com/", std::nullopt, session));
    EXPECT_FALSE(clip.matches("https://example.com/other", website, session));

    auto shared = makeClip("example.org/page");
    EXPECT_TRUE(shared.matches("https://example.org/page", std::nullopt, std::nullopt)) << "normalised address";
    auto broken = makeClip("not an address");
    EXPECT_FALSE(broken.matches("not an address", std::nullopt, std::nullopt));
}

}  // namespace
}  // namespace quenlith
