#include <filesystem>

#include <gtk/gtk.h>

#include "browser/browser_view_fixture.hpp"
#include "browser/web_test_support.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/streaming_server.hpp"

namespace quenlith::test {
namespace {

namespace fs = std::filesystem;

// The browser view with its pages' events wired: failures, policies, new windows, downloads,
// questions, retry, tab media and reading positions.
class PageEvents : public BrowserViewFixture {
protected:
    void runInPage(const std::string& script) {
        webkit_web_view_evaluate_javascript(active().webView(), script.c_str(), -1, nullptr, nullptr, nullptr, nullptr,
                                            nullptr);
    }
    void click(const std::string& id) { runInPage("document.getElementById('" + id + "').click()"); }

    // The visible message dialog a page question opened, if any.
    static GtkMessageDialog* openQuestion() {
        GtkWidget* dialog = visibleToplevel(GTK_TYPE_MESSAGE_DIALOG);
        return dialog ? GTK_MESSAGE_DIALOG(dialog) : nullptr;
    }
    static std::string property(GtkMessageDialog* dialog, const char* name) {
        char* text = nullptr;
        g_object_get(dialog, name, &text, nullptr);
        std::string result = text ? text : "";
        g_free(text);
        return result;
    }
    GtkMessageDialog* waitForQuestion() {
        GtkMessageDialog* dialog = nullptr;
        EXPECT_TRUE(spinUntil([&] { return (dialog = openQuestion()) != nullptr; }));
        return dialog;
    }
    void setLinkBehavior(LinkBehavior behavior) {
        preferences->update([behavior](AppPreferences& value) { value.linkBehavior = behavior; });
    }
    bool errorBoxShows(const std::string& text) {
        return spinUntil([&] {
            return controller->errorBoxView().get_visible() && controller->errorLabel().get_text() == text;
        });
    }
};

TEST_F(PageEvents, AFailedLoadShowsTheEnginesReasonInTheErrorBox) {
    // An address where nothing listens any more.
    std::string dead = std::make_unique<TestHttpServer>()->url("/gone");
    server.page("/home", htmlPage("Home", "<a id=dead href='" + dead + "'>dead</a>"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    click("dead");
    ASSERT_TRUE(spinUntil([&] { return active().error.has_value(); }));
    EXPECT_FALSE(active().error->empty());
    EXPECT_TRUE(errorBoxShows(*active().error));

    // The next load that starts clears it.
    controller->load(server.url("/home"));
    EXPECT_TRUE(waitForTitle("Home"));
    EXPECT_FALSE(active().error.has_value());
    EXPECT_TRUE(spinUntil([&] { return !controller->errorBoxView().get_visible(); }));
}

TEST_F(PageEvents, ALoadReplacedByAnotherIsNoFailure) {
    StreamingServer slow;
    slow.stream("/slow", "text/html", "<title>Slow</title>");
    server.page("/home", htmlPage("Home"));
    server.page("/next", htmlPage("Next"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    controller->load(slow.url("/slow"));
    ASSERT_TRUE(spinUntil([&] { return slow.openCount() == 1; }));
    controller->load(server.url("/next"));
    ASSERT_TRUE(waitForTitle("Next"));
    EXPECT_FALSE(active().error.has_value());
    EXPECT_FALSE(controller->errorBoxView().get_visible());
}

TEST_F(PageEvents, ANavigationThatBecomesADownloadLeavesThePageWithoutAnErrorBox) {
    server.page("/home", htmlPage("Home", "<a id=file href='/file.bin'>file</a>"));
    server.route("/file.bin", [](const TestRequest&) {
        TestResponse response;
        response.contentType = "application/octet-stream";
        response.body = std::string(1000, 'f');
        return response;
    });
    fs::create_directories(environment.root() + "/tmp");
    auto scripted = std::make_unique<ScriptedLocationChooser>();
    ScriptedLocationChooser* chooser = scripted.get();
    DownloadManager downloads(std::move(scripted), environment.root() + "/tmp");
    Options options;
    options.downloads = &downloads;
    open(website("/home"), options);
    ASSERT_TRUE(waitForTitle("Home"));

    click("file");
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    EXPECT_EQ(chooser->questions[0].parent, window->gobj());
    ASSERT_TRUE(spinUntil([&] { return !active().isLoading(); }));
    EXPECT_FALSE(active().error.has_value());
    EXPECT_FALSE(controller->errorBoxView().get_visible());
    EXPECT_EQ(active().pageURL(), server.url("/home"));
    chooser->answer(0, environment.root() + "/file.bin");
    ASSERT_TRUE(spinUntil([&] { return !downloads.entries().front().isActive; }));
    EXPECT_EQ(downloads.entries().front().status, "Complete");
    controller.reset();
}

TEST_F(PageEvents, PersistentWindowsReportVisitsWithTheTitleOrTheHost) {
    server.page("/home", htmlPage("Home"));
    server.page("/untitled", "<!doctype html><p>no title</p>");
    open(website("/home"));
    ASSERT_TRUE(spinUntil([&] { return recorder.visits.size() == 1; }));
    EXPECT_EQ(recorder.visits[0], std::make_pair(server.url("/home"), std::string("Home")));
    controller->load(server.url("/untitled"));
    ASSERT_TRUE(spinUntil([&] { return recorder.visits.size() == 2; }));
    EXPECT_EQ(recorder.visits[1], std::make_pair(server.url("/untitled"), std::string("127.0.0.1")));
}

TEST_F(PageEvents, PrivateWindowsReportNoVisit) {
    server.page("/home", htmlPage("Home"));
    open(website("/home"), privately());
    ASSERT_TRUE(waitForTitle("Home"));
    spinFor(std::chrono::milliseconds(200));
    EXPECT_TRUE(recorder.visits.empty());
}

TEST_F(PageEvents, PagesOfTheWebsiteReportTheirTitleAndIcon) {
    server.page("/home", htmlPage("Home", "<link rel='shortcut icon' href='/favicon.png'>"));
    TestHttpServer other("127.0.0.2");
    other.page("/elsewhere", htmlPage("Elsewhere", "<link rel=icon href='/other.png'>"));
    open(website("/home"));
    ASSERT_TRUE(spinUntil([&] { return recorder.metadata.size() == 1; }));
    EXPECT_EQ(recorder.metadata[0].first, "Home");
    EXPECT_EQ(recorder.metadata[0].second, server.url("/favicon.png"));

    // A page on another host asks for nothing.
    controller->load(other.url("/elsewhere"));
    ASSERT_TRUE(waitForTitle("Elsewhere"));
    ASSERT_TRUE(spinUntil([&] { return recorder.visits.size() == 2; }));
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(recorder.metadata.size(), 1u);
}

TEST_F(PageEvents, OtherApplicationsLinksAreAskedAboutAndNeverNavigated) {
    server.page("/home", htmlPage("Home", "<a id=mail href='mailto:someone@example.com'>mail</a>"));
    const std::string localFile = environment.root() + "/local.html";
    writeFile(localFile, htmlPage("Local file"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));

    click("mail");
    GtkMessageDialog* question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(property(question, "text"), "Open another application?");
    EXPECT_EQ(property(question, "secondary-text"), "This page wants to open a mailto link outside Quenlith.");
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(question)), window->gobj());
    gtk_dialog_response(GTK_DIALOG(question), 1);  // "Cancel"
    EXPECT_TRUE(spinUntil([&] { return openQuestion() == nullptr; }));
    EXPECT_EQ(active().pageURL(), server.url("/home"));

    // A file address is refused without a word, even when asked for directly.
    controller->load("file://" + localFile);
    ASSERT_TRUE(spinUntil([&] { return !active().isLoading(); }));
    spinFor(std::chrono::milliseconds(300));
    EXPECT_EQ(openQuestion(), nullptr);
    EXPECT_EQ(active().pageTitle(), "Home");
    EXPECT_FALSE(active().error.has_value());
    EXPECT_FALSE(controller->errorBoxView().get_visible());
}

TEST_F(PageEvents, NewWindowRequestsFollowTheLinkPreference) {
    server.page("/home", htmlPage("Home", "<a id=blank target=_blank href='/other'>other</a>"));
    server.page("/other", htmlPage("Other"));

    setLinkBehavior(LinkBehavior::newTab);
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    click("blank");
    ASSERT_TRUE(spinUntil([&] { return controller->tabs().size() == 2; }));
    EXPECT_EQ(controller->activeIndex(), 1u);
    EXPECT_TRUE(active().isPopup);
    EXPECT_TRUE(waitForTitle("Other"));

    setLinkBehavior(LinkBehavior::newWindow);
    controller->selectTab(0, true, true);
    click("blank");
    ASSERT_TRUE(spinUntil([&] { return recorder.popupRequests.size() == 1; }));
    EXPECT_EQ(recorder.popupRequests[0], server.url("/other"));
    EXPECT_EQ(controller->tabs().size(), 2u);
}

TEST_F(PageEvents, PrivateWindowsKeepNewWindowsAsTabs) {
    server.page("/home", htmlPage("Home", "<a id=blank target=_blank href='/other'>other</a>"));
    server.page("/other", htmlPage("Other"));
    setLinkBehavior(LinkBehavior::newWindow);
    open(website("/home"), privately());
    ASSERT_TRUE(waitForTitle("Home"));
    click("blank");
    ASSERT_TRUE(spinUntil([&] { return controller->tabs().size() == 2; }));
    EXPECT_TRUE(recorder.popupRequests.empty());
    EXPECT_TRUE(waitForTitle("Other"));
}

TEST_F(PageEvents, OnlyAPopupTabCanCloseItself) {
    server.page("/home", htmlPage("Home", "<a id=blank target=_blank href='/popup'>popup</a>"));
    server.page("/popup", htmlPage("Popup"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    runInPage("window.close()");
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(controller->tabs().size(), 1u);

    click("blank");
    ASSERT_TRUE(spinUntil([&] { return controller->tabs().size() == 2; }));
    ASSERT_TRUE(waitForTitle("Popup"));
    runInPage("window.close()");
    EXPECT_TRUE(spinUntil([&] { return controller->tabs().size() == 1; }));
    EXPECT_FALSE(active().isPopup);
}

TEST_F(PageEvents, ScriptDialogsNameTheHostAndAnswerThePage) {
    server.page("/home", htmlPage("Home"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));

    runInPage("setTimeout(() => { document.title = 'answer ' + confirm('Delete <b>all</b>?'); })");
    GtkMessageDialog* question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(property(question, "text"), "127.0.0.1");
    EXPECT_EQ(property(question, "secondary-text"), "Delete <b>all</b>?");
    gtk_dialog_response(GTK_DIALOG(question), 0);  // "OK"
    EXPECT_TRUE(waitForTitle("answer true"));

    runInPage("setTimeout(() => { document.title = 'name ' + prompt('Name?', 'Ada'); })");
    question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    gtk_dialog_response(GTK_DIALOG(question), 0);
    EXPECT_TRUE(waitForTitle("name Ada"));

    // Closing the question any other way is the negative answer.
    runInPage("setTimeout(() => { document.title = 'name ' + prompt('Name?', 'Ada'); })");
    question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    gtk_dialog_response(GTK_DIALOG(question), GTK_RESPONSE_DELETE_EVENT);
    EXPECT_TRUE(waitForTitle("name null"));
}

TEST_F(PageEvents, WithoutAWindowAConfirmIsFalseAtOnce) {
    server.page("/home", htmlPage("Home"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    window->remove();
    runInPage("document.title = 'answer ' + confirm('Sure?')");
    EXPECT_TRUE(spinUntil([&] { return active().pageTitle() == "answer false"; }));
    EXPECT_EQ(openQuestion(), nullptr);
}

TEST_F(PageEvents, CameraAndMicrophoneAreOurOwnQuestion) {
    server.page("/home", htmlPage("Home"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    WebKitSettings* settings = webkit_web_view_get_settings(active().webView());
    webkit_settings_set_enable_media_stream(settings, TRUE);
    webkit_settings_set_enable_mock_capture_devices(settings, TRUE);

    const std::string ask =
        "navigator.mediaDevices.getUserMedia({video: true, audio: true}).then(s => { s.getTracks().forEach(t => "
        "t.stop()); document.title = 'granted'; }, e => { document.title = 'refused ' + e.name; })";
    runInPage(ask);
    GtkMessageDialog* question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(property(question, "text"), "Allow \u201c127.0.0.1\u201d to use your camera and microphone?");
    gtk_dialog_response(GTK_DIALOG(question), 1);  // "Don't Allow"
    EXPECT_TRUE(waitForTitle("refused NotAllowedError"));

    runInPage(ask);
    question = waitForQuestion();
    ASSERT_NE(question, nullptr);
    gtk_dialog_response(GTK_DIALOG(question), 0);  // "Allow"
    EXPECT_TRUE(waitForTitle("granted"));
}

TEST_F(PageEvents, TryAgainRebuildsTheTabAfterItsWebProcessEnded) {
    server.page("/home", htmlPage("Home", "<script>document.cookie = 'kept=yes; max-age=600';</script>"));
    server.page("/check", "<title>check</title><script>document.title = 'cookie ' + document.cookie;</script>");
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    const Uuid id = active().id;
    active().pendingReadingPosition = PendingReadingPosition{server.url("/elsewhere"), 0.25};
    WebKitWebView* before = active().webView();

    webkit_web_view_terminate_web_process(before);
    ASSERT_TRUE(errorBoxShows("The page stopped responding. Try again to reconnect."));
    EXPECT_EQ(active().error, "The page stopped responding. Try again to reconnect.");

    controller->retryLoading();
    EXPECT_NE(active().webView(), before);
    EXPECT_EQ(active().id, id);
    EXPECT_EQ(controller->tabs().size(), 1u);
    EXPECT_EQ(active().pendingReadingPosition, (PendingReadingPosition{server.url("/elsewhere"), 0.25}));
    // The retried page is another one: the position is used up there without scrolling.
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_FALSE(active().pendingReadingPosition.has_value());
    EXPECT_FALSE(controller->errorBoxView().get_visible());
    controller->load(server.url("/check"));
    EXPECT_TRUE(waitForTitle("cookie kept=yes"));
}

TEST_F(PageEvents, PausingTabMediaMarksTheTab) {
    server.page("/home", htmlPage("Home"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    const Uuid id = active().id;
    controller->toggleTabMedia(id);
    ASSERT_TRUE(spinUntil([&] { return active().mediaPaused; }));
    EXPECT_TRUE(webkit_web_view_get_is_muted(active().webView()));
    controller->toggleTabMedia(id);
    ASSERT_TRUE(spinUntil([&] { return !active().mediaPaused; }));
    EXPECT_FALSE(webkit_web_view_get_is_muted(active().webView()));
}

TEST_F(PageEvents, AReadingPositionScrollsTheSamePageOnce) {
    server.page("/long", htmlPage("Long", "<div style='height: 10000px'>tall</div>"));
    open(website("/long"));
    ASSERT_TRUE(waitForTitle("Long"));
    auto scrolled = [&] {
        bool done = false;
        double top = -1;
        webkit_web_view_evaluate_javascript(
            active().webView(), "document.scrollingElement.scrollTop", -1, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                auto* out = static_cast<std::pair<bool*, double*>*>(data);
                JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), result, nullptr);
                if (value) {
                    *out->second = jsc_value_to_double(value);
                    g_object_unref(value);
                }
                *out->first = true;
                delete out;
            },
            new std::pair<bool*, double*>(&done, &top));
        EXPECT_TRUE(spinUntil([&] { return done; }));
        return top;
    };
    controller->restoreReadingPosition(1.2, server.url("/long"));
    EXPECT_FALSE(active().pendingReadingPosition.has_value());
    controller->restoreReadingPosition(std::nan(""), server.url("/long"));
    EXPECT_FALSE(active().pendingReadingPosition.has_value());

    controller->restoreReadingPosition(0.5, server.url("/long"));
    EXPECT_FALSE(active().pendingReadingPosition.has_value());  // applied at once, used up
    EXPECT_TRUE(spinUntil([&] { return scrolled() > 4000; }));
}

}  // namespace
}  // namespace quenlith::test

namespace quenlith::test {
namespace {

GtkFileChooser* openFileChooser() {
    GtkWidget* dialog = visibleToplevel(GTK_TYPE_FILE_CHOOSER_DIALOG);
    return dialog ? GTK_FILE_CHOOSER(dialog) : nullptr;
}

TEST_F(PageEvents, AFileInputGetsTheChosenFiles) {
    const std::string chosen = environment.root() + "/upload.txt";
    writeFile(chosen, "upload");
    server.page("/home", htmlPage("Home", "<input id=pick type=file multiple onchange=\"document.title = 'picked ' + "
                                          "Array.from(this.files).map(f => f.name).join(',')\">"));
    open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));

    click("pick");
    GtkFileChooser* chooser = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (chooser = openFileChooser()) != nullptr; }));
    EXPECT_EQ(gtk_file_chooser_get_action(chooser), GTK_FILE_CHOOSER_ACTION_OPEN);
    EXPECT_TRUE(gtk_file_chooser_get_select_multiple(chooser));
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(chooser)), window->gobj());
    ASSERT_TRUE(gtk_file_chooser_select_filename(chooser, chosen.c_str()));
    ASSERT_TRUE(spinUntil([&] {
        char* name = gtk_file_chooser_get_filename(chooser);
        bool selected = name && chosen == name;
        g_free(name);
        return selected;
    }));
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
    EXPECT_TRUE(waitForTitle("picked upload.txt"));
}

}  // namespace
}  // namespace quenlith::test
