// The record of partial files on disk: a start removes the partial files an earlier process left,
// and nothing else, and a damaged record removes nothing.
#include "model/partial_file_records.hpp"

#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>
#include <gtest/gtest.h>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/uuid.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

class PartialFileRecordsTest : public ::testing::Test {
protected:
    std::string partialIn(const std::string& folder) { return partialFileName(folder); }
    // The records on disk, as a later start reads them.
    std::set<std::string> onDisk() {
        auto journal = PartialFileJournal::parse(test::readFile(journalPath));
        EXPECT_TRUE(journal.ok()) << test::readFile(journalPath);
        return journal.ok() ? journal->earlier() : std::set<std::string>{};
    }
    // Writes the records an earlier process left.
    void leftByAnEarlierProcess(const std::vector<std::string>& paths) {
        PartialFileRecords earlier(journalPath);
        for (const auto& path : paths) ASSERT_TRUE(earlier.record(path).ok()) << path;
    }

    test::TemporaryEnvironment environment;
    const std::string journalPath = environment.root() + "/data/partial-downloads.json";
    const std::string folder = environment.root() + "/Chosen";
};

TEST_F(PartialFileRecordsTest, AStartRemovesTheRecordedPartialFilesLeftAndNothingElse) {
    // With nothing recorded, a start writes no record either.
    PartialFileRecords(journalPath).sweepEarlier();
    EXPECT_FALSE(test::fileExists(journalPath));

    test::writeFile(folder + "/neighbour.txt", "the person's own file");
    const std::string left = partialIn(folder), gone = partialIn(folder), linked = partialIn(folder),
                      turnedFolder = partialIn(folder), stranger = partialIn(folder),
                      elsewhere = partialIn(environment.root() + "/Stick"), foreign = folder + "/neighbour.txt";
    test::writeFile(left, "cut short");
    ASSERT_EQ(::symlink((folder + "/neighbour.txt").c_str(), linked.c_str()), 0);
    std::filesystem::create_directories(turnedFolder);
    test::writeFile(stranger, "not recorded: another process's");
    leftByAnEarlierProcess({left, gone, linked, turnedFolder, elsewhere});
    // The earlier process's journal named a user's file too: damage, never acted on.
    {
        std::string text = test::readFile(journalPath);
        g_autofree char* uri = g_filename_to_uri(foreign.c_str(), nullptr, nullptr);
        text.insert(text.find('[') + 1, std::string("\"") + uri + "\",");
        test::writeFile(journalPath, text);
    }

    PartialFileRecords records(journalPath);
    // This process's own partial file, recorded before the start's sweep ran, is not swept.
    const std::string mine = partialIn(folder);
    ASSERT_TRUE(records.record(mine).ok());
    test::writeFile(mine, "filling now");
    records.sweepEarlier();

    EXPECT_FALSE(test::fileExists(left));
    EXPECT_EQ(test::readFile(folder + "/neighbour.txt"), "the person's own file");
    EXPECT_TRUE(test::fileExists(linked)) << "a link stands there now: not ours to remove";
    EXPECT_TRUE(test::isDirectory(turnedFolder));
    EXPECT_EQ(test::readFile(stranger), "not recorded: another process's");
    EXPECT_EQ(test::readFile(mine), "filling now");
    // Records of what is gone or not ours go; the one whose folder is not there now waits for a
    // start that finds it, and this process's stays until its placement ends.
    EXPECT_EQ(onDisk(), (std::set<std::string>{elsewhere, mine}));

    records.forget(mine);
    EXPECT_EQ(onDisk(), std::set<std::string>{elsewhere});
    // The next start finds the drive attached again.
    test::writeFile(elsewhere, "cut short on the stick");
    PartialFileRecords(journalPath).sweepEarlier();
    EXPECT_FALSE(test::fileExists(elsewhere));
    EXPECT_EQ(onDisk(), std::set<std::string>{});
}

TEST_F(PartialFileRecordsTest, ADamagedRecordRemovesNothingAndIsKeptAsItWas) {
    const std::string left = partialIn(folder);
    g_autofree char* uri = g_filename_to_uri(left.c_str(), nullptr, nullptr);
    const std::string damaged[] = {
        std::string(R"({"partialFiles": [")") + uri,
        std::string(R"({"partialFiles": [")") + uri + R"(", 7]})",
        std::string("\0\0\0\0", 4),
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text);
        test::writeFile(left, "cut short");
        test::writeFile(journalPath, text);
        for (const auto& copy : files::copiesAside(journalPath, files::kUnreadableCopy)) std::remove(copy.c_str());
        PartialFileRecords records(journalPath);
        // Recording before the sweep replaces the damaged record only once it is kept aside.
        const std::string mine = partialIn(folder);
        ASSERT_TRUE(records.record(mine).ok());
        records.sweepEarlier();
        EXPECT_EQ(test::readFile(left), "cut short") << "nothing is removed on guesswork";
        const auto copies = files::copiesAside(journalPath, files::kUnreadableCopy);
        ASSERT_EQ(copies.size(), 1u);
        EXPECT_EQ(test::readFile(copies[0]), text);
        EXPECT_EQ(onDisk(), std::set<std::string>{mine});
    }

    // Read in the background, as a start does: the answer comes on the main loop.
    test::writeFile(journalPath, "{");
    bool done = false;
    PartialFileRecords::sweepInBackground(std::make_shared<PartialFileRecords>(journalPath), [&] { done = true; });
    ASSERT_TRUE(test::spinUntil([&] { return done; }));
    EXPECT_EQ(test::readFile(left), "cut short");
    EXPECT_EQ(onDisk(), std::set<std::string>{});
}

}  // namespace
}  // namespace quenlith
