// Kills a process that keeps saving profiles.json, library.json and session-v1.json with SIGKILL
// at random moments, and checks after every kill that each file either loads whole or is absent.
//
// The saving process is this test binary itself, started again as
//   model_tests --crash-child=DIR --crash-progress-fd=N
// A static initialiser below recognises those arguments before GoogleTest starts, runs the save
// loop until it is killed, and never returns; so no separate program is needed and the test runs
// in the display-free build as well.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/library_file.hpp"
#include "model/profile_document.hpp"
#include "model/profile_persistence.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

constexpr const char* kChildFlag = "--crash-child=";
constexpr const char* kProgressFlag = "--crash-progress-fd=";

// --- the saving child -------------------------------------------------------------------------

// Documents whose size changes from round to round, so kills land in writes of every length.
std::vector<WebAppProfile> websitesFor(std::uint64_t round) {
    std::vector<WebAppProfile> profiles;
    for (std::uint64_t i = 0; i < 40 + round % 40; ++i)
        profiles.push_back(test::website("Website " + std::to_string(round) + std::string(round % 300, 'n'),
                                         "https://site" + std::to_string(i) + ".example/"));
    return profiles;
}

LibraryDocument libraryFor(std::uint64_t round) {
    LibraryDocument document;
    for (std::uint64_t i = 0; i < 150 + round % 150; ++i) {
        document.clips.push_back(test::makeClip("https://pages.example/" + std::to_string(round) + "/" + std::to_string(i)));
        document.clips.back().text = std::string(1000 + (round * 37 + i) % 3000, static_cast<char>('a' + round % 26));
    }
    document.history.push_back(test::makeVisit("https://pages.example/", Date{0}));
    return document;
}

BrowserSessionDocument sessionFor(std::uint64_t round) { return test::makeSession(5 + round % 25, 40); }

[[noreturn]] void runSaveLoop(const std::string& directory, int progressFd) {
    ProfilePersistence profiles(directory + "/profiles.json");
    BrowserSessionPersistence session(directory + "/session-v1.json");
    std::string libraryPath = directory + "/library.json";
    LibraryDocument current;
    auto tell = [progressFd] {
        char byte = 1;
        if (::write(progressFd, &byte, 1) < 0) std::_Exit(3);
    };
    std::random_device seed;
    for (std::uint64_t round = seed() % 1000;; ++round) {
        if (!profiles.save(websitesFor(round)).ok()) std::_Exit(4);
        tell();
        auto library = libraryFor(round);
        if (!writeLibraryFile(library, current, libraryPath).ok()) std::_Exit(5);
        current = std::move(library);
        tell();
        if (!session.save(sessionFor(round)).ok()) std::_Exit(6);
        tell();
    }
}

// Arguments of this process, read before main() runs.
std::vector<std::string> commandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> arguments;
    std::string argument;
    while (std::getline(in, argument, '\0')) arguments.push_back(argument);
    return arguments;
}

const bool kChildHook = [] {
    std::string directory;
    int progressFd = -1;
    for (const auto& argument : commandLine()) {
        if (argument.rfind(kChildFlag, 0) == 0) directory = argument.substr(std::string(kChildFlag).size());
        if (argument.rfind(kProgressFlag, 0) == 0) progressFd = std::atoi(argument.c_str() + std::string(kProgressFlag).size());
    }
    if (!directory.empty() && progressFd >= 0) runSaveLoop(directory, progressFd);
    return true;
}();

// --- the test ---------------------------------------------------------------------------------

pid_t startChild(const std::string& directory, int& progressRead) {
    constexpr int kTarget = 100;
    std::string childArgument = std::string(kChildFlag) + directory;
    std::string progressArgument = std::string(kProgressFlag) + std::to_string(kTarget);
    char* const argv[] = {const_cast<char*>("model_tests"), childArgument.data(), progressArgument.data(), nullptr};
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return -1;
    pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls until exec: everything the child needs is made before the fork.
        if (::dup2(fds[1], kTarget) < 0) ::_exit(2);
        ::execv("/proc/self/exe", argv);
        ::_exit(2);
    }
    ::close(fds[1]);
    progressRead = fds[0];
    return pid;
}

// Reads progress bytes until `deadline`; returns how many arrived (-1 when the child went away).
int drainProgress(int fd, std::chrono::steady_clock::time_point deadline) {
    int count = 0;
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() < 0) return count;
        struct pollfd entry {fd, POLLIN, 0};
        int ready = ::poll(&entry, 1, static_cast<int>(left.count()));
        if (ready <= 0) continue;
        char buffer[256];
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got <= 0) return -1;
        count += static_cast<int>(got);
    }
}

// Nothing or a whole, loadable file; returns a failure description otherwise.
std::string checkFiles(const std::string& directory) {
    const std::pair<const char*, std::function<bool(const std::string&)>> readers[] = {
        {"/profiles.json",
         [](const std::string& path) {
             auto loaded = ProfilePersistence(path).load();
             return loaded.ok() && !loaded->empty();
         }},
        {"/library.json", [](const std::string& path) { return readLibraryFile(path).ok(); }},
        // The session file itself must decode; loading would fall back to the backup.
        {"/session-v1.json",
         [](const std::string& path) {
             auto json = parseJsonText(test::readBytes(path));
             return json && decodeJson<BrowserSessionDocument>(*json);
         }},
    };
    for (const auto& [name, loads] : readers)
        for (const std::string& path : {directory + name, directory + name + ".backup"})
            if (test::exists(path) && !loads(path)) return path + " is damaged";
    return {};
}

TEST(CrashDurability, FilesAreWholeOrAbsentAfterEverySigkill) {
    test::TemporaryDataHome home;
    std::string directory = home.path("crash");
    ASSERT_TRUE(files::createFolder(directory).ok());

    constexpr int kKills = 60;
    const auto overallDeadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    std::mt19937 random(std::random_device{}());
    int kills = 0;
    int totalProgress = 0;
    while (kills < kKills && std::chrono::steady_clock::now() < overallDeadline) {
        int progress = -1;
        pid_t pid = startChild(directory, progress);
        ASSERT_GT(pid, 0);
        // Let the child get going (its first save), then kill it after a random stretch of work.
        int first = 0;
        while (first == 0 && std::chrono::steady_clock::now() < overallDeadline)
            first = drainProgress(progress, std::chrono::steady_clock::now() + std::chrono::milliseconds(5));
        ASSERT_GT(first, 0) << "the saving child did not start";
        auto delay = std::chrono::microseconds(std::uniform_int_distribution<int>(0, 60'000)(random));
        int more = drainProgress(progress, std::chrono::steady_clock::now() + delay);
        ASSERT_GE(more, 0) << "the saving child stopped on its own";
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ::close(progress);
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "child exited with " << status;
        ++kills;
        totalProgress += first + more;
        std::string problem = checkFiles(directory);
        ASSERT_TRUE(problem.empty()) << "after kill " << kills << ": " << problem;
    }
    EXPECT_GE(kills, 50) << "the time bound ran out first";
    // Leftover temporary files show that kills landed in the middle of writes.
    auto entries = test::entriesStartingWith(directory, "");
    auto leftovers = std::count_if(entries.begin(), entries.end(), [](const std::string& name) {
        return name.find(".json.") != std::string::npos && name.find(".backup") == std::string::npos;
    });
    std::cout << kills << " kills after " << totalProgress << " completed saves; " << leftovers
              << " writes were interrupted midway\n";
}

}  // namespace
}  // namespace quenlith
