#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/page_dialog.hpp"
#include "browser/page/permission_request.hpp"
#include "browser/web_test_support.hpp"
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
        WebKitSettings* settings = webkit_web_view_get_settings(view);
        webkit_settings_set_enable_media_stream(settings, TRUE);
        webkit_settings_set_enable_mock_capture_devices(settings, TRUE);
        g_signal_connect(view, "script-dialog", G_CALLBACK(onScriptDialog), this);
        g_signal_connect(view, "permission-request", G_CALLBACK(onPermissionRequest), this);
    }

    static gboolean onScriptDialog(WebKitWebView* view, WebKitScriptDialog* dialog, gpointer data) {
        auto* self = static_cast<PageRequestsTest*>(data);
        self->dialogs.push_back(scriptDialogContent(dialog, webkit_web_view_get_uri(view)));
        ScriptDialogKind kind = scriptDialogKind(dialog);
        answerScriptDialog(dialog, scriptDialogAnswer(kind, isScriptDialogShown(kind) ? self->button : std::nullopt,
                                                      "typed by the user"));
        return TRUE;
    }
    static gboolean onPermissionRequest(WebKitWebView* view, WebKitPermissionRequest* request, gpointer data) {
        if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request)) return FALSE;
        auto* self = static_cast<PageRequestsTest*>(data);
        auto question = mediaCaptureQuestion(mediaCaptureRequest(WEBKIT_USER_MEDIA_PERMISSION_REQUEST(request)),
                                             webkit_web_view_get_uri(view));
        self->questions.push_back(question ? question->message : "(refused without asking)");
        question && self->allowCapture ? webkit_permission_request_allow(request) : webkit_permission_request_deny(request);
        return TRUE;
    }

    // Loads a page whose script runs at once and puts its outcome in the title.
    std::string run(const std::string& script) {
        const std::string tag = "done" + std::to_string(++runs) + ":";
        server.page("/page", "<script>(async () => { let r; try { r = await (async () => {" + script +
                                 "})(); } catch (e) { r = 'threw ' + e.name; } document.title = '" + tag + "' + r; })();</script>");
        webkit_web_view_load_uri(view, server.url("/page").c_str());
        auto title = [&] { return std::string(webkit_web_view_get_title(view) ? webkit_web_view_get_title(view) : ""); };
        EXPECT_TRUE(spinUntil([&] { return title().rfind(tag, 0) == 0; }));
        return title().substr(std::min(tag.size(), title().size()));
    }

    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new());
    test::ViewHost host{view};
    int runs = 0;
    std::vector<ScriptDialogContent> dialogs;
    std::optional<std::size_t> button;
    std::vector<std::string> questions;
    bool allowCapture = false;
};

TEST_F(PageRequestsTest, ScriptDialogsGetTheAnswerOfTheButtonOrTheirNegativeOneWithoutAWindow) {
    const std::tuple<std::optional<std::size_t>, const char*, const char*> cases[] = {
        {std::nullopt, "String(alert('hello'))", "undefined"}, {std::nullopt, "String(confirm('sure?'))", "false"},
        {std::nullopt, "String(prompt('name?', 'Ada'))", "null"}, {0, "String(confirm('sure?'))", "true"},
        {0, "String(prompt('name?', 'Ada'))", "typed by the user"}, {1, "String(confirm('sure?'))", "false"},
        {1, "String(prompt('name?'))", "null"}};
    for (const auto& [chosen, script, result] : cases) {
        button = chosen;
        EXPECT_EQ(run(std::string("return ") + script), result) << script;
    }
    ASSERT_EQ(dialogs.size(), 7u);
    EXPECT_EQ(dialogs[0].title + " " + dialogs[0].message, "127.0.0.1 hello");
    EXPECT_EQ(dialogs[2].message + " " + dialogs[2].defaultText, "name? Ada");
    EXPECT_TRUE(dialogs[2].hasTextField);
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
