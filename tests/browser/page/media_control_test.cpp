#include <cstdint>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "browser/page/media_control.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A mono 16-bit square wave, long enough to keep playing through the test.
std::string squareWave(int seconds) {
    const std::uint32_t rate = 8000;
    const std::uint32_t samples = rate * seconds;
    std::string data;
    auto u32 = [&](std::uint32_t v) { data.append(reinterpret_cast<const char*>(&v), 4); };
    auto u16 = [&](std::uint16_t v) { data.append(reinterpret_cast<const char*>(&v), 2); };
    data += "RIFF";
    u32(36 + samples * 2);
    data += "WAVEfmt ";
    u32(16);
    u16(1);
    u16(1);
    u32(rate);
    u32(rate * 2);
    u16(2);
    u16(16);
    data += "data";
    u32(samples * 2);
    for (std::uint32_t i = 0; i < samples; ++i) u16(static_cast<std::uint16_t>((i / 20) % 2 ? 2000 : -2000));
    return data;
}

class MediaControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string wave = squareWave(60);
        server.route("/tone.wav", [wave](const test::TestRequest&) {
            test::TestResponse response;
            response.contentType = "audio/wav";
            response.body = wave;
            return response;
        });
        server.page("/", "<audio id=first src='/tone.wav'></audio><audio id=second src='/tone.wav'></audio>");
        view = WEBKIT_WEB_VIEW(webkit_web_view_new());
        window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
        g_signal_connect(view, "load-changed", G_CALLBACK(+[](WebKitWebView*, WebKitLoadEvent event, gpointer loaded) {
                             if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(loaded) = true;
                         }),
                         &loaded);
        webkit_web_view_load_uri(view, server.url("/").c_str());
        ASSERT_TRUE(spinUntil([&] { return loaded; }));
    }
    void TearDown() override { gtk_widget_destroy(window); }

    // Runs a script in the page's own world and gives its result as text.
    std::string evaluate(const std::string& script) {
        struct Result {
            bool done = false;
            std::string text;
        } result;
        webkit_web_view_evaluate_javascript(
            view, script.c_str(), -1, nullptr, nullptr, nullptr,
            [](GObject* source, GAsyncResult* async, gpointer data) {
                auto* result = static_cast<Result*>(data);
                GError* error = nullptr;
                JSCValue* value = webkit_web_view_evaluate_javascript_finish(WEBKIT_WEB_VIEW(source), async, &error);
                if (value) {
                    char* text = jsc_value_to_string(value);
                    result->text = text;
                    g_free(text);
                    g_object_unref(value);
                } else {
                    result->text = std::string("error: ") + error->message;
                    g_error_free(error);
                }
                result->done = true;
            },
            &result);
        EXPECT_TRUE(spinUntil([&] { return result.done; }));
        return result.text;
    }
    // Playing: not paused, and its time moves on.
    bool isPlaying(const std::string& id) {
        std::string element = "document.getElementById('" + id + "')";
        std::string before = evaluate(element + ".currentTime");
        return spinUntil([&] { return evaluate(element + ".paused") == "false" && evaluate(element + ".currentTime") != before; },
                         std::chrono::seconds(5));
    }
    bool isPaused(const std::string& id) { return evaluate("document.getElementById('" + id + "').paused") == "true"; }
    void setPaused(bool paused) {
        bool finished = false;
        bool ran = false;
        setPageMediaPaused(view, paused, [&](bool result) {
            finished = true;
            ran = result;
        });
        ASSERT_TRUE(spinUntil([&] { return finished; }));
        EXPECT_TRUE(ran);
    }

    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    WebKitWebView* view = nullptr;
    GtkWidget* window = nullptr;
    bool loaded = false;
};

TEST_F(MediaControlTest, PausesPlayingMediaKeepsItPausedAndResumesIt) {
    evaluate("document.getElementById('first').play(); 0");
    ASSERT_TRUE(isPlaying("first"));
    ASSERT_TRUE(isPaused("second"));

    setPaused(true);
    EXPECT_TRUE(isPaused("first"));
    EXPECT_TRUE(webkit_web_view_get_is_muted(view));

    // The page starting it again, or starting another element, does not get through.
    evaluate("document.getElementById('first').play(); document.getElementById('second').play(); 0");
    EXPECT_TRUE(spinUntil([&] { return isPaused("first") && isPaused("second"); }));
    // Neither does an element the page adds later.
    evaluate("const late = document.createElement('audio'); late.id = 'late'; late.src = '/tone.wav';"
             "document.body.appendChild(late); late.play(); 0");
    EXPECT_TRUE(spinUntil([&] { return evaluate("document.getElementById('late').currentTime > 0.2") == "false" &&
                                       isPaused("late"); }));

    setPaused(false);
    EXPECT_FALSE(webkit_web_view_get_is_muted(view));
    EXPECT_TRUE(isPlaying("first"));
    EXPECT_TRUE(isPlaying("second"));
    EXPECT_TRUE(isPlaying("late"));
}

TEST_F(MediaControlTest, ResumingLeavesWhatThePageHadPausedItself) {
    evaluate("document.getElementById('first').play(); 0");
    ASSERT_TRUE(isPlaying("first"));
    setPaused(true);
    setPaused(false);
    EXPECT_TRUE(isPlaying("first"));
    EXPECT_TRUE(isPaused("second"));  // never played: stays as the page left it

    // Pausing twice and resuming once brings the media back.
    setPaused(true);
    setPaused(true);
    EXPECT_TRUE(isPaused("first"));
    setPaused(false);
    EXPECT_TRUE(isPlaying("first"));
}

}  // namespace
}  // namespace quenlith
