#include <gtest/gtest.h>

#include <string>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

using test::makeClip;
using test::makeVisit;
using test::readBytes;

const std::string kInvalidMessage = "This backup is invalid, too large, or from an unsupported version.";

class LibraryStoreTest : public testing::Test {
protected:
    std::string libraryPath() const { return home.path("library.json"); }
    std::string backupPath() const { return libraryPath() + ".backup"; }

    std::unique_ptr<LibraryStore> openStore() {
        return std::make_unique<LibraryStore>(std::nullopt, scheduler, clock);
    }

    void writeDocument(const std::string& path, const LibraryDocument& document) {
        test::writeBytes(path, *encodeLibraryDocument(document));
    }

    LibraryDocument documentAt(const std::string& path) {
        auto document = decodeLibraryDocument(readBytes(path), path);
        EXPECT_TRUE(document.ok()) << path;
        return document.ok() ? *document : LibraryDocument{};
    }

    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    ManualClock clock{Date{800000000}};
};

// The file contract shared with the other stores is checked for every store elsewhere.
TEST_F(LibraryStoreTest, BackupFollowsClipsAndGroupsButNotHistory) {
    const LibraryDocument initial{1, {makeClip()}, {}, {makeVisit("https://example.com/h", clock.now())}};
    writeDocument(libraryPath(), initial);
    auto store = openStore();
    ASSERT_TRUE(store->writable());

    ASSERT_TRUE(store->update([&](LibraryDocument& d) { d.recordVisit("https://example.com/x", "x", clock.now()); }));
    LibraryDocument expectedBackup = initial;
    expectedBackup.history.clear();
    EXPECT_EQ(documentAt(backupPath()), expectedBackup) << "no backup yet: made, without history";
    std::string backupBytes = readBytes(backupPath());

    ASSERT_TRUE(store->update([&](LibraryDocument& d) { d.recordVisit("https://example.com/y", "y", clock.now()); }));
    ASSERT_TRUE(store->clearHistory());
    EXPECT_TRUE(store->document().history.empty());
    EXPECT_EQ(readBytes(backupPath()), backupBytes) << "history changes leave the backup alone";

    auto beforeScene = store->document();
    ASSERT_TRUE(store->update([](LibraryDocument& d) { d.scenes.push_back(test::makeScene()); }));
    EXPECT_EQ(documentAt(backupPath()), beforeScene) << "a new group refreshes the backup";
    EXPECT_EQ(documentAt(libraryPath()), store->document());
}

TEST_F(LibraryStoreTest, SaveCleansTheClipOrRefusesItWhole) {
    auto store = openStore();
    clock.set(Date{812345678.5});
    auto clip = makeClip("https://news.example.com/story", "  \n ");
    clip.collection = "  Reading \t";
    clip.text = "  kept as is  ";
    ASSERT_TRUE(store->save(clip));
    auto expected = clip;
    expected.title = "news.example.com";
    expected.collection = "Reading";
    expected.modified = clock.now();
    EXPECT_EQ(store->document().clips[0], expected) << "the excerpt is kept as is";

    auto titled = makeClip("https://a.example/", "  Title  ");
    ASSERT_TRUE(store->save(titled));
    EXPECT_EQ(store->document().clips[0].title, "Title") << "new clips first, trimmed";
    titled.title = "Renamed";
    ASSERT_TRUE(store->save(titled));
    EXPECT_EQ(store->document().clips[0].title, "Renamed") << "existing clip keeps its place";
    EXPECT_EQ(store->document().clips.size(), 2u);

    // A clip that breaks a rule changes nothing, and the next success clears the message.
    std::string bytes = readBytes(libraryPath());
    auto before = store->document();
    for (const auto& refused : {makeClip("not an address", ""), makeClip("https://e.com/", std::string(600, 't')),
                                makeClip("mailto:a@example.com", "Mail")}) {
        EXPECT_FALSE(store->save(refused)) << refused.address;
        EXPECT_EQ(store->errorMessage(), kInvalidMessage);
    }
    EXPECT_EQ(store->document(), before);
    EXPECT_EQ(readBytes(libraryPath()), bytes);
    ASSERT_TRUE(store->save(makeClip()));
    EXPECT_FALSE(store->errorMessage());
}

TEST_F(LibraryStoreTest, FailedHistoryOnlyWriteLeavesTheBackupAlone) {
    const LibraryDocument initial{1, {makeClip()}, {}, {}};
    writeDocument(libraryPath(), initial);
    writeDocument(backupPath(), LibraryDocument{});
    auto store = openStore();
    std::string fileBytes = readBytes(libraryPath());
    std::string backupBytes = readBytes(backupPath());
    {
        // A history-only change does not touch the backup; the file write itself fails.
        test::FileSizeLimit limit(fileBytes.size() + 10);
        EXPECT_FALSE(store->update([&](LibraryDocument& d) {
            d.recordVisit("https://example.com/" + std::string(200, 'p'), "long", clock.now());
        }));
    }
    EXPECT_EQ(readBytes(libraryPath()), fileBytes);
    EXPECT_EQ(readBytes(backupPath()), backupBytes);
    EXPECT_EQ(store->document(), initial);
    EXPECT_NE(store->errorMessage()->find("library.json"), std::string::npos) << *store->errorMessage();
}

TEST_F(LibraryStoreTest, ReadOnlyStoreRefusesEveryEdit) {
    test::writeBytes(libraryPath(), "{");
    auto store = openStore();
    ASSERT_FALSE(store->writable());
    EXPECT_FALSE(store->clearHistory());
    EXPECT_FALSE(store->replaceContents(LibraryDocument{}));
    EXPECT_FALSE(store->update([](LibraryDocument&) {}));
    EXPECT_EQ(readBytes(libraryPath()), "{");
}

TEST_F(LibraryStoreTest, RestoreRefusesABackupThatBreaksTheRules) {
    auto store = openStore();
    ASSERT_TRUE(store->save(makeClip()));
    writeDocument(backupPath(), LibraryDocument{1, {}, {test::makeScene("  ")}, {}});
    EXPECT_FALSE(store->restorePrevious());
    EXPECT_EQ(store->errorMessage(), kInvalidMessage);
    EXPECT_EQ(store->document().clips.size(), 1u);
}

// Valid JSON padded with spaces to exactly the cap is read; one byte more is refused unread, while
// broken JSON at the cap is parsed and fails as a decoding error. A file over the cap at start
// makes the store read-only like any unreadable file.
TEST_F(LibraryStoreTest, SizeCapIsCheckedBeforeParsing) {
    const LibraryDocument document{1, {makeClip()}, {}, {}};
    std::string text = *encodeLibraryDocument(document);
    std::string atCap = text + std::string(kLibraryFileSizeCap - text.size(), ' ');
    ASSERT_EQ(atCap.size(), 20'000'000u);
    test::writeBytes(libraryPath(), atCap);
    auto read = readLibraryFile(libraryPath());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(*read, document);
    for (const auto& [bytes, code] : {std::pair{atCap + " ", kLibraryInvalidDocument},
                                      {atCap.substr(0, atCap.size() - 1) + "{", files::kCorruptFile}}) {
        test::writeBytes(libraryPath(), bytes);
        auto refused = readLibraryFile(libraryPath());
        EXPECT_EQ(refused.ok() ? "read" : refused.error().code, code);
    }
}

TEST_F(LibraryStoreTest, OversizedDocumentIsRefusedOnWriting) {
    auto store = openStore();
    // 5,000 clips of 4,100 characters each encode to more than 20,000,000 bytes.
    std::string text(4100, 'w');
    bool ok = store->update([&](LibraryDocument& d) {
        for (int i = 0; i < 5000; ++i) {
            auto clip = makeClip();
            clip.text = text;
            d.clips.push_back(clip);
        }
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(store->errorMessage(), kInvalidMessage);
    EXPECT_FALSE(test::exists(libraryPath()));
}

TEST_F(LibraryStoreTest, ExpiredHistoryIsPrunedAtStartOnly) {
    const Date now = clock.now();
    const LibraryDocument recent{1, {}, {}, {makeVisit("https://example.com/", now.adding(-29 * 86400))}};
    writeDocument(libraryPath(), recent);
    std::string bytes = readBytes(libraryPath());
    {
        auto store = openStore();
        EXPECT_EQ(store->document(), recent);
        EXPECT_EQ(readBytes(libraryPath()), bytes) << "29 days: not rewritten";
    }
    writeDocument(libraryPath(), {1, {}, {}, {makeVisit("https://example.com/", now.adding(-31 * 86400))}});
    auto store = openStore();
    EXPECT_TRUE(store->document().history.empty());
    EXPECT_TRUE(documentAt(libraryPath()).history.empty());
    EXPECT_TRUE(test::exists(backupPath())) << "the pruning save creates the missing backup";
}

TEST_F(LibraryStoreTest, ReplaceContentsSwapsTheWholeDocument) {
    auto store = openStore();
    ASSERT_TRUE(store->save(makeClip()));
    LibraryDocument imported{1, {makeClip("https://imported.example/")}, {test::makeScene()},
                             {makeVisit("https://imported.example/", clock.now())}};
    ASSERT_TRUE(store->replaceContents(imported));
    EXPECT_EQ(store->document(), imported);
    EXPECT_EQ(documentAt(libraryPath()), imported);
    imported.version = 2;
    EXPECT_FALSE(store->replaceContents(imported));
}

TEST(LibraryMarkdown, FormatsEntriesWithSeparators) {
    EXPECT_EQ(LibraryStore::markdown({}), "");
    auto a = makeClip("X", "A");
    a.text = "Y";
    EXPECT_EQ(LibraryStore::markdown({a}), "# A\n\nX\n\nY\n");
    auto b = makeClip("", "Line one\nline two\r\nthree\rfour");
    b.text = "*kept* \r\n as is";
    EXPECT_EQ(LibraryStore::markdown({a, b}),
              "# A\n\nX\n\nY\n"
              "\n---\n\n"
              "# Line one line two three four\n\n*kept* \r\n as is\n");
}

}  // namespace
}  // namespace quenlith
