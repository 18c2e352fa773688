#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

using test::makeSession;
using test::makeWindow;
using test::readBytes;
using test::startTab;
using test::webTab;

std::string encode(const BrowserSessionDocument& document) { return *encodeJsonText(Json(document), JsonStyle::compact); }

TEST(RestorableWindowSanitizing, DropsWindowsWithUnusableFrames) {
    const double inf = std::numeric_limits<double>::infinity(), nan = std::nan("");
    const std::pair<CodableRect, bool> cases[] = {
        {{0, 0, 800, 600, 7u}, true},   {{-5, 9, 320, 240, {}}, true}, {{0, 0, 319.9, 600, {}}, false},
        {{0, 0, 800, 239, {}}, false},  {{0, 0, 800, inf, {}}, false}, {{nan, 0, 800, 600, {}}, false},
        {{0, inf, 800, 600, {}}, false}, {{0, 0, nan, 600, {}}, false}, {{0, 0, inf, 600, {}}, false}};
    for (const auto& [frame, kept] : cases) {
        auto window = makeWindow();
        window.frame = frame;
        EXPECT_EQ(window.sanitized().has_value(), kept) << frame.x << " " << frame.y << " " << frame.width << " " << frame.height;
    }
}

TEST(RestorableWindowSanitizing, KeepsStartPagesAndKeepableAddressesOnly) {
    RestorableWindow window = makeWindow(0);
    window.tabs = {webTab("https://accounts.example.com/oauth/authorize?client_id=1"), webTab("file:///etc/passwd"),
                   webTab("https://example.com/cb?code=secret")};
    EXPECT_FALSE(window.sanitized()) << "nothing restorable is left";

    window.tabs.push_back(startTab());
    window.tabs.back().address = "https://example.com/";
    window.tabs.back().readingPosition = 0.5;
    auto cleaned = window.sanitized();
    ASSERT_TRUE(cleaned);
    EXPECT_EQ(cleaned->tabs, std::vector{startTab()}) << "start pages keep no address or position";
    EXPECT_EQ(cleaned->selected, 0);

    RestorableWindow plain = makeWindow(0);
    plain.tabs = {webTab("example.com/page"), RestorableTab{std::nullopt, "No address", false, false, std::nullopt}};
    cleaned = plain.sanitized();
    ASSERT_TRUE(cleaned);
    EXPECT_EQ(cleaned->tabs, std::vector{webTab("example.com/page")}) << "kept exactly as stored";
}

TEST(RestorableWindowSanitizing, RenumbersSelectionAndLinksOfTheFirstHundredKeptTabs) {
    RestorableWindow window = makeWindow(0);
    Uuid first = Uuid::random(), dropped = Uuid::random(), last = Uuid::random();
    window.tabs = {webTab("https://a.example/"), webTab("https://example.com/?token=1"), webTab("https://c.example/")};
    window.websiteLinks = std::vector<RestorableWebsiteLink>{{first, 0}, {dropped, 1}, {last, 2}, {last, 9}};
    window.selected = 2;
    auto cleaned = window.sanitized();
    ASSERT_TRUE(cleaned);
    ASSERT_EQ(cleaned->tabs.size(), 2u);
    EXPECT_EQ(cleaned->selected, 1);
    EXPECT_EQ(*cleaned->websiteLinks, (std::vector<RestorableWebsiteLink>{{first, 0}, {last, 1}}));

    window.selected = 1;  // the dropped tab
    EXPECT_EQ(window.sanitized()->selected, 0);
    window.websiteLinks = std::vector<RestorableWebsiteLink>{{dropped, 1}};
    EXPECT_EQ(window.sanitized()->websiteLinks, std::vector<RestorableWebsiteLink>{}) << "present but empty";
    window.websiteLinks.reset();
    EXPECT_FALSE(window.sanitized()->websiteLinks) << "absent stays absent";

    RestorableWindow many = makeWindow(0);
    many.websiteLinks = std::vector<RestorableWebsiteLink>{};
    for (int i = 0; i < 1200; ++i) many.websiteLinks->push_back({Uuid::random(), 0});
    many.tabs = {webTab("https://a.example/")};
    EXPECT_EQ(many.sanitized()->websiteLinks->size(), 1000u) << "only the first 1,000 are considered";

    RestorableWindow hundred = makeWindow(0);  // the first hundred kept tabs are used
    hundred.tabs.push_back(webTab("bad address"));
    for (int i = 0; i < 120; ++i) hundred.tabs.push_back(webTab("https://example.com/" + std::to_string(i)));
    hundred.selected = 110;  // not among the first 100 kept
    hundred.websiteLinks = std::vector<RestorableWebsiteLink>{{first, 100}, {last, 101}};
    cleaned = hundred.sanitized();
    ASSERT_TRUE(cleaned);
    EXPECT_EQ(cleaned->tabs, std::vector(hundred.tabs.begin() + 1, hundred.tabs.begin() + 101));
    EXPECT_EQ(cleaned->selected, 0);
    EXPECT_EQ(cleaned->websiteLinks, (std::vector<RestorableWebsiteLink>{{first, 99}}));
}

TEST(RestorableWindowSanitizing, CleansTitlesPositionsAndTemporaryWebsites) {
    RestorableWindow window = makeWindow(0);
    window.tabs = {webTab("https://a.example/", test::repeated("\u00e9", 250)), webTab("https://b.example/"),
                   webTab("https://c.example/")};
    window.tabs[0].readingPosition = 1.5;
    window.tabs[1].readingPosition = std::nan("");
    window.tabs[2].readingPosition = 1.0;
    window.tabs[2].sleeping = true;

    WebAppProfile temporary;
    temporary.homeURL = "https://private.example/";
    temporary.lastURL = "https://private.example/inbox";
    temporary.iconURL = "https://private.example/icon.png";
    temporary.linkedApplications = std::vector<LinkedApplication>{};
    temporary.applicationLinkEnabled = temporary.launchAtStartup = true;
    temporary.globalShortcut = ShortcutConfiguration{0, 0x100};
    temporary.opacity = 0.1;
    window.temporaryProfile = temporary;

    RestorableWindow expected = window;
    expected.tabs[0].title = test::repeated("\u00e9", 200);
    expected.tabs[0].readingPosition = expected.tabs[1].readingPosition = std::nullopt;
    WebAppProfile& profile = *expected.temporaryProfile;  // a temporary website keeps nothing of where it was
    profile.homeURL = "";
    profile.lastURL = profile.iconURL = std::nullopt;
    profile.linkedApplications.reset();
    profile.applicationLinkEnabled.reset();
    profile.globalShortcut.reset();
    profile.launchAtStartup = false;
    profile.opacity = 0.35;
    EXPECT_EQ(window.sanitized(), expected);
}

TEST(BrowserSessionDocumentNormalizing, ConsidersOnlyTheFirstThirtyWindows) {
    auto document = makeSession(35, 1);
    document.version = 7;
    document.windows[0].frame.width = 10;  // dropped, but still counts among the first 30
    auto expected = document;
    expected.version = 1;
    expected.windows.assign(document.windows.begin() + 1, document.windows.begin() + 30);
    EXPECT_EQ(document.normalized(), expected) << "the active window is kept as it is";
}

class BrowserSessionFileTest : public testing::Test {
protected:
    std::string filePath() const { return home.path("session-v1.json"); }
    std::string backupPath() const { return filePath() + ".backup"; }
    // What loading gives: a document or nothing; a failure fails the test.
    std::optional<BrowserSessionDocument> loaded() const {
        auto result = persistence.load();
        EXPECT_TRUE(result.ok()) << (result.ok() ? "" : result.error().message);
        return result.ok() ? *result : std::nullopt;
    }

    test::TemporaryDataHome home;
    BrowserSessionPersistence persistence;
};

TEST_F(BrowserSessionFileTest, SavesTheNormalisedSnapshotCompactly) {
    EXPECT_EQ(persistence.fileURL(), filePath());
    auto document = makeSession(2, 3);
    document.windows[1].tabs[0] = webTab("https://example.com/?password=x");
    ASSERT_TRUE(persistence.save(document).ok());
    std::string bytes = readBytes(filePath());
    EXPECT_EQ(bytes, encode(document.normalized()));
    EXPECT_FALSE(test::exists(backupPath())) << "no previous file, no backup";
    EXPECT_EQ(loaded(), document.normalized());

    ASSERT_TRUE(persistence.save(makeSession(1, 1)).ok());
    EXPECT_EQ(readBytes(backupPath()), bytes) << "the replaced snapshot becomes the backup";
}

TEST_F(BrowserSessionFileTest, WindowAndTabCapsAreExactAndChangeNoFile) {
    ASSERT_TRUE(persistence.save(makeSession(1, 1)).ok());
    ASSERT_TRUE(persistence.save(makeSession(2, 1)).ok());
    std::string fileBytes = readBytes(filePath());
    std::string backupBytes = readBytes(backupPath());

    auto tooManyWindows = makeSession(31, 1);
    auto tooManyTabs = makeSession(30, 100);
    tooManyTabs.windows[29].tabs.push_back(startTab());
    for (const auto* document : {&tooManyWindows, &tooManyTabs}) {
        auto status = persistence.save(*document);
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().code, kSessionTooLarge);
        EXPECT_EQ(status.error().message,
                  "Session recovery supports up to 30 windows and 100 tabs per window. Close excess windows or tabs "
                  "to resume saving.");
        EXPECT_EQ(readBytes(filePath()), fileBytes);
        EXPECT_EQ(readBytes(backupPath()), backupBytes);
    }
    // Tabs that the clean-up would drop still count: the limit is on the document as given.
    auto droppedTabs = makeSession(1, 0);
    for (int i = 0; i < 101; ++i) droppedTabs.windows[0].tabs.push_back(webTab("ftp://example.com/"));
    droppedTabs.windows[0].tabs.push_back(startTab());
    EXPECT_EQ(persistence.save(droppedTabs).error().code, kSessionTooLarge);

    ASSERT_TRUE(persistence.save(makeSession(30, 100)).ok());
    EXPECT_EQ(readBytes(backupPath()), fileBytes);
}

TEST_F(BrowserSessionFileTest, WriteCapIsExact) {
    ASSERT_TRUE(persistence.save(makeSession(1, 1)).ok());
    ASSERT_TRUE(persistence.save(makeSession(1, 2)).ok());
    std::string fileBytes = readBytes(filePath());

    // 30 windows of 100 tabs whose addresses grow until the encoding is exactly 8,000,000 bytes.
    auto document = makeSession(30, 100);
    for (auto& window : document.windows)
        for (auto& tab : window.tabs) tab.address = "https://example.com/" + std::string(2500, 'p');
    std::size_t missing = kSessionFileSizeCap - encode(document.normalized()).size();
    for (std::size_t i = 0; missing > 0; ++i) {
        std::size_t add = std::min<std::size_t>(missing, 100);
        *document.windows[i / 100].tabs[i % 100].address += std::string(add, 'q');
        missing -= add;
    }
    ASSERT_EQ(encode(document.normalized()).size(), kSessionFileSizeCap);
    ASSERT_TRUE(persistence.save(document).ok());
    EXPECT_EQ(readBytes(filePath()).size(), kSessionFileSizeCap);

    *document.windows[0].tabs[0].address += "q";
    auto status = persistence.save(document);
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.error().code, kSessionEncodingTooLarge);
    EXPECT_NE(status.error().message.find("8 MB"), std::string::npos);
    EXPECT_EQ(readBytes(filePath()).size(), kSessionFileSizeCap) << "the refused snapshot changes no file";
    EXPECT_EQ(readBytes(backupPath()), fileBytes);
}

// Only a snapshot this version reads becomes the backup; whatever else is there is kept aside, byte
// for byte, before the new snapshot replaces it, and the backup stays as it was.
TEST_F(BrowserSessionFileTest, BackupIsRefreshedOnlyFromReadableSnapshots) {
    ASSERT_TRUE(persistence.save(makeSession(1, 1)).ok());
    ASSERT_TRUE(persistence.save(makeSession(1, 2)).ok());
    const std::string backup = readBytes(backupPath()), sound = encode(makeSession(2, 1));
    const std::pair<const char*, std::string> rows[] = {
        {"a snapshot of this version", sound},
        {"not a snapshot", "not a snapshot"},
        {"empty", ""},
        {"a number out of range", R"({"version":1,"windows":[],"extra":1e400})"},
        {"a later version", R"({"version":2,"windows":[]})"},
        {"a later version with windows", [] {
             Json later = Json(makeSession(1, 1));
             later["version"] = 2;
             return later.dump();
         }()},
        {"version 0", R"({"version":0,"windows":[]})"},
        {"cut short", sound.substr(0, sound.size() - 3)},
        {"windows of the wrong type", R"({"version":1,"windows":{}})"},
        {"a version of the wrong type", R"({"version":"1","windows":[]})"},
        {"no windows", R"({"version":1})"},
        {"an array", "[]"},
        {"over the size limit", std::string(kSessionFileSizeCap + 1, ' ')},
    };
    auto replacement = makeSession(1, 3);
    for (const auto& [label, onDisk] : rows) {
        SCOPED_TRACE(label);
        test::writeBytes(filePath(), onDisk);
        const bool snapshot = onDisk == sound;
        ASSERT_TRUE(persistence.save(replacement).ok());
        EXPECT_EQ(readBytes(backupPath()), snapshot ? onDisk : backup);
        EXPECT_EQ(readBytes(filePath()), encode(replacement.normalized()));
        auto aside = test::entriesStartingWith(home.dataDirectory(), "session-v1.json.recovery-");
        ASSERT_EQ(aside.size(), snapshot ? 0u : 1u);
        for (const auto& name : aside) {
            EXPECT_TRUE(Uuid::parse(name.substr(std::string("session-v1.json.recovery-").size()))) << name;
            EXPECT_TRUE(readBytes(home.path(name)) == onDisk) << "kept byte for byte";
            ASSERT_TRUE(files::removeFileIfPresent(home.path(name)).ok());
        }
        if (snapshot) test::writeBytes(backupPath(), backup);
    }
}

TEST_F(BrowserSessionFileTest, LoadFallsBackToTheBackup) {
    auto older = makeSession(1, 1);
    test::writeBytes(backupPath(), encode(older));
    EXPECT_EQ(loaded(), older) << "file missing, backup usable";

    for (const std::string& unusable : {std::string(R"({"version":2,"windows":[]})"), std::string("{"),
                                        std::string(R"({"windows":[]})"),
                                        std::string(R"({"version":1,"windows":[],"extra":1e400})")}) {
        test::writeBytes(filePath(), unusable);
        EXPECT_EQ(loaded(), older) << unusable;
    }

    test::writeBytes(backupPath(), "garbage");
    auto corrupt = persistence.load();
    ASSERT_FALSE(corrupt.ok()) << "file present, nothing usable";
    EXPECT_EQ(corrupt.error().code, files::kCorruptFile);

    ASSERT_TRUE(files::removeFileIfPresent(filePath()).ok());
    EXPECT_EQ(loaded(), std::nullopt) << "file missing, backup unusable: nothing, no error";

    ASSERT_TRUE(persistence.removeFiles().ok());
    EXPECT_FALSE(test::exists(backupPath()));
    EXPECT_TRUE(persistence.removeFiles().ok()) << "nothing to remove is fine";
    ASSERT_TRUE(persistence.save(makeSession(1, 1)).ok());
    ASSERT_TRUE(persistence.removeFiles().ok());
    EXPECT_FALSE(test::exists(filePath()));
}

TEST_F(BrowserSessionFileTest, ReadingCapIsExactAndWhatIsReadIsNormalised) {
    auto older = makeSession(1, 1);
    auto current = makeSession(35, 1);
    current.windows[3].frame.width = 319.9;
    test::writeBytes(backupPath(), encode(older));
    std::string text = encode(current);
    std::string atCap = text + std::string(kSessionFileSizeCap - text.size(), ' ');
    test::writeBytes(filePath(), atCap);
    auto read = loaded();
    EXPECT_EQ(read, current.normalized()) << "8,000,000 bytes are read";
    EXPECT_EQ(read.value_or(older).windows.size(), 29u) << "of the first 30 windows, one unusable";
    test::writeBytes(filePath(), atCap + " ");
    EXPECT_EQ(loaded(), older) << "8,000,001 bytes are skipped for the backup";
}

}  // namespace
}  // namespace quenlith
