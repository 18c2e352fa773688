#include <filesystem>
#include <utility>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/download_manager.hpp"
#include "browser/page/page_error.hpp"
#include "browser/page/response_policy.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/web_test_support.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A web view in a window whose responses are decided by the response policy and whose downloads
// go to a download manager, as in a browser window.
class PageDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto scripted = std::make_unique<test::ScriptedLocationChooser>();
        chooser = scripted.get();
        manager = std::make_unique<DownloadManager>(std::move(scripted), environment.root() + "/partial");
        server.page("/", "<a id=plain href='/data.bin'>data</a> <a id=named href='/notes' download='notes.txt'>notes</a>");
        server.route("/data.bin", [](const test::TestRequest&) {
            return test::TestResponse{200, "application/octet-stream", std::string(20000, 'd'), {}};
        });
        server.route("/notes", [](const test::TestRequest&) { return test::TestResponse{200, "text/plain", "remember", {}}; });
        manager->observe(context);
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
                                                             std::vector<PageFailure>* failures) -> gboolean {
                             failures->push_back(pageFailure(*error));
                             return TRUE;
                         }),
                         &failures);
        ASSERT_FALSE(test::loadAndWait(view, server.url("/")).failed);
    }
    void TearDown() override {
        manager.reset();
        if (window) gtk_widget_destroy(window);
        g_object_unref(context);
    }
    void click(const std::string& id) { test::evaluate(view, "document.getElementById('" + id + "').click(); 0"); }
    std::string savedTo(const std::string& name) {
        const std::string target = environment.root() + "/" + name;
        chooser->answer(chooser->questions.size() - 1, target);
        EXPECT_TRUE(spinUntil([&] { return !manager->entries().front().isActive; }));
        EXPECT_EQ(manager->entries().front().status, "Complete");
        return test::readFile(target);
    }

    test::TemporaryEnvironment environment;
    test::ScriptedLocationChooser* chooser = nullptr;
    std::unique_ptr<DownloadManager> manager;
    test::TestHttpServer server;
    WebKitWebContext* context = webkit_web_context_new_ephemeral();
    WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new_with_context(context));
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    std::vector<PageFailure> failures;
};

TEST_F(PageDownloadTest, LinksBecomeDownloadsOfThePagesWindowWithoutAnErrorBox) {
    click("named");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    EXPECT_EQ(chooser->questions[0].fileName + " " + manager->entries().front().name, "notes.txt notes.txt");
    EXPECT_EQ(savedTo("notes.txt"), "remember");
    EXPECT_TRUE(failures.empty());

    // An unshowable type: the page load ends with the engine's failure, which the user never sees.
    click("plain");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 2 && !failures.empty(); }));
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_TRUE(isSilentPageFailure(failures[0])) << failures[0].domain << " " << failures[0].code;
    EXPECT_EQ(chooser->questions[1].parent, GTK_WINDOW(window));
    EXPECT_EQ(savedTo("data.bin"), std::string(20000, 'd'));
    EXPECT_EQ(std::string(webkit_web_view_get_uri(view)), server.url("/"));
}

using PageDownloadLifetimeTest = PageDownloadTest;
TEST_F(PageDownloadLifetimeTest, ADownloadOutlivesTheWindowAndTheViewItStartedIn) {
    click("plain");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    gtk_widget_destroy(std::exchange(window, nullptr));  // the tab and its window close meanwhile
    EXPECT_EQ(savedTo("data.bin"), std::string(20000, 'd'));
}

}  // namespace
}  // namespace quenlith
