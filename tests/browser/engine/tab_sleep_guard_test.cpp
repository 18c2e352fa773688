#include "browser/engine/tab_sleep_guard.hpp"

#include <gtest/gtest.h>

#include "browser/engine/user_scripts.hpp"
#include "browser/web_test_support.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_sessions.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

class TabSleepGuardTest : public ::testing::Test {
protected:
    void SetUp() override {
        server.page("/idle", "<html><body><p>Nothing to lose here.</p></body></html>");
        server.page("/form",
                    "<html><body><input id=text type=text><textarea id=area></textarea>"
                    "<input id=box type=checkbox><input id=file type=file><input id=range type=range value=3>"
                    "<div id=editor contenteditable></div></body></html>");
        server.page("/frame", "<html><body><iframe src=\"/idle\"></iframe></body></html>");
        server.page("/media", "<html><body><audio id=tone src=\"/tone.wav\" autoplay loop></audio></body></html>");
        server.route("/tone.wav", [](const test::TestRequest&) {
            return test::TestResponse{.contentType = "audio/wav", .body = test::toneWav(2.0), .headers = {}};
        });
        view = WebViewFactory::makeWebView(nullptr, std::nullopt, std::nullopt, &sessions);
        host = std::make_unique<test::ViewHost>(view.get());
    }

    void load(const std::string& path) {
        auto result = test::loadAndWait(view.get(), server.url(path));
        ASSERT_TRUE(result.finished && !result.failed) << result.error;
    }

    std::optional<std::string> page(const std::string& script) { return test::evaluate(view.get(), script); }

    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    ProxyRuntime global{nullptr};
    WebsiteSessions sessions{global, nullptr};
    GObjectPtr<WebKitWebView> view;
    std::unique_ptr<test::ViewHost> host;
};

TEST_F(TabSleepGuardTest, AnIdlePageMaySleepUntilClickedOrWithAFrame) {
    load("/idle");
    EXPECT_EQ(test::guardProtects(view.get()), false);
    // The guard lives in the application's world: the page neither sees nor replaces it.
    EXPECT_EQ(page("typeof globalThis.__quenlithSleepGuard"), "\"undefined\"");
    page("globalThis.__quenlithSleepGuard = () => true");
    EXPECT_EQ(test::guardProtects(view.get()), false);
    // A click protects for a minute, by the clock of the guard's own world: just before and past it.
    page("document.body.dispatchEvent(new PointerEvent('pointerdown', {bubbles: true}))");
    EXPECT_EQ(test::guardProtects(view.get()), true);
    test::evaluate(view.get(), "globalThis.realNow = Date.now; Date.now = () => realNow() + 59000", kScriptWorld);
    EXPECT_EQ(test::guardProtects(view.get()), true);
    test::evaluate(view.get(), "Date.now = () => realNow() + 61000", kScriptWorld);
    EXPECT_EQ(test::guardProtects(view.get()), false);
    // Any embedded frame protects.
    load("/frame");
    EXPECT_EQ(test::guardProtects(view.get()), true);
}

TEST_F(TabSleepGuardTest, FilledFieldsProtectAndTypingUntilTheReload) {
    // Each script fills one field of /form without any input event.
    const std::vector<std::pair<const char*, bool>> cases{
        {"document.getElementById('text').value = 'x'", true},
        {"document.getElementById('area').value = 'x'", true},
        {"document.getElementById('editor').textContent = ' note '", true},
        {"document.getElementById('editor').textContent = '   '", false},
        // Marked, but not editable: its text is the page's own.
        {"const e = document.getElementById('editor'); e.setAttribute('contenteditable', 'false'); e.textContent = 'x'",
         false},
        {"document.getElementById('box').checked = true", false},
        {"document.getElementById('range').value = '7'", false},
        {"document.getElementById('file').value = ''", false}};
    for (const auto& [script, protects] : cases) {
        load("/form");
        EXPECT_EQ(test::guardProtects(view.get()), false) << "an empty form";
        page(script);
        EXPECT_EQ(test::guardProtects(view.get()), protects) << script;
    }

    load("/form");
    page("document.getElementById('text').focus()");
    webkit_web_view_execute_editing_command_with_argument(view.get(), "InsertText", "draft");
    ASSERT_TRUE(test::spinUntil([&] { return page("document.getElementById('text').value") == "\"draft\""; }));
    EXPECT_EQ(test::guardProtects(view.get()), true);
    // Clearing the field does not make the page safe to sleep: the edit stays remembered.
    page("document.getElementById('text').value = ''");
    test::evaluate(view.get(), "Date.now = () => 4102444800000", kScriptWorld);  // long after the typing
    EXPECT_EQ(test::guardProtects(view.get()), true);
    load("/form");  // loaded again
    EXPECT_EQ(test::guardProtects(view.get()), false);
}

TEST_F(TabSleepGuardTest, PlayingMediaProtects) {
    // The engine lets this page play without a gesture.
    WebViewConfiguration configuration;
    configuration.websitePolicies = GObjectPtr<WebKitWebsitePolicies>::adopt(
        webkit_website_policies_new_with_policies("autoplay", WEBKIT_AUTOPLAY_ALLOW, nullptr));
    view = WebViewFactory::makeWebView(nullptr, configuration, std::nullopt, &sessions);
    test::ViewHost mediaHost(view.get());
    load("/media");
    ASSERT_TRUE(test::spinUntil([&] { return page("document.getElementById('tone').paused") == "false"; }))
        << "the tone does not play";
    EXPECT_EQ(test::guardProtects(view.get()), true);
    page("document.getElementById('tone').pause()");
    EXPECT_EQ(test::guardProtects(view.get()), false);
}

TEST_F(TabSleepGuardTest, APageWithoutAWorkingGuardStaysAwake) {
    // A bare view, with no guard installed; a view whose page refuses scripts.
    auto bare = GObjectPtr<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
    auto noScripts = WebViewFactory::makeWebView(WebsiteDataStore::nonPersistent(), std::nullopt, std::nullopt, &sessions);
    webkit_settings_set_enable_javascript(webkit_web_view_get_settings(noScripts.get()), FALSE);
    for (const auto& other : {bare, noScripts}) {
        auto loaded = test::loadAndWait(other.get(), server.url("/idle"));
        ASSERT_TRUE(loaded.finished && !loaded.failed);
        EXPECT_EQ(test::guardProtects(other.get()), true);
    }
}

}  // namespace
}  // namespace quenlith
