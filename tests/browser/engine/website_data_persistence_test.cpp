// Website data across process starts: each phase runs in a child process of its own, so the second
// phase opens the stores' folders in a fresh process after the first one has ended.
#include <gtest/gtest.h>

#include "browser/web_test_support.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/web_app_profile.hpp"
#include "support/child_process_test.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

// The cookies the engine keeps in a store.
std::vector<std::string> cookieNames(const std::shared_ptr<WebsiteDataStore>& store) {
    struct Pending {
        bool done = false;
        std::vector<std::string> names;
    } pending;
    webkit_cookie_manager_get_all_cookies(
        webkit_website_data_manager_get_cookie_manager(store->dataManager()), nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto* pending = static_cast<Pending*>(data);
            GList* cookies = webkit_cookie_manager_get_all_cookies_finish(WEBKIT_COOKIE_MANAGER(source), result, nullptr);
            for (GList* node = cookies; node; node = node->next)
                pending->names.push_back(soup_cookie_get_name(static_cast<SoupCookie*>(node->data)));
            g_list_free_full(cookies, reinterpret_cast<GDestroyNotify>(soup_cookie_free));
            pending->done = true;
        },
        &pending);
    test::spinUntil([&] { return pending.done; });
    return pending.names;
}

WebAppProfile independentAccount(const Uuid& session) {
    WebAppProfile profile;
    profile.sessionIdentifier = session;
    profile.isolatedAccount = true;
    return profile;
}

void load(WebsiteSessions& sessions, const std::shared_ptr<WebsiteDataStore>& store, const std::string& uri) {
    auto view = WebViewFactory::makeWebView(store, std::nullopt, std::nullopt, &sessions);
    auto result = test::loadAndWait(view.get(), uri);
    ASSERT_TRUE(result.finished && !result.failed) << uri << ": " << result.error;
}

// Phase "set": cookies go into the own store, a second own store and the shared store.
void setCookies(const std::string& origin, const Uuid& own, const Uuid& other) {
    ProxyRuntime global(nullptr);
    WebsiteSessions sessions(global, nullptr);
    auto ownStore = sessions.dataStore(independentAccount(own));
    auto otherStore = sessions.dataStore(independentAccount(other));
    auto sharedStore = sessions.dataStore(WebAppProfile());
    load(sessions, ownStore, origin + "/set?name=own");
    load(sessions, otherStore, origin + "/set?name=other");
    load(sessions, sharedStore, origin + "/set?name=shared");
    // The engine has taken them (and written them to its database) once it lists them.
    for (const auto& [store, name] : {std::pair{ownStore, "own"}, {otherStore, "other"}, {sharedStore, "shared"}})
        ASSERT_TRUE(test::spinUntil([&] { return cookieNames(store) == std::vector<std::string>{name}; })) << name;
}

// Phase "check": each store sends what it kept; then everything is cleared.
void checkAndClear(const std::string& origin, const Uuid& own, const Uuid& other) {
    ProxyRuntime global(nullptr);
    WebsiteSessions sessions(global, nullptr);
    auto ownProfile = independentAccount(own);
    auto ownStore = sessions.dataStore(ownProfile);
    auto sharedStore = sessions.dataStore(WebAppProfile());
    load(sessions, ownStore, origin + "/check?store=own");
    load(sessions, sharedStore, origin + "/check?store=shared");
    load(sessions, WebsiteDataStore::nonPersistent(), origin + "/check?store=private");

    bool cleared = false;
    sessions.clearWebsiteData({"cookies"}, [&](Status status) { cleared = status.ok(); });
    ASSERT_TRUE(test::spinUntil([&] { return cleared; }, std::chrono::seconds(30)));
    EXPECT_EQ(sessions.dataStore(ownProfile), ownStore) << "clearing changes no kept store";
    load(sessions, ownStore, origin + "/check?store=own-cleared");
    load(sessions, sharedStore, origin + "/check?store=shared-cleared");
    // A store that was never opened in this process was cleared on disk too.
    load(sessions, sessions.dataStore(independentAccount(other)), origin + "/check?store=other-cleared");
}

TEST(WebsiteDataPersistenceTest, OwnCookiesSurviveARestartStayInTheirStoreAndAreCleared) {
    if (test::insideChildProcess()) {
        const std::string origin = g_getenv("QUENLITH_TEST_ORIGIN");
        const Uuid own = *Uuid::parse(g_getenv("QUENLITH_TEST_OWN"));
        const Uuid other = *Uuid::parse(g_getenv("QUENLITH_TEST_OTHER"));
        if (test::childPhase() == "set") setCookies(origin, own, other);
        if (test::childPhase() == "check") checkAndClear(origin, own, other);
        return;
    }
    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    server.route("/set", [](const test::TestRequest& request) {
        std::string name = request.path.substr(request.path.find("name=") + 5);
        return test::TestResponse{.body = "<html><body>set</body></html>",
                                  .headers = {{"Set-Cookie", name + "=1; Max-Age=3600; Path=/"}}};
    });
    server.page("/check", "<html><body>check</body></html>");
    // The origin without its port's trailing slash.
    const std::string origin = server.url("");
    auto options = [&](const std::string& phase) {
        return test::ChildProcessOptions()
            .inPhase(phase)
            .withVariable("QUENLITH_TEST_ORIGIN", origin)
            .withVariable("QUENLITH_TEST_OWN", Uuid::random().string())
            .withVariable("QUENLITH_TEST_OTHER", Uuid::random().string());
    };
    auto setOptions = options("set");
    auto checkOptions = setOptions;
    checkOptions.phase = "check";
    test::runInChildProcess(setOptions);
    if (HasFailure()) return;
    test::runInChildProcess(checkOptions);

    std::map<std::string, std::string> cookieSent;  // store -> Cookie header ("" when none)
    for (const auto& request : server.requests()) {
        auto at = request.path.find("store=");
        if (request.path.rfind("/check", 0) != 0 || at == std::string::npos) continue;
        auto header = request.headers.find("Cookie");
        cookieSent[request.path.substr(at + 6)] = header == request.headers.end() ? "" : header->second;
    }
    EXPECT_EQ(cookieSent, (std::map<std::string, std::string>{{"own", "own=1"}, {"shared", "shared=1"}, {"private", ""},
                                                              {"own-cleared", ""}, {"shared-cleared", ""},
                                                              {"other-cleared", ""}}));
}

}  // namespace
}  // namespace quenlith
