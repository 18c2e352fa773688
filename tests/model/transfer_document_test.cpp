#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <sys/stat.h>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/sample_records.hpp"
#include "model/transfer_document.hpp"

namespace quenlith {
namespace {

using test::website;

WebAppProfile ownAccount(WebAppProfile profile) {
    profile.setIsolatedAccount(true);
    return profile;
}

TEST(TransferDocumentTest, DecodingRefusesWhatTheRulesRefuse) {
    const std::string invalid = kLibraryInvalidDocument, corrupt = files::kCorruptFile;
    const std::vector<std::pair<std::function<void(Json&)>, std::string>> cases = {
        {[](Json&) {}, ""},
        {[](Json& j) { j["format"] = "quenlith backup"; }, invalid},
        {[](Json& j) { j["version"] = 2; }, invalid},
        {[](Json& j) { j["websites"] = std::vector<Json>(1000, j["websites"][0]); }, ""},
        {[](Json& j) { j["websites"] = std::vector<Json>(1001, j["websites"][0]); }, invalid},
        {[](Json& j) { j["websites"][0]["name"] = ""; }, invalid},
        {[](Json& j) { j["websites"][0]["name"] = " "; }, ""},
        {[](Json& j) { j["websites"][0]["homeURL"] = "ftp://example.com"; }, invalid},
        {[](Json& j) { j["library"]["clips"][0]["address"] = "mailto:x@example.com"; }, invalid},
        {[](Json& j) { j.erase("library"); }, corrupt},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        Json json =
            TransferDocument({website("Mail", "https://mail.example.com")}, {1, {test::makeClip()}, {}, {}});
        cases[i].first(json);
        auto decoded = TransferDocument::fromData(json.dump(), "x.json");
        EXPECT_EQ(decoded.ok() ? "" : decoded.error().code, cases[i].second) << "case " << i;
    }
}

TEST(TransferDocumentTest, ReadingRefusesOversizedFilesAndFifosBeforeReadingThem) {
    test::TemporaryDataHome home;
    std::string path = home.path("x.json");
    test::writeBytes(path, std::string(kBackupFileSizeCap + 1, ' '));
    auto oversized = readTransferFile(path);
    ASSERT_FALSE(oversized.ok());
    EXPECT_EQ(oversized.error().message,
              "This backup is invalid, too large, or from an unsupported version.");
    // Exactly at the cap is read, and then refused for what it holds.
    test::writeBytes(path, std::string(kBackupFileSizeCap, '['));
    auto atCap = readTransferFile(path);
    EXPECT_EQ(atCap.ok() ? "" : atCap.error().code, files::kCorruptFile);
    ASSERT_EQ(::unlink(path.c_str()), 0);
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    auto fifo = readTransferFile(path);  // would block for ever if it waited for a writer
    EXPECT_EQ(fifo.ok() ? "" : fifo.error().code, files::kNotRegularFile);
}

TEST(TransferDocumentTest, MergingAddsOnlyWhatIsNew) {
    WebAppProfile shared = website("Example", "https://example.com");
    WebAppProfile sameID = website("Renamed", "https://other.example.org");
    sameID.id = shared.id;
    WebAppProfile proxied = website("Example proxied", "https://example.com");
    proxied.siteProxy = BrowserProxySettings{};
    WebAppProfile news = website("News", "https://news.example.org");
    news.applicationLinkEnabled = news.menuBarIconEnabled = news.launchAtStartup = true;
    news.sortOrder = 40;
    TransferDocument backup;
    backup.websites = {sameID,
                       website("Same address", "https://www.example.com/"),
                       ownAccount(website("Example account", "https://example.com")),
                       proxied,
                       website("Mail shared", "https://mail.example.com"),
                       news,
                       website("News twice", "https://NEWS.example.org/")};
    WebAppProfile ownMail = ownAccount(website("Mail", "https://mail.example.com"));
    std::vector<std::string> names;
    auto merged = backup.mergeWebsites({shared, ownMail});
    for (const auto& record : merged) names.push_back(record.name);
    EXPECT_EQ(names, (std::vector<std::string>{"Example", "Mail", "Example account", "Example proxied",
                                               "Mail shared", "News"}));
    // None of this device's choices come along.
    news.applicationLinkEnabled = news.menuBarIconEnabled = news.launchAtStartup = false;
    news.sortOrder = 5;
    EXPECT_EQ(merged.back(), news);
    // The one-pair rule the merge applies: a website on its own store, or with an unusable
    // address, never hides an import.
    EXPECT_EQ(
        (std::vector<bool>{
            TransferDocument::isDuplicate(shared, backup.websites[1], "https://www.example.com/"),
            TransferDocument::isDuplicate(ownMail, backup.websites[4], "https://mail.example.com"),
            TransferDocument::isDuplicate(website("Broken", "ftp://a"), backup.websites[1], "ftp://a")}),
        (std::vector<bool>{true, false, false}));

    LibraryDocument existing{1, {test::makeClip()}, {test::makeScene()}, {}};
    PageClip changed = existing.clips[0], added = test::makeClip("https://example.com/b");
    changed.title = "Changed";
    added.windowSession = WindowSessionReference{Uuid::random(), std::nullopt};
    backup.library = {1, {changed, added}, existing.scenes, {test::makeVisit("https://x.example/", Date{1})}};
    added.windowSession.reset();
    EXPECT_EQ(backup.mergeLibrary(existing),
              (LibraryDocument{1, {existing.clips[0], added}, existing.scenes, {}}));
}

}  // namespace
}  // namespace quenlith
