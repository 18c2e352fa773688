#include "browser/browser_view_fixture.hpp"
#include "browser/streaming_server.hpp"

namespace quenlith::test {
namespace {

using BrowserView = BrowserViewFixture;

TEST_F(BrowserView, TheFirstPageIsTheRequestedTheRememberedOrTheHomePage) {
    server.page("/home", htmlPage("Home"));
    server.page("/last", htmlPage("Last"));
    server.page("/asked", htmlPage("Asked"));
    struct Case {
        std::optional<std::string> lastURL, asked;
        std::string title;
    };
    const Case cases[] = {{std::nullopt, std::nullopt, "Home"},
                          {server.url("/last"), std::nullopt, "Last"},
                          {"ftp://127.0.0.1/file", std::nullopt, "Home"},
                          {server.url("/last"), server.url("/asked"), "Asked"}};
    for (const Case& c : cases) {
        auto profile = website("/home");
        profile.rememberLastURL = c.lastURL.has_value();
        profile.lastURL = c.lastURL;
        auto& view = open(profile, {.initialURL = c.asked});
        ASSERT_TRUE(waitForTitle(c.title)) << c.title;
        ASSERT_EQ(view.tabs().size(), 1u);
        EXPECT_FALSE(active().showsStartPage);
    }
    EXPECT_EQ(server.requestCount("/home"), 2);
    EXPECT_TRUE(spinUntil([&] { return controller->toolbar.address.get_text() == server.url("/asked"); }));
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Test Site \u2014 Asked"; })) << window->get_title();
    EXPECT_GT(recorder.stateChanges, 0);

    // A dormant window loads nothing and shows the start page; a popup loads nothing itself either.
    const auto requests = server.requests().size();
    auto& dormant = open(website("/home"), {.startsDormant = true});
    EXPECT_TRUE(active().showsStartPage);
    EXPECT_TRUE(spinUntil([&] { return dormant.startPageView() && dormant.startPageView()->get_visible(); }));
    EXPECT_FALSE(dormant.toolbar.reload.get_sensitive());
    WebViewConfiguration configuration;
    configuration.websiteDataStore = WebsiteDataStore::defaultDataStore();
    configuration.userContentController = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    open(website("/home"), {.configuration = configuration});
    EXPECT_FALSE(active().showsStartPage);
    EXPECT_TRUE(active().isPopup);
    EXPECT_EQ(webkit_web_view_get_user_content_manager(active().webView()), configuration.userContentController.get());
    spinFor(std::chrono::milliseconds(100));
    EXPECT_EQ(server.requests().size(), requests);
}

TEST_F(BrowserView, ContentStartsBelowTheVisibleBarsAndCompactModeRevealsThemOnEntering) {
    server.page("/home", htmlPage("Home"));
    server.page("/oauth/authorize", htmlPage("Sign in"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(view.contentTop(), 42);
    view.addTab(server.url("/home"));
    EXPECT_EQ(view.contentTop(), 76);
    // A new view's first page is let through before the next load (a load issued while a brand-new
    // view is still starting its web process can be lost by the engine on a busy machine).
    ASSERT_TRUE(waitForTitle("Home"));
    view.showFindBar();
    EXPECT_EQ(view.contentTop(), 114);
    view.load(server.url("/oauth/authorize"));
    ASSERT_TRUE(waitForTitle("Sign in"));
    EXPECT_TRUE(spinUntil([&] { return view.authBarView().get_visible(); }));
    EXPECT_EQ(view.contentTop(), 152);
    // The allocation agrees: the page starts right below the chrome.
    ASSERT_TRUE(spinUntil([&] { return view.chromeView().get_allocated_height() == 152; }))
        << view.chromeView().get_allocated_height();
    EXPECT_EQ(view.contentView().get_allocation().get_y(), 152);

    auto compact = view.profile();
    view.findBar.onClose();
    view.applyProfile(compact);  // not compact: nothing stays revealed
    compact.compactMode = true;
    view.applyProfile(compact);
    EXPECT_EQ(view.contentTop(), 0);
    EXPECT_FALSE(view.chromeView().get_visible());
    view.revealView().onHover(false);  // leaving changes nothing
    EXPECT_FALSE(view.compactRevealed());
    view.revealView().onHover(true);
    EXPECT_TRUE(view.chromeView().get_visible());
    EXPECT_EQ(view.contentTop(), 0) << "a revealed chrome lies over the page";
    view.revealView().onHover(false);
    EXPECT_TRUE(view.compactRevealed()) << "leaving does not hide a revealed chrome";
    compact.compactMode = false;
    view.applyProfile(compact);
    EXPECT_FALSE(view.compactRevealed());
    EXPECT_EQ(view.contentTop(), 114);
    compact.compactMode = true;
    view.applyProfile(compact);
    view.focusAddressField();
    EXPECT_TRUE(view.compactRevealed());
}

TEST_F(BrowserView, ProfileChangesReachEveryTabButTheWindowKeepsItsStore) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.zoomLevel = 1.5;
    profile.customUserAgent = "QuenlithTest/1.0";
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(active().webView()), 1.5);
    EXPECT_EQ(server.requests().front().headers.at("User-Agent"), "QuenlithTest/1.0");

    view.addTab(server.url("/home"));
    auto changed = view.profile();
    changed.zoomLevel = 0.75;
    changed.customUserAgent.reset();
    changed.sessionIdentifier = Uuid::random();
    changed.isolatedAccount = true;
    view.applyProfile(changed);
    for (const auto& tab : view.tabs()) {
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(tab->webView()), 0.75);
        EXPECT_STRNE(webkit_settings_get_user_agent(webkit_web_view_get_settings(tab->webView())), "QuenlithTest/1.0");
    }
    EXPECT_EQ(view.profile().sessionIdentifier, profile.sessionIdentifier);
    EXPECT_EQ(view.profile().isolatedAccount, profile.isolatedAccount);

    // The pin flips "always on top" and reports it; the save button sends its command.
    view.toolbar.pin.clicked();
    EXPECT_FALSE(view.profile().alwaysOnTop);
    ASSERT_EQ(recorder.profileChanges.size(), 1u);
    EXPECT_FALSE(recorder.profileChanges.back().alwaysOnTop);
    view.toolbar.saveWebsite.clicked();
    EXPECT_EQ(recorder.commands, std::vector<BrowserCommand>{BrowserCommand::saveWebsite});
}

TEST_F(BrowserView, OnlyASavedWindowSharesItsCredentialFreeAddress) {
    server.page("/home", htmlPage("Home"));
    auto& secret = open(website("/home"), {.privateWindow = true});
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Private Window \u2014 Home"; }));
    EXPECT_EQ(secret.toolbar.startPage.get_tooltip_text(), "Private Window");
    EXPECT_FALSE(secret.toolbar.saveWebsite.get_sensitive());
    EXPECT_EQ(secret.shareableURL(), std::nullopt);
    secret.addTab(server.url("/home"));
    secret.closeTab();
    EXPECT_TRUE(secret.recentlyClosed().empty()) << "private windows remember nothing";

    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_TRUE(spinUntil([&] { return view.toolbar.saveWebsite.get_sensitive(); }));
    view.load(server.url("/home?access_token=secret"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(view.shareableURL(), std::nullopt);
    view.toggleMenuBarIcon();
    view.load(server.url("/home?q=1"));
    ASSERT_TRUE(spinUntil([&] { return active().pageURL() == server.url("/home?q=1") && !active().isLoading(); }));
    view.toggleMenuBarIcon();
    EXPECT_EQ(recorder.menuBarToggles, std::vector<std::string>{server.url("/home?q=1")});
}

TEST_F(BrowserView, TypedAddressesAndSearchesLoadInTheActiveTab) {
    server.page("/home", htmlPage("Home"));
    server.page("/typed", htmlPage("Typed"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    view.toolbar.address.set_text(server.url("/typed"));
    view.toolbar.navigate();
    EXPECT_TRUE(waitForTitle("Typed"));
    view.navigate("   ");
    EXPECT_EQ(active().lastURL, server.url("/typed")) << "text that resolves to nothing is ignored";
    view.navigate("two words");
    EXPECT_EQ(active().lastURL.value_or("").rfind("https://www.google.com/search?q=two%20words", 0), 0u);
}

TEST_F(BrowserView, TheReloadButtonStopsALoadingPageAndSaysSo) {
    StreamingServer slow;
    slow.stream("/slow", "text/html", "<title>Slow</title>");
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    view.load(slow.url("/slow"));
    ASSERT_TRUE(spinUntil([&] { return slow.openCount() == 1 && view.toolbar.reload.symbol() == "xmark"; }));
    EXPECT_EQ(view.toolbar.reload.get_tooltip_text(), "Stop loading");
    view.toolbar.reload.clicked();
    EXPECT_TRUE(spinUntil([&] { return !active().isLoading(); }));
    EXPECT_TRUE(spinUntil([&] { return view.toolbar.reload.symbol() == "arrow.clockwise"; }));
    EXPECT_EQ(view.toolbar.reload.get_tooltip_text(), "Reload (Ctrl+R)");
    EXPECT_EQ(server.requestCount("/home"), 1) << "stopping is no reload";

    view.toolbar.reload.clicked();  // not loading now: reloads
    EXPECT_TRUE(spinUntil([&] { return view.toolbar.reload.symbol() == "xmark"; }));
}

}  // namespace
}  // namespace quenlith::test
