#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

// The writer's order and its latest-wins rule, made visible by recording what the worker runs.
class FileWriterTest : public testing::Test {
protected:
    // A write of `path` that records "<path>:<version>" when the worker runs it.
    FileWriter::Work recording(const std::string& path, int version) {
        return [this, path, version] {
            std::lock_guard lock(mutex);
            ran.push_back(path + ":" + std::to_string(version));
            threads.push_back(std::this_thread::get_id());
            return success();
        };
    }
    FileWriter::Completion telling(const std::string& path, int version) {
        return [this, path, version](const Status&) { told.push_back(path + ":" + std::to_string(version)); };
    }

    std::mutex mutex;
    std::vector<std::string> ran;
    std::vector<std::thread::id> threads;
    std::vector<std::string> told;
};

TEST_F(FileWriterTest, TheNewestWaitingWriteOfAFileWinsAndOtherFilesKeepTheirOrder) {
    FileWriter writer;
    {
        FileWriter::Hold hold(writer);
        writer.write("a", recording("a", 1), telling("a", 1));
        ASSERT_EQ(hold.waitForHeldWrite(), "a") << "the worker holds the first write mid-way";
        writer.write("b", recording("b", 1), telling("b", 1));
        writer.write("a", recording("a", 2), telling("a", 2));
        writer.write("a", recording("a", 3), telling("a", 3));
        writer.write("c", recording("c", 1), telling("c", 1));
        EXPECT_TRUE(writer.busy("a"));
    }
    writer.flush();
    EXPECT_EQ(ran, (std::vector<std::string>{"a:1", "b:1", "a:3", "c:1"}))
        << "a:2 was overtaken while it waited; a:3 goes after b, which was handed over before it";
    ASSERT_TRUE(test::spinUntil([&] { return told.size() == 4; }));
    EXPECT_EQ(told, ran) << "completions come back in order, the dropped write's never";
    EXPECT_FALSE(writer.busy("a"));
    EXPECT_FALSE(writer.busy("c"));
}

TEST_F(FileWriterTest, WritesRunOnTheWorkerNeverOnTheCallersThread) {
    FileWriter writer;
    writer.write("a", recording("a", 1));
    ASSERT_TRUE(writer.writeAndWait("b", recording("b", 1)).ok());
    writer.flush();
    ASSERT_EQ(threads.size(), 2u);
    for (auto id : threads) EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(FileWriterTest, AWaitedWriteComesAfterTheWriteInFlightAndSilencesEarlierCompletions) {
    FileWriter writer;
    FileWriter::Hold hold(writer);
    writer.write("a", recording("a", 1), telling("a", 1));
    ASSERT_EQ(hold.waitForHeldWrite(), "a");
    writer.write("a", recording("a", 2), telling("a", 2));
    std::thread releaser([&] {
        // Only once the caller waits: the held write is then in flight and a:2 waits behind it.
        if (hold.waitForWaitingCaller()) hold.release();
    });
    Status result = writer.writeAndWait("a", recording("a", 3));
    releaser.join();
    EXPECT_TRUE(result.ok());
    writer.flush();
    EXPECT_EQ(ran, (std::vector<std::string>{"a:1", "a:3"}));
    test::spinFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(told.empty()) << "what the waited write overtook is no longer news";
    EXPECT_FALSE(writer.busy("a"));
}

TEST_F(FileWriterTest, EveryoneWaitingIsWokenWhenTheWriteTheyWaitForIsDone) {
    FileWriter writer;
    // The idle worker is woken by a write handed over later.
    writer.write("a", recording("a", 1), telling("a", 1));
    ASSERT_TRUE(test::spinUntil([&] { return told.size() == 1; }));
    writer.write("a", recording("a", 2), telling("a", 2));
    EXPECT_TRUE(test::spinUntil([&] { return told.size() == 2; }))
        << "a write handed to the idle worker was left waiting";

    // A caller already waiting for the disk is woken when its write is done, by nothing else.
    FileWriter::Hold hold(writer);
    writer.write("b", recording("b", 1));
    ASSERT_EQ(hold.waitForHeldWrite(), "b");
    auto waited = std::async(std::launch::async, [&] { return writer.writeAndWait("c", recording("c", 1)); });
    ASSERT_TRUE(hold.waitForWaitingCaller());
    hold.release();
    const bool woken = waited.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    EXPECT_TRUE(woken) << "the waiting caller was not woken when its write was done";
    // Frees a caller left waiting, so the test ends either way.
    if (!woken) writer.write("d", recording("d", 1));
    EXPECT_TRUE(waited.get().ok());
}

TEST_F(FileWriterTest, CompletionsArrivingAfterTheWriterIsGoneDoNothing) {
    auto writer = std::make_unique<FileWriter>();
    writer->write("a", recording("a", 1), telling("a", 1));
    writer.reset();  // finishes the write; its completion is still queued on the main context
    EXPECT_EQ(ran, std::vector<std::string>{"a:1"});
    test::spinFor(std::chrono::milliseconds(50));
    EXPECT_TRUE(told.empty());
}

TEST_F(FileWriterTest, TheBackupRuleKeepsTheReplacedBytesAndAFailureIsTold) {
    test::TemporaryEnvironment home;
    FileWriter writer;
    const std::string path = home.path("profiles.json");
    ASSERT_TRUE(writer.writeAndWait(path, [&] { return replaceKeepingBackup(path, "first", 100); }).ok());
    EXPECT_FALSE(test::exists(files::backupPath(path))) << "nothing to keep before the first write";
    std::optional<Status> told;
    writer.write(
        path, [&] { return replaceKeepingBackup(path, "second", 100); },
        [&](const Status& result) { told = result; });
    ASSERT_TRUE(test::spinUntil([&] { return told.has_value(); }));
    EXPECT_TRUE(told->ok());
    EXPECT_EQ(test::readBytes(path), "second");
    EXPECT_EQ(test::readBytes(files::backupPath(path)), "first");

    told.reset();
    {
        test::FileSizeLimit full(3);  // a full disk
        writer.write(
            path, [&] { return replaceKeepingBackup(path, "third", 100); },
            [&](const Status& result) { told = result; });
        writer.flush();
    }
    ASSERT_TRUE(test::spinUntil([&] { return told.has_value(); }));
    EXPECT_FALSE(told->ok());
    EXPECT_EQ(test::readBytes(path), "second") << "a failed write leaves the file as it was";
}

}  // namespace
}  // namespace quenlith
