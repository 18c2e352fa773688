#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>

#include "model/app_paths.hpp"
#include "model/data_folder_lock.hpp"
#include "model/file_test_support.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

extern char** environ;

// One holder per data folder for as long as its hold lives: a second one is refused, naming the
// folder, and takes over once the first has gone.
namespace quenlith {
namespace {

// Which of the two holds on the folder someone has: the folder's own and its lock file's, each of
// which alone keeps a second holder out.
std::string holdsOn(const std::string& folder) {
    auto held = [](const std::string& path, int flags) {
        const int descriptor = ::open(path.c_str(), flags | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (descriptor < 0) return false;
        const bool taken = ::flock(descriptor, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
        ::close(descriptor);
        return taken;
    };
    return std::string(held(folder, O_RDONLY | O_DIRECTORY) ? "folder" : "") +
           (held(folder + "/" + DataFolderLock::kFileName, O_RDONLY) ? " file" : "");
}

TEST(DataFolderLockTest, HoldsTheFolderForOneHolderUntilItGoes) {
    test::TemporaryEnvironment folders;
    const std::string folder = applicationDataDirectory();
    auto first = DataFolderLock::acquire(folder);
    ASSERT_TRUE(first.ok()) << first.error().message;
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/" + DataFolderLock::kFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(holdsOn(folder), "folder file");

    auto second = DataFolderLock::acquire(folder);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().code, kDataFolderInUse);
    EXPECT_NE(second.error().message.find(folder), std::string::npos) << second.error().message;
    {
        DataFolderLock moved = std::move(*first);
        second = DataFolderLock::acquire(folder + "/../" + kApplicationIdentifier);
        ASSERT_FALSE(second.ok()) << "the hold moves with the object; another spelling is the same folder";
        EXPECT_EQ(second.error().code, kDataFolderInUse);
        EXPECT_EQ(holdsOn(folder), "folder file");
    }
    EXPECT_EQ(holdsOn(folder), "") << "released when its holder goes";
    EXPECT_TRUE(DataFolderLock::acquire(folder).ok());

    // A hold assigned over another lets the other go and keeps its own.
    const std::string elsewhere = folders.root() + "/elsewhere";
    auto mine = DataFolderLock::acquire(folder);
    ASSERT_TRUE(mine.ok());
    {
        auto theirs = DataFolderLock::acquire(elsewhere);
        ASSERT_TRUE(theirs.ok());
        *mine = std::move(*theirs);
    }
    EXPECT_EQ(holdsOn(folder), "");
    EXPECT_EQ(holdsOn(elsewhere), "folder file");
}

// What stands at a path, as lstat and readlink see it: its kind, mode and a link's target.
std::string described(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return "absent";
    std::string text = std::to_string(info.st_mode);
    if (S_ISLNK(info.st_mode)) text += " -> " + std::filesystem::read_symlink(path).string();
    return text;
}

// Whatever has taken the lock file's place, one holder holds the folder and a second is refused
// as by a running instance; the thing is left as it was, and nothing it leads to is opened or
// made. Root's override of file modes is set aside, so a file of mode 000 stops this process as
// it stops a user.
TEST(DataFolderLockTest, HoldsTheFolderWhateverHasTakenTheLockFilesPlace) {
    test::TemporaryEnvironment folders;
    test::PermissionsEnforced asAUser;
    const std::string elsewhere = folders.root() + "/elsewhere";
    std::filesystem::create_directories(elsewhere);
    test::writeFile(elsewhere + "/file", "kept");
    auto folderAt = [](const std::string& path) { return ::mkdir(path.c_str(), 0700); };
    auto fifoAt = [](const std::string& path) { return ::mkfifo(path.c_str(), 0600); };
    auto linkTo = [](std::string target) {
        return [target](const std::string& path) { return ::symlink(target.c_str(), path.c_str()); };
    };
    auto closedFileAt = [](const std::string& path) {
        const int made = ::open(path.c_str(), O_CREAT | O_WRONLY | O_CLOEXEC, 0000);
        return made < 0 ? -1 : ::close(made);
    };
    const std::pair<const char*, std::function<int(const std::string&)>> cases[] = {
        {"a folder", folderAt},
        {"a FIFO", fifoAt},
        {"a dangling link", linkTo(elsewhere + "/missing")},
        {"a link to a file elsewhere", linkTo(elsewhere + "/file")},
        {"a link to a folder elsewhere", linkTo(elsewhere)},
        {"a file of mode 000", closedFileAt},
    };
    int row = 0;
    for (const auto& [what, make] : cases) {
        const std::string folder = folders.root() + "/data-" + std::to_string(++row);
        const std::string lockPath = folder + "/" + DataFolderLock::kFileName;
        std::filesystem::create_directories(folder);
        ASSERT_EQ(make(lockPath), 0) << what;
        const std::string before = described(lockPath);
        if (std::filesystem::is_regular_file(std::filesystem::symlink_status(lockPath))) {
            ASSERT_LT(::open(lockPath.c_str(), O_RDWR | O_CLOEXEC), 0) << what << ": its mode stops this process";
        }

        auto first = DataFolderLock::acquire(folder);
        ASSERT_TRUE(first.ok()) << what << ": " << first.error().message;
        auto second = DataFolderLock::acquire(folder);
        ASSERT_FALSE(second.ok()) << what << ": two holders";
        EXPECT_EQ(second.error().code, kDataFolderInUse) << what;
        EXPECT_EQ(described(lockPath), before) << what;
        EXPECT_EQ(described(elsewhere + "/missing"), "absent") << what;
        EXPECT_EQ(test::readFile(elsewhere + "/file"), "kept") << what;
        first = Error{};
        EXPECT_TRUE(DataFolderLock::acquire(folder).ok()) << what << ": released when its holder goes";
    }

    // With no hold possible at all (no folder can stand at the path, or it cannot be opened) the
    // start is refused too, naming the folder.
    const std::string closed = folders.root() + "/closed";
    ASSERT_EQ(::mkdir(closed.c_str(), 0000), 0);
    for (const std::string& unusable : {elsewhere + "/file", closed}) {
        auto none = DataFolderLock::acquire(unusable);
        ASSERT_FALSE(none.ok()) << unusable;
        EXPECT_EQ(none.error().code, kDataFolderLockFailed) << unusable;
        const std::string name = std::filesystem::path(unusable).filename();
        EXPECT_NE(none.error().message.find(name + "”"), std::string::npos) << none.error().message;
    }
}

// A program started meanwhile (a web process) must not keep the folder held after the
// application has ended: the lock's descriptor is not handed on.
TEST(DataFolderLockTest, AProgramStartedWhileHeldDoesNotKeepTheHold) {
    test::TemporaryEnvironment folders;
    const std::string folder = applicationDataDirectory();
    auto lock = std::make_unique<Result<DataFolderLock>>(DataFolderLock::acquire(folder));
    ASSERT_TRUE(lock->ok());

    // `cat` runs until its input closes; posix_spawn hands it every descriptor not marked
    // close-on-exec.
    int input[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    pid_t child = -1;
    char* argv[] = {const_cast<char*>("cat"), nullptr};
    ASSERT_EQ(posix_spawnp(&child, "cat", &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);

    lock.reset();
    // The kernel lets this process go on as the program starts, a moment before it closes the
    // descriptors marked close-on-exec: the hold comes free within a moment, or never while `cat`
    // runs.
    EXPECT_TRUE(test::spinUntil([&] { return DataFolderLock::acquire(folder).ok(); }))
        << "the program holds it";
    ::close(input[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
}

}  // namespace
}  // namespace quenlith
