// Tab sleeping in a real web view: an idle background tab gives its page and web view back, makes
// no request while asleep, and on selection loads its address once, at its scroll position; pages
// with typed text, embedded frames, filled fields or playing media stay awake.
#include <gtest/gtest.h>

#include "browser/engine/script_evaluation.hpp"
#include "browser/browser_view_fixture.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class TabSleepTest : public test::BrowserViewFixture {
protected:
    // Opens `body` as a background tab idle for more than a minute and runs the automatic pass.
    bool sleepsAutomatically(const std::string& body, const std::string& script = "", const std::string& ready = "") {
        server.page("/page", test::htmlPage("Page", body));
        server.page("/front", test::htmlPage("Front"));
        preferences->update([](AppPreferences& p) { p.backgroundSleepMinutes = 1; });
        open(website("/page"));
        if (!waitForTitle("Page")) return false;
        if (!script.empty()) run(script);
        if (!ready.empty()) EXPECT_TRUE(spinUntil([&] { return run(ready) == 1; }));
        g_object_add_weak_pointer(G_OBJECT(active().webView()), reinterpret_cast<gpointer*>(&firstView));
        controller->addTab(server.url("/front"));
        controller->setPresented(true, false);
        clock.advance(61);
        bool finished = false;
        controller->sleepIdleTabs([&] { finished = true; });
        EXPECT_TRUE(spinUntil([&] { return finished; }));
        return controller->tabs()[0]->isSleeping;
    }
    void TearDown() override {
        if (firstView) g_object_remove_weak_pointer(G_OBJECT(firstView), reinterpret_cast<gpointer*>(&firstView));
    }
    WebKitWebView* firstView = nullptr;  // the first tab's web view while it exists
    double run(const std::string& script) {
        std::optional<double> answer;
        evaluateScript(active().webView(), script, nullptr, [&](WebKitWebView*, JSCValue* value) {
            answer = value && jsc_value_is_number(value) ? jsc_value_to_double(value) : -1;
        });
        EXPECT_TRUE(spinUntil([&] { return answer.has_value(); }));
        return answer.value_or(-1);
    }
};

TEST_F(TabSleepTest, AnIdleBackgroundTabSleepsAndWakesWithOneRequestAtItsScrollPosition) {
    const std::string scrolled = "window.scrollTo(0, document.scrollingElement.scrollHeight); 1";
    ASSERT_TRUE(sleepsAutomatically("<div style='height:5000px'>tall</div>", scrolled));
    const BrowserTab& asleep = *controller->tabs()[0];
    EXPECT_EQ(asleep.displayTitle(), "Page");
    EXPECT_EQ(server.requestCount("/page"), 1);
    EXPECT_EQ(firstView, nullptr) << "the page's web view is released";

    controller->selectTab(0, true, true);
    ASSERT_TRUE(waitForTitle("Page"));
    EXPECT_EQ(server.requestCount("/page"), 2) << "one request on wake";
    EXPECT_TRUE(spinUntil([&] {
        return run("(() => { const s = document.scrollingElement; return s.scrollTop / (s.scrollHeight - s.clientHeight); })()") > 0.99;
    }));
}

struct AwakeCase {
    const char* name;
    std::string body;
    std::string script;
    std::string ready;
};

// Two seconds of silence as a looping, muted audio element.
constexpr const char* kPlaySilence =
    "const n = 16000, b = new ArrayBuffer(44 + n * 2), d = new DataView(b);"
    "const w = (o, s) => { for (let i = 0; i < s.length; i++) d.setUint8(o + i, s.charCodeAt(i)); };"
    "w(0, 'RIFF'); d.setUint32(4, 36 + n * 2, true); w(8, 'WAVE'); w(12, 'fmt '); d.setUint32(16, 16, true);"
    "d.setUint16(20, 1, true); d.setUint16(22, 1, true); d.setUint32(24, 8000, true); d.setUint32(28, 16000, true);"
    "d.setUint16(32, 2, true); d.setUint16(34, 16, true); w(36, 'data'); d.setUint32(40, n * 2, true);"
    "const a = new Audio(URL.createObjectURL(new Blob([b], {type: 'audio/wav'})));"
    "a.loop = true; a.muted = true; document.body.appendChild(a); a.play(); 1";

class KeptAwakeTest : public TabSleepTest, public testing::WithParamInterface<AwakeCase> {};

TEST_P(KeptAwakeTest, NeverSleepsAutomatically) {
    EXPECT_FALSE(sleepsAutomatically(GetParam().body, GetParam().script, GetParam().ready));
    EXPECT_FALSE(controller->tabs()[0]->sleepCheckInFlight);
}

INSTANTIATE_TEST_SUITE_P(
    Pages, KeptAwakeTest,
    testing::Values(
        AwakeCase{"TypedText", "<input id=f>",
                  "const f = document.getElementById('f'); f.value = 'draft';"
                  "f.dispatchEvent(new Event('input', {bubbles: true})); f.value = ''; 1"},
        AwakeCase{"EmbeddedFrame", "<iframe srcdoc='hi'></iframe>"},
        AwakeCase{"FilledField", "<textarea>kept</textarea>"},
        AwakeCase{"PlayingMedia", "", kPlaySilence,
                  "(() => { const a = document.querySelector('audio'); return a && !a.paused && a.currentTime > 0 ? 1 : 0; })()"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace quenlith
