// The browser view against real pages: find, auto reload, page captures and the ad filter.

#include "browser/blocking/ad_blocking.hpp"
#include "browser/browser_view_fixture.hpp"
#include "browser/web_test_support.hpp"

namespace quenlith::test {
namespace {

using namespace std::chrono_literals;

class BrowserPages : public BrowserViewFixture {
protected:
    // How many matches the engine counts for `text` in the active page.
    int countMatches(const std::string& text) {
        WebKitFindController* finder = webkit_web_view_get_find_controller(active().webView());
        int counted = -1;
        const gulong handler = g_signal_connect(
            finder, "counted-matches", G_CALLBACK(+[](WebKitFindController*, guint count, gpointer data) {
                *static_cast<int*>(data) = static_cast<int>(count);
            }),
            &counted);
        webkit_find_controller_count_matches(finder, text.c_str(), WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE,
                                             G_MAXUINT);
        spinUntil([&] { return counted >= 0; });
        g_signal_handler_disconnect(finder, handler);
        return counted;
    }
};

TEST_F(BrowserPages, FindShowsWhetherTheTextOccursAndHighlightsIt) {
    server.page("/text", htmlPage("Text", "<p>needle one</p><p>Needle two</p><p>NEEDLE three</p>"));
    auto& view = open(website("/text"));
    ASSERT_TRUE(waitForTitle("Text"));
    view.showFindBar();
    EXPECT_TRUE(view.findBar.get_visible());
    EXPECT_TRUE(view.findBar.input.is_focus());

    view.findBar.input.set_text("needle");
    ASSERT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "Match Found"; }));
    EXPECT_EQ(countMatches("needle"), 3) << "case-insensitive";
    // The found text is marked in the page (the engine may report the count before it selects).
    EXPECT_TRUE(spinUntil([&] {
        return evaluate(active().webView(), "window.getSelection().toString().toLowerCase()") == "\"needle\"";
    }));

    view.findBar.input.set_text("needlex");
    EXPECT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "No Matches"; }));
    view.findBar.input.set_text("");
    EXPECT_EQ(view.findBar.result.get_text(), "") << "clearing the field empties the result at once";

    view.findBar.handleKey(GDK_KEY_Escape, Gdk::ModifierType(0));
    EXPECT_FALSE(view.findBar.get_visible());
    EXPECT_EQ(view.contentTop(), 42);
}

TEST_F(BrowserPages, AnswerArrivingAfterTheFindBarClosedIsDropped) {
    server.page("/text", htmlPage("Text", "<p>needle</p>"));
    auto& view = open(website("/text"));
    ASSERT_TRUE(waitForTitle("Text"));
    view.showFindBar();
    view.findBar.input.set_text("needle");
    ASSERT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "Match Found"; }));

    view.findBar.input.set_text("absent");  // the engine's answer is still on its way ...
    view.findBar.onClose();                 // ... when the bar closes
    countMatches("absent");                 // answered after the search above
    EXPECT_EQ(view.findBar.result.get_text(), "Match Found");
    EXPECT_FALSE(view.findBar.get_visible());
}

TEST_F(BrowserPages, SwitchingTabsClosesTheFindBarAndTheStartPageHasNone) {
    server.page("/text", htmlPage("Text", "<p>needle</p>"));
    auto& view = open(website("/text"));
    ASSERT_TRUE(waitForTitle("Text"));
    view.addTab(server.url("/text"));
    view.showFindBar();
    EXPECT_TRUE(view.findBar.get_visible());
    view.selectTab(0, true, false);
    EXPECT_FALSE(view.findBar.get_visible());
    EXPECT_EQ(view.contentTop(), 76);

    view.openNewTab();
    view.showFindBar();
    EXPECT_FALSE(view.findBar.get_visible());
}

TEST_F(BrowserPages, AutoReloadRunsWhilePresentedAtTheWebsitesInterval) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.autoReloadInterval = 30;
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_FALSE(view.autoReloadTimer()) << "not presented yet";
    EXPECT_EQ(timers.pendingCount(), 0u);

    view.setPresented(true, false);
    ASSERT_TRUE(view.autoReloadTimer());
    EXPECT_DOUBLE_EQ(view.autoReloadTimer()->interval, 30);
    EXPECT_DOUBLE_EQ(view.autoReloadTimer()->tolerance, 3);

    timers.advance(29s);
    timers.advance(1s);
    ASSERT_TRUE(spinUntil([&] { return server.requestCount("/home") == 2; }));
    ASSERT_TRUE(waitForTitle("Home"));
    timers.advance(30s);
    ASSERT_TRUE(spinUntil([&] { return server.requestCount("/home") == 3; }));

    // A change of something else keeps the running timer; a new interval replaces it.
    ASSERT_TRUE(waitForTitle("Home"));
    timers.advance(20s);
    auto zoomed = view.profile();
    zoomed.zoomLevel = 1.25;
    view.applyProfile(zoomed);
    EXPECT_EQ(timers.nextDelay(), 10s);
    auto slower = view.profile();
    slower.autoReloadInterval = 120;
    view.applyProfile(slower);
    EXPECT_EQ(timers.nextDelay(), 120s);
    EXPECT_DOUBLE_EQ(view.autoReloadTimer()->tolerance, 5);

    // Hidden windows have no timer.
    view.setPresented(false, false);
    EXPECT_FALSE(view.autoReloadTimer());
    EXPECT_EQ(timers.pendingCount(), 0u);

    // Neither has a website without an interval.
    auto none = view.profile();
    none.autoReloadInterval.reset();
    view.applyProfile(none);
    view.setPresented(true, false);
    EXPECT_FALSE(view.autoReloadTimer());
}

TEST_F(BrowserPages, SelectionCaptureDescribesTheUnchangedPage) {
    server.page("/article", htmlPage("Article", "<p id='t'>Quoted words</p><p>rest</p>"));
    auto profile = website("/article");
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Article"));
    evaluate(active().webView(), "getSelection().selectAllChildren(document.getElementById('t'))");

    std::optional<PageClip> clip;
    view.captureSelection([&](PageClip captured) { clip = std::move(captured); });
    ASSERT_TRUE(spinUntil([&] { return clip.has_value(); }));
    EXPECT_EQ(clip->text, "Quoted words");
    EXPECT_EQ(clip->title, "Article");
    EXPECT_EQ(clip->address, server.url("/article"));
    EXPECT_EQ(clip->profileID, profile.id);
    EXPECT_EQ(clip->windowSession, std::nullopt) << "the shared store";
    EXPECT_FALSE(clip->readingState.has_value());

    // A window of a website made up for it names no saved website.
    view.isSavedWebsite = false;
    clip.reset();
    view.captureSelection([&](PageClip captured) { clip = std::move(captured); });
    ASSERT_TRUE(spinUntil([&] { return clip.has_value(); }));
    EXPECT_EQ(clip->profileID, std::nullopt);
}

TEST_F(BrowserPages, CaptureOfAPageThatChangedMeanwhileIsDropped) {
    // The page moves to another address while the capture script runs.
    server.page("/moving", htmlPage("Moving",
                                    "<p>text</p><script>window.getSelection = () => { "
                                    "history.pushState({}, '', '/moved'); return 'x'; };</script>"));
    auto& view = open(website("/moving"));
    ASSERT_TRUE(waitForTitle("Moving"));
    int captures = 0;
    view.captureSelection([&](PageClip) { ++captures; });
    ASSERT_TRUE(spinUntil([&] { return active().pageURL() == server.url("/moved"); }));
    evaluate(active().webView(), "1");  // answered after the capture's script
    EXPECT_EQ(captures, 0);

    // The same page without the move is captured.
    view.captureSelection([&](PageClip) { ++captures; });
    EXPECT_TRUE(spinUntil([&] { return captures == 1; }));
}

TEST_F(BrowserPages, ReadingPositionIsTheScrolledFraction) {
    server.page("/long", htmlPage("Long", "<div style='height:5000px'>top</div>"));
    server.page("/short", htmlPage("Short", "<p>one line</p>"));
    auto& view = open(website("/long"));
    ASSERT_TRUE(waitForTitle("Long"));
    evaluate(active().webView(), "document.scrollingElement.scrollTop = 1e6");

    std::optional<std::tuple<std::string, std::string, std::optional<double>>> answer;
    auto record = [&](const std::string& address, const std::string& title, std::optional<double> fraction) {
        answer = std::make_tuple(address, title, fraction);
    };
    view.readingPosition(record);
    ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(std::get<0>(*answer), server.url("/long"));
    EXPECT_EQ(std::get<1>(*answer), "Long");
    EXPECT_EQ(std::get<2>(*answer), 1.0);

    view.load(server.url("/short"));
    ASSERT_TRUE(waitForTitle("Short"));
    answer.reset();
    view.readingPosition(record);
    ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(std::get<2>(*answer), 0.0) << "a page that cannot scroll";
}

TEST_F(BrowserPages, PrivateWindowsAndCredentialsGiveNoCaptures) {
    server.page("/page", htmlPage("Page", "<p>text</p>"));
    auto& view = open(website("/page"), privately());
    ASSERT_TRUE(waitForTitle("Page"));
    int answers = 0;
    view.captureSelection([&](PageClip) { ++answers; });
    view.readingPosition([&](const std::string&, const std::string&, std::optional<double>) { ++answers; });
    evaluate(active().webView(), "1");
    EXPECT_EQ(answers, 0);

    auto& saved = open(website("/page"));
    ASSERT_TRUE(waitForTitle("Page"));  // the new view's first page, before the next load
    saved.load(server.url("/page?session=abc"));
    ASSERT_TRUE(waitForTitle("Page"));
    saved.captureSelection([&](PageClip) { ++answers; });
    saved.readingPosition([&](const std::string&, const std::string&, std::optional<double>) { ++answers; });
    evaluate(active().webView(), "1");
    EXPECT_EQ(answers, 0);
}

TEST_F(BrowserPages, AdFilterIsInstalledOnEveryTabAndFollowsThePreferences) {
    server.page("/home", htmlPage("Home"));
    AdFilterSettings enabled;
    enabled.enabled = true;
    preferences->update([&](AppPreferences& value) { value.adFilter = enabled; });
    auto& view = open(website("/home"));
    view.addTab(server.url("/home"));

    auto installed = [&](bool wantEnabled) {
        for (const auto& tab : view.tabs()) {
            auto state =
                AdBlocking::shared().entryState(webkit_web_view_get_user_content_manager(tab->webView()));
            if (!state || !state->installedSettings || state->installedSettings->enabled != wantEnabled)
                return false;
        }
        return true;
    };
    auto desired = [&](bool wantEnabled) {
        for (const auto& tab : view.tabs()) {
            auto state =
                AdBlocking::shared().entryState(webkit_web_view_get_user_content_manager(tab->webView()));
            if (!state || state->desired.enabled != wantEnabled) return false;
        }
        return true;
    };
    EXPECT_TRUE(spinUntil(std::bind(installed, true), 60s));

    preferences->update([&](AppPreferences& value) { value.adFilter.reset(); });
    EXPECT_TRUE(spinUntil(std::bind(desired, false), 20s));
}

}  // namespace
}  // namespace quenlith::test
