// The downloads window over the real download manager and a local server that holds a large
// download open.
#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <gtkmm/messagedialog.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/streaming_server.hpp"
#include "settings/downloads_window.hpp"
#include "support/accessibility_walk.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "ui/alert.hpp"

namespace quenlith {
namespace {

using test::spinUntil;
namespace fs = std::filesystem;

TEST(DownloadsWindowTest, ProgressCancelAndClearFinished) {
    test::TemporaryEnvironment home;
    const std::string partial = home.root() + "/partial", saved = home.root() + "/saved";
    fs::create_directories(saved);
    test::StreamingServer streaming;
    constexpr long kTenMegabytes = 10'000'000;
    streaming.stream("/large.bin", "application/octet-stream", std::string(1'000'000, 'x'),
                     {{"Content-Disposition", "attachment; filename=\"large.bin\""}}, kTenMegabytes);
    test::TestHttpServer server;
    server.route("/small.txt", [](const test::TestRequest&) {
        return test::TestResponse{200, "application/octet-stream", "small",
                                  {{"Content-Disposition", "attachment; filename=\"small.txt\""}}};
    });
    auto chooser = std::make_unique<test::ScriptedLocationChooser>();
    auto* questions = chooser.get();
    std::vector<std::string> revealed;
    DownloadManager manager(std::move(chooser), partial, [&](const std::string& path, LaunchFailed failed) {
        revealed.push_back(path);
        failed("No file manager");  // as when neither a file manager nor a folder viewer answers
    });
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    manager.observe(context);
    DownloadsWindow window(manager);
    window.show();
    EXPECT_TRUE(window.showsEmptyText());

    auto download = [&](const std::string& url, const std::string& name) {
        const std::size_t index = questions->questions.size();
        g_object_unref(webkit_web_context_download_uri(context, url.c_str()));
        EXPECT_TRUE(spinUntil([&] { return questions->questions.size() > index; }));
        EXPECT_EQ(window.row(manager.entries().front().id)->button.get_label(), "Cancel") << "while asking";
        questions->answer(index, saved + "/" + name);
        return manager.entries().front().id;
    };
    const Uuid small = download(server.url("/small.txt"), "small.txt");
    ASSERT_TRUE(spinUntil([&] { return !manager.entry(small)->isActive; }));
    EXPECT_EQ(window.row(small)->status.get_text(), "Complete");
    window.row(small)->button.clicked();
    EXPECT_EQ(revealed, std::vector<std::string>{saved + "/small.txt"});
    auto* alert = dynamic_cast<Gtk::MessageDialog*>(attachedSheet(window));
    ASSERT_NE(alert, nullptr) << "a reveal that failed is told";
    EXPECT_EQ(alert->property_secondary_text().get_value(), "No file manager");
    alert->response(Gtk::RESPONSE_OK);

    const Uuid large = download(streaming.url("/large.bin"), "large.bin");
    DownloadsWindow::Row& row = *window.row(large);
    ASSERT_TRUE(spinUntil([&] { return row.progress.get_visible() && row.progress.get_fraction() > 0.05; }));
    EXPECT_THAT(test::accessibilityProblems(window), testing::IsEmpty()) << "a screen reader's walk";
    EXPECT_EQ(row.bytes.get_text(), downloadByteText(manager.entry(large)->received, kTenMegabytes));
    EXPECT_NE(row.bytes.get_text().find(" / 10.0\u00a0MB"), std::string::npos) << row.bytes.get_text();
    EXPECT_LT(row.progress.get_fraction(), 0.5);

    row.button.clicked();  // Cancel
    ASSERT_TRUE(spinUntil([&] { return window.row(large)->status.get_text() == "Cancelled"; }));
    EXPECT_FALSE(window.row(large)->button.get_visible());
    EXPECT_FALSE(fs::exists(saved + "/large.bin"));
    // The engine drops its own partial file once its cancellation has gone through.
    EXPECT_TRUE(spinUntil([&] { return fs::is_empty(partial); })) << "no partial file is left";

    window.clearFinishedButton().clicked();
    EXPECT_EQ(window.rowCount(), 0u);
    EXPECT_TRUE(window.showsEmptyText());
    g_object_unref(context);
}

}  // namespace
}  // namespace quenlith
