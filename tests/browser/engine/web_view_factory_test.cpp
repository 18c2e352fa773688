#include "browser/engine/web_view_factory.hpp"

#include <gtest/gtest.h>

#include "browser/engine/tab_sleep_guard.hpp"
#include "browser/engine/user_scripts.hpp"
#include "browser/web_test_support.hpp"
#include "browser/engine/proxy_fixture.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/web_app_profile.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

BrowserProxySettings httpProxy(int port) { return test::proxyAt(BrowserProxyKind::httpConnect, port); }

class WebViewFactoryTest : public ::testing::Test {
protected:
    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    ProxyRuntime global{nullptr};
    WebsiteSessions sessions{global, nullptr};
};

TEST_F(WebViewFactoryTest, AViewTakesItsStoreAndThatStoresProxy) {
    global.load(httpProxy(3128));
    auto view = WebViewFactory::makeWebView(nullptr, std::nullopt, std::nullopt, &sessions);
    EXPECT_FALSE(g_object_is_floating(view.get()));
    auto store = WebsiteDataStore::defaultDataStore();
    EXPECT_EQ(WebsiteDataStore::of(view.get()), store);
    EXPECT_EQ(webkit_web_view_get_context(view.get()), store->webContext());
    EXPECT_EQ(store->proxyAddress(), "http://127.0.0.1:3128");
    WebKitUserContentManager* scripts = webkit_web_view_get_user_content_manager(view.get());
    EXPECT_TRUE(hasUserScript(scripts, TabSleepGuard::source()));
    EXPECT_TRUE(hasUserScript(scripts, siteStyleFixSource(kSiteStyleFixHost)));

    // A website's own store takes its own proxy.
    auto own = sessions.dataStore(test::websiteBehind(httpProxy(8080)));
    auto ownView = WebViewFactory::makeWebView(own, std::nullopt, std::nullopt, &sessions);
    EXPECT_EQ(webkit_web_view_get_context(ownView.get()), own->webContext());
    EXPECT_EQ(own->proxyAddress(), "http://127.0.0.1:8080");
}

TEST_F(WebViewFactoryTest, AStoreMadeWhileIconDatabasesWaitStillRecordsItsFirstPagesIcon) {
    const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                       "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;";
    server.page("/favicon.ico", std::string(gif, sizeof gif - 1));
    server.page("/", "<title>Icon</title>");
    std::optional<WebsiteDataStore::IconDatabaseDeferral> deferral(std::in_place);
    { WebsiteDataStore::IconDatabaseDeferral inner; }
    auto view = WebViewFactory::makeWebView(WebsiteDataStore::forIdentifier(Uuid::random()), std::nullopt, std::nullopt, &sessions);
    webkit_web_view_load_uri(view.get(), server.url("/").c_str());
    EXPECT_FALSE(webkit_web_context_get_favicon_database_directory(webkit_web_view_get_context(view.get())));
    deferral.reset();
    EXPECT_TRUE(test::spinUntil([&] { return webkit_web_view_get_favicon(view.get()) != nullptr; }));
}

TEST_F(WebViewFactoryTest, TheUserAgentReachesTheServer) {
    server.page("/", "<html><body>ua</body></html>");
    const std::string agent = "QuenlithTest/1.0 (custom)";
    auto custom = WebViewFactory::makeWebView(WebsiteDataStore::nonPersistent(), std::nullopt, agent, &sessions);
    ASSERT_TRUE(test::loadAndWait(custom.get(), server.url("/")).finished);
    auto plain = WebViewFactory::makeWebView(WebsiteDataStore::nonPersistent(), std::nullopt, std::nullopt, &sessions);
    ASSERT_TRUE(test::loadAndWait(plain.get(), server.url("/")).finished);
    ASSERT_EQ(server.requests().size(), 2u);
    EXPECT_EQ(server.requests()[0].headers.at("User-Agent"), agent);
    EXPECT_EQ(server.requests()[1].headers.at("User-Agent"),
              webkit_settings_get_user_agent(GObjectPtr<WebKitSettings>::adopt(webkit_settings_new()).get()));
}

TEST_F(WebViewFactoryTest, AHandedInConfigurationIsUsedUnchanged) {
    // The test server answers as the proxy too.
    server.page("/", "");
    global.load(httpProxy(server.port()));
    WebViewConfiguration configuration;
    configuration.websiteDataStore = WebsiteDataStore::nonPersistent();
    configuration.userContentController = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    configuration.preferences = GObjectPtr<WebKitSettings>::adopt(webkit_settings_new());
    webkit_settings_set_javascript_can_open_windows_automatically(configuration.preferences.get(), TRUE);

    auto first = WebViewFactory::makeWebView(WebsiteDataStore::defaultDataStore(), configuration, std::nullopt, &sessions);
    EXPECT_EQ(webkit_web_view_get_context(first.get()), configuration.websiteDataStore->webContext())
        << "its store is not replaced";
    EXPECT_EQ(webkit_web_view_get_user_content_manager(first.get()), configuration.userContentController.get());
    EXPECT_TRUE(webkit_settings_get_javascript_can_open_windows_automatically(webkit_web_view_get_settings(first.get())));
    const std::string proxied = "http://127.0.0.1:" + std::to_string(server.port());
    EXPECT_EQ(configuration.websiteDataStore->proxyAddress(), proxied);
    EXPECT_EQ(WebsiteDataStore::defaultDataStore()->proxyAddress(), std::nullopt);

    // A second view on the same configuration: the store is configured once, the scripts are
    // not added again.
    global.load(httpProxy(8080));
    auto second = WebViewFactory::makeWebView(nullptr, configuration, std::nullopt, &sessions);
    EXPECT_EQ(configuration.websiteDataStore->proxyAddress(), proxied);
    EXPECT_FALSE(addUserScriptOnce(configuration.userContentController.get(), TabSleepGuard::source(),
                                   WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES, WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START));
    ASSERT_TRUE(test::loadAndWait(second.get(), "http://site.test/").finished);
    EXPECT_EQ(server.requests().back().host, "site.test") << "the second view takes the store's proxy";
}

TEST_F(WebViewFactoryTest, APopupSharesTheOpenersStoreAndScripts) {
    auto opener = WebViewFactory::makeWebView(WebsiteDataStore::nonPersistent(), std::nullopt, std::nullopt, &sessions);
    WebViewConfiguration popup;
    popup.websiteDataStore = WebsiteDataStore::of(opener.get());
    popup.userContentController = GObjectPtr<WebKitUserContentManager>::retain(webkit_web_view_get_user_content_manager(opener.get()));
    popup.relatedView = opener;
    auto view = WebViewFactory::makeWebView(nullptr, popup, std::nullopt, &sessions);
    EXPECT_EQ(webkit_web_view_get_context(view.get()), webkit_web_view_get_context(opener.get()));
    EXPECT_EQ(WebsiteDataStore::of(view.get()), WebsiteDataStore::of(opener.get()));
    EXPECT_EQ(webkit_web_view_get_user_content_manager(view.get()), webkit_web_view_get_user_content_manager(opener.get()));
}

// The style fix, seen on its own host and on others: an HTTP proxy (the test server) answers for
// every host.
TEST_F(WebViewFactoryTest, TheSiteStyleFixSizesTheFooterOnItsHostOnly) {
    server.page("/", "<html><head><style>.AtTabBarView { height: 10px; overflow: hidden; }</style></head><body>"
                     "<div class=contentPage><div class=AtTabBarView id=footer><p>one</p><p>two</p></div></div>"
                     "<div class=AtTabBarView id=outside><p>one</p><p>two</p></div></body></html>");
    auto view = WebViewFactory::makeWebView(sessions.dataStore(test::websiteBehind(httpProxy(server.port()))),
                                            std::nullopt, std::nullopt, &sessions);
    auto page = [&](const std::string& script) { return test::evaluate(view.get(), script); };
    auto result = test::loadAndWait(view.get(), std::string("http://") + kSiteStyleFixHost + "/");
    ASSERT_TRUE(result.finished && !result.failed) << result.error;
    ASSERT_EQ(server.requests().back().host, kSiteStyleFixHost);
    EXPECT_EQ(page("document.querySelectorAll('#quenlith-footer-sizing').length"), "1");
    EXPECT_NE(page("getComputedStyle(document.getElementById('footer')).height"), "\"10px\"");
    EXPECT_EQ(page("getComputedStyle(document.getElementById('outside')).height"), "\"10px\"")
        << "only footers inside a content page change";

    ASSERT_TRUE(test::loadAndWait(view.get(), "http://127.0.0.1/").finished);
    EXPECT_EQ(page("document.querySelectorAll('#quenlith-footer-sizing').length"), "0");
    EXPECT_EQ(page("getComputedStyle(document.getElementById('footer')).height"), "\"10px\"");
}

TEST(UserScriptsTest, EachScriptIsInstalledOnce) {
    auto manager = GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
    WebViewFactory::installSiteStyleFix(manager.get());
    TabSleepGuard::install(manager.get());
    for (const auto& source : {siteStyleFixSource(kSiteStyleFixHost), TabSleepGuard::source()})
        EXPECT_FALSE(addUserScriptOnce(manager.get(), source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                       WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START));
    EXPECT_EQ(siteStyleFixSource("a\"b").find("a\"b"), std::string::npos) << "the host is quoted";
}

}  // namespace
}  // namespace quenlith
