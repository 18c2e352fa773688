#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/backup_transfer.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/sample_records.hpp"
#include "model/library_store.hpp"
#include "model/transfer_document.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

// One installation's stores in a folder of its own, and backup commands that save where they
// are offered to, open Quenlith-backup.json, agree, and write down what they were told.
struct Installation {
    Installation(const test::TemporaryDataHome& home, const std::string& folder, Scheduler& scheduler)
        : websites(home.path(folder + "/profiles.json"), scheduler),
          library(home.path(folder + "/library.json"), scheduler),
          backups(websites, library,
                  {[&home](const std::string& name, auto, auto chosen) { chosen(home.path(name)); },
                   [&home](auto chosen) { chosen(home.path("Quenlith-backup.json")); },
                   [this](auto&, const std::string& question, auto&, bool, auto answer) {
                       questions.push_back(question);
                       answer(true);
                   },
                   [this](AlertKind kind, const std::string& title, const std::string& text) {
                       // A failure is announced as an error; news of a success as information.
                       const char* told = kind == AlertKind::error     ? "(error) "
                                          : kind == AlertKind::warning ? "(warning) "
                                                                       : "";
                       alerts.push_back(told + title + ": " + text);
                   }}) {}
    std::vector<WebAppProfile> websitesOnDisk() const { return websites.persistence().load().value(); }
    WebAppStore websites;
    LibraryStore library;
    std::vector<std::string> questions, alerts;
    BackupTransfer backups;
};

TEST(BackupTransferTest, ExportThenImportIntoAnEmptyProfileGivesTheSameWebsitesAndLibrary) {
    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    Installation source(home, "source", scheduler);
    WebAppProfile plain{.name = "Example", .homeURL = "https://example.com"};
    plain.lastURL = "https://example.com/inbox";
    plain.globalShortcut = ShortcutConfiguration{12, 256};
    plain.applicationLinkEnabled = plain.menuBarIconEnabled = plain.launchAtStartup = true;
    plain.linkedApplications = std::vector<LinkedApplication>{{"org.example.Editor", "Editor"}};
    WebAppProfile proxied{.name = "Proxied", .homeURL = "https://example.com"};
    proxied.siteProxy =
        BrowserProxySettings{BrowserProxyKind::socks5, "proxy.example", 1080, "me", "credential", true};
    ASSERT_TRUE(source.websites.replaceProfiles({plain, proxied}));
    PageClip clip = test::makeClip();
    BrowserScene scene = test::makeScene();
    clip.windowSession = scene.windows[0].windowSession =
        WindowSessionReference::from(source.websites.profiles()[1]);
    ASSERT_TRUE(source.library.replaceContents(
        {1, {clip}, {scene}, {test::makeVisit("https://example.com/", Date{1e9})}}));
    source.backups.exportBackup();
    source.backups.exportBookmarks({});
    ASSERT_TRUE(test::spinUntil([&] {
        return test::exists(home.path("Quenlith-bookmarks.md")) &&
               test::exists(home.path("Quenlith-backup.json"));
    }));
    EXPECT_EQ(test::readBytes(home.path("Quenlith-bookmarks.md")), "");
    std::string text = test::readBytes(home.path("Quenlith-backup.json"));
    Json json = Json::parse(text);
    EXPECT_EQ(text, json.dump(2)) << "pretty-printed with the keys of every object sorted";
    EXPECT_EQ(json["format"].get<std::string>() + " " + json["version"].dump(), "Quenlith Backup 1");

    Installation target(home, "target", scheduler);
    target.backups.chooseBackupToImport();
    ASSERT_TRUE(test::spinUntil([&] { return !target.alerts.empty(); }));
    EXPECT_EQ(target.alerts, std::vector<std::string>{
                                 "Import Complete: Your websites, bookmarks and page groups are ready."});
    EXPECT_EQ(target.questions.at(0).rfind("Add 2 websites, 1 bookmark and 1 page group.", 0), 0u);
    // What stays on this device, and what an import switches off, is gone; the rest arrived.
    std::vector<WebAppProfile> expected = source.websites.profiles();
    for (auto& record : expected) {
        record.lastURL.reset();
        record.globalShortcut.reset();
        record.applicationLinkEnabled = record.menuBarIconEnabled = record.launchAtStartup = false;
        record.linkedApplications.reset();
        if (record.siteProxy) record.siteProxy->credentialID.reset();
    }
    EXPECT_FALSE(json["websites"][1].contains("sessionIdentifier"));  // a new one comes on import
    expected[1].sessionIdentifier = target.websites.profiles().at(1).sessionIdentifier.value();
    EXPECT_EQ(target.websites.profiles(), expected);
    clip.windowSession = scene.windows[0].windowSession = std::nullopt;
    LibraryDocument imported{1, {clip}, {scene}, {}};
    EXPECT_EQ(target.library.document(), imported);

    target.backups.importBackup(home.path("Quenlith-backup.json"));
    ASSERT_TRUE(test::spinUntil([&] { return target.alerts.size() == 2; }));
    EXPECT_EQ(target.questions.at(1).rfind("Add 0 websites, 0 bookmarks and 0 page groups.", 0), 0u);
    EXPECT_TRUE(target.websites.profiles() == expected && target.library.document() == imported);
}

// Saving the websites fails (a full disk), or the library is read-only: the websites stay as they
// were in memory, a window move waiting for its save included, and on disk.
TEST(BackupTransferTest, FailedImportLeavesTheWebsitesAsTheyWere) {
    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    TransferDocument backup;  // websites no installation has
    for (int i = 0; i < 20; ++i)
        backup.websites.push_back({.name = "New", .homeURL = "https://" + std::to_string(i) + ".example"});
    test::writeBytes(home.path("Quenlith-backup.json"), *encodeTransferDocument(backup));
    for (bool libraryDamaged : {false, true}) {
        std::string folder = libraryDamaged ? "damaged" : "full";
        if (libraryDamaged) test::writeBytes(home.path(folder + "/library.json"), "not a library");
        Installation installation(home, folder, scheduler);
        const WebAppProfile own{.name = "Own", .homeURL = "https://own.example"};
        ASSERT_TRUE(installation.websites.replaceProfiles({own}));
        installation.websites.setWindowFrame(CodableRect{10, 20, 800, 600, 1u},
                                             installation.websites.profiles()[0].id);
        auto previous = installation.websites.profiles();
        {
            std::optional<test::FileSizeLimit> full;
            if (!libraryDamaged)
                full.emplace(test::readBytes(installation.websites.persistence().fileURL()).size() + 16);
            installation.backups.importBackup(home.path("Quenlith-backup.json"));
            ASSERT_TRUE(test::spinUntil([&] { return !installation.alerts.empty(); }));
        }
        const auto& failing =
            libraryDamaged ? installation.library.errorMessage() : installation.websites.errorMessage();
        EXPECT_EQ(installation.alerts,
                  std::vector<std::string>{"(error) Import failed: " + failing.value_or("none")});
        EXPECT_EQ(installation.websites.profiles(), previous);
        scheduler.advance(WebAppStore::kSaveDelay);
        ASSERT_TRUE(test::spinUntil([&] { return !installation.websites.hasPendingSave(); }));
        EXPECT_EQ(installation.websitesOnDisk(), previous);
    }
}

}  // namespace
}  // namespace quenlith
