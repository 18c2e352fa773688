#include <filesystem>
#include <set>

#include <sys/stat.h>

#include <gio/gio.h>
#include <glib/gstdio.h>
#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/streaming_server.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

namespace fs = std::filesystem;
using test::spinUntil;

using ScriptedChooser = test::ScriptedLocationChooser;

// Follows the engine's own report that a download is over, independent of the manager.
struct EngineEnd {
    bool finished = false;
    static void track(WebKitDownload* download, EngineEnd* end) {
        g_signal_connect(download, "finished", G_CALLBACK(+[](WebKitDownload*, gpointer data) {
                             static_cast<EngineEnd*>(data)->finished = true;
                         }),
                         end);
    }
};

std::vector<std::string> leftoverTemporaryFiles(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& item : fs::directory_iterator(folder)) {
        std::string name = item.path().filename().string();
        if (name.rfind("Quenlith-download-", 0) == 0) found.push_back(name);
    }
    return found;
}

class DownloadManagerTest : public ::testing::Test {
protected:
    void SetUp() override {
        temporary = environment.root() + "/tmp";
        saved = environment.root() + "/saved";
        fs::create_directories(temporary);
        fs::create_directories(saved);
        auto scripted = std::make_unique<ScriptedChooser>();
        chooser = scripted.get();
        manager = std::make_unique<DownloadManager>(std::move(scripted), temporary,
                                                    [this](const std::string& path) { revealed.push_back(path); });
        context = webkit_web_context_new_ephemeral();
        manager->observe(context);
        server.route("/report.pdf", [this](const test::TestRequest&) {
            test::TestResponse response;
            response.contentType = "application/octet-stream";
            response.body = body;
            response.headers["Content-Disposition"] = "attachment; filename=\"report.pdf\"";
            return response;
        });
        streaming.stream("/slow.bin", "application/octet-stream", std::string(4096, 's'),
                         {{"Content-Disposition", "attachment; filename=\"slow.bin\""}});
        // Announces more than it ever sends, so a broken connection is a failed body.
        streaming.stream("/announced.bin", "application/octet-stream", std::string(4096, 'a'),
                         {{"Content-Disposition", "attachment; filename=\"announced.bin\""}}, 1 << 20);
    }
    void TearDown() override {
        manager.reset();
        for (WebKitDownload* download : started) g_object_unref(download);
        g_object_unref(context);
    }

    WebKitDownload* start(const std::string& url, EngineEnd* end = nullptr) {
        WebKitDownload* download = webkit_web_context_download_uri(context, url.c_str());
        started.push_back(download);
        if (end) EngineEnd::track(download, end);
        return download;
    }
    bool waitForQuestions(std::size_t count) {
        return spinUntil([&] { return chooser->questions.size() >= count; });
    }
    const DownloadEntry& only() {
        EXPECT_EQ(manager->entries().size(), 1u);
        return manager->entries().front();
    }

    test::TemporaryEnvironment environment;
    std::string temporary;
    std::string saved;
    ScriptedChooser* chooser = nullptr;
    std::vector<std::string> revealed;
    std::unique_ptr<DownloadManager> manager;
    WebKitWebContext* context = nullptr;
    std::vector<WebKitDownload*> started;
    test::TestHttpServer server;
    test::StreamingServer streaming;
    std::string body = std::string(50000, 'x') + "end";
};

TEST_F(DownloadManagerTest, CancellingTheSaveQuestionEndsCancelledAndLeavesNoFile) {
    EngineEnd end;
    start(server.url("/report.pdf"), &end);
    ASSERT_TRUE(waitForQuestions(1));
    EXPECT_EQ(only().status, "Choose destination…");
    EXPECT_TRUE(only().isActive);
    EXPECT_EQ(only().name, "report.pdf");
    EXPECT_EQ(chooser->questions[0].fileName, "report.pdf");

    chooser->answer(0, std::nullopt);
    EXPECT_EQ(only().status, "Cancelled");
    EXPECT_FALSE(only().isActive);
    EXPECT_FALSE(only().destination.has_value());
    EXPECT_EQ(manager->runningCount(), 0u);

    // The engine's own end of the download changes nothing any more.
    ASSERT_TRUE(spinUntil([&] { return end.finished; }));
    EXPECT_EQ(only().status, "Cancelled");
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
    EXPECT_TRUE(fs::is_empty(saved));

    // Nothing to reveal without a destination.
    manager->reveal(only().id);
    EXPECT_TRUE(revealed.empty());
}

TEST_F(DownloadManagerTest, ChoosingAnExistingFileReplacesIt) {
    std::string target = saved + "/report.pdf";
    test::writeFile(target, "older contents");
    start(server.url("/report.pdf"));
    ASSERT_TRUE(waitForQuestions(1));
    chooser->answer(0, target);
    EXPECT_EQ(only().status, "Downloading…");
    EXPECT_EQ(only().destination, target);

    ASSERT_TRUE(spinUntil([&] { return !only().isActive; }));
    EXPECT_EQ(only().status, "Complete");
    EXPECT_EQ(test::readFile(target), body);
    EXPECT_EQ(only().received, static_cast<std::int64_t>(body.size()));
    EXPECT_EQ(only().expected, static_cast<std::int64_t>(body.size()));
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());

    manager->reveal(only().id);
    EXPECT_EQ(revealed, std::vector<std::string>{target});
}

TEST_F(DownloadManagerTest, FolderRemovedBeforeTheEndGivesCouldNotSave) {
    std::string folder = saved + "/gone";
    fs::create_directories(folder);
    EngineEnd end;
    start(streaming.url("/slow.bin"), &end);
    ASSERT_TRUE(waitForQuestions(1));
    chooser->answer(0, folder + "/slow.bin");
    // Still running: data has arrived in our temporary file, and the response is held open.
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
    EXPECT_FALSE(leftoverTemporaryFiles(temporary).empty());
    EXPECT_EQ(streaming.openCount(), 1);

    fs::remove_all(folder);
    streaming.finishAll("tail");
    ASSERT_TRUE(spinUntil([&] { return !only().isActive; }));
    const std::string prefix = "Could not save: ";
    EXPECT_EQ(only().status.substr(0, prefix.size()), prefix);
    EXPECT_GT(only().status.size(), prefix.size());  // the reason follows
    EXPECT_TRUE(end.finished);
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
    EXPECT_FALSE(fs::exists(folder));
}

TEST_F(DownloadManagerTest, CancelAllEndsThreeRunningDownloadsCancelled) {
    EngineEnd ends[3];
    for (auto& end : ends) start(streaming.url("/slow.bin"), &end);
    ASSERT_TRUE(waitForQuestions(3));
    for (std::size_t i = 0; i < 3; ++i) chooser->answer(i, saved + "/slow-" + std::to_string(i) + ".bin");
    ASSERT_TRUE(spinUntil([&] {
        for (const auto& entry : manager->entries())
            if (entry.received == 0) return false;
        return true;
    }));
    EXPECT_GE(leftoverTemporaryFiles(temporary).size(), 3u);

    int changes = 0;
    manager->signal_changed().connect([&] { ++changes; });
    manager->cancelAll();
    ASSERT_EQ(manager->entries().size(), 3u);
    for (const auto& entry : manager->entries()) {
        EXPECT_EQ(entry.status, "Cancelled");
        EXPECT_FALSE(entry.isActive);
    }
    EXPECT_EQ(manager->runningCount(), 0u);
    // The engine winds the three down; no report of it reaches the entries.
    int changesAfterCancel = changes;
    ASSERT_TRUE(spinUntil([&] { return ends[0].finished && ends[1].finished && ends[2].finished; }));
    EXPECT_EQ(changes, changesAfterCancel);
    for (const auto& entry : manager->entries()) EXPECT_EQ(entry.status, "Cancelled");
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(fs::exists(saved + "/slow-" + std::to_string(i) + ".bin"));
}

TEST_F(DownloadManagerTest, CancellingOneRowAndTheEngineReportEndItOnce) {
    EngineEnd end;
    start(streaming.url("/slow.bin"), &end);
    ASSERT_TRUE(waitForQuestions(1));
    chooser->answer(0, saved + "/slow.bin");
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));

    manager->cancel(only().id);
    EXPECT_EQ(only().status, "Cancelled");
    DownloadEntry afterCancel = only();
    ASSERT_TRUE(spinUntil([&] { return end.finished; }));
    EXPECT_EQ(only(), afterCancel);
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
}

TEST_F(DownloadManagerTest, BrokenConnectionEndsWithTheEnginesDescription) {
    start(streaming.url("/announced.bin"));
    ASSERT_TRUE(waitForQuestions(1));
    chooser->answer(0, saved + "/announced.bin");
    ASSERT_TRUE(spinUntil([&] { return only().received > 0; }));
    EXPECT_EQ(only().expected, 1 << 20);

    streaming.breakAll();
    ASSERT_TRUE(spinUntil([&] { return !only().isActive; }));
    EXPECT_NE(only().status, "Cancelled");
    EXPECT_NE(only().status, "Complete");
    EXPECT_FALSE(only().status.empty());
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
    EXPECT_FALSE(fs::exists(saved + "/announced.bin"));
}

TEST_F(DownloadManagerTest, ClearFinishedKeepsTheActiveEntriesInOrder) {
    start(streaming.url("/slow.bin"));
    ASSERT_TRUE(waitForQuestions(1));
    start(server.url("/report.pdf"));
    ASSERT_TRUE(waitForQuestions(2));
    start(streaming.url("/slow.bin"));
    ASSERT_TRUE(waitForQuestions(3));
    ASSERT_EQ(manager->entries().size(), 3u);
    Uuid newest = manager->entries()[0].id;
    Uuid oldest = manager->entries()[2].id;

    chooser->answer(1, saved + "/report.pdf");
    ASSERT_TRUE(spinUntil([&] { return manager->entries()[1].status == "Complete"; }));
    manager->clearFinished();
    ASSERT_EQ(manager->entries().size(), 2u);
    EXPECT_EQ(manager->entries()[0].id, newest);
    EXPECT_EQ(manager->entries()[1].id, oldest);
    EXPECT_TRUE(fs::exists(saved + "/report.pdf"));  // files are not touched
}

TEST_F(DownloadManagerTest, TheQuestionIsAttachedOnlyToAWindowWithoutADialog) {
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_widget_show(window);

    WebKitWebContext* unobserved = webkit_web_context_new_ephemeral();
    auto startWith = [&](GtkWindow* parent) {
        WebKitDownload* download = webkit_web_context_download_uri(unobserved, server.url("/report.pdf").c_str());
        manager->registerDownload(download, parent);
        started.push_back(download);
    };
    startWith(GTK_WINDOW(window));
    ASSERT_TRUE(waitForQuestions(1));
    EXPECT_EQ(chooser->questions[0].parent, GTK_WINDOW(window));

    startWith(nullptr);
    ASSERT_TRUE(waitForQuestions(2));
    EXPECT_EQ(chooser->questions[1].parent, nullptr);

    GtkWidget* dialog = gtk_message_dialog_new(GTK_WINDOW(window), GTK_DIALOG_MODAL, GTK_MESSAGE_INFO,
                                               GTK_BUTTONS_OK, "%s", "busy");
    gtk_widget_show(dialog);
    startWith(GTK_WINDOW(window));
    ASSERT_TRUE(waitForQuestions(3));
    EXPECT_EQ(chooser->questions[2].parent, nullptr);
    gtk_widget_destroy(dialog);

    // A window that went away since the download started is not used either.
    startWith(GTK_WINDOW(window));
    gtk_widget_hide(window);
    ASSERT_TRUE(waitForQuestions(4));
    EXPECT_EQ(chooser->questions[3].parent, nullptr);

    for (std::size_t i = 0; i < 4; ++i) chooser->answer(i, std::nullopt);
    manager.reset();
    gtk_widget_destroy(window);
    g_object_unref(unobserved);
}

TEST_F(DownloadManagerTest, ASuggestedNameWithFoldersOffersItsLastComponent) {
    // The engine cleans the names it suggests itself, so the signal is given such a name directly.
    WebKitWebContext* unobserved = webkit_web_context_new_ephemeral();
    WebKitDownload* download = webkit_web_context_download_uri(unobserved, streaming.url("/slow.bin").c_str());
    started.push_back(download);
    manager->registerDownload(download, nullptr);
    gboolean handled = FALSE;
    g_signal_emit_by_name(download, "decide-destination", "reports/2024/summary.txt", &handled);
    EXPECT_TRUE(handled);
    ASSERT_GE(chooser->questions.size(), 1u);
    EXPECT_EQ(chooser->questions[0].fileName, "summary.txt");
    EXPECT_EQ(manager->entries().front().name, "reports/2024/summary.txt");
    manager->cancelAll();
    g_object_unref(unobserved);
}

TEST_F(DownloadManagerTest, AFinishedFileReachesAFolderOnAnotherFileSystem) {
    // Temporary files in memory, the destination on disk: a plain rename cannot cross that line.
    struct stat memory {}, disk {};
    if (stat("/dev/shm", &memory) != 0 || stat(saved.c_str(), &disk) != 0 || memory.st_dev == disk.st_dev)
        GTEST_SKIP() << "no second file system to download across";
    char pattern[] = "/dev/shm/quenlith-downloads-XXXXXX";
    ASSERT_NE(g_mkdtemp(pattern), nullptr);
    const std::string elsewhere = pattern;

    auto scripted = std::make_unique<ScriptedChooser>();
    ScriptedChooser* asking = scripted.get();
    DownloadManager across(std::move(scripted), elsewhere);
    WebKitWebContext* own = webkit_web_context_new_ephemeral();
    across.observe(own);
    WebKitDownload* download = webkit_web_context_download_uri(own, server.url("/report.pdf").c_str());
    started.push_back(download);
    ASSERT_TRUE(spinUntil([&] { return asking->questions.size() == 1; }));
    asking->answer(0, saved + "/report.pdf");
    ASSERT_TRUE(spinUntil([&] { return !across.entries().front().isActive; }));

    EXPECT_EQ(across.entries().front().status, "Complete");
    EXPECT_EQ(test::readFile(saved + "/report.pdf"), body);
    EXPECT_TRUE(leftoverTemporaryFiles(elsewhere).empty());
    fs::remove_all(elsewhere);
    g_object_unref(own);
}

TEST_F(DownloadManagerTest, AnAnswerArrivingAfterTheManagerIsGoneDoesNothing) {
    start(server.url("/report.pdf"));
    ASSERT_TRUE(waitForQuestions(1));
    auto late = std::move(chooser->questions[0].reply);
    manager.reset();  // the reply outlives the manager and its chooser
    late(saved + "/late.pdf");
    EXPECT_FALSE(fs::exists(saved + "/late.pdf"));
    EXPECT_TRUE(leftoverTemporaryFiles(temporary).empty());
}

}  // namespace
}  // namespace quenlith
