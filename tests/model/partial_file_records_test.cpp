// The record of partial files on disk: a start removes the partial files an earlier process left,
// and nothing else, and a damaged record removes nothing.
#include "model/partial_file_records.hpp"

#include <filesystem>
#include <functional>
#include <map>

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
    static std::string folderOf(const std::string& path) { return std::filesystem::path(path).parent_path(); }
    // The records on disk, as a later start reads them.
    std::set<std::string> onDisk() {
        auto journal = PartialFileJournal::parse(test::readFile(journalPath));
        EXPECT_TRUE(journal.ok()) << test::readFile(journalPath);
        return journal.ok() ? journal->earlier() : std::set<std::string>{};
    }
    // What a placement does: the name on record, the file made, then which file it is.
    static void makeRecorded(PartialFileRecords& records, const std::string& path) {
        ASSERT_TRUE(records.record(path).ok()) << path;
        test::writeFile(path, "cut short");
        struct stat made {};
        ASSERT_EQ(::lstat(path.c_str(), &made), 0);
        records.identify(path, FileIdentity::of(made));
    }

    test::TemporaryEnvironment environment;
    const std::string journalPath = environment.root() + "/data/partial-downloads.json";
    const std::string folder = environment.root() + "/Chosen";
};

// What stands at a recorded name when the next start looks, and whether that start removes it: only
// the very file made there, in the folder it was made in, reached without a link.
TEST_F(PartialFileRecordsTest, AStartRemovesTheRecordedPartialFilesLeftAndNothingElse) {
    // With nothing recorded, a start writes no record either.
    PartialFileRecords(journalPath).sweepEarlier();
    EXPECT_FALSE(test::fileExists(journalPath));

    test::writeFile(folder + "/neighbour.txt", "the person's own file");
    const std::string neighbour = folder + "/neighbour.txt";
    struct Case {
        const char* what;
        std::string path;
        std::function<void(const std::string& path)> afterwards;  // what happened to it since
        bool removed;
    };
    const std::string moved = environment.root() + "/Moved", real = environment.root() + "/Real";
    std::filesystem::create_directories(moved);
    const Case cases[] = {
        {"left as it was", partialIn(folder), nullptr, true},
        {"a link now", partialIn(folder),
         [&](const std::string& path) {
             std::remove(path.c_str());
             ASSERT_EQ(::symlink(neighbour.c_str(), path.c_str()), 0);
         },
         false},
        {"a folder now", partialIn(folder),
         [&](const std::string& path) {
             std::remove(path.c_str());
             std::filesystem::create_directories(path);
         },
         false},
        {"another file of that name now", partialIn(folder),
         [&](const std::string& path) {
             // Put in its place while it was still there: never the same file.
             test::writeFile(folder + "/other", "someone else's file of that name");
             ASSERT_EQ(std::rename((folder + "/other").c_str(), path.c_str()), 0);
         },
         false},
        {"its folder a link now, to the same file", partialIn(moved),
         [&](const std::string&) {
             ASSERT_EQ(std::rename(moved.c_str(), real.c_str()), 0);
             ASSERT_EQ(::symlink(real.c_str(), moved.c_str()), 0);
         },
         false},
    };
    PartialFileRecords earlier(journalPath);
    for (const Case& c : cases) makeRecorded(earlier, c.path);
    // On record, made, and the process ended before it could say which file it made.
    const std::string unidentified = partialIn(folder), gone = partialIn(folder);
    ASSERT_TRUE(earlier.record(unidentified).ok());
    test::writeFile(unidentified, "cut short, never identified");
    ASSERT_TRUE(earlier.record(gone).ok());
    // On a drive that is not attached at the next start.
    const std::string stick = environment.root() + "/Stick", elsewhere = partialIn(stick);
    makeRecorded(earlier, elsewhere);
    ASSERT_EQ(std::rename(stick.c_str(), (stick + "-detached").c_str()), 0);
    for (const Case& c : cases)
        if (c.afterwards) c.afterwards(c.path);
    // The earlier process's journal named a user's file too: damage, never acted on.
    {
        std::string text = test::readFile(journalPath);
        g_autofree char* uri = g_filename_to_uri(neighbour.c_str(), nullptr, nullptr);
        text.insert(text.find('[') + 1, std::string("\"") + uri + "\",");
        test::writeFile(journalPath, text);
    }
    const auto outside = [&](const std::string& path) { return test::entriesStartingWith(folderOf(path), ""); };
    PartialFileRecords records(journalPath);
    // This process's own partial file, recorded before the start's sweep ran, is not swept.
    const std::string mine = partialIn(folder);
    makeRecorded(records, mine);
    std::map<std::string, std::vector<std::string>> before;
    for (const Case& c : cases) before[c.what] = outside(c.path);
    records.sweepEarlier();

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(!test::fileExists(c.path), c.removed);
        // Nothing else in its folder changed.
        std::vector<std::string> expected = before[c.what];
        for (const Case& removed : cases)
            if (removed.removed) std::erase(expected, std::filesystem::path(removed.path).filename().string());
        EXPECT_EQ(outside(c.path), expected);
    }
    EXPECT_EQ(test::readFile(neighbour), "the person's own file");
    EXPECT_EQ(test::readFile(unidentified), "cut short, never identified") << "not shown to be ours";
    EXPECT_EQ(test::readFile(mine), "cut short");
    // Records of what is gone or not ours go; the one whose folder is not there now waits for a
    // start that finds it, and this process's stays until its placement ends.
    EXPECT_EQ(onDisk(), (std::set<std::string>{elsewhere, mine}));

    records.forget(mine);
    EXPECT_EQ(onDisk(), std::set<std::string>{elsewhere});
    // The next start finds the drive attached again.
    ASSERT_EQ(std::rename((stick + "-detached").c_str(), stick.c_str()), 0);
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
        // Over the size cap: moved aside whole, since it cannot be copied within it.
        std::string(R"({"partialFiles": [)") + std::string(1'000'001, ' ') + "]}",
    };
    for (const std::string& text : damaged) {
        SCOPED_TRACE(text.substr(0, 40));
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
