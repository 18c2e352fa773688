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

mode_t permissions(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? info.st_mode & 0777 : 0;
}

TEST(DataFolderLockTest, HoldsTheFolderForOneHolderUntilItGoes) {
    test::TemporaryEnvironment folders;
    const std::string folder = applicationDataDirectory();
    auto first = DataFolderLock::acquire(folder);
    ASSERT_TRUE(first.ok()) << first.error().message;
    EXPECT_EQ(permissions(folder), 0700u);
    EXPECT_EQ(permissions(folder + "/" + DataFolderLock::kFileName), 0600u);

    auto second = DataFolderLock::acquire(folder);
    ASSERT_FALSE(second.ok());
    EXPECT_EQ(second.error().code, kDataFolderInUse);
    EXPECT_NE(second.error().message.find(folder), std::string::npos) << second.error().message;
    {
        DataFolderLock moved = std::move(*first);
        first = DataFolderLock::acquire(folder + "/../" + kApplicationIdentifier);
        ASSERT_FALSE(first.ok())
            << "the hold moves with the object; another spelling of the folder is the same folder";
        EXPECT_EQ(first.error().code, kDataFolderInUse);
    }
    EXPECT_TRUE(DataFolderLock::acquire(folder).ok()) << "released when its holder goes";
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
    auto again = DataFolderLock::acquire(folder);
    EXPECT_TRUE(again.ok()) << "the child holds it: " << (again.ok() ? "" : again.error().code);
    ::close(input[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
}

// Something else where the lock file belongs gives no hold, but is not taken for another
// instance: the start goes on (with the reason logged) and the thing stays as it was.
TEST(DataFolderLockTest, SomethingElseInThePlaceOfTheLockFileIsNoInstance) {
    test::TemporaryEnvironment folders;
    const std::string folder = applicationDataDirectory();
    const std::string place = folder + "/" + DataFolderLock::kFileName;
    for (const auto& plant :
         {+[](const std::string& path) { std::filesystem::create_directories(path); },
          +[](const std::string& path) { std::filesystem::create_symlink("/dev/null", path); }}) {
        std::filesystem::create_directories(folder);
        plant(place);
        auto lock = DataFolderLock::acquire(folder);
        ASSERT_FALSE(lock.ok());
        EXPECT_EQ(lock.error().code, kDataFolderLockFailed) << lock.error().message;
        EXPECT_TRUE(std::filesystem::is_directory(place) || std::filesystem::is_symlink(place));
        std::filesystem::remove(place);
    }
}

}  // namespace
}  // namespace quenlith
