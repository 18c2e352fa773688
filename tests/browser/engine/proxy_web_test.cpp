// Pages and the application's own requests through real proxies on 127.0.0.1: tinyproxy (HTTP
// CONNECT with Basic authentication), microsocks (SOCKS5 with user and password) and stunnel in
// front of tinyproxy (HTTPS CONNECT).
#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "browser/engine/proxy_fixture.hpp"
#include "browser/web_test_support.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_sessions.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/proxy_servers.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::kKeyringText;
using test::proxyAt;
using test::websiteBehind;

// GET with the application's own session, waited for; the HTTP status, 0 when the request failed.
unsigned fetchStatus(SoupSession* session, const std::string& uri) {
    bool done = false;
    auto message = GObjectPtr<SoupMessage>::adopt(soup_message_new("GET", uri.c_str()));
    auto finished = [](GObject* source, GAsyncResult* result, gpointer data) {
        if (GBytes* body = soup_session_send_and_read_finish(SOUP_SESSION(source), result, nullptr)) g_bytes_unref(body);
        *static_cast<bool*>(data) = true;
    };
    soup_session_send_and_read_async(session, message.get(), G_PRIORITY_DEFAULT, nullptr, finished, &done);
    test::spinUntil([&] { return done; }, std::chrono::seconds(20));
    return soup_message_get_status(message.get());
}

class ProxyWebTest : public ::testing::Test {
protected:
    void SetUp() override { origin.page("/", "<html><body>origin</body></html>"); }

    GObjectPtr<WebKitWebView> viewFor(const WebAppProfile& profile) {
        return WebViewFactory::makeWebView(sessions.dataStore(profile), std::nullopt, std::nullopt, &sessions);
    }

    test::TemporaryEnvironment environment;
    test::TestHttpServer origin;
    test::FakeCredentials credentials;
    std::map<std::string, std::string>& passwords = credentials.passwords;
    ProxyRuntime global{nullptr};
    WebsiteSessions sessions{global, credentials.reader()};
};

// Cancels the challenges that are not the proxy's (tinyproxy refuses a wrong password with 401,
// which reads as the website's own challenge); the engine would otherwise ask the user.
gboolean cancelWebsiteChallenge(WebKitWebView*, WebKitAuthenticationRequest* request, gpointer) {
    webkit_authentication_request_cancel(request);
    return TRUE;
}

TEST_F(ProxyWebTest, AWrongPasswordOrAProxyThatCannotBeSetUpReachesNothing) {
    test::TinyproxyServer httpProxy("user", "secret");
    test::SocksProxyServer socksProxy("user", "secret");
    passwords["ID-1"] = "wrong";
    auto httpView = viewFor(websiteBehind(proxyAt(BrowserProxyKind::httpConnect, httpProxy.port(), "user", "ID-1")));
    g_signal_connect(httpView.get(), "authenticate", G_CALLBACK(cancelWebsiteChallenge), nullptr);
    ASSERT_TRUE(test::loadAndWait(httpView.get(), origin.url("/")).finished);
    // The first attempt and the one answered attempt.
    EXPECT_EQ(httpProxy.requestLines().size(), 2u) << httpProxy.log();

    auto socksView = viewFor(websiteBehind(proxyAt(BrowserProxyKind::socks5, socksProxy.port(), "user", "ID-1")));
    EXPECT_TRUE(test::loadAndWait(socksView.get(), origin.url("/")).failed);
    EXPECT_GE(socksProxy.connectionCount(), 1) << "the page did not even try the proxy";
    EXPECT_EQ(origin.requestCount("/"), 0);

    // No password can be read for the credential; settings that fail validation.
    for (const auto& [proxy, message] : {std::pair{proxyAt(BrowserProxyKind::socks5, 1080, "user", "ID-GONE"), kKeyringText},
                                         std::pair{proxyAt(BrowserProxyKind::httpConnect, 0),
                                                   std::string("Proxy port must be between 1 and 65535.")}}) {
        auto profile = websiteBehind(proxy);
        EXPECT_EQ(sessions.errorMessage(sessions.dataStore(profile)), message);
        // Even a load that is not refused by the browser view reaches no server.
        auto view = viewFor(profile);
        EXPECT_TRUE(test::loadAndWait(view.get(), origin.url("/")).failed);
        EXPECT_EQ(origin.requestCount("/"), 0);
    }
}

// A proxy that refuses every credential with a new challenge: without care this loops.
TEST_F(ProxyWebTest, TheProxyChallengeIsAnsweredOncePerLoad) {
    test::TestHttpServer proxy;
    proxy.route("/", [](const test::TestRequest&) {
        return test::TestResponse{.status = 407, .body = "refused", .headers = {{"Proxy-Authenticate", "Basic realm=\"t\""}}};
    });
    passwords["ID-1"] = "p@ss:w/rd";
    auto profile = websiteBehind(proxyAt(BrowserProxyKind::httpConnect, proxy.port(), "us:er", "ID-1"));
    auto view = viewFor(profile);
    auto result = test::loadAndWait(view.get(), origin.url("/"));
    ASSERT_TRUE(result.finished) << "the load never ended";
    ASSERT_EQ(proxy.requestCount("/"), 2);
    // The answer carries the credential exactly, reserved characters included.
    gchar* expected = g_base64_encode(reinterpret_cast<const guchar*>("us:er:p@ss:w/rd"), 15);
    EXPECT_EQ(proxy.requests()[1].headers.at("Proxy-Authorization"), std::string("Basic ") + expected);
    g_free(expected);
    EXPECT_EQ(proxy.requests()[0].headers.count("Proxy-Authorization"), 0u);

    // The next load tries again, at most once more with the credential (the engine may send the
    // remembered credential at once).
    ASSERT_TRUE(test::loadAndWait(view.get(), origin.url("/")).finished);
    EXPECT_GE(proxy.requestCount("/"), 3);
    EXPECT_LE(proxy.requestCount("/"), 4);

    // The application's own session behaves alike.
    auto session = sessions.urlSession(profile);
    ASSERT_TRUE(session);
    int before = proxy.requestCount("/");
    EXPECT_EQ(fetchStatus(session.get(), origin.url("/")), 407u);
    EXPECT_EQ(proxy.requestCount("/"), before + 2);
    // The last request for the page (the view may still ask for the refusal page's icon meanwhile).
    const auto& requests = proxy.requests();
    auto last = std::find_if(requests.rbegin(), requests.rend(), [](const auto& r) { return r.path == "/"; });
    ASSERT_NE(last, requests.rend());
    EXPECT_EQ(last->headers.count("Proxy-Authorization"), 1u);
    EXPECT_EQ(origin.requestCount("/"), 0);
}

TEST_F(ProxyWebTest, NothingIsSentBeforeThePasswordArrivesThenThePageTakesTheProxy) {
    const std::string password = "p@ss:w/rd %41";
    test::SocksProxyServer proxy("user", password);
    passwords["ID-1"] = password;
    credentials.deferred = true;
    auto store = sessions.dataStore(websiteBehind(proxyAt(BrowserProxyKind::socks5, proxy.port(), "user", "ID-1")));
    auto view = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    webkit_web_view_load_uri(view.get(), origin.url("/").c_str());
    test::spinFor(std::chrono::milliseconds(300));
    EXPECT_TRUE(store->networkHeld());
    EXPECT_EQ(proxy.connectionCount(), 0);
    EXPECT_EQ(origin.requestCount("/"), 0);

    credentials.answer();
    ASSERT_TRUE(test::spinUntil([&] { return origin.requestCount("/") == 1; }));
    auto requests = proxy.requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().username, "user");
    EXPECT_EQ(requests.front().password, password);
    EXPECT_EQ(requests.front().port, origin.port());
    // The shared store is not proxied by the website's proxy.
    EXPECT_EQ(sessions.dataStore(WebAppProfile())->proxyAddress(), std::nullopt);
}

// The engine drops every request in flight as it takes new proxy settings, and a page asked for
// just after them can get there first. Under an open view the store's proxy changes back and forth:
// each page asked for at once waits until the engine has the new proxy, then loads through it.
TEST_F(ProxyWebTest, APageAskedForAsTheProxyChangesWaitsForTheEngineToTakeIt) {
    test::SocksProxyServer proxies[2];
    auto store = WebsiteDataStore::nonPersistent();
    auto view = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    // The engine's network process is running, as it is for a website in use.
    ASSERT_TRUE(test::loadAndWait(view.get(), origin.url("/")).finished);
    // Shared with the waiters, which the store may run after a failed round.
    auto ready = std::make_shared<bool>(false);
    bool startedEarly = false;
    std::pair<std::shared_ptr<bool>, bool*> watched{ready, &startedEarly};
    auto onLoad = +[](WebKitWebView*, WebKitLoadEvent event, gpointer data) {
        auto* watched = static_cast<std::pair<std::shared_ptr<bool>, bool*>*>(data);
        if (event == WEBKIT_LOAD_STARTED && !*watched->first) *watched->second = true;
    };
    gulong handler = g_signal_connect(view.get(), "load-changed", G_CALLBACK(onLoad), &watched);
    for (int round = 0; round < 6; ++round) {
        SCOPED_TRACE(round);
        test::SocksProxyServer& proxy = proxies[round % 2];
        const std::string path = "/round-" + std::to_string(round);
        origin.page(path, "<html><body>round</body></html>");
        ProxyConfiguration socks;
        socks.kind = BrowserProxyKind::socks5;
        socks.host = "127.0.0.1";
        socks.port = static_cast<std::uint16_t>(proxy.port());
        const size_t before = proxy.requests().size();
        *ready = false;
        store->useProxy(socks);
        store->whenNetworkReady([ready] { *ready = true; });
        EXPECT_FALSE(*ready) << "pages may start before the engine has the proxy";
        auto result = test::loadAndWait(view.get(), origin.url(path));
        EXPECT_TRUE(result.finished && !result.failed) << result.error;
        EXPECT_TRUE(*ready);
        EXPECT_FALSE(startedEarly) << "the page started before the engine had the proxy";
        EXPECT_EQ(origin.requestCount(path), 1);
        const auto requests = proxy.requests();
        EXPECT_TRUE(std::any_of(requests.begin() + static_cast<std::ptrdiff_t>(before), requests.end(),
                                [&](const auto& r) { return r.port == origin.port(); }))
            << "the page did not take the new proxy";
    }
    g_signal_handler_disconnect(view.get(), handler);
}

TEST_F(ProxyWebTest, HttpsConnectNeverFallsBackToAPlainConnection) {
    // The proxy's certificate is not trusted here: the page must fail, not go around the proxy.
    test::TinyproxyServer proxy("user", "secret");
    test::TestCertificate certificate;
    test::TlsFront front(proxy.port(), certificate.certificatePath(), certificate.keyPath());
    passwords["ID-1"] = "secret";
    auto view = viewFor(websiteBehind(proxyAt(BrowserProxyKind::httpsConnect, front.port(), "user", "ID-1")));
    auto result = test::loadAndWait(view.get(), origin.url("/"));
    EXPECT_TRUE(result.failed && !result.error.empty());
    EXPECT_GE(front.acceptedConnections(), 1) << "no TLS connection to the proxy was tried";
    EXPECT_EQ(front.forwardedConnections(), 0);
    EXPECT_TRUE(proxy.requestLines().empty());
    EXPECT_EQ(origin.requestCount("/"), 0);
}

TEST(ProxyWebTlsTest, HttpsConnectEndToEnd) {
    // The child runs with the test certificate among the trusted ones.
    std::unique_ptr<test::TestCertificate> certificate;
    if (!test::insideChildProcess()) {
        certificate = std::make_unique<test::TestCertificate>();
        test::runInChildProcess(test::ChildProcessOptions()
                                    .trusting(certificate->trustBundlePath())
                                    .withVariable("QUENLITH_TEST_CERTIFICATE", certificate->certificatePath())
                                    .withVariable("QUENLITH_TEST_KEY", certificate->keyPath()));
        return;
    }
    test::TemporaryEnvironment environment;
    test::TestHttpServer origin;
    origin.page("/", "<html><body>origin</body></html>");
    test::TinyproxyServer proxy("user", "secret");
    test::TlsFront front(proxy.port(), g_getenv("QUENLITH_TEST_CERTIFICATE"), g_getenv("QUENLITH_TEST_KEY"));
    test::FakeCredentials credentials{{{"ID-1", "secret"}}};
    ProxyRuntime global(nullptr);
    WebsiteSessions sessions(global, credentials.reader());
    auto profile = websiteBehind(proxyAt(BrowserProxyKind::httpsConnect, front.port(), "user", "ID-1"));
    auto view = WebViewFactory::makeWebView(sessions.dataStore(profile), std::nullopt, std::nullopt, &sessions);
    auto result = test::loadAndWait(view.get(), origin.url("/"));
    ASSERT_TRUE(result.finished && !result.failed) << result.error << "\n" << front.log() << proxy.log();
    EXPECT_EQ(origin.requestCount("/"), 1);
    EXPECT_GE(front.forwardedConnections(), 1);
    EXPECT_TRUE(proxy.sawRequestFor("CONNECT 127.0.0.1:" + std::to_string(origin.port()))) << proxy.log();

    // The application's own requests take the same way.
    auto session = sessions.urlSession(profile);
    EXPECT_EQ(fetchStatus(session.get(), origin.url("/")), 200u);
    EXPECT_EQ(origin.requestCount("/"), 2);
}

// The start with a Secret Service that never answers: a website without a proxy loads at once,
// while the password of another website is still being read; that website's store and view can
// go away meanwhile without anything being touched afterwards. Then passwords come from a working
// keyring.
TEST(ProxyWebKeyringTest, ASilentKeyringHoldsOnlyTheStoresThatNeedIt) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::TemporaryEnvironment environment;
    test::TestHttpServer origin;
    origin.page("/", "<html><body>origin</body></html>");
    ProxyRuntime global(readProxyPassword);
    WebsiteSessions sessions(global, readProxyPassword);
    ManualScheduler timers;  // the keyring's time limit never runs out here
    setProxySecretStore(std::make_shared<LibsecretStore>(kProxyPasswordSchema, timers));
    {
        test::SilentSecretService service;
        ASSERT_TRUE(service.ready());
        auto proxied = websiteBehind(proxyAt(BrowserProxyKind::socks5, 1080, "user", "ID-1"));
        auto held = sessions.dataStore(proxied);
        EXPECT_TRUE(held->networkHeld());
        auto heldView = WebViewFactory::makeWebView(held, std::nullopt, std::nullopt, &sessions);
        webkit_web_view_load_uri(heldView.get(), origin.url("/held").c_str());

        auto plain = WebViewFactory::makeWebView(sessions.dataStore(WebAppProfile()), std::nullopt, std::nullopt, &sessions);
        auto result = test::loadAndWait(plain.get(), origin.url("/"));
        ASSERT_TRUE(result.finished && !result.failed) << result.error;
        EXPECT_GE(LibsecretStore::callsInFlight(), 1) << "the page waited for the keyring";
        EXPECT_EQ(origin.requestCount("/held"), 0);

        heldView.reset();
        sessions.forgetSession(proxied.id);
        held.reset();
        EXPECT_TRUE(test::spinUntil([] { return LibsecretStore::callsInFlight() == 0; }));
    }
    test::KeyringDaemon keyring;
    test::TinyproxyServer proxy("user", "secret");
    auto stored = test::savePassword("secret");
    ASSERT_TRUE(stored) << stored.error().code;
    auto working = websiteBehind(proxyAt(BrowserProxyKind::httpConnect, proxy.port(), "user", *stored));
    auto view = WebViewFactory::makeWebView(sessions.dataStore(working), std::nullopt, std::nullopt, &sessions);
    auto result = test::loadAndWait(view.get(), origin.url("/"));
    ASSERT_TRUE(result.finished && !result.failed) << result.error;
    EXPECT_TRUE(proxy.sawRequestFor("GET " + origin.url("/"))) << proxy.log();
}

// The host names the watched processes asked a resolver for (see tests/programs/resolver_watch),
// leaving out the proxy's own lookups: it resolves what it is asked to connect to.
std::set<std::string> lookedUpNames(const std::string& log) {
    std::set<std::string> names;
    std::istringstream lines(test::readFile(log));
    std::string program, host;
    while (lines >> program >> host)
        if (program != "microsocks") names.insert(host);
    return names;
}

// The engine looks host names up ahead of a load (<link rel=dns-prefetch>) with the system
// resolver, past any proxy but the desktop's. A library preloaded into the engine's processes
// writes down every name they ask a resolver for: without a proxy it sees the page's names, behind
// the store's own proxy (set while the view is open, or before it is made) it sees none.
TEST(ProxyResolverTest, NoNameIsLookedUpAheadOfALoadBehindAProxy) {
    if (!test::insideChildProcess()) {
        test::TemporaryFolder folder("quenlith-resolver");
        // Under the address sanitizer the watch comes before its runtime, which it allows when told.
        const char* sanitizer = g_getenv("ASAN_OPTIONS");
        test::runInChildProcess(
            test::ChildProcessOptions()
                .withVariable("LD_PRELOAD", QUENLITH_RESOLVER_WATCH)
                .withVariable("QUENLITH_RESOLVER_LOG", folder.file("lookups.txt"))
                .withVariable("ASAN_OPTIONS",
                              (sanitizer ? sanitizer + std::string(":") : "") + "verify_asan_link_order=0"));
        return;
    }
    const std::string log = g_getenv("QUENLITH_RESOLVER_LOG");
    gchar** desktopProxies =
        g_proxy_resolver_lookup(g_proxy_resolver_get_default(), "http://example.com/", nullptr, nullptr);
    const bool direct = desktopProxies && g_strcmp0(desktopProxies[0], "direct://") == 0;
    g_strfreev(desktopProxies);
    if (!direct) GTEST_SKIP() << "a desktop proxy is set: the engine looks nothing up ahead of a load";
    test::TemporaryEnvironment environment;
    test::TestHttpServer origin;
    // Page n names hosts under "localhost" for prefetching and in a link; its image is asked for
    // after the prefetch, on the same connection to the network process.
    origin.route("/probe", [](const test::TestRequest& request) {
        const std::string n = request.path.substr(request.path.find('=') + 1);
        test::TestResponse response;
        response.body = "<html><head><link rel=dns-prefetch href='//prefetch-" + n +
                        ".localhost'></head><body><a href='http://link-" + n +
                        ".localhost/'>link</a><img src='/image?n=" + n + "'></body></html>";
        return response;
    });
    origin.page("/image", "");
    auto probe = [&](WebKitWebView* view, int n) {
        auto result = test::loadAndWait(view, origin.url("/probe?n=" + std::to_string(n)));
        EXPECT_TRUE(result.finished && !result.failed) << result.error;
        return std::vector<std::string>{"prefetch-" + std::to_string(n) + ".localhost",
                                        "link-" + std::to_string(n) + ".localhost"};
    };

    ProxyRuntime global(nullptr);
    WebsiteSessions sessions(global, nullptr);
    auto store = WebsiteDataStore::nonPersistent();
    auto view = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    ASSERT_EQ(store->proxyAddress(), std::nullopt);
    // The engine prefetches only once it has found no desktop proxy, after its first request.
    int n = 0;
    ASSERT_TRUE(test::spinUntil(
        [&] {
            const std::string prefetched = probe(view.get(), ++n).front();
            return lookedUpNames(log).count(prefetched) > 0;
        },
        std::chrono::seconds(30)))
        << "the watch saw no prefetching without a proxy:\n"
        << test::readFile(log);

    test::SocksProxyServer proxy;
    ProxyConfiguration socks;
    socks.kind = BrowserProxyKind::socks5;
    socks.host = "127.0.0.1";
    socks.port = static_cast<std::uint16_t>(proxy.port());
    store->useProxy(socks);
    auto second = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    std::vector<std::string> proxied;
    for (WebKitWebView* shown : {view.get(), view.get(), second.get()})
        for (auto& name : probe(shown, ++n)) proxied.push_back(std::move(name));
    const auto requests = proxy.requests();
    EXPECT_TRUE(std::any_of(requests.begin(), requests.end(), [&](const auto& r) {
        return r.port == origin.port();
    })) << "the pages did not take the proxy";
    const auto names = lookedUpNames(log);
    for (const auto& name : proxied)
        EXPECT_EQ(names.count(name), 0u) << name << " was looked up past the proxy";
}

}  // namespace
}  // namespace quenlith
