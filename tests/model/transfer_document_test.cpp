#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>

#include <sys/stat.h>

#include "model/address_limit.hpp"
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

// Each website of a backup is held to what the editor would save and the websites file would keep:
// what the file repairs on reading is repaired, what the editor refuses refuses the whole backup.
TEST(TransferDocumentTest, ImportedWebsitesMeetTheEditorsRules) {
    const std::string refused = "This backup is invalid, too large, or from an unsupported version.";
    auto proxy = [](std::string host, std::int64_t port, std::string kind = "httpConnect") {
        return Json{{"kind", kind}, {"host", host}, {"port", port}, {"username", ""}, {"usesAuthentication", false}};
    };
    using Repair = std::function<void(WebAppProfile&)>;
    const struct {
        const char* label;
        std::function<void(Json&)> change;
        std::optional<std::string> refusal;  // else the merged record is the plain one, repaired
        Repair repair;
    } cases[] = {
        {"nothing wrong", [](Json&) {}, {}, [](WebAppProfile&) {}},
        {"name of spaces", [](Json& w) { w["name"] = " \t "; }, refused, {}},
        {"name holding U+0000", [](Json& w) { w["name"] = std::string("Ma\0il", 5); }, refused, {}},
        {"name with spaces around", [](Json& w) { w["name"] = "  Mail\n"; }, {}, [](WebAppProfile&) {}},
        {"address over the limit",
         [](Json& w) { w["homeURL"] = "https://mail.example.com/" + std::string(kAddressByteLimit, 'a'); },
         refused, {}},
        {"proxy port 99,999,999", [&](Json& w) { w["siteProxy"] = proxy("proxy.example", 99'999'999); },
         refused, {}},
        {"proxy port 0", [&](Json& w) { w["siteProxy"] = proxy("proxy.example", 0); }, refused, {}},
        {"proxy host of 100,000 characters",
         [&](Json& w) { w["siteProxy"] = proxy(std::string(100'000, 'a'), 8080); }, refused, {}},
        {"proxy host with a scheme", [&](Json& w) { w["siteProxy"] = proxy("http://proxy.example", 8080); },
         refused, {}},
        {"proxy sign-in without a user name",
         [&](Json& w) {
             w["siteProxy"] = proxy("proxy.example", 8080, "socks5");
             w["siteProxy"]["usesAuthentication"] = true;
         },
         refused, {}},
        {"system proxy: its endpoint is not used", [&](Json& w) { w["siteProxy"] = proxy("", 99'999'999, "system"); },
         {}, {}},
        {"opacity 7", [](Json& w) { w["opacity"] = 7; }, {}, [](WebAppProfile& r) { r.opacity = 1.0; }},
        {"zoom 0.1", [](Json& w) { w["zoomLevel"] = 0.1; }, {}, [](WebAppProfile& r) { r.zoomLevel = 0.5; }},
        {"auto reload every second", [](Json& w) { w["autoReloadInterval"] = 1; }, {},
         [](WebAppProfile& r) { r.autoReloadInterval.reset(); }},
        {"user agent of two lines", [](Json& w) { w["customUserAgent"] = "a\nb"; }, {},
         [](WebAppProfile& r) { r.customUserAgent.reset(); }},
        {"account name of 60 characters", [](Json& w) { w["accountName"] = std::string(60, 'x'); }, {},
         [](WebAppProfile& r) { r.accountName = std::string(50, 'x'); }},
        {"window frame of 10 by 10", [](Json& w) { w["windowFrame"] = Json(CodableRect{0, 0, 10, 10, 0}); }, {},
         [](WebAppProfile&) {}},
    };
    const WebAppProfile plain = website("Mail", "https://mail.example.com");
    const WebAppProfile merged = TransferDocument({plain}, {}).mergeWebsites({}).at(0);
    for (const auto& c : cases) {
        Json json = TransferDocument({plain}, {});
        c.change(json["websites"][0]);
        auto decoded = TransferDocument::fromData(json.dump(), "x.json");
        EXPECT_EQ(decoded.ok() ? std::nullopt : std::optional(decoded.error().message), c.refusal) << c.label;
        if (!decoded || !c.repair) continue;
        WebAppProfile expected = merged;
        c.repair(expected);
        EXPECT_EQ(decoded->mergeWebsites({}), std::vector<WebAppProfile>{expected}) << c.label;
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

TEST(TransferDocumentTest, AnExportLeavesThisDevicesStateBehind) {
    const WebAppProfile full = test::fullProfile();
    const WindowSessionReference session{Uuid::random(), std::nullopt};
    PageClip clip = test::makeClip();
    clip.windowSession = session;
    BrowserScene scene = test::makeScene();
    scene.windows[0].windowSession = session;
    const TransferDocument exported({full}, {1, {clip}, {scene}, {test::makeVisit("https://x.example/", Date{1})}});

    // Shortcut, start-up launch and menu-bar icon stay in the file; the merge turns them off.
    WebAppProfile kept = full;
    kept.lastURL.reset();
    kept.sessionIdentifier.reset();
    kept.wasVisible = false;
    kept.applicationLinkEnabled = false;
    kept.linkedApplications.reset();
    kept.siteProxy->credentialID.reset();
    clip.windowSession.reset();
    scene.windows[0].windowSession.reset();
    EXPECT_EQ(exported.websites, std::vector<WebAppProfile>{kept});
    EXPECT_EQ(exported.library, (LibraryDocument{1, {clip}, {scene}, {}}));
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
    // The one-pair rule the merge applies: a website on its own store (kept or imported), or one
    // with an unusable address, never hides an import.
    EXPECT_EQ(
        (std::vector<bool>{
            TransferDocument::isDuplicate(shared, backup.websites[1], "https://www.example.com/"),
            TransferDocument::isDuplicate(ownMail, backup.websites[4], "https://mail.example.com"),
            TransferDocument::isDuplicate(shared, backup.websites[2], "https://example.com"),
            TransferDocument::isDuplicate(website("Broken", "ftp://a"), backup.websites[1], "ftp://a")}),
        (std::vector<bool>{true, false, false, false}));

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
