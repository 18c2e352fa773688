#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/backup_transfer.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/library_fixtures.hpp"
#include "model/library_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/transfer_document.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using namespace std::chrono_literals;

WebAppProfile website(const std::string& name, const std::string& home) {
    WebAppProfile profile;
    profile.name = name;
    profile.homeURL = home;
    return profile;
}

// One installation's two stores, in a folder of its own.
struct Installation {
    Installation(const std::string& folder, Scheduler& scheduler)
        : websites(folder + "/profiles.json", scheduler), library(folder + "/library.json", scheduler) {}
    WebAppStore websites;
    LibraryStore library;
};

class BackupTransferTest : public testing::Test {
protected:
    std::string backupFile() const { return home.path("Quenlith-backup.json"); }

    // Saves where it is offered to, opens backupFile(), agrees, and writes down what it was told.
    std::unique_ptr<BackupTransfer> transfer(Installation& installation) {
        BackupDialogs dialogs;
        dialogs.chooseSaveFile = [this](const std::string& name, BackupDialogs::FileType, BackupDialogs::Chosen chosen) {
            chosen(home.path(name));
        };
        dialogs.chooseBackupFile = [this](BackupDialogs::Chosen chosen) { chosen(backupFile()); };
        dialogs.ask = [this](const std::string&, const std::string& message, const std::string&,
                             std::function<void(bool)> answer) {
            questions.push_back(message);
            answer(true);
        };
        dialogs.alert = [this](const std::string& title, const std::string& message) {
            alerts.push_back(title + ": " + message);
        };
        return std::make_unique<BackupTransfer>(installation.websites, installation.library, dialogs);
    }

    // A backup of `count` new websites the installation does not have.
    void writeBackupOfNewWebsites(int count) {
        TransferDocument backup;
        for (int i = 0; i < count; ++i)
            backup.websites.push_back(website("Imported", "https://site" + std::to_string(i) + ".example"));
        test::writeBytes(backupFile(), *encodeTransferDocument(backup));
    }

    std::vector<WebAppProfile> websitesOnDisk(const Installation& installation) {
        auto loaded = installation.websites.persistence().load();
        return loaded.ok() ? *loaded : std::vector<WebAppProfile>{};
    }

    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    std::vector<std::string> questions, alerts;
};

TEST_F(BackupTransferTest, ExportThenImportIntoAnEmptyProfileGivesTheSameWebsitesAndLibrary) {
    Installation source(home.path("source"), scheduler);
    WebAppProfile plain = website("Example", "https://example.com");
    plain.lastURL = "https://example.com/inbox";
    plain.globalShortcut = ShortcutConfiguration{12, 256};
    plain.launchAtStartup = true;
    plain.linkedApplications = std::vector<LinkedApplication>{{"org.example.Editor", "Editor"}};
    plain.applicationLinkEnabled = true;
    WebAppProfile proxied = website("Proxied", "https://example.com");
    proxied.siteProxy = BrowserProxySettings{BrowserProxyKind::socks5, "proxy.example", 1080, "me", "credential", true};
    ASSERT_TRUE(source.websites.replaceProfiles({plain, proxied}));
    PageClip clip = test::makeClip();
    clip.windowSession = WindowSessionReference{*source.websites.profiles()[1].sessionIdentifier, proxied.siteProxy};
    BrowserScene scene = test::makeScene();
    scene.windows[0].windowSession = clip.windowSession;
    ASSERT_TRUE(source.library.update([&](LibraryDocument& document) {
        document = {1, {clip}, {scene}, {test::makeVisit("https://example.com/", Date{1e9})}};
    }));
    auto exporter = transfer(source);
    exporter->exportBackup();
    exporter->exportBookmarks({});
    ASSERT_TRUE(test::spinUntil(
        [&] { return test::exists(backupFile()) && test::exists(home.path("Quenlith-bookmarks.md")); }));
    EXPECT_EQ(test::readBytes(home.path("Quenlith-bookmarks.md")), "");
    std::string text = test::readBytes(backupFile());
    Json json = Json::parse(text);
    EXPECT_EQ(text, json.dump(2)) << "pretty-printed with the keys of every object sorted";
    EXPECT_EQ(json["format"], "Quenlith Backup");
    EXPECT_EQ(json["version"], 1);

    Installation target(home.path("target"), scheduler);
    auto importer = transfer(target);
    importer->chooseBackupToImport();
    ASSERT_EQ(alerts, (std::vector<std::string>{"Import Complete: Your websites, bookmarks and workspaces are ready."}));
    EXPECT_NE(questions.at(0).find("Add 2 websites, 1 bookmarks and 1 workspaces."), std::string::npos);

    // What stays on this device and what an import switches off are gone; the rest arrived.
    std::vector<WebAppProfile> expected = source.websites.profiles();
    for (auto& record : expected) {
        record.lastURL.reset();
        record.globalShortcut.reset();
        record.launchAtStartup = false;
        record.menuBarIconEnabled = false;
        record.linkedApplications.reset();
        record.applicationLinkEnabled = false;
        if (record.siteProxy) record.siteProxy->credentialID.reset();
    }
    ASSERT_TRUE(target.websites.profiles().at(1).sessionIdentifier);
    EXPECT_NE(target.websites.profiles()[1].sessionIdentifier, expected[1].sessionIdentifier);
    expected[1].sessionIdentifier = target.websites.profiles()[1].sessionIdentifier;
    EXPECT_EQ(target.websites.profiles(), expected);
    clip.windowSession.reset();
    scene.windows[0].windowSession.reset();
    EXPECT_EQ(target.library.document(), (LibraryDocument{1, {clip}, {scene}, {}}));

    auto before = target.library.document();
    importer->importBackup(backupFile());
    EXPECT_NE(questions.at(1).find("Add 0 websites, 0 bookmarks and 0 workspaces."), std::string::npos);
    EXPECT_EQ(target.websites.profiles(), expected);
    EXPECT_EQ(target.library.document(), before);
}

TEST_F(BackupTransferTest, FailedWebsitesSaveLeavesTheWebsitesAsTheyWereAndLaterSavesWithoutTheImport) {
    Installation installation(home.path("data"), scheduler);
    ASSERT_TRUE(installation.websites.replaceProfiles({website("Own", "https://own.example")}));
    // A window move still waiting for its delayed save belongs to the list the import must keep.
    installation.websites.setWindowFrame(CodableRect{10, 20, 800, 600, 1u}, installation.websites.profiles()[0].id);
    auto previous = installation.websites.profiles();
    writeBackupOfNewWebsites(20);
    auto importer = transfer(installation);
    {
        test::FileSizeLimit limit(test::readBytes(installation.websites.persistence().fileURL()).size() + 16);
        importer->importBackup(backupFile());
    }
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts[0].rfind("Import failed: Could not save your websites", 0), 0u) << alerts[0];
    EXPECT_EQ(installation.websites.profiles(), previous);
    EXPECT_TRUE(installation.library.document().clips.empty());

    // The later save writes the list the person had, not the refused import.
    scheduler.advance(WebAppStore::kSaveDelay);
    EXPECT_EQ(websitesOnDisk(installation), previous);
}

TEST_F(BackupTransferTest, ReadOnlyLibraryFailsTheImportAndPutsTheWebsitesBack) {
    test::writeBytes(home.path("data/library.json"), "not a library");
    Installation installation(home.path("data"), scheduler);
    ASSERT_TRUE(installation.websites.replaceProfiles({website("Own", "https://own.example")}));
    auto previous = installation.websites.profiles();
    writeBackupOfNewWebsites(3);
    transfer(installation)->importBackup(backupFile());
    EXPECT_EQ(alerts, (std::vector<std::string>{
                          "Import failed: The data file could not be read. Restore the previous backup before editing."}));
    EXPECT_EQ(installation.websites.profiles(), previous);
    EXPECT_EQ(websitesOnDisk(installation), previous);
}

}  // namespace
}  // namespace quenlith
