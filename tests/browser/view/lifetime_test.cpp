// Views, tabs and windows that go away while their pages still have answers on the way. Run under
// AddressSanitizer or valgrind, these show any touch of what is gone.

#include "browser/browser_view_fixture.hpp"
#include "browser/engine/script_evaluation.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/scripted_location_chooser.hpp"
#include "browser/view/outside_link_gate.hpp"
#include "browser/web_test_support.hpp"

namespace quenlith::test {
namespace {

using namespace std::chrono_literals;

class Lifetimes : public BrowserViewFixture {
protected:
    void SetUp() override { server.page("/home", htmlPage("Home", "<div style='height:5000px'></div>")); }

    // Opens a confirm question in the active tab; its answer becomes the page title.
    void ask() {
        evaluateScript(active().webView(),
                       "setTimeout(() => { document.title = 'answer ' + confirm('Sure?'); })", nullptr, {});
        ASSERT_TRUE(spinUntil([&] { return visibleToplevel(GTK_TYPE_MESSAGE_DIALOG) != nullptr; }));
    }
    // Waits until every web view the test watched, and every widget inside it, is finalised.
    bool allFinalised() { return pages.allEnded(); }
    void watch(WebKitWebView* view) { pages.watch(GTK_WIDGET(view)); }
    WidgetTreeWatch pages;
};

TEST_F(Lifetimes, ATabAViewAndAWindowThatGoAwayTakeTheirQuestionsAndScriptAnswersAlong) {
    for (bool windowFirst : {false, true}) {
        auto& view = open(website("/home"));
        ASSERT_TRUE(waitForTitle("Home"));
        view.tabs().add(server.url("/home"));
        ASSERT_TRUE(waitForTitle("Home"));
        int answers = 0;
        auto inFlight = [&] {
            watch(active().webView());
            ask();
            view.page().readingPosition(
                [&](const std::string&, const std::string&, std::optional<double>) { ++answers; });
            view.page().captureSelection([&](PageClip) { ++answers; });
        };
        inFlight();
        view.tabs().close();
        EXPECT_EQ(visibleToplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr)
            << "the closed tab's question went with it";
        EXPECT_EQ(view.pageQuestions().openCount(), 0u);
        ASSERT_TRUE(allFinalised());
        inFlight();
        if (windowFirst) window.reset();
        controller.reset();
        window.reset();
        EXPECT_EQ(visibleToplevel(GTK_TYPE_MESSAGE_DIALOG), nullptr);
        ASSERT_TRUE(allFinalised());
        EXPECT_EQ(answers, 0);
    }
}

TEST_F(Lifetimes, ADownloadOutlivesTheViewAndTheWindowItStartedIn) {
    server.page("/link", htmlPage("Link", "<a id=file href='/data.bin'>data</a>"));
    server.route("/data.bin", [](const TestRequest&) {
        return TestResponse{200, "application/octet-stream", std::string(20000, 'd')};
    });
    auto scripted = std::make_unique<ScriptedLocationChooser>();
    ScriptedLocationChooser* chooser = scripted.get();
    DownloadManager downloads(std::move(scripted), environment.root() + "/partial");
    open(website("/link"), {.downloads = &downloads});
    ASSERT_TRUE(waitForTitle("Link"));
    evaluateScript(active().webView(), "document.getElementById('file').click()", nullptr, {});
    ASSERT_TRUE(spinUntil([&] { return chooser->questions.size() == 1; }));
    controller.reset();
    window.reset();
    chooser->answer(0, environment.root() + "/data.bin");
    ASSERT_TRUE(spinUntil([&] { return !downloads.entries().front().isActive; }));
    EXPECT_EQ(readFile(environment.root() + "/data.bin"), std::string(20000, 'd'));
}

TEST(OutsideLinkGate, AsksOnlyForClickedMainFrameLinksOneQuestionPerTabAtATime) {
    OutsideLinkGate gate;
    const Uuid tab = Uuid::random(), other = Uuid::random();
    EXPECT_FALSE(gate.mayAsk(tab, false, true)) << "a frame";
    EXPECT_FALSE(gate.mayAsk(tab, true, false)) << "no click";
    EXPECT_TRUE(gate.mayAsk(tab, true, true));
    EXPECT_FALSE(gate.mayAsk(tab, true, true)) << "dropped while the question is open";
    EXPECT_TRUE(gate.mayAsk(other, true, true)) << "another tab asks on its own";
    gate.answered(tab);
    EXPECT_TRUE(gate.mayAsk(tab, true, true));
}

}  // namespace
}  // namespace quenlith::test
