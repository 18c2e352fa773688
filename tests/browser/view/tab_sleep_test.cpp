// Tab sleeping in real pages: an idle background tab releases its web view, makes no request while
// asleep and loads once on selection, at its scroll position; a busy page (what makes one busy is
// the sleep guard's to tell) never sleeps automatically.
#include "browser/browser_view_fixture.hpp"
#include "browser/web_test_support.hpp"
#include "support/test_images.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class TabSleepTest : public test::BrowserViewFixture {
protected:
    // Opens the page as a background tab idle for more than a minute and runs the automatic pass;
    // `script` runs in the page before, `meanwhile` while the pass waits for the page.
    bool sleepsAutomatically(const std::string& body, const std::string& script = "",
                             test::ViewOptions options = {}, std::function<void()> meanwhile = {}) {
        server.page("/page", test::htmlPage("Page", body));
        server.page("/front", test::htmlPage("Front"));
        preferences->update([](AppPreferences& p) { p.backgroundSleepMinutes = 1; });
        open(website("/page"), options);
        EXPECT_TRUE(waitForTitle("Page"));
        if (!script.empty()) test::evaluate(active().webView(), script);
        firstView = active().webView();
        g_object_add_weak_pointer(G_OBJECT(firstView), reinterpret_cast<gpointer*>(&firstView));
        controller->tabs().add(server.url("/front"));
        controller->setPresented(true, false);
        clock.advance(61);
        bool finished = false;
        controller->tabSleep().sleepIdleTabs([&] { finished = true; });
        if (meanwhile) meanwhile();
        EXPECT_TRUE(spinUntil([&] { return finished; }));
        return controller->tabs().items()[0]->state().isSleeping;
    }
    void TearDown() override {
        if (firstView) g_object_remove_weak_pointer(G_OBJECT(firstView), reinterpret_cast<gpointer*>(&firstView));
    }
    WebKitWebView* firstView = nullptr;  // the first tab's web view while it exists
};

TEST_F(TabSleepTest, AnIdleBackgroundTabSleepsAndWakesWithOneRequestAtItsScrollPosition) {
    server.route("/favicon.ico", [icon = test::blackPng(20, 20)](const test::TestRequest&) {
        return test::TestResponse{200, "image/png", icon};
    });
    ASSERT_TRUE(sleepsAutomatically("<div style='height:5000px'>tall</div>",
                                    "window.scrollTo(0, document.scrollingElement.scrollHeight); 1"));
    EXPECT_EQ(controller->tabs().items()[0]->displayTitle(), "Page");
    EXPECT_TRUE(spinUntil([&] { return controller->tabs().items()[0]->state().icon.get() != nullptr; }))
        << "asleep, the tab shows its site's icon";
    EXPECT_EQ(firstView, nullptr) << "the page's web view is released";
    EXPECT_EQ(server.requestCount("/page"), 1);

    controller->tabs().select(0, true, true);
    ASSERT_TRUE(waitForTitle("Page"));
    EXPECT_EQ(server.requestCount("/page"), 2) << "one request on wake";
    EXPECT_TRUE(spinUntil([&] {
        auto fraction = test::evaluate(active().webView(),
                                       "scrollY / (document.scrollingElement.scrollHeight - innerHeight)");
        return fraction && std::stod(*fraction) > 0.99;
    }));
}

TEST_F(TabSleepTest, ABusyPageAPrivateWindowOrAWebsiteKeptAwakeNeverSleepsAutomatically) {
    EXPECT_FALSE(sleepsAutomatically("<iframe srcdoc='hi'></iframe>"));
    EXPECT_FALSE(controller->tabs().items()[0]->state().sleepCheckInFlight);
    EXPECT_NE(firstView, nullptr);
    EXPECT_FALSE(sleepsAutomatically("idle", "", {.privateWindow = true}));
    // Nor does a tab whose website is kept awake while its check is under way.
    EXPECT_FALSE(sleepsAutomatically("idle", "", {}, [&] {
        auto awake = controller->profile();
        awake.keepAwakeEnabled = true;
        controller->applyProfile(awake);
    }));
}

}  // namespace
}  // namespace quenlith
