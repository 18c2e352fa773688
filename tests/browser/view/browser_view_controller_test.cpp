#include <atkmm/object.h>

#include "browser/browser_view_fixture.hpp"

namespace quenlith::test {
namespace {

using BrowserView = BrowserViewFixture;

TEST_F(BrowserView, WebsiteOpensItsHomePage) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(server.requestCount("/home"), 1);
    ASSERT_EQ(view.tabs().size(), 1u);
    EXPECT_FALSE(active().showsStartPage);
    EXPECT_EQ(active().lastURL, server.url("/home"));
    EXPECT_TRUE(spinUntil([&] { return view.toolbar.address.get_text() == server.url("/home"); }));
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Test Site \u2014 Home"; }))
        << window->get_title();
    EXPECT_EQ(recorder.startPagesMade, 1);
    EXPECT_GT(recorder.stateChanges, 0);
}

TEST_F(BrowserView, WebsiteOpensItsRememberedPage) {
    server.page("/home", htmlPage("Home"));
    server.page("/last", htmlPage("Last"));
    auto profile = website("/home");
    profile.rememberLastURL = true;
    profile.lastURL = server.url("/last");
    open(profile);
    ASSERT_TRUE(waitForTitle("Last"));
    EXPECT_EQ(server.requestCount("/home"), 0);
}

TEST_F(BrowserView, RememberedPageThatIsNoWebsiteAddressFallsBackToHome) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.rememberLastURL = true;
    profile.lastURL = "ftp://127.0.0.1/file";
    open(profile);
    EXPECT_TRUE(waitForTitle("Home"));
}

TEST_F(BrowserView, RequestedAddressWinsOverTheWebsitesOwn) {
    server.page("/home", htmlPage("Home"));
    server.page("/asked", htmlPage("Asked"));
    open(website("/home"), asking(server.url("/asked")));
    ASSERT_TRUE(waitForTitle("Asked"));
    EXPECT_EQ(server.requestCount("/home"), 0);
}

TEST_F(BrowserView, DormantWindowLoadsNothingAndShowsTheStartPage) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"), dormant());
    ASSERT_EQ(view.tabs().size(), 1u);
    EXPECT_TRUE(active().showsStartPage);
    EXPECT_TRUE(spinUntil([&] { return view.startPageView() && view.startPageView()->get_visible(); }));
    EXPECT_FALSE(view.toolbar.reload.get_sensitive());
    EXPECT_FALSE(view.toolbar.saveWebsite.get_sensitive());
    EXPECT_EQ(active().displayTitle(), "Start Page");
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST_F(BrowserView, PopupWindowLoadsNothingItselfAndIsNoStartPage) {
    server.page("/home", htmlPage("Home"));
    WebViewConfiguration configuration;
    configuration.websiteDataStore = WebsiteDataStore::defaultDataStore();
    configuration.userContentController =
        GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    configuration.preferences = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    auto& view = open(website("/home"), popup(configuration));
    ASSERT_EQ(view.tabs().size(), 1u);
    EXPECT_FALSE(active().showsStartPage);
    EXPECT_TRUE(active().isPopup);
    EXPECT_EQ(webkit_web_view_get_user_content_manager(active().webView()),
              configuration.userContentController.get());
    EXPECT_EQ(server.requests().size(), 0u);
}

TEST_F(BrowserView, ContentOffsetsFollowTheVisibleBars) {
    server.page("/home", htmlPage("Home"));
    server.page("/oauth/authorize", htmlPage("Sign in"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(view.contentTop(), 42);
    EXPECT_FALSE(view.tabStripView().get_visible());

    view.addTab(server.url("/home"));
    EXPECT_EQ(view.contentTop(), 76);
    EXPECT_TRUE(view.tabStripView().get_visible());
    // A new view's first page is let through before the next load (a load issued while a brand-new
    // view is still starting its web process can be lost by the engine on a busy machine).
    ASSERT_TRUE(waitForTitle("Home"));

    view.showFindBar();
    EXPECT_EQ(view.contentTop(), 114);

    view.load(server.url("/oauth/authorize"));
    ASSERT_TRUE(waitForTitle("Sign in"))
        << active().pageTitle() << " " << active().pageURL().value_or("-") << " " << active().isLoading()
        << " " << server.requestCount("/oauth/authorize");
    EXPECT_TRUE(spinUntil([&] { return view.authBarView().get_visible(); }));
    EXPECT_EQ(view.contentTop(), 152);

    // The allocation agrees: the page starts right below the chrome.
    ASSERT_TRUE(spinUntil([&] { return view.chromeView().get_allocated_height() == 152; }))
        << view.chromeView().get_allocated_height() << " toolbar " << view.toolbar.get_allocated_height()
        << " strip " << view.tabStripView().get_allocated_height() << " auth "
        << view.authBarView().get_allocated_height() << " find " << view.findBar.get_allocated_height();
    EXPECT_EQ(view.contentView().get_allocation().get_y(), 152);
}

TEST_F(BrowserView, CompactModeHidesTheChromeUntilTheStripIsEntered) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.compactMode = true;
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Home"));
    view.addTab(server.url("/home"));
    EXPECT_EQ(view.contentTop(), 0);
    EXPECT_FALSE(view.chromeView().get_visible());
    EXPECT_TRUE(view.revealView().get_visible());

    view.revealView().onHover(false);  // leaving changes nothing
    EXPECT_FALSE(view.compactRevealed());
    view.revealView().onHover(true);
    EXPECT_TRUE(view.compactRevealed());
    EXPECT_TRUE(view.chromeView().get_visible());
    EXPECT_EQ(view.contentTop(), 0) << "a revealed chrome lies over the page";
    view.revealView().onHover(false);
    EXPECT_TRUE(view.compactRevealed()) << "leaving does not hide a revealed chrome";

    auto plain = view.profile();
    plain.compactMode = false;
    view.applyProfile(plain);
    EXPECT_FALSE(view.compactRevealed());
    EXPECT_FALSE(view.revealView().get_visible());
    EXPECT_EQ(view.contentTop(), 76);
}

TEST_F(BrowserView, CompactFindBarAndAddressFieldRevealTheChrome) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.compactMode = true;
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Home"));
    view.focusAddressField();
    EXPECT_TRUE(view.compactRevealed());
    EXPECT_TRUE(view.chromeView().get_visible());
}

TEST_F(BrowserView, ZoomAndUserAgentApplyToEveryTab) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    profile.zoomLevel = 1.5;
    profile.customUserAgent = "QuenlithTest/1.0";
    auto& view = open(profile);
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(active().webView()), 1.5);
    ASSERT_FALSE(server.requests().empty());
    EXPECT_EQ(server.requests().front().headers.at("User-Agent"), "QuenlithTest/1.0");

    view.addTab(server.url("/home"));
    auto changed = view.profile();
    changed.zoomLevel = 0.75;
    changed.customUserAgent.reset();
    view.applyProfile(changed);
    for (const auto& tab : view.tabs()) {
        EXPECT_DOUBLE_EQ(webkit_web_view_get_zoom_level(tab->webView()), 0.75);
        EXPECT_STRNE(webkit_settings_get_user_agent(webkit_web_view_get_settings(tab->webView())),
                     "QuenlithTest/1.0");
    }
}

TEST_F(BrowserView, RunningWindowKeepsItsDataStoreIdentity) {
    server.page("/home", htmlPage("Home"));
    auto profile = website("/home");
    auto& view = open(profile);
    auto changed = profile;
    changed.sessionIdentifier = Uuid::random();
    changed.isolatedAccount = true;
    changed.name = "Renamed";
    view.applyProfile(changed);
    EXPECT_EQ(view.profile().name, "Renamed");
    EXPECT_EQ(view.profile().sessionIdentifier, profile.sessionIdentifier);
    EXPECT_EQ(view.profile().isolatedAccount, profile.isolatedAccount);
}

TEST_F(BrowserView, PrivateWindowStyleAndTitle) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"), privately());
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Private Window \u2014 Home"; }));
    EXPECT_TRUE(view.toolbar.address.get_style_context()->has_class("quenlith-private-address"));
    EXPECT_EQ(view.toolbar.address.get_accessible()->get_name(), "Private address and search");
    EXPECT_EQ(view.toolbar.startPage.symbol(), "hand.raised.fill");
    EXPECT_EQ(view.toolbar.startPage.get_tooltip_text(), "Private Window");
    EXPECT_EQ(view.toolbar.startPage.imageDescription(), "Private Window");
    EXPECT_FALSE(view.toolbar.saveWebsite.get_sensitive());
    EXPECT_EQ(view.shareableURL(), std::nullopt);

    view.addTab(server.url("/home"));
    view.closeTab();
    EXPECT_TRUE(view.recentlyClosed().empty()) << "private windows remember nothing";
}

TEST_F(BrowserView, SavedWindowIsNotStyledPrivate) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_FALSE(view.toolbar.address.get_style_context()->has_class("quenlith-private-address"));
    EXPECT_EQ(view.toolbar.address.get_accessible()->get_name(), "Address and search");
    EXPECT_EQ(view.toolbar.startPage.symbol(), "square.grid.2x2");
    EXPECT_TRUE(spinUntil([&] { return view.toolbar.saveWebsite.get_sensitive(); }));
    EXPECT_EQ(view.shareableURL(), server.url("/home"));
}

TEST_F(BrowserView, ShareableAddressLeavesOutCredentials) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    view.load(server.url("/home?access_token=secret"));
    ASSERT_TRUE(waitForTitle("Home"));
    EXPECT_EQ(view.shareableURL(), std::nullopt);
    view.toggleMenuBarIcon();
    EXPECT_TRUE(recorder.menuBarToggles.empty());

    view.load(server.url("/home?q=1"));
    ASSERT_TRUE(
        spinUntil([&] { return active().pageURL() == server.url("/home?q=1") && !active().isLoading(); }));
    view.toggleMenuBarIcon();
    EXPECT_EQ(recorder.menuBarToggles, std::vector<std::string>{server.url("/home?q=1")});
}

TEST_F(BrowserView, PinFlipsAlwaysOnTopAndReportsTheChange) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    EXPECT_TRUE(view.toolbar.pin.get_style_context()->has_class("quenlith-pin-on"));
    view.toolbar.pin.clicked();
    EXPECT_FALSE(view.profile().alwaysOnTop);
    ASSERT_EQ(recorder.profileChanges.size(), 1u);
    EXPECT_FALSE(recorder.profileChanges.back().alwaysOnTop);
    EXPECT_FALSE(view.toolbar.pin.get_style_context()->has_class("quenlith-pin-on"));
    EXPECT_TRUE(view.toolbar.pin.get_style_context()->has_class("dim-label"));
}

TEST_F(BrowserView, SaveWebsiteButtonSendsItsCommand) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    view.toolbar.saveWebsite.clicked();
    EXPECT_EQ(recorder.commands, std::vector<BrowserCommand>{BrowserCommand::saveWebsite});
}

TEST_F(BrowserView, TypedAddressesAndSearchesLoadInTheActiveTab) {
    server.page("/home", htmlPage("Home"));
    server.page("/typed", htmlPage("Typed"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    view.toolbar.address.set_text("http://" + server.url("/typed").substr(7));
    view.toolbar.navigate();
    EXPECT_TRUE(waitForTitle("Typed"));

    view.navigate("   ");
    EXPECT_EQ(active().lastURL, server.url("/typed")) << "text that resolves to nothing is ignored";

    view.navigate("two words");
    EXPECT_EQ(active().lastURL.value_or("").rfind("https://www.google.com/search?q=two%20words", 0), 0u);
}

TEST_F(BrowserView, ReloadButtonStopsALoadingPage) {
    server.page("/home", htmlPage("Home"));
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    ASSERT_TRUE(spinUntil([&] { return view.toolbar.reload.symbol() == "arrow.clockwise"; }));
    EXPECT_EQ(view.toolbar.reload.imageDescription(), "Reload");
    view.toolbar.reload.clicked();
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/home") == 2; }));
    EXPECT_TRUE(waitForTitle("Home"));
}

}  // namespace
}  // namespace quenlith::test
