// The private download folder at start: emptied when no other process uses it, left alone when one
// does, and not written into while it is being emptied.
#include "model/private_download_folder.hpp"

#include <filesystem>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/file_test_support.hpp"
#include "model/own_folder.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

// Another process's hold on the folder: a lock of its own open file, as a process has.
class OtherHolder {
public:
    OtherHolder(const std::string& folder, int operation) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY)) {
        EXPECT_EQ(::flock(fd_, operation | LOCK_NB), 0);
    }
    ~OtherHolder() { release(); }
    void release() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

class PrivateDownloadFolderTest : public ::testing::Test {
protected:
    // What a process that ended midway leaves: the engine's files, a folder, a link.
    void leaveFiles() {
        test::writeFile(path + "/Quenlith-download-1", "a finished download never moved");
        test::writeFile(path + "/Quenlith-download-2.wkdownload", "the engine's partial file");
        test::writeFile(path + "/inner/deeper/file", "x");
        ASSERT_EQ(::symlink(outside.c_str(), (path + "/link").c_str()), 0);
    }
    std::vector<std::string> contents() { return test::entriesStartingWith(path, ""); }
    bool sweepAndWait(PrivateDownloadFolder& folder) {
        bool done = false;
        folder.sweep([&] { done = true; });
        return test::spinUntil([&] { return done; });
    }

    test::TemporaryEnvironment environment;
    const std::string path = environment.root() + "/cache/Downloads";
    const std::string outside = environment.root() + "/outside.txt";
};

TEST_F(PrivateDownloadFolderTest, AStartEmptiesTheFolderOnlyWhenNoOtherProcessUsesIt) {
    test::writeFile(outside, "the person's own file");
    struct Case {
        const char* what;
        int otherHold;  // 0: none
        bool emptied;
    };
    for (const Case& c : {Case{"nobody else", 0, true}, Case{"another process downloads", LOCK_SH, false}}) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(path);
        leaveFiles();
        std::optional<OtherHolder> other;
        if (c.otherHold) other.emplace(path, c.otherHold);
        PrivateDownloadFolder folder(path);
        ASSERT_TRUE(sweepAndWait(folder));
        EXPECT_TRUE(folder.ready());
        EXPECT_EQ(contents().empty(), c.emptied);
        EXPECT_EQ(test::readFile(outside), "the person's own file") << "a link goes, not what it points to";
        // While this process lives it holds the folder too: a later start leaves it alone.
        test::writeFile(path + "/Quenlith-download-3", "this process's download");
        PrivateDownloadFolder later(path);
        ASSERT_TRUE(sweepAndWait(later));
        EXPECT_TRUE(test::fileExists(path + "/Quenlith-download-3"));
    }

    // A folder that is missing is made, private.
    std::filesystem::remove_all(environment.root() + "/cache");
    PrivateDownloadFolder fresh(path);
    ASSERT_TRUE(sweepAndWait(fresh));
    struct stat made {};
    ASSERT_EQ(::stat(path.c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
}

TEST_F(PrivateDownloadFolderTest, NothingIsWrittenIntoTheFolderUntilItsSweepHasEnded) {
    leaveFiles();
    // Another start is emptying it: this one waits for the folder, then leaves it.
    auto sweeping = std::make_unique<OtherHolder>(path, LOCK_EX);
    PrivateDownloadFolder folder(path);
    bool done = false;
    std::vector<int> order;
    folder.sweep([&] { done = true; });
    EXPECT_FALSE(folder.ready());
    folder.whenReady([&] { order.push_back(1); });
    folder.sweep([&] { order.push_back(2); });  // a second sweep hears of the first
    test::spinFor(std::chrono::milliseconds(100));
    EXPECT_TRUE(order.empty());
    EXPECT_FALSE(done);
    sweeping.reset();
    ASSERT_TRUE(test::spinUntil([&] { return done; }));
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_FALSE(contents().empty()) << "the other start's to empty";
    folder.whenReady([&] { order.push_back(3); });
    folder.sweep([&] { order.push_back(4); });
    EXPECT_EQ(order, (std::vector<int>{1, 2, 3, 4})) << "at once when ready";

    // A folder without a sweep is ready at once, as tests and helpers use it.
    PrivateDownloadFolder plain(path);
    EXPECT_TRUE(plain.ready());
}

TEST_F(PrivateDownloadFolderTest, ASweepThatEndsAfterItsOwnerTouchesNothingOfIt) {
    leaveFiles();
    auto folder = std::make_unique<PrivateDownloadFolder>(path);
    bool told = false;
    folder->sweep([&] { told = true; });
    folder.reset();
    // Nobody else held it: the worker empties it, and its hold goes with its answer, so that
    // another process could then take the folder alone (looked at only once the worker is past
    // its own look, which a probe would disturb).
    ASSERT_TRUE(test::spinUntil([&] { return contents().empty(); }));
    ASSERT_TRUE(test::spinUntil([&] {
        const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY);
        const bool alone = fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0;
        if (fd >= 0) ::close(fd);
        return alone;
    }));
    EXPECT_FALSE(told);
}

// A link (or anything else) in the folder's place is never emptied nor narrowed: it is left as it
// is, and downloads use the next name of ours, a real folder, swept the same way.
TEST_F(PrivateDownloadFolderTest, ALinkInTheFoldersPlaceIsLeftAloneAndDownloadsUseAFolderOfOurs) {
    const std::string mine = environment.root() + "/MyFiles";
    test::writeFile(mine + "/a.txt", "report");
    test::writeFile(mine + "/sub/b.txt", "photo");
    ::chmod(mine.c_str(), 0755);
    const std::string cache = environment.root() + "/cache";
    std::filesystem::create_directories(cache);
    ASSERT_EQ(::symlink(mine.c_str(), path.c_str()), 0);
    test::writeFile(cache + "/Downloads-2", "a file of that name: not ours either");
    test::writeFile(cache + "/Downloads-3/Quenlith-download-1", "left by a process that ended");

    PrivateDownloadFolder folder(path);
    ASSERT_TRUE(sweepAndWait(folder));
    EXPECT_EQ(folder.path(), cache + "/Downloads-3");
    EXPECT_EQ(test::entriesStartingWith(cache + "/Downloads-3", ""), std::vector<std::string>{});
    auto prepared = folder.prepare();
    ASSERT_TRUE(prepared.ok());
    EXPECT_EQ(*prepared, cache + "/Downloads-3");
    EXPECT_EQ(test::readFile(mine + "/a.txt"), "report");
    EXPECT_EQ(test::readFile(mine + "/sub/b.txt"), "photo");
    struct stat info {};
    ASSERT_EQ(::stat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
    EXPECT_EQ(test::readFile(cache + "/Downloads-2"), "a file of that name: not ours either");

    // A link put in the chosen folder's place later is refused too, not written through.
    std::filesystem::remove_all(cache + "/Downloads-3");
    ASSERT_EQ(::symlink(mine.c_str(), (cache + "/Downloads-3").c_str()), 0);
    EXPECT_EQ(folder.prepare().error().code, files::kLinkedFolder);
    // A folder never swept (a helper's) finds its own name taken and uses the next free one.
    std::filesystem::remove(cache + "/Downloads-3");
    PrivateDownloadFolder plain(path);
    ASSERT_TRUE(plain.prepare().ok());
    EXPECT_EQ(plain.path(), cache + "/Downloads-3");
    EXPECT_TRUE(test::isDirectory(cache + "/Downloads-3"));
    EXPECT_EQ(test::entriesStartingWith(mine, ""), (std::vector<std::string>{"a.txt", "sub"}));
}

}  // namespace
}  // namespace quenlith
