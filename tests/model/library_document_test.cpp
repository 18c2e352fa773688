#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <tuple>

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
using test::makeVisit;
using test::repeated;

std::vector<std::string> addresses(const std::vector<HistoryVisit>& history) {
    std::vector<std::string> out;
    for (const auto& visit : history) out.push_back(visit.address);
    return out;
}

bool isValid(const LibraryDocument& document) { return validateLibraryDocument(document).ok(); }

const std::string kInvalidMessage = "This backup is invalid, too large, or from an unsupported version.";

// One letter with two combining marks, and a family emoji of seven scalars: one character each.
const std::string kCombined = "e\u0301\u0302";
const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466";

TEST(LibraryValidation, AppliesEachRule) {
    using Doc = LibraryDocument;
    // Each added record has an id of its own.
    const auto addClips = [](Doc& d, int n) {
        for (int i = 0; i < n; ++i) d.clips.push_back(makeClip());
    };
    const auto addScenes = [](Doc& d, int n) {
        for (int i = 0; i < n; ++i) d.scenes.push_back(makeScene());
    };
    const auto addWindows = [](Doc& d, int n) {
        for (int i = 0; i < n; ++i) d.scenes[0].windows.push_back(test::makeSceneWindow());
    };
    const auto window = [](Doc& d) -> SceneWindow& { return d.scenes[0].windows[0]; };
    const HistoryVisit visit = makeVisit("https://example.com/", Date{0});
    const std::tuple<const char*, std::function<void(Doc&)>, bool> cases[] = {
        {"EmptyDocument", [](Doc& d) { d = Doc{}; }, true},
        {"Version0", [](Doc& d) { d.version = 0; }, false},
        {"Version2", [](Doc& d) { d.version = 2; }, false},
        {"MaximumCounts",
         [&](Doc& d) {
             addClips(d, 4999);
             addScenes(d, 99);
             d.history.assign(1000, visit);
         },
         true},
        {"TooManyClips", [&](Doc& d) { addClips(d, 5000); }, false},
        {"TooManyScenes", [&](Doc& d) { addScenes(d, 100); }, false},
        {"TooManyVisits", [&](Doc& d) { d.history.assign(1001, visit); }, false},
        {"RepeatedClipId", [](Doc& d) { d.clips.push_back(d.clips[0]); }, false},
        {"RepeatedSceneId", [](Doc& d) { d.scenes.push_back(d.scenes[0]); }, false},
        {"RepeatedVisitIdAllowed", [](Doc& d) { d.history.push_back(d.history[0]); }, true},
        {"Title500", [](Doc& d) { d.clips[0].title = std::string(500, 'a'); }, true},
        {"Title501", [](Doc& d) { d.clips[0].title = std::string(501, 'a'); }, false},
        {"Title500CombinedLetters", [](Doc& d) { d.clips[0].title = repeated(kCombined, 500); }, true},
        {"Title501CombinedLetters", [](Doc& d) { d.clips[0].title = repeated(kCombined, 501); }, false},
        {"Title500EmojiSequences", [](Doc& d) { d.clips[0].title = repeated(kFamily, 500); }, true},
        {"Text200000", [](Doc& d) { d.clips[0].text = std::string(200000, 'x'); }, true},
        {"Text200001", [](Doc& d) { d.clips[0].text = std::string(200001, 'x'); }, false},
        {"Collection100", [](Doc& d) { d.clips[0].collection = repeated("\u00e9", 100); }, true},
        {"Collection101", [](Doc& d) { d.clips[0].collection = repeated("\u00e9", 101); }, false},
        {"ClipAddressNotWeb", [](Doc& d) { d.clips[0].address = "ftp://example.com/"; }, false},
        {"ClipAddressWithoutScheme", [](Doc& d) { d.clips[0].address = "example.com/a"; }, true},
        {"Position0", [](Doc& d) { d.clips[0].readingPosition = 0.0; }, true},
        {"Position1", [](Doc& d) { d.clips[0].readingPosition = 1.0; }, true},
        {"PositionNegative", [](Doc& d) { d.clips[0].readingPosition = -0.01; }, false},
        {"PositionOver1", [](Doc& d) { d.clips[0].readingPosition = 1.01; }, false},
        {"PositionNaN", [](Doc& d) { d.clips[0].readingPosition = std::nan(""); }, false},
        {"TokenBookmark", [](Doc& d) { d.clips[0].address = "https://example.com/cb?code=1"; }, true},
        {"TokenReadLater",
         [](Doc& d) {
             d.clips[0].address = "https://example.com/cb?code=1";
             d.clips[0].readingState = ReadingState::unread;
         },
         false},
        {"SceneNameSpaces", [](Doc& d) { d.scenes[0].name = "   \n"; }, false},
        {"SceneName100", [](Doc& d) { d.scenes[0].name = std::string(100, 'n'); }, true},
        {"SceneName101Untrimmed", [](Doc& d) { d.scenes[0].name = " " + std::string(100, 'n'); }, false},
        {"SceneNoWindow", [](Doc& d) { d.scenes[0].windows.clear(); }, false},
        {"Scene20Windows", [&](Doc& d) { addWindows(d, 19); }, true},
        {"Scene21Windows", [&](Doc& d) { addWindows(d, 20); }, false},
        {"RepeatedWindowId", [](Doc& d) { d.scenes[0].windows.push_back(d.scenes[0].windows[0]); }, false},
        {"SameWindowIdInTwoScenes",
         [](Doc& d) {
             d.scenes.push_back(makeScene());
             d.scenes[1].windows[0].id = d.scenes[0].windows[0].id;
         },
         true},
        {"WindowNoAddress", [&](Doc& d) { window(d).urls.clear(); }, false},
        {"Window50Addresses", [&](Doc& d) { window(d).urls.assign(50, "https://example.com/"); }, true},
        {"Window51Addresses", [&](Doc& d) { window(d).urls.assign(51, "https://example.com/"); }, false},
        {"SelectedEqualsCount", [&](Doc& d) { window(d).selected = 2; }, false},
        {"SelectedNegative", [&](Doc& d) { window(d).selected = -1; }, false},
        {"WindowTokenAddress", [&](Doc& d) { window(d).urls[0] = "https://e.com/#access_token=x"; }, false},
        {"Width320Height240", [&](Doc& d) { window(d).frame = CodableRect{10, 20, 320, 240, 1u}; }, true},
        {"Width319_99", [&](Doc& d) { window(d).frame.width = 319.99; }, false},
        {"Height239_9", [&](Doc& d) { window(d).frame.height = 239.9; }, false},
        {"InfiniteX", [&](Doc& d) { window(d).frame.x = std::numeric_limits<double>::infinity(); }, false},
        {"Opacity0_35", [&](Doc& d) { window(d).opacity = 0.35; }, true},
        {"Opacity0_34", [&](Doc& d) { window(d).opacity = 0.34; }, false},
        {"OpacityNaN", [&](Doc& d) { window(d).opacity = std::nan(""); }, false},
        {"VisitNotWeb", [](Doc& d) { d.history[0].address = "about:blank"; }, false},
        {"VisitSignIn", [](Doc& d) { d.history[0].address = "https://example.com/OAuth/authorize"; }, false},
        {"VisitLongTitleAllowed", [](Doc& d) { d.history[0].title = std::string(900, 't'); }, true}};
    for (const auto& [name, change, valid] : cases) {
        Doc document{1, {makeClip()}, {makeScene()}, {makeVisit("https://example.com/a", Date{1})}};
        ASSERT_TRUE(isValid(document));
        change(document);
        auto result = LibraryStore::validate(document);
        EXPECT_EQ(result.ok(), valid) << name;
        if (!result.ok())
            EXPECT_EQ(result.error(), (Error{kLibraryInvalidDocument, kInvalidMessage})) << name;
        else
            EXPECT_EQ(*result, document) << name << ": returned unchanged";
    }
}

// Keys and strictness of the records are checked with every other record's; here the text.
TEST(LibraryJson, CompactTextKeepsDatesExactlyAndReencodesIdentically) {
    LibraryDocument document{1, {makeClip()}, {}, {makeVisit("https://example.com/", Date{-5.5})}};
    document.clips[0].modified = Date{123456789.123456789};
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
    a.title = "Changed";
    document.upsert(a);
    EXPECT_EQ(document.clips, (std::vector<PageClip>{b, a})) << "new first, an existing one in its place";
}

TEST(LibraryDocumentMutations, RecordVisitKeepsOneEntryPerAddressNewestFirstAndAThousandAtMost) {
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

    document.history.clear();  // past a thousand, the oldest goes
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
