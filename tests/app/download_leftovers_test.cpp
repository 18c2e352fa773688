// Downloads cut short by the end of their process: the next start of the application removes what
// they left, in its private download folder and beside the chosen name, and nothing else.
#include <csignal>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <sys/wait.h>

#include <glib.h>
#include <gtest/gtest.h>

#include "browser/streaming_server.hpp"
#include "model/app_paths.hpp"
#include "model/file_placement.hpp"
#include "model/file_store.hpp"
#include "model/partial_file_journal.hpp"
#include "model/partial_file_records.hpp"
#include "model/private_download_folder.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::BackgroundProcess;
using test::spinUntil;

bool says(const BackgroundProcess& process, const std::string& text) {
    return process.output().find(text) != std::string::npos;
}

// The names in `folder` that have the partial files' shape.
std::vector<std::string> partialFilesIn(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ignored))
        if (isPartialFileName(entry.path().filename().string())) found.push_back(entry.path());
    return found;
}

bool emptyFolder(const std::string& folder) {
    std::error_code ignored;
    return std::filesystem::is_empty(folder, ignored);
}

class DownloadLeftovers : public testing::Test {
protected:
    void SetUp() override {
        // The private folder in memory, the chosen folder on disk: a finished file is copied
        // across into a partial file beside the chosen name, as onto another drive.
        struct stat memory {}, disk {};
        if (::stat("/dev/shm", &memory) != 0 || ::stat(folders.root().c_str(), &disk) != 0 ||
            memory.st_dev == disk.st_dev)
            GTEST_SKIP() << "no second file system to download across";
        char pattern[] = "/dev/shm/quenlith-cache-XXXXXX";
        ASSERT_NE(g_mkdtemp(pattern), nullptr);
        cache = pattern;
        folders.set("XDG_CACHE_HOME", cache);
        test::writeFile(chosen + "/neighbour.txt", "the person's own file");
        test::writeFile(stranger, "of the same shape, but no start of ours recorded it");
    }
    void TearDown() override {
        if (!cache.empty()) test::removeTree(cache);
    }
    // A start of the application, an instance of its own (no session bus).
    std::unique_ptr<BackgroundProcess> startApplication() {
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{QUENLITH_EXECUTABLE},
            folders.root() + "/start-" + std::to_string(++starts) + ".log", quiet);
    }
    bool started(BackgroundProcess& process) {
        return spinUntil([&] { return says(process, "Quenlith started") || !process.running(); },
                         std::chrono::seconds(60)) &&
               process.running();
    }
    // The person's files in the chosen folder, as they were.
    void expectTheChosenFolderKeptItsOwnFiles() {
        EXPECT_EQ(test::readFile(chosen + "/neighbour.txt"), "the person's own file");
        EXPECT_EQ(test::readFile(stranger), "of the same shape, but no start of ours recorded it");
    }

    test::TemporaryEnvironment folders;
    std::string cache;
    const std::string chosen = folders.root() + "/Chosen";
    const std::string stranger = partialFileName(chosen);
    const std::map<std::string, std::string> quiet{
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folders.root() + "/no-bus"},
        {"G_MESSAGES_DEBUG", kApplicationIdentifier}};
    int starts = 0;
};

TEST_F(DownloadLeftovers, AStartRemovesWhatADownloadKilledMidCopyLeftAndNothingElse) {
    // One download finished and being copied beside the chosen name, one still arriving.
    test::TestHttpServer server;
    const std::string whole(3 << 20, 'w');
    server.route("/whole.bin", [&](const test::TestRequest&) {
        return test::TestResponse{200, "application/octet-stream", whole,
                                  {{"Content-Disposition", "attachment; filename=\"whole.bin\""}}};
    });
    test::StreamingServer streaming;
    streaming.stream("/arriving.bin", "application/octet-stream", std::string(64 * 1024, 'a'),
                     {{"Content-Disposition", "attachment; filename=\"arriving.bin\""}});
    BackgroundProcess harness({QUENLITH_DOWNLOAD_HARNESS, chosen, server.url("/whole.bin"), streaming.url("/arriving.bin")},
                              folders.root() + "/harness.log", quiet);
    ASSERT_TRUE(spinUntil([&] {
        return (says(harness, "copying") && says(harness, "receiving arriving.bin")) || !harness.running();
    }, std::chrono::seconds(60))) << harness.output();
    ASSERT_TRUE(harness.running()) << harness.output();
    const std::string privateFolder = PrivateDownloadFolder::applicationPath();
    ASSERT_EQ(partialFilesIn(chosen).size(), 2u) << "the copy's partial file beside the stranger";

    ASSERT_EQ(::kill(harness.pid(), SIGKILL), 0);
    ASSERT_TRUE(harness.waitForExit());
    std::vector<std::string> cutShort = partialFilesIn(chosen);
    std::erase(cutShort, stranger);
    ASSERT_EQ(cutShort.size(), 1u);
    ASSERT_FALSE(emptyFolder(privateFolder)) << "the finished download that was being copied";
    const auto recorded = [] {
        auto journal = PartialFileJournal::parse(test::readFile(PartialFileRecords::applicationJournalPath()));
        return journal ? journal->earlier() : std::set<std::string>{"unreadable"};
    };
    ASSERT_EQ(recorded(), std::set<std::string>{cutShort[0]});

    auto application = startApplication();
    ASSERT_TRUE(started(*application)) << application->output();
    // Both go, and so does the record of the partial file.
    EXPECT_TRUE(spinUntil([&] {
        return emptyFolder(privateFolder) && !test::fileExists(cutShort[0]) && recorded().empty();
    }, std::chrono::seconds(30))) << application->output();
    expectTheChosenFolderKeptItsOwnFiles();
    EXPECT_FALSE(test::fileExists(chosen + "/whole.bin"));
    application->stop();
    EXPECT_TRUE(WIFEXITED(application->status()) && WEXITSTATUS(application->status()) == 0)
        << application->output();
    expectTheChosenFolderKeptItsOwnFiles();
}

// A record of partial files that cannot be read removes nothing: the log says so and keeps it.
TEST_F(DownloadLeftovers, ADamagedRecordIsToldInTheLogAndRemovesNothing) {
    const std::string cutShort = partialFileName(chosen);
    test::writeFile(cutShort, "left by a start whose record was damaged since");
    g_autofree char* uri = g_filename_to_uri(cutShort.c_str(), nullptr, nullptr);
    const std::string damaged = std::string("{\"partialFiles\": [\"") + uri;
    test::writeFile(PartialFileRecords::applicationJournalPath(), damaged);

    auto application = startApplication();
    ASSERT_TRUE(started(*application)) << application->output();
    EXPECT_TRUE(spinUntil([&] { return says(*application, "is damaged"); }, std::chrono::seconds(30)))
        << application->output();
    EXPECT_TRUE(says(*application, "no partial file is removed on its account")) << application->output();
    EXPECT_EQ(test::readFile(cutShort), "left by a start whose record was damaged since");
    const auto copies = files::copiesAside(PartialFileRecords::applicationJournalPath(), files::kUnreadableCopy);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::readFile(copies[0]), damaged);
    application->stop();
    EXPECT_TRUE(WIFEXITED(application->status()) && WEXITSTATUS(application->status()) == 0)
        << application->output();
    EXPECT_TRUE(test::fileExists(cutShort));
    expectTheChosenFolderKeptItsOwnFiles();
}

}  // namespace
}  // namespace quenlith
