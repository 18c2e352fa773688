#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/json_coding.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/sample_records.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

// Recorded visits: published at once, written off the main thread after the quiet period.
class LibrarySaveTest : public testing::Test {
protected:
    LibraryDocument onDisk() {
        auto document = readLibraryFile(home.path("library.json"));
        return document.ok() ? *document : LibraryDocument{};
    }
    bool visit(LibraryStore& store, const std::string& path) {
        return store.recordVisit("https://example.com/" + path, path, clock.now());
    }
    void settle(LibraryStore& store) {
        ASSERT_TRUE(test::spinUntil([&] { return !store.hasPendingSave(); }));
    }

    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    ManualClock clock{Date{800000000}};
};

TEST_F(LibrarySaveTest, VisitsAreWrittenTogetherAfterTheQuietPeriod) {
    LibraryStore store(std::nullopt, scheduler, clock);
    ASSERT_TRUE(store.save(test::makeClip()));  // an immediate write the later one builds on
    ASSERT_TRUE(visit(store, "a"));
    EXPECT_NE(onDisk(), store.document()) << "a visit returns without writing";
    scheduler.advance(LibraryStore::kSaveDelay / 2);
    ASSERT_TRUE(visit(store, "b"));
    scheduler.advance(LibraryStore::kSaveDelay / 2);
    settle(store);
    EXPECT_EQ(onDisk(), store.document()) << "one write, within the quiet period, with both visits";
    EXPECT_EQ(store.document().history.size(), 2u);
    EXPECT_EQ(scheduler.pendingCount(), 0u);
    ASSERT_TRUE(visit(store, "c"));  // the writer takes the next write as well
    scheduler.advance(LibraryStore::kSaveDelay);
    settle(store);
    EXPECT_EQ(onDisk(), store.document());
}

TEST_F(LibrarySaveTest, AFullLibrarySaysItIsFullAndKeepsItsFile) {
    LibraryDocument full;
    for (std::size_t i = 0; i < kMaximumClips; ++i) full.clips.push_back(test::makeClip());
    LibraryStore store(std::nullopt, scheduler, clock);
    ASSERT_TRUE(store.replaceContents(full));
    std::string before = test::readBytes(home.path("library.json"));
    EXPECT_FALSE(store.save(test::makeClip()));
    EXPECT_EQ(store.errorMessage().value_or(""),
              "The library is full: it keeps up to 5000 saved pages and 100 page groups. Delete some before adding more.");
    EXPECT_EQ(test::readBytes(home.path("library.json")), before);
}

TEST_F(LibrarySaveTest, OverlappingWritesKeepTheNewestDocument) {
    LibraryDocument small;
    small.clips = {test::makeClip()};
    test::writeBytes(home.path("library.json"), *encodeLibraryDocument(LibraryDocument{}));
    test::writeBytes(home.path("library.json.backup"), *encodeLibraryDocument(small));
    FileWriter writer;
    {
        LibraryStore store(std::nullopt, scheduler, clock, writer);
        FileWriter::Hold hold(writer);
        ASSERT_TRUE(visit(store, "a"));
        scheduler.advance(LibraryStore::kSaveDelay);
        ASSERT_EQ(hold.waitForHeldWrite(), home.path("library.json"))
            << "the first visits' write is in flight";
        ASSERT_TRUE(visit(store, "b"));
        scheduler.advance(LibraryStore::kSaveDelay);  // and the next one waits behind it
        std::thread releaser([&] {
            if (hold.waitForWaitingCaller()) hold.release();
        });
        // An immediate write while the background ones run or wait: it must land last.
        EXPECT_TRUE(store.restorePrevious());
        releaser.join();
        writer.flush();
        EXPECT_EQ(onDisk(), small) << "nothing handed over before lands after it";
    }  // the store finishes every write before it goes
    EXPECT_EQ(onDisk(), small);
}

// Loaded later, as at start: read off the main thread, and the file rewritten only when its
// content changes (expired visits), then on the writer.
TEST_F(LibrarySaveTest, ALaterLoadRewritesTheFileOnlyWhenVisitsExpired) {
    for (bool expired : {false, true}) {
        SCOPED_TRACE(expired ? "with an expired visit" : "with recent visits only");
        LibraryDocument stored;
        stored.clips = {test::makeClip()};
        stored.history = {test::makeVisit("https://example.com/recent", clock.now().adding(-60))};
        if (expired) stored.history.push_back(test::makeVisit("https://example.com/old", Date{0}));
        // Pretty-printed: not the store's own encoding, which alone is no reason to rewrite it.
        const std::string bytes = Json(stored).dump(2);
        test::writeBytes(home.path("library.json"), bytes);
        ASSERT_TRUE(files::removeFileIfPresent(home.path("library.json.backup")));
        FileWriter writer;
        LibraryStore store(std::nullopt, scheduler, clock, writer, LibraryStore::Loading::later);
        EXPECT_FALSE(store.loading());
        store.startLoading();
        EXPECT_TRUE(store.loading());
        ASSERT_TRUE(test::spinUntil([&] { return !store.loading(); }))
            << "the document reaches the main loop";
        LibraryDocument expected = stored;
        expected.history.resize(1);
        EXPECT_EQ(store.document(), expected);
        {
            FileWriter::Hold hold(writer);
            scheduler.advance(LibraryStore::kSaveDelay);
            EXPECT_EQ(hold.waitForHeldWrite(std::chrono::milliseconds(expired ? 10000 : 50)).has_value(),
                      expired);
            EXPECT_EQ(test::readBytes(home.path("library.json")), bytes) << "the main thread writes nothing";
        }
        settle(store);
        if (expired) {
            EXPECT_EQ(onDisk(), expected);
        } else {
            EXPECT_EQ(test::readBytes(home.path("library.json")), bytes);
            EXPECT_FALSE(test::exists(home.path("library.json.backup")));
        }
    }
}

TEST_F(LibrarySaveTest, FailedWritesAreReportedOnceAndTheVisitsGoWithTheNextWrite) {
    test::writeBytes(home.path("library.json"), *encodeLibraryDocument(LibraryDocument{}));
    LibraryStore store(std::nullopt, scheduler, clock);
    std::vector<std::string> reports;
    store.signal_saveFailed().connect([&](const std::string& message) { reports.push_back(message); });
    auto visitAndSave = [&](const char* path) {
        ASSERT_TRUE(visit(store, path));
        scheduler.advance(LibraryStore::kSaveDelay);
        settle(store);
    };
    {
        test::FileSizeLimit full(16);  // a full disk
        visitAndSave("a");
        visitAndSave("b");
    }
    ASSERT_EQ(reports.size(), 1u) << "told when saving starts failing, not at every retry";
    EXPECT_EQ(store.errorMessage(), reports[0]);
    EXPECT_EQ(store.document().history.size(), 2u) << "the visits stay in memory";
    EXPECT_EQ(onDisk(), LibraryDocument{}) << "the file stays as it was";

    visitAndSave("c");
    EXPECT_EQ(onDisk(), store.document()) << "the next change's write carries every visit";
    EXPECT_EQ(onDisk().history.size(), 3u);
    EXPECT_FALSE(store.errorMessage());

    {
        test::FileSizeLimit full(16);
        visitAndSave("d");
    }
    EXPECT_EQ(reports.size(), 2u) << "failing again after a write succeeded is told again";
    EXPECT_TRUE(store.flush());
    EXPECT_EQ(onDisk().history.size(), 4u) << "the final save writes what is still unsaved";
    EXPECT_FALSE(store.errorMessage());
}

TEST_F(LibrarySaveTest, ShutdownWritesWhatIsStillWaiting) {
    LibraryDocument expected;
    {
        LibraryStore store(std::nullopt, scheduler, clock);
        ASSERT_TRUE(visit(store, "a"));
        scheduler.advance(LibraryStore::kSaveDelay);  // a write in flight
        ASSERT_TRUE(visit(store, "b"));               // and a change that never saw its timer
        expected = store.document();
    }
    EXPECT_EQ(onDisk(), expected);
}

}  // namespace
}  // namespace quenlith
