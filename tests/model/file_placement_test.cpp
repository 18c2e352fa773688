#include "model/file_placement.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <optional>
#include <vector>

#include <sys/stat.h>

#include <glib/gstdio.h>
#include <gtest/gtest.h>

#include "model/file_test_support.hpp"
#include "model/partial_file_records.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

bool sameFileSystem(const std::string& a, const std::string& b) {
    struct stat first {}, second {};
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev;
}

// Everything in `folder` but the names listed: partial files left behind show up here.
std::vector<std::string> othersIn(const std::string& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> found;
    for (const std::string& name : test::entriesStartingWith(folder, ""))
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) found.push_back(name);
    return found;
}

// Holds the worker after its first copied piece until released.
struct PieceHold {
    std::mutex mutex;
    std::condition_variable changed;
    bool reached = false, released = false;
    void wait() {
        std::unique_lock lock(mutex);
        reached = true;
        changed.notify_all();
        changed.wait(lock, [&] { return released; });
    }
    void release() {
        std::lock_guard lock(mutex);
        released = true;
        changed.notify_all();
    }
    bool wasReached() {
        std::lock_guard lock(mutex);
        return reached;
    }
};

struct FailureCase;

class FilePlacementTest : public ::testing::Test {
protected:
    void expectNothingChangesWhen(const FailureCase& c);

    void SetUp() override {
        // A second file system beside the test's folder: memory, where the folder is on disk.
        if (sameFileSystem("/dev/shm", environment.root()))
            GTEST_SKIP() << "no second file system beside " << environment.root();
    }

    // Places `source` at `destination` and waits for the answer.
    std::optional<Status> placeAndWait(const std::string& source, const std::string& destination,
                                       FilePlacement::Seams seams = {},
                                       std::shared_ptr<PartialFileRecorder> recorder = nullptr) {
        std::optional<Status> answer;
        placement = FilePlacement::start(
            source, destination, [&](const Status& status) { answer = status; }, std::move(seams),
            std::move(recorder));
        EXPECT_TRUE(spinUntil([&] { return answer.has_value(); }));
        return answer;
    }

    test::TemporaryEnvironment environment;
    // A folder in memory, removed with the test.
    struct MemoryFolder {
        std::string made = [] {
            char pattern[] = "/dev/shm/quenlith-placement-XXXXXX";
            return std::string(g_mkdtemp(pattern) ? pattern : "/dev/shm");
        }();
        ~MemoryFolder() { test::removeTree(made); }
        const std::string& path() const { return made; }
    } memory;
    std::shared_ptr<FilePlacement> placement;
    const std::string kept = std::string(100 * 1024, 'k');
};

TEST_F(FilePlacementTest, AFinishedFileReplacesOrCreatesTheChosenNameWithinAndAcrossFileSystems) {
    struct Case {
        const char* what;
        bool acrossFileSystems;
        bool replacing;
    };
    const Case cases[] = {
        {"renamed within one file system, new name", false, false},
        {"renamed within one file system over a file", false, true},
        {"copied across file systems, new name", true, false},
        {"copied across file systems over a file", true, true},
    };
    int row = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = environment.root() + "/saved-" + std::to_string(row);
        const std::string source =
            (c.acrossFileSystems ? memory.path() : environment.root()) + "/source-" + std::to_string(row++);
        const std::string body = std::string(3 << 20, 'd') + c.what;  // more than one piece
        test::writeFile(source, body);
        chmod(source.c_str(), 0640);
        test::writeFile(folder + "/file.bin", kept);
        if (!c.replacing) std::remove((folder + "/file.bin").c_str());

        auto answer = placeAndWait(source, folder + "/file.bin");
        ASSERT_TRUE(answer && answer->ok())
            << (answer && !answer->ok() ? answer->error().message : "no answer");
        EXPECT_TRUE(test::readFile(folder + "/file.bin") == body);
        EXPECT_FALSE(test::fileExists(source)) << "moved, not copied";
        EXPECT_EQ(othersIn(folder, {"file.bin"}), std::vector<std::string>{});
        struct stat placed {};
        ASSERT_EQ(stat((folder + "/file.bin").c_str(), &placed), 0);
        EXPECT_EQ(placed.st_mode & 0777, 0640u) << "the permissions the file was written with";
        // A file that has landed is no longer cancelled.
        EXPECT_FALSE(placement->cancel());
    }
}

// One way a placement fails, tried for a new name and over a file already there.
struct FailureCase {
    const char* what;
    std::string sourceFolder, folder;
    bool folderThere = true;
    std::uint64_t sizeLimit = 0;  // no file of the process may grow past it, when set
};

void FilePlacementTest::expectNothingChangesWhen(const FailureCase& c) {
    SCOPED_TRACE(c.what);
    for (bool replacing : {false, true}) {
        SCOPED_TRACE(replacing ? "replacing a file" : "a new name");
        const std::string source = c.sourceFolder + "/source-" + std::to_string(replacing);
        const std::string body(5 << 20, 'b');
        test::writeFile(source, body);
        const std::string destination = c.folder + "/keep.bin";
        if (c.folderThere) test::writeFile(replacing ? destination : c.folder + "/other", kept);
        std::optional<test::FileSizeLimit> limit;
        if (c.sizeLimit) limit.emplace(c.sizeLimit);

        auto answer = placeAndWait(source, destination);
        limit.reset();
        ASSERT_TRUE(answer && !answer->ok());
        EXPECT_NE(answer->error().message.find(destination), std::string::npos) << answer->error().message;
        EXPECT_EQ(answer->error().message.find("Quenlith-download"), std::string::npos)
            << answer->error().message;
        if (c.folderThere) {
            if (replacing) {
                EXPECT_TRUE(test::readFile(destination) == kept) << "byte for byte as it was";
            }
            EXPECT_EQ(test::fileExists(destination), replacing);
            EXPECT_EQ(othersIn(c.folder, {"keep.bin", "other"}), std::vector<std::string>{});
            std::remove(destination.c_str());
        }
        EXPECT_TRUE(test::readFile(source) == body) << "the caller's to remove";
        std::remove(source.c_str());
    }
}

TEST_F(FilePlacementTest, AWriteThatFailsLeavesTheChosenNameAsItWasAndNoPartialFile) {
    test::writeFile(environment.root() + "/plain", "not a folder");
    const FailureCase cases[] = {
        {"a file-size limit", memory.path(), environment.root() + "/limited", true, 512 * 1024},
        {"a folder that is not there", memory.path(), environment.root() + "/gone", false},
        {"a folder in place of which stands a file", memory.path(), environment.root() + "/plain/file",
         false},
    };
    for (const FailureCase& c : cases) expectNothingChangesWhen(c);
}

TEST_F(FilePlacementTest, AFullDiskLeavesTheChosenNameAsItWasAndNoPartialFile) {
    test::SmallFileSystem small(1 << 20);
    if (!small.mounted()) GTEST_SKIP() << small.refusal();
    expectNothingChangesWhen({"a full disk", environment.root(), small.path()});
}

TEST_F(FilePlacementTest, APartialNameAlreadyTakenIsLeftAloneAndAnotherIsUsed) {
    const std::string folder = environment.root() + "/saved";
    const std::string taken = folder + "/.taken.part";
    test::writeFile(taken, "someone else's");
    test::writeFile(memory.path() + "/source", "downloaded");
    std::vector<std::string> offered;
    FilePlacement::Seams seams;
    seams.partialName = [&](const std::string& in) {
        offered.push_back(offered.empty() ? taken : partialFileName(in));
        return offered.back();
    };
    auto answer = placeAndWait(memory.path() + "/source", folder + "/file.bin", seams);
    ASSERT_TRUE(answer && answer->ok());
    EXPECT_EQ(offered.size(), 2u);
    EXPECT_EQ(test::readFile(taken), "someone else's");
    EXPECT_EQ(test::readFile(folder + "/file.bin"), "downloaded");
    EXPECT_EQ(othersIn(folder, {"file.bin", ".taken.part"}), std::vector<std::string>{});
    // The fresh names are hidden files of the destination's folder.
    EXPECT_EQ(offered[1].rfind(folder + "/.", 0), 0u) << offered[1];
}

TEST_F(FilePlacementTest, CancellingMidCopyRemovesThePartialFileAtOnceAndKeepsTheReplacedFile) {
    const std::string folder = environment.root() + "/saved";
    test::writeFile(folder + "/keep.bin", kept);
    const std::string source = memory.path() + "/source";
    test::writeFile(source, std::string(3 << 20, 'c'));
    auto hold = std::make_shared<PieceHold>();
    std::atomic<bool> told{false};
    FilePlacement::Seams seams;
    seams.copiedPiece = [hold] { hold->wait(); };
    placement = FilePlacement::start(
        source, folder + "/keep.bin", [&](const Status&) { told = true; }, seams);
    struct Release {
        std::shared_ptr<PieceHold> hold;
        ~Release() { hold->release(); }
    } release{hold};
    ASSERT_TRUE(spinUntil([&] { return hold->wasReached(); }));
    EXPECT_EQ(othersIn(folder, {"keep.bin"}).size(), 1u) << "the partial file fills beside the chosen name";

    EXPECT_TRUE(placement->cancel());
    // Gone before the worker hears of it: a process that quits now leaves nothing behind.
    EXPECT_EQ(othersIn(folder, {"keep.bin"}), std::vector<std::string>{});
    hold->release();
    test::spinFor(std::chrono::milliseconds(200));
    EXPECT_FALSE(told);
    EXPECT_TRUE(test::readFile(folder + "/keep.bin") == kept);
    EXPECT_EQ(othersIn(folder, {"keep.bin"}), std::vector<std::string>{});
    EXPECT_TRUE(placement->cancel()) << "still stopped";
}

// The journal of partial files, watched from the worker: what is on disk when a partial file is made
// and when its record goes.
class WatchedRecords final : public PartialFileRecorder {
public:
    explicit WatchedRecords(std::string journal) : journal_(journal), records_(std::move(journal)) {}
    Status record(const std::string& path) override {
        if (test::fileExists(path)) fault("made before it was recorded: " + path);
        auto recorded = records_.record(path);
        if (recorded && !onDisk().contains(path)) fault("recorded but not on disk: " + path);
        log("record " + path);
        return recorded;
    }
    void identify(const std::string& path, FileIdentity identity) override {
        if (!test::fileExists(path)) fault("identified before it was made: " + path);
        records_.identify(path, identity);
        log("identify " + path);
    }
    void forget(const std::string& path) override {
        records_.forget(path);
        log("forget " + path);
    }
    std::set<std::string> onDisk() const {
        auto journal = PartialFileJournal::parse(test::readFile(journal_));
        return journal ? journal->earlier() : std::set<std::string>{};
    }
    std::optional<FileIdentity> identityOnDisk(const std::string& path) const {
        auto journal = PartialFileJournal::parse(test::readFile(journal_));
        return journal ? journal->identityOf(path) : std::nullopt;
    }
    std::vector<std::string> events() {
        std::lock_guard lock(mutex_);
        return events_;
    }
    std::vector<std::string> faults() {
        std::lock_guard lock(mutex_);
        return faults_;
    }

private:
    void log(const std::string& event) {
        std::lock_guard lock(mutex_);
        events_.push_back(event);
    }
    void fault(const std::string& what) {
        std::lock_guard lock(mutex_);
        faults_.push_back(what);
    }
    std::string journal_;
    PartialFileRecords records_;
    std::mutex mutex_;
    std::vector<std::string> events_, faults_;
};

// A process that ends while a partial file fills leaves a name on record to find it by: every
// partial file is on record, on disk, before it is made, and its record goes once the file is gone
// or in place, however the placement ends.
TEST_F(FilePlacementTest, EveryPartialFileIsOnRecordBeforeItIsMadeUntilItIsGone) {
    const std::string journal = environment.root() + "/data/partial-downloads.json";
    const std::string folder = environment.root() + "/saved";
    const std::string destination = folder + "/keep.bin";
    enum class End { landed, writeFails, cancelled };
    for (End end : {End::landed, End::writeFails, End::cancelled}) {
        SCOPED_TRACE(static_cast<int>(end));
        test::writeFile(destination, kept);
        const std::string source = memory.path() + "/source";
        test::writeFile(source, std::string(3 << 20, 's'));
        auto records = std::make_shared<WatchedRecords>(journal);
        auto hold = std::make_shared<PieceHold>();
        FilePlacement::Seams seams;
        seams.copiedPiece = [hold] { hold->wait(); };
        std::optional<Status> answer;
        std::optional<test::FileSizeLimit> limit;
        if (end == End::writeFails) limit.emplace(2 << 20);
        placement = FilePlacement::start(
            source, destination, [&](const Status& status) { answer = status; }, seams, records);
        ASSERT_TRUE(spinUntil([&] { return hold->wasReached(); }));
        // Killed now, the process would leave this file, and the record names it.
        const auto filling = othersIn(folder, {"keep.bin"});
        ASSERT_EQ(filling.size(), 1u);
        EXPECT_EQ(records->onDisk(), std::set<std::string>{folder + "/" + filling[0]});
        // With the very file made there: a file put under its name later is not it.
        struct stat made {};
        ASSERT_EQ(::lstat((folder + "/" + filling[0]).c_str(), &made), 0);
        EXPECT_EQ(records->identityOnDisk(folder + "/" + filling[0]), FileIdentity::of(made));
        if (end == End::cancelled) {
            EXPECT_TRUE(placement->cancel());
        }
        hold->release();
        if (end == End::cancelled) {
            ASSERT_TRUE(spinUntil([&] { return records->events().size() == 3; }));
        } else {
            ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }));
            EXPECT_EQ(answer->ok(), end == End::landed);
        }
        limit.reset();
        EXPECT_EQ(records->events(), (std::vector<std::string>{"record " + folder + "/" + filling[0],
                                                               "identify " + folder + "/" + filling[0],
                                                               "forget " + folder + "/" + filling[0]}));
        EXPECT_EQ(records->faults(), std::vector<std::string>{});
        EXPECT_EQ(records->onDisk(), std::set<std::string>{});
        EXPECT_EQ(othersIn(folder, {"keep.bin"}), std::vector<std::string>{});
        std::remove(source.c_str());
    }

    // A name someone else's file has is recorded, refused by the exclusive open and forgotten at
    // once, before another is tried: a record never names a file the placement did not make.
    const std::string taken = partialFileName(folder);
    test::writeFile(taken, "someone else's");
    test::writeFile(memory.path() + "/source", "downloaded");
    std::vector<std::string> offered;
    FilePlacement::Seams seams;
    seams.partialName = [&](const std::string& in) {
        offered.push_back(offered.empty() ? taken : partialFileName(in));
        return offered.back();
    };
    auto records = std::make_shared<WatchedRecords>(journal);
    auto answer = placeAndWait(memory.path() + "/source", destination, seams, records);
    ASSERT_TRUE(answer && answer->ok());
    ASSERT_EQ(offered.size(), 2u);
    EXPECT_EQ(records->events(), (std::vector<std::string>{"record " + taken, "forget " + taken, "record " + offered[1],
                                                           "identify " + offered[1], "forget " + offered[1]}));
    EXPECT_EQ(records->faults(), std::vector<std::string>{"made before it was recorded: " + taken});
    EXPECT_EQ(test::readFile(taken), "someone else's");
    EXPECT_EQ(records->onDisk(), std::set<std::string>{});
}

TEST_F(FilePlacementTest, APartialFileThatCannotBeRecordedIsNotMadeAndTheFailureIsTold) {
    test::writeFile(environment.root() + "/plain", "a file where the data folder would be");
    const std::string folder = environment.root() + "/saved";
    test::writeFile(folder + "/keep.bin", kept);
    test::writeFile(memory.path() + "/source", "downloaded");
    auto answer = placeAndWait(memory.path() + "/source", folder + "/keep.bin", {},
                               std::make_shared<PartialFileRecords>(environment.root() + "/plain/records.json"));
    ASSERT_TRUE(answer && !answer->ok());
    EXPECT_NE(answer->error().message.find(folder + "/keep.bin"), std::string::npos) << answer->error().message;
    EXPECT_NE(answer->error().message.find("records.json"), std::string::npos) << answer->error().message;
    EXPECT_TRUE(test::readFile(folder + "/keep.bin") == kept);
    EXPECT_EQ(othersIn(folder, {"keep.bin"}), std::vector<std::string>{});
    EXPECT_EQ(test::readFile(memory.path() + "/source"), "downloaded") << "the caller's to remove";
}

}  // namespace
}  // namespace quenlith
