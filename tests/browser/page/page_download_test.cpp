#include <filesystem>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/response_policy.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

namespace fs = std::filesystem;
using test::spinUntil;

// A plain web view whose responses are decided by the response policy and whose downloads go to
// a download manager, as in a browser window.
class PageDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        temporary = environment.root() + "/tmp";
        fs::create_directories(temporary);
        auto scripted = std::make_unique<test::ScriptedLocationChooser>();
        chooser = scripted.get();
        manager = std::make_unique<DownloadManager>(std::move(scripted), temporary);

        server.page("/", "<a id=plain href='/data.bin'>data</a> <a id=named href='/notes' download='notes.txt'>notes</a>");
        server.route("/data.bin", [](const test::TestRequest&) {
            test::TestResponse response;
            response.contentType = "application/octet-stream";
            response.body = std::string(20000, 'd');
            return response;
        });
        server.route("/notes", [](const test::TestRequest&) {
            test::TestResponse response;
            response.contentType = "text/plain";
            response.body = "remember";
            return response;
        });

        context = webkit_web_context_new_ephemeral();
        manager->observe(context);
        view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context));
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
        g_signal_connect(view, "decide-policy", G_CALLBACK(+[](WebKitWebView*, WebKitPolicyDecision* decision,
                                                               WebKitPolicyDecisionType type, gpointer) -> gboolean {
                             if (type != WEBKIT_POLICY_DECISION_TYPE_RESPONSE) return FALSE;
                             if (responseVerdict(WEBKIT_RESPONSE_POLICY_DECISION(decision)) == ResponseVerdict::download)
                                 webkit_policy_decision_download(decision);
                             else
                                 webkit_policy_decision_use(decision);
                             return TRUE;
                         }),
                         nullptr);
        g_signal_connect(view, "load-failed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent, char*, GError* error,
                                                             gpointer self) -> gboolean {
                             static_cast<PageDownloadTest*>(self)->failures.push_back(pageFailure(*error));
                             return TRUE;
                         }),
                         this);
        g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer self) {
                             if (event == WEBKIT_LOAD_FINISHED) ++static_cast<PageDownloadTest*>(self)->finishedLoads;
                         }),
                         this);
        webkit_web_view_load_uri(view, server.url("/").c_str());
        ASSERT_TRUE(spinUntil([&] { return finishedLoads == 1; }));
    }
    void TearDown() override {
        manager.reset();
        gtk_widget_destroy(window);
        g_object_unref(context);
    }

    void click(const std::string& id) {
        std::string script = "document.getElementById('" + id + "').click()";
        webkit_web_view_evaluate_javascript(view, script.c_str(), -1, nullptr, nullptr, nullptr, nullptr, nullptr);
    }

    test::TemporaryEnvironment environment;
    std::string temporary;
    test::ScriptedLocationChooser* chooser = nullptr;
    std::unique_ptr<DownloadManager> manager;
    test::TestHttpServer server;
    WebKitWebContext* context = nullptr;
    WebKitWebView* view = nullptr;
    GtkWidget* window = nullptr;
    std::vector<PageFailure> failures;
    int finishedLoads = 0;
};

TEST_F(PageDownloadTest, ALinkToAnUnshowableTypeBecomesADownloadWithoutAnErrorBox) {
    click("plain");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1 && !failures.empty(); }));
    // The page load ends with the engine's failure, which the user never sees.
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(isSilentPageFailure(failures[0])) << failures[0].domain << " " << failures[0].code;
    EXPECT_EQ(pageErrorText(failures[0]), std::nullopt);
    EXPECT_EQ(std::string(webkit_web_view_get_uri(view)), server.url("/"));

    // The download belongs to the page's window and completes.
    EXPECT_EQ(chooser->questions[0].parent, GTK_WINDOW(window));
    std::string target = environment.root() + "/data.bin";
    chooser->answer(0, target);
    ASSERT_TRUE(spinUntil([&] { return !manager->entries().front().isActive; }));
    EXPECT_EQ(manager->entries().front().status, "Complete");
    EXPECT_EQ(fs::file_size(target), 20000u);
}

TEST_F(PageDownloadTest, ALinkWithADownloadAttributeReachesTheManager) {
    click("named");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    EXPECT_EQ(chooser->questions[0].fileName, "notes.txt");
    EXPECT_EQ(manager->entries().front().name, "notes.txt");
    std::string target = environment.root() + "/notes.txt";
    chooser->answer(0, target);
    ASSERT_TRUE(spinUntil([&] { return !manager->entries().front().isActive; }));
    EXPECT_EQ(manager->entries().front().status, "Complete");
    EXPECT_EQ(test::readFile(target), "remember");
    EXPECT_TRUE(failures.empty());
    EXPECT_EQ(std::string(webkit_web_view_get_uri(view)), server.url("/"));
}

}  // namespace
}  // namespace quenlith
