// The browser view against real pages: find, auto reload, page captures and the ad filter.

#include "browser/blocking/ad_blocking.hpp"
#include "browser/browser_view_fixture.hpp"
#include "browser/web_test_support.hpp"

namespace quenlith::test {
namespace {

using namespace std::chrono_literals;
using BrowserPages = BrowserViewFixture;

TEST_F(BrowserPages, FindMarksTheTextAndDropsAnswersToReplacedSearches) {
    server.page("/text", htmlPage("Text", "<p>needle one</p><p>Needle two</p>"));
    auto& view = open(website("/text"));
    ASSERT_TRUE(waitForTitle("Text"));
    view.showFindBar();
    EXPECT_TRUE(view.findBar.input.is_focus());
    view.findBar.input.set_text("NEEDLE");
    ASSERT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "Match Found"; }));
    EXPECT_TRUE(spinUntil([&] {
        return evaluate(active().webView(), "window.getSelection().toString().toLowerCase()") == "\"needle\"";
    }));
    view.findBar.input.set_text("needlex");
    EXPECT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "No Matches"; }));
    view.findBar.input.set_text("");
    EXPECT_EQ(view.findBar.result.get_text(), "") << "clearing the field empties the result at once";

    // The answer to a search still on its way when the bar closes is dropped.
    view.findBar.input.set_text("needle");
    ASSERT_TRUE(spinUntil([&] { return view.findBar.result.get_text() == "Match Found"; }));
    view.findBar.input.set_text("absent");
    view.findBar.onClose();
    spinFor(300ms);
    EXPECT_EQ(view.findBar.result.get_text(), "Match Found");
    EXPECT_EQ(view.contentTop(), 42);

    // Switching tabs closes the bar; a start page has none.
    view.addTab(server.url("/text"));
    ASSERT_TRUE(waitForTitle("Text"));
    view.showFindBar();
    view.selectTab(0, true, false);
    EXPECT_FALSE(view.findBar.get_visible());
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
    EXPECT_EQ(timers.pendingCount(), 0u) << "not presented yet";
    view.setPresented(true, false);
    ASSERT_TRUE(view.autoReloadTimer());
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
    auto changed = view.profile();
    changed.zoomLevel = 1.25;
    view.applyProfile(changed);
    EXPECT_EQ(timers.nextDelay(), 10s);
    changed.autoReloadInterval = 120;
    view.applyProfile(changed);
    EXPECT_EQ(timers.nextDelay(), 120s);

    view.setPresented(false, false);
    EXPECT_EQ(timers.pendingCount(), 0u) << "hidden windows have no timer";
    changed.autoReloadInterval.reset();
    view.applyProfile(changed);
    view.setPresented(true, false);
    EXPECT_FALSE(view.autoReloadTimer()) << "nor has a website without an interval";
}

TEST_F(BrowserPages, CapturesDescribeTheUnchangedPageOfASavedWindow) {
    server.page("/article", htmlPage("Article", "<p id='t'>Quoted words</p><div style='height:5000px'></div>"));
    server.page("/moving", htmlPage("Moving", "<script>window.getSelection = () => { "
                                              "history.pushState({}, '', '/moved'); return 'x'; };</script>"));
    auto profile = website("/article");
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Article"));
    evaluate(active().webView(), "getSelection().selectAllChildren(document.getElementById('t')); "
                                 "document.scrollingElement.scrollTop = 1e6");
    std::optional<PageClip> clip;
    view.captureSelection([&](PageClip captured) { clip = std::move(captured); });
    std::optional<std::tuple<std::string, std::string, std::optional<double>>> position;
    auto record = [&](const std::string& address, const std::string& title, std::optional<double> fraction) {
        position = std::make_tuple(address, title, fraction);
    };
    view.readingPosition(record);
    ASSERT_TRUE(spinUntil([&] { return clip.has_value() && position.has_value(); }));
    EXPECT_EQ(clip->text, "Quoted words");
    EXPECT_EQ(clip->title, "Article");
    EXPECT_EQ(clip->address, server.url("/article"));
    EXPECT_EQ(clip->profileID, profile.id);
    EXPECT_EQ(clip->windowSession, std::nullopt) << "the shared store";
    EXPECT_EQ(*position, std::make_tuple(server.url("/article"), std::string("Article"), std::optional<double>(1.0)));

    // A window made up for a website names none.
    view.isSavedWebsite = false;
    clip.reset();
    view.captureSelection([&](PageClip captured) { clip = std::move(captured); });
    ASSERT_TRUE(spinUntil([&] { return clip.has_value(); }));
    EXPECT_EQ(clip->profileID, std::nullopt);

    // A page that moves on while the script runs, or carries credentials, is not captured.
    int captures = 0;
    view.load(server.url("/moving"));
    ASSERT_TRUE(waitForTitle("Moving"));
    view.captureSelection([&](PageClip) { ++captures; });
    ASSERT_TRUE(spinUntil([&] { return active().pageURL() == server.url("/moved"); }));
    view.load(server.url("/article?session=abc"));
    ASSERT_TRUE(waitForTitle("Article"));
    view.captureSelection([&](PageClip) { ++captures; });
    view.readingPosition([&](const std::string&, const std::string&, std::optional<double>) { ++captures; });
    evaluate(active().webView(), "1");  // answered after the captures' scripts
    EXPECT_EQ(captures, 0);

    auto& secret = open(website("/article"), {.privateWindow = true});
    ASSERT_TRUE(waitForTitle("Article"));
    secret.captureSelection([&](PageClip) { ++captures; });
    secret.readingPosition([&](const std::string&, const std::string&, std::optional<double>) { ++captures; });
    evaluate(active().webView(), "1");
    EXPECT_EQ(captures, 0) << "private windows give no captures";
}

TEST_F(BrowserPages, AdFilterIsInstalledOnEveryTabAndFollowsThePreferences) {
    server.page("/home", htmlPage("Home"));
    AdFilterSettings enabled;
    enabled.enabled = true;
    preferences->update([&](AppPreferences& value) { value.adFilter = enabled; });
    auto& view = open(website("/home"));
    view.addTab(server.url("/home"));
    auto everyTab = [&](bool installed, bool wantEnabled) {
        for (const auto& tab : view.tabs()) {
            auto state = AdBlocking::shared().entryState(webkit_web_view_get_user_content_manager(tab->webView()));
            if (!state) return false;
            if (installed ? (!state->installedSettings || state->installedSettings->enabled != wantEnabled)
                          : state->desired.enabled != wantEnabled)
                return false;
        }
        return true;
    };
    EXPECT_TRUE(spinUntil([&] { return everyTab(true, true); }, 60s));
    preferences->update([&](AppPreferences& value) { value.adFilter.reset(); });
    EXPECT_TRUE(spinUntil([&] { return everyTab(false, false); }, 20s));
}

}  // namespace
}  // namespace quenlith::test
