#include <algorithm>
#include <filesystem>
#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/streaming_server.hpp"
#include "model/file_test_support.hpp"
#include "model/partial_file_records.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

namespace fs = std::filesystem;
using test::spinUntil;

// The engine's own report that a download is over, heard after the manager's.
struct EngineEnd {
    bool finished = false;
    std::function<void()> then;
};

std::vector<std::string> leftovers(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& item : fs::directory_iterator(folder))
        if (item.path().filename().string().rfind("Quenlith-download-", 0) == 0) found.push_back(item.path());
    return found;
}

class DownloadManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(saved);
        manager = makeManager(temporary);
        server.route("/report.pdf", [this](const test::TestRequest&) {
            return test::TestResponse{200, "application/octet-stream", body,
                                      {{"Content-Disposition", "attachment; filename=\"report.pdf\""}}};
        });
        streaming.stream("/slow.bin", "application/octet-stream", std::string(4096, 's'),
                         {{"Content-Disposition", "attachment; filename=\"slow.bin\""}});
        // Announces more than it ever sends, so a broken connection is a failed body.
        streaming.stream("/announced.bin", "application/octet-stream", std::string(4096, 'a'), {}, 1 << 20);
    }
    void TearDown() override {
        manager.reset();
        for (WebKitDownload* download : started) g_object_unref(download);
        g_object_unref(context);
    }

    std::unique_ptr<DownloadManager> makeManager(const std::string& folder,
                                                 std::shared_ptr<PartialFileRecords> records = nullptr) {
        auto scripted = std::make_unique<test::ScriptedLocationChooser>();
        chooser = scripted.get();
        auto made = std::make_unique<DownloadManager>(
            std::move(scripted), folder, [this](const std::string& path, LaunchFailed) { revealed.push_back(path); },
            std::move(records));
        made->observe(context);
        return made;
    }
    WebKitDownload* start(const std::string& url, EngineEnd* end = nullptr) {
        WebKitDownload* download = webkit_web_context_download_uri(context, url.c_str());
        started.push_back(download);
        if (end) g_signal_connect_after(download, "finished", G_CALLBACK(+[](WebKitDownload*, EngineEnd* end) {
                                      end->finished = true;
                                      if (end->then) end->then();
                                  }), end);
        return download;
    }
    // Starts a download, waits for its save question and answers it.
    void startTo(const std::string& url, std::optional<std::string> path, EngineEnd* end = nullptr) {
        const std::size_t index = chooser->questions.size();
        start(url, end);
        ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() > index; }));
        chooser->answer(index, std::move(path));
    }
    const DownloadEntry& only() {
        EXPECT_EQ(manager->entries().size(), 1u);
        return manager->entries().front();
    }
    bool ended() { return spinUntil([&] { return !only().isActive; }); }

    test::TemporaryEnvironment environment;
    std::string temporary = environment.root() + "/private/downloads";
    std::string saved = environment.root() + "/saved";
    test::ScriptedLocationChooser* chooser = nullptr;
    std::vector<std::string> revealed;
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    std::unique_ptr<DownloadManager> manager;
    std::vector<WebKitDownload*> started;
    test::TestHttpServer server;
    test::StreamingServer streaming;
    std::string body = std::string(50000, 'x') + "end";
};

TEST_F(DownloadManagerTest, CancellingTheSaveQuestionEndsCancelledAndLeavesNothing) {
    EngineEnd end;
    start(server.url("/report.pdf"), &end);
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    EXPECT_EQ(only().status, "Choose destination…");
    EXPECT_EQ(only().name + chooser->questions[0].fileName, "report.pdfreport.pdf");
    chooser->answer(0, std::nullopt);
    EXPECT_EQ(only().status, "Cancelled");
    EXPECT_FALSE(only().isActive || only().destination || manager->runningCount());
    // The engine's own end of the download changes nothing any more.
    ASSERT_TRUE(spinUntil([&] { return end.finished; }));
    EXPECT_EQ(only().status, "Cancelled");
    EXPECT_TRUE(fs::is_empty(saved));
    manager->reveal(only().id);  // nothing to reveal without a destination
    EXPECT_TRUE(revealed.empty());

    // A private folder that cannot be made ends the download with the reason before any data.
    test::writeFile(environment.root() + "/file", "");
    manager = makeManager(environment.root() + "/file/downloads");
    EngineEnd refused;
    startTo(server.url("/report.pdf"), saved + "/report.pdf", &refused);
    EXPECT_EQ(only().status.rfind("Could not save: ", 0), 0u);
    EXPECT_NE(only().status.find(environment.root() + "/file/downloads"), std::string::npos) << only().status;
    ASSERT_TRUE(spinUntil([&] { return refused.finished; }));
    EXPECT_TRUE(fs::is_empty(saved));
}

TEST_F(DownloadManagerTest, ChoosingAnExistingFileReplacesItShowsItAndClearingLeavesIt) {
    const std::string target = saved + "/report.pdf";
    test::writeFile(target, "older contents");
    startTo(server.url("/report.pdf"), target);
    EXPECT_EQ(only().status, "Downloading…");
    ASSERT_TRUE(ended());
    EXPECT_EQ(only().status, "Complete");
    EXPECT_EQ(test::readFile(target), body);
    EXPECT_EQ(std::make_pair(only().received, only().expected), std::make_pair(std::int64_t(body.size()), std::int64_t(body.size())));
    EXPECT_TRUE(leftovers(temporary).empty());
    manager->reveal(only().id);
    EXPECT_EQ(revealed, std::vector<std::string>{target});
    manager->clearFinished();
    EXPECT_TRUE(manager->entries().empty());
    EXPECT_EQ(test::readFile(target), body) << "clearing leaves the files alone";
}

TEST_F(DownloadManagerTest, APartialFileIsPrivateAndAFailedMoveNamesTheDestinationAndLeavesNothing) {
    const std::string folder = saved + "/gone";
    fs::create_directories(folder);
    EngineEnd end;
    startTo(streaming.url("/slow.bin"), folder + "/slow.bin", &end);
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
    // Other users cannot reach the data while it arrives.
    ASSERT_FALSE(leftovers(temporary).empty());
    struct stat folderState {};
    ASSERT_EQ(g_stat(temporary.c_str(), &folderState), 0);
    EXPECT_EQ(folderState.st_mode & 0777, 0700u);

    fs::remove_all(folder);
    streaming.finishAll("tail");
    ASSERT_TRUE(ended());
    EXPECT_EQ(only().status.rfind("Could not save: ", 0), 0u) << only().status;
    EXPECT_NE(only().status.find(folder + "/slow.bin"), std::string::npos) << only().status;
    EXPECT_EQ(only().status.find("Quenlith-download-"), std::string::npos) << only().status;
    EXPECT_TRUE(end.finished);
    EXPECT_TRUE(leftovers(temporary).empty());
}

TEST_F(DownloadManagerTest, CancellingOneOrAllEndsThemCancelledOnceAndClearingKeepsTheActiveOnes) {
    EngineEnd ends[3];
    for (int i = 0; i < 3; ++i) startTo(streaming.url("/slow.bin"), saved + "/slow-" + std::to_string(i) + ".bin", &ends[i]);
    ASSERT_TRUE(spinUntil([&] {
        return std::all_of(manager->entries().begin(), manager->entries().end(), [](auto& e) { return e.received > 0; });
    }));
    const Uuid newest = manager->entries()[0].id, middle = manager->entries()[1].id;
    manager->cancel(manager->entries()[2].id);
    EXPECT_EQ(manager->entries()[2].status, "Cancelled");
    // Clearing the finished entries keeps the active ones in their order.
    manager->clearFinished();
    ASSERT_EQ(manager->entries().size(), 2u);
    EXPECT_EQ(manager->entries()[0].id, newest);
    EXPECT_EQ(manager->entries()[1].id, middle);
    int changes = 0;
    manager->signal_changed().connect([&] { ++changes; });
    manager->cancelAll();
    EXPECT_EQ(manager->runningCount(), 0u);
    std::vector<DownloadEntry> afterCancel = manager->entries();
    for (const auto& entry : afterCancel) EXPECT_EQ(entry.status + std::to_string(entry.isActive), "Cancelled0");
    // The engine winds the three down; no report of it reaches the entries.
    ASSERT_TRUE(spinUntil([&] { return ends[0].finished && ends[1].finished && ends[2].finished; }));
    EXPECT_EQ(manager->entries(), afterCancel);
    EXPECT_EQ(changes, 2);  // the two rows cancelled together
    EXPECT_TRUE(leftovers(temporary).empty());
    EXPECT_TRUE(fs::is_empty(saved));
}

TEST_F(DownloadManagerTest, BrokenConnectionEndsWithTheEnginesDescription) {
    startTo(streaming.url("/announced.bin"), saved + "/announced.bin");
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
    EXPECT_EQ(only().expected, 1 << 20);
    streaming.breakAll();
    ASSERT_TRUE(ended());
    EXPECT_TRUE(only().status != "Cancelled" && only().status != "Complete" && !only().status.empty()) << only().status;
    EXPECT_TRUE(leftovers(temporary).empty());
    EXPECT_TRUE(fs::is_empty(saved));
}

TEST_F(DownloadManagerTest, TheQuestionIsAttachedOnlyToAWindowStillShownAndOffersTheLastNameComponent) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(window);
    WebKitWebContext* unobserved = webkit_web_context_new_ephemeral();
    auto askedWith = [&](GtkWindow* parent, std::function<void()> meanwhile = {}) {
        WebKitDownload* download = webkit_web_context_download_uri(unobserved, server.url("/report.pdf").c_str());
        started.push_back(download);
        manager->registerDownload(download, parent);
        EXPECT_EQ(manager->entries().front(),
                  (DownloadEntry{manager->entries().front().id, "Download", "Choose destination…", std::nullopt, true, 0, 0}));
        if (meanwhile) meanwhile();
        EXPECT_TRUE(spinUntil([&] { return chooser->questions.size() == started.size(); }));
        return chooser->questions.back().parent;
    };
    EXPECT_EQ(askedWith(GTK_WINDOW(window)), GTK_WINDOW(window));
    EXPECT_EQ(askedWith(nullptr), nullptr);
    // A window that went away since the download started is not used either.
    EXPECT_EQ(askedWith(GTK_WINDOW(window), [&] { gtk_widget_hide(window); }), nullptr);

    // The engine cleans the names it suggests itself, so the signal is given such a name directly.
    WebKitDownload* download = webkit_web_context_download_uri(unobserved, streaming.url("/slow.bin").c_str());
    started.push_back(download);
    manager->registerDownload(download, nullptr);
    const auto registered = manager->entries().size();
    manager->registerDownload(download, nullptr);  // a second time changes nothing
    EXPECT_EQ(manager->entries().size(), registered);
    gboolean handled = FALSE;
    int changes = 0;
    manager->signal_changed().connect([&] { ++changes; });
    g_signal_emit_by_name(download, "decide-destination", "reports/2024/summary.txt", &handled);
    EXPECT_TRUE(handled && changes == 1);  // the new name is shown
    EXPECT_EQ(chooser->questions.back().fileName, "summary.txt");
    EXPECT_EQ(manager->entries().front().name, "reports/2024/summary.txt");
    manager.reset();
    gtk_widget_destroy(window);
    g_object_unref(unobserved);
}

TEST_F(DownloadManagerTest, AFinishedFileReachesAFolderOnAnotherFileSystemWithoutHoldingTheMainLoop) {
    // Temporary files in memory, the destination on disk: a plain rename cannot cross that line.
    struct stat memory {}, disk {};
    if (stat("/dev/shm", &memory) != 0 || stat(saved.c_str(), &disk) != 0 || memory.st_dev == disk.st_dev)
        GTEST_SKIP() << "no second file system to download across";
    char pattern[] = "/dev/shm/quenlith-downloads-XXXXXX";
    ASSERT_NE(g_mkdtemp(pattern), nullptr);
    manager = makeManager(pattern);
    EngineEnd end;
    bool activeWhenTheEngineEnded = false;
    end.then = [&] { activeWhenTheEngineEnded = only().isActive; };
    startTo(server.url("/report.pdf"), saved + "/report.pdf", &end);
    ASSERT_TRUE(ended());
    EXPECT_TRUE(activeWhenTheEngineEnded);  // the copy ran off the main loop
    EXPECT_EQ(only().status, "Complete");
    EXPECT_EQ(test::readFile(saved + "/report.pdf"), body);
    EXPECT_TRUE(leftovers(pattern).empty());
    fs::remove_all(pattern);
}

// Whatever a failed download leaves in `folder` beside the files named.
std::vector<std::string> othersIn(const std::string& folder, const std::vector<std::string>& expected) {
    std::vector<std::string> found;
    for (const auto& item : fs::directory_iterator(folder)) {
        const std::string name = item.path().filename().string();
        if (std::find(expected.begin(), expected.end(), name) == expected.end()) found.push_back(name);
    }
    return found;
}

// A download ends in the chosen place whole or not at all: a write that fails leaves no cut-short
// file under the chosen name, and a file it was to replace stays as it was.
TEST_F(DownloadManagerTest, ADownloadOntoAFullDiskLeavesNoCutShortFileAndTheReplacedFileWhole) {
    test::SmallFileSystem small(1 << 20);
    if (!small.mounted()) GTEST_SKIP() << small.refusal();
    const std::string big(5 << 20, 'B');
    server.route("/big.bin", [&](const test::TestRequest&) {
        return test::TestResponse{200, "application/octet-stream", big, {}};
    });
    const std::string kept(100 * 1024, 'k');
    test::writeFile(small.path() + "/keep.bin", kept);
    for (const char* name : {"b.bin", "keep.bin"}) {
        SCOPED_TRACE(name);
        const std::string destination = small.path() + "/" + name;
        startTo(server.url("/big.bin"), destination);
        ASSERT_TRUE(ended());
        EXPECT_EQ(only().status.rfind("Could not save: ", 0), 0u) << only().status;
        EXPECT_NE(only().status.find(destination), std::string::npos) << only().status;
        EXPECT_NE(downloadNotice(only()).value_or("").find("could not be downloaded"), std::string::npos);
        EXPECT_EQ(othersIn(small.path(), {"keep.bin"}), std::vector<std::string>{});
        EXPECT_TRUE(test::readFile(small.path() + "/keep.bin") == kept)
            << "byte for byte as it was, not " << fs::file_size(small.path() + "/keep.bin") << " bytes";
        EXPECT_TRUE(leftovers(temporary).empty());
        manager->clearFinished();
    }
}

// The same without mounting anything: the partial files arrive in memory and the process may not
// write a file past a size while they are moved to the disk.
TEST_F(DownloadManagerTest, AWriteThatFailsMidFileLeavesTheChosenNameAsItWas) {
    struct stat memory {}, disk {};
    if (stat("/dev/shm", &memory) != 0 || stat(saved.c_str(), &disk) != 0 || memory.st_dev == disk.st_dev)
        GTEST_SKIP() << "no second file system to download across";
    char pattern[] = "/dev/shm/quenlith-downloads-XXXXXX";
    ASSERT_NE(g_mkdtemp(pattern), nullptr);
    manager = makeManager(pattern);
    const std::string kept(100 * 1024, 'k');
    test::writeFile(saved + "/keep.bin", kept);
    for (const char* name : {"b.bin", "keep.bin"}) {
        SCOPED_TRACE(name);
        startTo(streaming.url("/slow.bin"), saved + "/" + name);
        // The engine's own processes run already and keep their limits; only our move is limited.
        ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
        {
            test::FileSizeLimit limit(64 * 1024);
            streaming.finishAll(std::string(512 * 1024, 't'));
            ASSERT_TRUE(ended());
        }
        EXPECT_EQ(only().status.rfind("Could not save: ", 0), 0u) << only().status;
        EXPECT_NE(only().status.find(saved + "/" + name), std::string::npos) << only().status;
        EXPECT_EQ(othersIn(saved, {"keep.bin"}), std::vector<std::string>{});
        EXPECT_TRUE(test::readFile(saved + "/keep.bin") == kept)
            << "byte for byte as it was, not " << fs::file_size(saved + "/keep.bin") << " bytes";
        EXPECT_TRUE(leftovers(pattern).empty());
        manager->clearFinished();
    }

    // Cancelled while the data arrives: the file it was to replace is not touched either.
    EngineEnd end;
    startTo(streaming.url("/slow.bin"), saved + "/keep.bin", &end);
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
    manager->cancel(only().id);
    EXPECT_EQ(only().status, "Cancelled");
    ASSERT_TRUE(spinUntil([&] { return end.finished; }));  // the engine drops its own partial file
    EXPECT_TRUE(test::readFile(saved + "/keep.bin") == kept);
    EXPECT_EQ(othersIn(saved, {"keep.bin"}), std::vector<std::string>{});
    EXPECT_TRUE(leftovers(pattern).empty());
    manager.reset();
    fs::remove_all(pattern);
}

// At start the manager removes what an earlier process left, the private folder's files and the
// recorded partial files, and writes no download into the folder before that is over.
TEST_F(DownloadManagerTest, AtStartTheLeftoversGoBeforeADownloadIsWrittenIntoThePrivateFolder) {
    fs::create_directories(temporary);
    test::writeFile(temporary + "/Quenlith-download-left", "never moved into place");
    const std::string journal = environment.root() + "/data/partial-downloads.json";
    const std::string cutShort = partialFileName(saved);
    {
        // As a placement left it: on record, made, and identified.
        PartialFileRecords earlier(journal);
        ASSERT_TRUE(earlier.record(cutShort).ok());
        test::writeFile(cutShort, "cut short");
        struct stat made {};
        ASSERT_EQ(::lstat(cutShort.c_str(), &made), 0);
        earlier.identify(cutShort, FileIdentity::of(made));
    }
    test::writeFile(saved + "/neighbour.txt", "the person's");

    // Another start is emptying the folder: a download chosen meanwhile waits for it.
    const int otherStart = ::open(temporary.c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_EQ(::flock(otherStart, LOCK_EX | LOCK_NB), 0);
    manager = makeManager(temporary, std::make_shared<PartialFileRecords>(journal));
    bool swept = false;
    manager->sweepLeftovers([&] { swept = true; });
    startTo(server.url("/report.pdf"), saved + "/report.pdf");
    EXPECT_EQ(only().status, "Choose destination…");
    EXPECT_EQ(leftovers(temporary), std::vector<std::string>{temporary + "/Quenlith-download-left"});
    ::close(otherStart);
    ASSERT_TRUE(spinUntil([&] { return swept; }));
    ASSERT_TRUE(ended());
    EXPECT_EQ(only().status, "Complete");
    EXPECT_EQ(test::readFile(saved + "/report.pdf"), body);
    EXPECT_FALSE(test::fileExists(cutShort));
    EXPECT_EQ(test::readFile(saved + "/neighbour.txt"), "the person's");
    EXPECT_EQ(leftovers(temporary), std::vector<std::string>{temporary + "/Quenlith-download-left"})
        << "the other start's to remove";

    // The next start alone empties it.
    manager = makeManager(temporary, std::make_shared<PartialFileRecords>(journal));
    swept = false;
    manager->sweepLeftovers([&] { swept = true; });
    ASSERT_TRUE(spinUntil([&] { return swept; }));
    EXPECT_TRUE(fs::is_empty(temporary));
    EXPECT_EQ(test::readFile(saved + "/report.pdf"), body);
}

using DownloadLifetimeTest = DownloadManagerTest;
TEST_F(DownloadLifetimeTest, AnswersAndMovesFinishingAfterTheManagerIsGoneTouchNothingOfIt) {
    start(server.url("/report.pdf"));
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    auto late = std::move(chooser->questions[0].reply);
    // A file whose move has begun still lands when the manager goes meanwhile.
    EngineEnd end;
    end.then = [&] { manager.reset(); };
    startTo(server.url("/report.pdf"), saved + "/moved.pdf", &end);
    ASSERT_TRUE(spinUntil([&] { return end.finished && fs::exists(saved + "/moved.pdf"); }));
    late(saved + "/late.pdf");  // the reply outlives the manager and its chooser
    test::spinFor(std::chrono::milliseconds(100));
    EXPECT_EQ(test::readFile(saved + "/moved.pdf"), body);
    EXPECT_FALSE(fs::exists(saved + "/late.pdf"));
    EXPECT_TRUE(leftovers(temporary).empty());
}

}  // namespace
}  // namespace quenlith
