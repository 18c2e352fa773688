#include "browser/engine/web_view_factory.hpp"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "browser/engine/tab_sleep_guard.hpp"
#include "browser/engine/user_scripts.hpp"
#include "browser/web_test_support.hpp"
#include "browser/engine/proxy_fixture.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/app_paths.hpp"
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
    // Each script once: it is there, and installing it again adds nothing.
    WebKitUserContentManager* scripts = webkit_web_view_get_user_content_manager(view.get());
    const std::string sources[] = {siteStyleFixSource(kSiteStyleFixHost), TabSleepGuard::source()};
    for (const auto& source : sources) EXPECT_TRUE(hasUserScript(scripts, source));
    WebViewFactory::installSiteStyleFix(scripts);
    TabSleepGuard::install(scripts);
    for (const auto& source : sources)
        EXPECT_FALSE(addUserScriptOnce(scripts, source, WEBKIT_USER_CONTENT_INJECT_TOP_FRAME,
                                       WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START));
    EXPECT_EQ(siteStyleFixSource("a\"b").find("a\"b"), std::string::npos) << "the host is quoted";
}

TEST_F(WebViewFactoryTest, NoStoreOpensTheEnginesIconDatabase) {
    // The engine would decode every icon at its full size with no bound, and keep it on disk.
    const char gif[] = "GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00!\xf9\x04\x01\x00\x00\x00\x00,"
                       "\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02" "D\x01\x00;";
    server.page("/favicon.ico", std::string(gif, sizeof gif - 1));
    server.page("/", "<title>Icon</title>");
    // One an earlier run left behind goes, with the icons in it.
    const Uuid identifier = Uuid::random();
    const std::filesystem::path left =
        std::filesystem::path(applicationDataDirectory()) / "WebsiteData" / identifier.string() / "Favicons";
    std::filesystem::create_directories(left);
    std::ofstream(left / "WebpageIcons.db") << "icons";
    auto store = WebsiteDataStore::forIdentifier(identifier);
    ASSERT_EQ(store->dataDirectory() + "/Favicons", left.string());
    auto view = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    webkit_web_view_load_uri(view.get(), server.url("/").c_str());
    ASSERT_TRUE(test::spinUntil([&] {
        return g_strcmp0(webkit_web_view_get_title(view.get()), "Icon") == 0 &&
               !webkit_web_view_is_loading(view.get());
    }));
    EXPECT_FALSE(webkit_web_context_get_favicon_database_directory(webkit_web_view_get_context(view.get())));
    EXPECT_TRUE(test::spinUntil([&] { return !std::filesystem::exists(left); }));
    EXPECT_EQ(webkit_web_view_get_favicon(view.get()), nullptr);
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

    // A popup takes its opener as related view, and shares its store and scripts.
    configuration.relatedView = first;
    auto popup = WebViewFactory::makeWebView(nullptr, configuration, std::nullopt, &sessions);
    EXPECT_EQ(webkit_web_view_get_context(popup.get()), webkit_web_view_get_context(first.get()));
    EXPECT_EQ(WebsiteDataStore::of(popup.get()), WebsiteDataStore::of(first.get()));
    EXPECT_EQ(webkit_web_view_get_user_content_manager(popup.get()),
              configuration.userContentController.get());
}

// However a view ends, nothing that was inside it stays behind: the engine's own widgets included,
// which it does not end itself.
TEST_F(WebViewFactoryTest, AViewThatEndsLeavesNoWidgetOfItsOwnBehind) {
    server.page("/", "<title>Page</title><input autofocus>");
    enum class End { dropped, takenOutOfItsWindow, destroyedWithItsWindow };
    const std::pair<const char*, End> cases[] = {
        {"never shown, its reference dropped", End::dropped},
        {"taken out of its window, then dropped", End::takenOutOfItsWindow},
        {"destroyed with its window", End::destroyedWithItsWindow}};
    for (const auto& [name, end] : cases) {
        SCOPED_TRACE(name);
        test::WidgetTreeWatch watch;
        auto view = WebViewFactory::makeWebView(nullptr, std::nullopt, std::nullopt, &sessions);
        watch.watch(GTK_WIDGET(view.get()));
        ASSERT_GT(watch.watched(), 1) << "the engine puts a widget of its own into every view";
        if (end == End::takenOutOfItsWindow) {
            GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
            gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view.get()));
            gtk_widget_show_all(window);
            ASSERT_TRUE(test::loadAndWait(view.get(), server.url("/")).finished);
            // As a closing tab does: out of the window, then the last reference goes.
            gtk_container_remove(GTK_CONTAINER(window), GTK_WIDGET(view.get()));
            gtk_widget_destroy(window);
        } else if (end == End::destroyedWithItsWindow) {
            test::ViewHost host(view.get());
            ASSERT_TRUE(test::loadAndWait(view.get(), server.url("/")).finished);
        }
        view.reset();
        EXPECT_TRUE(watch.allEnded())
            << watch.watched() - watch.ended() << " of " << watch.watched() << " left";
    }
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

}  // namespace
}  // namespace quenlith
