#include <gtest/gtest.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "model/app_paths.hpp"
#include "model/data_folder_lock.hpp"
#include "support/temp_environment.hpp"

extern char** environ;

// One holder per data folder for as long as its hold lives: a second one is refused, naming the
// folder, and takes over once the first has gone.
namespace quenlith {
namespace {

TEST(DataFolderLockTest, HoldsTheFolderForOneHolderUntilItGoes) {
    test::TemporaryEnvironment folders;
    const std::string folder = applicationDataDirectory();
    auto first = DataFolderLock::acquire(folder);
    ASSERT_TRUE(first.ok()) << first.error().message;
    struct stat info {};
    ASSERT_EQ(::stat((folder + "/" + DataFolderLock::kFileName).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    auto second = DataFolderLock::acquire(folder);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().code, kDataFolderInUse);
    EXPECT_NE(second.error().message.find(folder), std::string::npos) << second.error().message;
    {
        DataFolderLock moved = std::move(*first);
        second = DataFolderLock::acquire(folder + "/../" + kApplicationIdentifier);
        ASSERT_FALSE(second.ok()) << "the hold moves with the object; another spelling is the same folder";
        EXPECT_EQ(second.error().code, kDataFolderInUse);
    }
    EXPECT_TRUE(DataFolderLock::acquire(folder).ok()) << "released when its holder goes";

    // A hold assigned over another lets the other go and keeps its own.
    const std::string elsewhere = folders.root() + "/elsewhere";
    auto mine = DataFolderLock::acquire(folder);
    ASSERT_TRUE(mine.ok());
    {
        auto theirs = DataFolderLock::acquire(elsewhere);
        ASSERT_TRUE(theirs.ok());
        *mine = std::move(*theirs);
    }
    EXPECT_TRUE(DataFolderLock::acquire(folder).ok());
    EXPECT_FALSE(DataFolderLock::acquire(elsewhere).ok());

    // Something else in the lock file's place gives no hold, but is no other instance either: the
    // start goes on.
    const std::string blocked = folders.root() + "/blocked";
    std::filesystem::create_directories(blocked + "/" + DataFolderLock::kFileName);
    auto none = DataFolderLock::acquire(blocked);
    ASSERT_FALSE(none.ok());
    EXPECT_EQ(none.error().code, kDataFolderLockFailed) << none.error().message;
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
    EXPECT_TRUE(DataFolderLock::acquire(folder).ok()) << "the program holds it";
    ::close(input[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
}

}  // namespace
}  // namespace quenlith
