#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <sys/stat.h>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/library_fixtures.hpp"
#include "model/transfer_document.hpp"

namespace quenlith {
namespace {

const std::string kInvalid = "This backup is invalid, too large, or from an unsupported version.";

WebAppProfile website(const std::string& name, const std::string& home) {
    WebAppProfile profile;
    profile.name = name;
    profile.homeURL = home;
    return profile;
}

Json validBackup() {
    LibraryDocument library;
    library.clips = {test::makeClip()};
    return Json(TransferDocument({website("Mail", "https://mail.example.com")}, library));
}

TEST(TransferDocumentTest, DecodingRefusesWhatTheRulesRefuse) {
    struct Case {
        const char* what;
        std::function<void(Json&)> change;
        const char* code;  // nullptr: accepted
    };
    const Case cases[] = {
        {"as exported", [](Json&) {}, nullptr},
        {"format in other letter case", [](Json& j) { j["format"] = "quenlith backup"; }, kLibraryInvalidDocument},
        {"version 2", [](Json& j) { j["version"] = 2; }, kLibraryInvalidDocument},
        {"1,000 websites", [](Json& j) { j["websites"] = Json::array(); for (int i = 0; i < 1000; ++i) j["websites"].push_back(Json(website("W", "https://example.com"))); }, nullptr},
        {"1,001 websites", [](Json& j) { for (int i = 0; i < 1000; ++i) j["websites"].push_back(j["websites"][0]); }, kLibraryInvalidDocument},
        {"empty name", [](Json& j) { j["websites"][0]["name"] = ""; }, kLibraryInvalidDocument},
        {"name of one space", [](Json& j) { j["websites"][0]["name"] = " "; }, nullptr},
        {"ftp home address", [](Json& j) { j["websites"][0]["homeURL"] = "ftp://example.com"; }, kLibraryInvalidDocument},
        {"clip breaking a library rule", [](Json& j) { j["library"]["clips"][0]["address"] = "mailto:x@example.com"; }, kLibraryInvalidDocument},
        {"library missing", [](Json& j) { j.erase("library"); }, files::kCorruptFile},
        {"websites of the wrong type", [](Json& j) { j["websites"] = "none"; }, files::kCorruptFile},
        {"not JSON at all", [](Json& j) { j = "{"; }, files::kCorruptFile},
    };
    for (const auto& c : cases) {
        Json json = validBackup();
        c.change(json);
        std::string text = json.is_string() ? json.get<std::string>() : json.dump();
        auto decoded = TransferDocument::fromData(text, "x.json");
        if (!c.code)
            EXPECT_TRUE(decoded.ok()) << c.what << ": " << decoded.error().message;
        else
            EXPECT_EQ(decoded.ok() ? "" : decoded.error().code, c.code) << c.what;
    }
}

TEST(TransferDocumentTest, ReadingRefusesOversizedFilesAndFifosBeforeReadingThem) {
    test::TemporaryDataHome home;
    std::string path = home.path("x.json");
    test::writeBytes(path, std::string(kBackupFileSizeCap + 1, ' '));
    auto oversized = readTransferFile(path);
    ASSERT_FALSE(oversized.ok());
    EXPECT_EQ(oversized.error().message, kInvalid);

    // Exactly at the cap is read, and then refused for what it holds.
    test::writeBytes(path, std::string(kBackupFileSizeCap, '['));
    auto atCap = readTransferFile(path);
    ASSERT_FALSE(atCap.ok());
    EXPECT_EQ(atCap.error().code, files::kCorruptFile);

    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto fifo = readTransferFile(path);  // would block forever if it opened the FIFO for reading
    ASSERT_FALSE(fifo.ok());
    EXPECT_EQ(fifo.error().code, files::kNotRegularFile);
}

TEST(TransferDocumentTest, MergingAddsOnlyNewWebsitesAndLibraryEntries) {
    WebAppProfile shared = website("Example", "https://example.com");
    WebAppProfile own = website("Mail", "https://mail.example.com");
    own.setIsolatedAccount(true);

    TransferDocument backup;
    WebAppProfile sameID = website("Renamed", "https://other.example.org");
    sameID.id = shared.id;
    WebAppProfile sameAddress = website("Example again", "https://www.example.com/");
    WebAppProfile isolated = website("Example account", "https://example.com");
    isolated.isolatedAccount = true;
    isolated.siteProxy = BrowserProxySettings{BrowserProxyKind::socks5, "proxy.example", 1080, "me", "credential", true};
    isolated.globalShortcut = ShortcutConfiguration{12, 256};
    isolated.launchAtStartup = true;
    isolated.menuBarIconEnabled = true;
    WebAppProfile besideOwnStore = website("Mail shared", "https://mail.example.com");
    WebAppProfile first = website("News", "https://news.example.org");
    WebAppProfile second = website("News twice", "https://news.example.org/");
    backup.websites = {sameID, sameAddress, isolated, besideOwnStore, first, second};

    WebAppProfile expectedIsolated = isolated;
    expectedIsolated.globalShortcut.reset();
    expectedIsolated.launchAtStartup = false;
    expectedIsolated.menuBarIconEnabled = false;
    expectedIsolated.siteProxy->credentialID.reset();
    expectedIsolated.applicationLinkEnabled = false;
    expectedIsolated.sortOrder = 2;
    auto merged = backup.mergeWebsites({shared, own});
    ASSERT_EQ(merged.size(), 5u);
    ASSERT_TRUE(merged[2].sessionIdentifier);  // its own new data store
    expectedIsolated.sessionIdentifier = merged[2].sessionIdentifier;
    EXPECT_EQ(merged[2], expectedIsolated);
    EXPECT_EQ((std::vector<std::string>{merged[0].name, merged[1].name, merged[3].name, merged[4].name}),
              (std::vector<std::string>{"Example", "Mail", "Mail shared", "News"}));

    LibraryDocument existing;
    existing.clips = {test::makeClip("https://example.com/a", "Kept")};
    existing.scenes = {test::makeScene("Kept")};
    existing.history = {test::makeVisit("https://example.com/", Date{700000000})};
    PageClip updated = existing.clips[0];
    updated.title = "Changed";
    PageClip added = test::makeClip("https://example.com/b", "Added");
    added.windowSession = WindowSessionReference{Uuid::random(), std::nullopt};
    BrowserScene addedScene = test::makeScene("Added");
    addedScene.windows[0].windowSession = WindowSessionReference{Uuid::random(), std::nullopt};
    backup.library = {1, {updated, added}, {existing.scenes[0], addedScene}, {test::makeVisit("https://x.example/", Date{1})}};

    LibraryDocument expected = existing;
    added.windowSession.reset();
    addedScene.windows[0].windowSession.reset();
    expected.clips.push_back(added);
    expected.scenes.push_back(addedScene);
    EXPECT_EQ(backup.mergeLibrary(existing), expected);
}

}  // namespace
}  // namespace quenlith
