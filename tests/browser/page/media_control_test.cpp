#include <gtest/gtest.h>

#include "browser/page/media_control.hpp"
#include "browser/web_test_support.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class MediaControlTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string tone = test::toneWav(60);
        server.route("/tone.wav", [tone](const test::TestRequest&) { return test::TestResponse{200, "audio/wav", tone, {}}; });
        server.page("/", "<audio id=first src='/tone.wav'></audio><audio id=second src='/tone.wav'></audio>"
                             "<audio id=third src='/tone.wav'></audio>");
        ASSERT_FALSE(test::loadAndWait(view, server.url("/")).failed);
    }

    std::string run(const std::string& script) { return test::evaluate(view, script).value_or("(failed)"); }
    // Playing: not paused, and its time moves on past where it was. The engine's media pipeline
    // may take many seconds to start on a loaded machine, so this waits as long as any other wait.
    bool isPlaying(const std::string& id) {
        const std::string element = "document.getElementById('" + id + "')";
        const std::string before = run(element + ".currentTime");
        return spinUntil(
            [&] { return run("!" + element + ".paused && " + element + ".currentTime > " + before) == "true"; });
    }
    bool isPaused(const std::string& id) { return run("document.getElementById('" + id + "').paused") == "true"; }
    void setPaused(bool paused) {
        std::optional<bool> ran;
        setPageMediaPaused(view, paused, [&](bool result) { ran = result; });
        ASSERT_TRUE(spinUntil([&] { return ran.has_value(); }));
        EXPECT_TRUE(*ran);
    }

    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    WebKitWebView* view = WEBKIT_WEB_VIEW(webkit_web_view_new());
    test::ViewHost host{view};
};

TEST_F(MediaControlTest, PausesPlayingMediaKeepsItPausedAndResumesOnlyWhatPlayed) {
    run("document.getElementById('first').play(); 0");
    ASSERT_TRUE(isPlaying("first"));

    setPaused(true);
    setPaused(true);  // twice, and resumed once below
    EXPECT_TRUE(isPaused("first"));
    EXPECT_TRUE(webkit_web_view_get_is_muted(view));
    // The page starting it again, or starting another element, does not get through.
    run("document.getElementById('first').play(); document.getElementById('second').play(); 0");
    EXPECT_TRUE(spinUntil([&] { return isPaused("first") && isPaused("second"); }));
    // Neither does an element the page adds later.
    run("const late = document.createElement('audio'); late.id = 'late'; late.src = '/tone.wav';"
        "document.body.appendChild(late); late.play(); 0");
    EXPECT_TRUE(spinUntil([&] { return run("document.getElementById('late').currentTime > 0.2") == "false" && isPaused("late"); }));

    setPaused(false);
    EXPECT_FALSE(webkit_web_view_get_is_muted(view));
    EXPECT_TRUE(isPlaying("first"));
    EXPECT_TRUE(isPlaying("second"));
    EXPECT_TRUE(isPlaying("late"));
    EXPECT_TRUE(isPaused("third"));  // never played: stays as the page left it
}

}  // namespace
}  // namespace quenlith
