// Tab sleeping in real pages: an idle background tab releases its web view, makes no request while
// asleep and loads once on selection, at its scroll position; busy pages never sleep automatically.
#include <gtest/gtest.h>

#include "browser/browser_view_fixture.hpp"
#include "browser/engine/script_evaluation.hpp"
#include "browser/web_test_support.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

struct SleepCase {
    const char* name;
    std::string body;
    std::string script;  // run in the page before the pass
    std::string ready;   // what the page must answer 1 to before the pass
};

class TabSleepTest : public test::BrowserViewFixture, public testing::WithParamInterface<SleepCase> {
protected:
    // Opens the page as a background tab idle for more than a minute and runs the automatic pass.
    bool sleepsAutomatically(const SleepCase& page) {
        server.page("/page", test::htmlPage("Page", page.body));
        server.page("/front", test::htmlPage("Front"));
        server.route("/tone.wav", [](const test::TestRequest&) {
            return test::TestResponse{.contentType = "audio/wav", .body = test::toneWav(2.0), .headers = {}};
        });
        preferences->update([](AppPreferences& p) { p.backgroundSleepMinutes = 1; });
        open(website("/page"));
        EXPECT_TRUE(waitForTitle("Page"));
        if (!page.script.empty()) run(page.script);
        if (!page.ready.empty()) EXPECT_TRUE(spinUntil([&] { return run(page.ready) == 1; }));
        g_object_add_weak_pointer(G_OBJECT(active().webView()), reinterpret_cast<gpointer*>(&firstView));
        controller->addTab(server.url("/front"));
        controller->setPresented(true, false);
        clock.advance(61);
        bool finished = false;
        controller->sleepIdleTabs([&] { finished = true; });
        EXPECT_TRUE(spinUntil([&] { return finished; }));
        return controller->tabs()[0]->isSleeping;
    }
    double run(const std::string& script) {
        std::optional<double> answer;
        evaluateScript(active().webView(), script, nullptr, [&](WebKitWebView*, JSCValue* value) {
            answer = value && jsc_value_is_number(value) ? jsc_value_to_double(value) : -1;
        });
        EXPECT_TRUE(spinUntil([&] { return answer.has_value(); }));
        return answer.value_or(-1);
    }
    void TearDown() override {
        if (firstView) g_object_remove_weak_pointer(G_OBJECT(firstView), reinterpret_cast<gpointer*>(&firstView));
    }
    WebKitWebView* firstView = nullptr;  // the first tab's web view while it exists
};

TEST_F(TabSleepTest, AnIdleBackgroundTabSleepsAndWakesWithOneRequestAtItsScrollPosition) {
    ASSERT_TRUE(sleepsAutomatically({"Tall", "<div style='height:5000px'>tall</div>",
                                     "window.scrollTo(0, document.scrollingElement.scrollHeight); 1"}));
    EXPECT_EQ(controller->tabs()[0]->displayTitle(), "Page");
    EXPECT_EQ(firstView, nullptr) << "the page's web view is released";
    EXPECT_EQ(server.requestCount("/page"), 1);

    controller->selectTab(0, true, true);
    ASSERT_TRUE(waitForTitle("Page"));
    EXPECT_EQ(server.requestCount("/page"), 2) << "one request on wake";
    EXPECT_TRUE(spinUntil([&] {
        return run("(() => { const s = document.scrollingElement; return s.scrollTop / (s.scrollHeight - "
                   "s.clientHeight); })()") > 0.99;
    }));
}

TEST_P(TabSleepTest, ABusyPageNeverSleepsAutomatically) {
    EXPECT_FALSE(sleepsAutomatically(GetParam()));
    EXPECT_FALSE(controller->tabs()[0]->sleepCheckInFlight);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, TabSleepTest,
    testing::Values(SleepCase{"TypedText", "<input id=f>",
                              "const f = document.getElementById('f'); f.value = 'draft';"
                              "f.dispatchEvent(new Event('input', {bubbles: true})); f.value = ''; 1"},
                    SleepCase{"EmbeddedFrame", "<iframe srcdoc='hi'></iframe>"},
                    SleepCase{"FilledField", "<textarea>kept</textarea>"},
                    SleepCase{"PlayingMedia", "<audio id=tone src='/tone.wav' autoplay loop muted></audio>", "",
                              "document.getElementById('tone').paused ? 0 : 1"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenlith
