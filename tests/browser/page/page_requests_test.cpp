#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/page_dialog.hpp"
#include "browser/page/permission_request.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A plain web view whose page asks for dialogs and devices; the test plays the user.
class PageRequestsTest : public ::testing::Test {
protected:
    void SetUp() override {
        view = WEBKIT_WEB_VIEW(webkit_web_view_new());
        WebKitSettings* settings = webkit_web_view_get_settings(view);
        webkit_settings_set_enable_media_stream(settings, TRUE);
        webkit_settings_set_enable_mock_capture_devices(settings, TRUE);
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
        g_signal_connect(view, "script-dialog", G_CALLBACK(onScriptDialog), this);
        g_signal_connect(view, "permission-request", G_CALLBACK(onPermissionRequest), this);
        g_signal_connect(view, "notify::title", G_CALLBACK(+[](WebKitWebView* view, GParamSpec*, gpointer self) {
                             const char* title = webkit_web_view_get_title(view);
                             static_cast<PageRequestsTest*>(self)->title = title ? title : "";
                         }),
                         this);
    }
    void TearDown() override { gtk_widget_destroy(window); }

    static gboolean onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer data) {
        auto* self = static_cast<PageRequestsTest*>(data);
        self->dialogs.push_back(scriptDialogContent(dialog, webkit_web_view_get_uri(view)));
        ScriptDialogKind kind = scriptDialogKind(dialog);
        auto button = isScriptDialogShown(kind) ? self->button : std::nullopt;
        answerScriptDialog(dialog, scriptDialogAnswer(kind, button, "typed by the user"));
        return TRUE;
    }
    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer data) {
        if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) return FALSE;
        auto* self = static_cast<PageRequestsTest*>(data);
        auto question = mediaCaptureQuestion(mediaCaptureRequest(WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request)),
                                             webkit_web_view_get_uri(view));
        self->questions.push_back(question ? question->message : "(refused without asking)");
        if (question && self->allowCapture)
            webkit_permission_request_allow(request);
        else
            webkit_permission_request_deny(request);
        return TRUE;
    }

    // Loads a page whose script runs at once and puts its outcome in the title.
    std::string run(const std::string& script) {
        title.clear();
        server.page("/page", "<title>loading</title><script>(async () => { let r; try { r = await (async () => {" +
                                 script + "})(); } catch (e) { r = 'threw ' + e.name; } document.title = 'done:' + r; })();</script>");
        webkit_web_view_load_uri(view, server.url("/page").c_str());
        EXPECT_TRUE(spinUntil([&] { return title.rfind("done:", 0) == 0; }));
        return title.substr(5);
    }

    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    WebKitWebView* view = nullptr;
    GtkWidget* window = nullptr;
    std::string title;
    std::vector<ScriptDialogContent> dialogs;
    std::optional<std::size_t> button;
    std::vector<std::string> questions;
    bool allowCapture = false;
};

TEST_F(PageRequestsTest, WithoutAWindowEveryDialogGetsItsNegativeAnswer) {
    button = std::nullopt;
    EXPECT_EQ(run("return String(alert('hello'))"), "undefined");
    EXPECT_EQ(run("return String(confirm('sure?'))"), "false");
    EXPECT_EQ(run("return String(prompt('name?', 'Ada'))"), "null");
    ASSERT_EQ(dialogs.size(), 3u);
    EXPECT_EQ(dialogs[0].title, "127.0.0.1");
    EXPECT_EQ(dialogs[0].message, "hello");
    EXPECT_EQ(dialogs[2].message, "name?");
    EXPECT_EQ(dialogs[2].defaultText, "Ada");
    EXPECT_TRUE(dialogs[2].hasTextField);
}

TEST_F(PageRequestsTest, TheFirstButtonConfirmsAndHandsOverTheText) {
    button = 0;
    EXPECT_EQ(run("return String(confirm('sure?'))"), "true");
    EXPECT_EQ(run("return String(prompt('name?', 'Ada'))"), "typed by the user");
    button = 1;
    EXPECT_EQ(run("return String(confirm('sure?'))"), "false");
    EXPECT_EQ(run("return String(prompt('name?'))"), "null");
}

TEST_F(PageRequestsTest, CameraAndMicrophoneAreAskedEveryTimeNamingTheHost) {
    const std::string ask = "const s = await navigator.mediaDevices.getUserMedia({video: true, audio: true});"
                            "const kinds = s.getTracks().map(t => t.kind).sort().join('+');"
                            "s.getTracks().forEach(t => t.stop()); return kinds;";
    allowCapture = false;
    EXPECT_EQ(run(ask), "threw NotAllowedError");
    allowCapture = true;
    EXPECT_EQ(run(ask), "audio+video");
    EXPECT_EQ(run(ask), "audio+video");
    // Nothing is remembered: each of the three requests was a question of its own.
    ASSERT_EQ(questions.size(), 3u);
    for (const auto& question : questions)
        EXPECT_EQ(question, "Allow “127.0.0.1” to use your camera and microphone?");

    questions.clear();
    EXPECT_EQ(run("const s = await navigator.mediaDevices.getUserMedia({audio: true});"
                  "s.getTracks().forEach(t => t.stop()); return 'ok';"),
              "ok");
    EXPECT_EQ(questions, std::vector<std::string>{"Allow “127.0.0.1” to use your microphone?"});
}

}  // namespace
}  // namespace quenlith
