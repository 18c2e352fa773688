// What the Privacy and Network tabs do to real data: cookies of every store, and a global proxy
// saved with its password carrying pages after a restart.
#include <limits>

#include <atkmm/object.h>
#include <webkit2/webkit2.h>

#include "browser/view/browser_view_controller.hpp"
#include "settings/general_pane.hpp"
#include "settings/network_settings_page.hpp"
#include "settings/privacy_pane.hpp"
#include "settings/settings_fixture.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/proxy_servers.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class SettingsDataTest : public test::SettingsFixture {
protected:
    // A website whose page sets a lasting cookie whenever it is sent none.
    WebAppProfile cookieSite(const std::string& path, bool ownStore) {
        server.route(path, [](const test::TestRequest& request) {
            test::TestResponse response{.body = "<!doctype html><title>Cookies</title>"};
            if (!request.headers.count("Cookie")) response.headers["Set-Cookie"] = "visit=1; Max-Age=3600; Path=/";
            return response;
        });
        WebAppProfile profile{.name = path, .homeURL = server.url(path), .rememberLastURL = false};
        if (ownStore) profile.setIsolatedAccount(true);
        return profile;
    }
    // Opens the website anew and answers whether its page was sent the cookie.
    bool sendsCookie(const WebAppProfile& site) {
        const std::string path = site.homeURL.substr(site.homeURL.rfind('/'));
        const int before = server.requestCount(path);
        environment->windows().closing().close(site.id);
        EXPECT_TRUE(spinUntil([&] { return environment->windows().registry().window(site.id) == nullptr; }));
        BrowserWindowController* window = environment->windows().routing().showProfile(site.id);
        EXPECT_TRUE(spinUntil([&] { return server.requestCount(path) > before; })) << path;
        // The cookie is the engine's once the page has loaded; closing earlier may drop the response.
        EXPECT_TRUE(window && spinUntil([&] {
                        BrowserTab* tab = window->browser().tabs().active();
                        return tab && !tab->isLoading();
                    }))
            << path;
        return !test::lastHeader(server, path, "Cookie").empty();
    }
    void clear(Gtk::Button& button) {
        button.clicked();
        ASSERT_NE(settings->alert(), nullptr);
        // Titled, and heard by what it asks.
        EXPECT_EQ(settings->alert()->get_title(), "Clear website data?");
        EXPECT_EQ(settings->alert()->get_accessible()->get_name(), "Clear website data?");
        settings->alert()->response(Gtk::RESPONSE_ACCEPT);
        EXPECT_TRUE(settings->clearing());
        ASSERT_TRUE(spinUntil([&] { return !settings->clearing(); }, std::chrono::seconds(30)));
        EXPECT_EQ(settings->status(), "Selected website data cleared.");
    }
};

TEST_F(SettingsDataTest, ClearingCookiesReachesEveryStoreAndClearingCachesKeepsThem) {
    auto shared = cookieSite("/shared", false), own = cookieSite("/own", true), orphan = cookieSite("/orphan", true);
    start({shared, own, orphan});
    for (const auto* site : {&shared, &own, &orphan}) {
        EXPECT_FALSE(sendsCookie(*site));
        EXPECT_TRUE(sendsCookie(*site)) << site->name;
    }
    // A removed website leaves its store behind; the same session brought back still has its cookie.
    auto orphanStore = [&] {
        environment->windows().closing().deleteWebsite(orphan.id);
        ASSERT_TRUE(
            spinUntil([&] { return environment->windows().registry().window(orphan.id) == nullptr; }));
    };
    orphanStore();
    auto& privacy = settings->privacyPane();
    clear(privacy.clearCacheButton());
    ASSERT_TRUE(environment->store().upsert(orphan));
    for (const auto* site : {&shared, &own, &orphan}) EXPECT_TRUE(sendsCookie(*site)) << site->name << " after the caches";

    orphanStore();
    clear(privacy.clearCookiesButton());
    ASSERT_TRUE(environment->store().upsert(orphan));
    for (const auto* site : {&shared, &own, &orphan}) EXPECT_FALSE(sendsCookie(*site)) << site->name << " after cookies";
}

TEST_F(SettingsDataTest, ClearingThatKeepsTheBrowsingRecordsSaysSoAsAnErrorAndSavesClearTheirOwnFailure) {
    test::writeFile(folders.path("library.json"), "{ not a library");  // the history cannot be cleared
    start({cookieSite("/site", false)});
    settings->privacyPane().clearAllButton().clicked();
    settings->alert()->response(Gtk::RESPONSE_ACCEPT);
    ASSERT_TRUE(spinUntil([&] { return !settings->clearing(); }, std::chrono::seconds(30)));
    EXPECT_EQ(
        settings->status(),
        "Website session cleared, but saved browsing records could not be removed. Check the data error and "
        "try again.");
    EXPECT_TRUE(settings->statusFailed());

    // A settings file that cannot be written is reported until a later save works.
    auto& opacity = settings->generalPane().opacityControl();
    opacity.reportChange(std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(settings->status(),
              "Could not save settings: The settings hold a value that cannot be written.");
    EXPECT_TRUE(settings->statusFailed());
    opacity.reportChange(0.6);
    EXPECT_TRUE(spinUntil([&] { return settings->status().empty(); })) << "once the write is told";
}

TEST(SettingsProxyTest, AGlobalProxySavedWithAPasswordCarriesPagesAfterARestart) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    test::TemporaryEnvironment home;
    test::TestHttpServer server;
    server.page("/page", "<!doctype html><title>Page</title>");
    server.page("/account", "<!doctype html><title>Account</title>");
    test::TinyproxyServer tinyproxy("ann", "secret1");
    const std::string port = std::to_string(tinyproxy.port());
    const WebAppProfile site{.name = "Site", .homeURL = server.url("/page")};
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({site}));

    // The process-wide proxy and sessions, as the application has them; a launch that opens no
    // browser window leaves them unconfigured for the next.
    auto launch = [&](auto body) {
        AppEnvironment environment;
        environment.auxiliaryWindows().showSettings();
        auto* settings =
            dynamic_cast<SettingsWindow*>(environment.auxiliaryWindows().window(AuxiliaryWindows::Kind::settings));
        settings->selectTab(SettingsWindow::network);
        EXPECT_TRUE(spinUntil([&] { return settings->networkPage().get_mapped(); })) << "the Network tab is shown";
        body(environment, settings->networkPage());
        environment.windows().shutdown();
    };
    auto save = [](NetworkSettingsPage& page) {
        page.saveButton().clicked();
        EXPECT_TRUE(spinUntil([&] { return !page.saving(); }));
        return page.messageText();
    };

    launch([&](AppEnvironment&, NetworkSettingsPage& page) {
        page.kindPicker().set_active(1);  // HTTP CONNECT
        page.hostField().set_text("127.0.0.1");
        page.portField().set_text("70000");
        EXPECT_EQ(save(page), "Proxy port must be between 1 and 65535.");
        EXPECT_TRUE(page.messageFailed());
        page.portField().set_text(port);
        page.hostField().set_text(" 127.0.0.1 ");
        page.authenticationToggle().set_active(true);
        page.usernameField().set_text("ann");
        page.passwordField().set_text("secret1");
        EXPECT_EQ(save(page), "Proxy settings saved. Restart Quenlith when convenient to apply them.");
        EXPECT_EQ(page.passwordField().get_text(), "");
        EXPECT_EQ(page.activeSummary(), "Use System Proxy") << "this launch keeps its proxy";
        const std::string file = test::readFile(settingsFilePath());
        EXPECT_EQ(file.find("secret1"), std::string::npos);
        EXPECT_NE(file.find("\"credentialID\""), std::string::npos);
    });

    launch([&](AppEnvironment& environment, NetworkSettingsPage& page) {
        EXPECT_EQ(page.activeSummary(), "HTTP CONNECT · 127.0.0.1:" + port);
        environment.windows().routing().showProfile(site.id);
        ASSERT_TRUE(spinUntil([&] { return server.requestCount("/page") == 1; }, std::chrono::seconds(20)));
        EXPECT_TRUE(tinyproxy.sawRequestFor("127.0.0.1:" + std::to_string(server.port())));

        // Typing the password again stores a new item and deletes the one read at this launch; an
        // independent account opened afterwards still goes through the proxy with it.
        page.passwordField().set_text("secret1");
        EXPECT_EQ(save(page), "Proxy settings saved. Restart Quenlith when convenient to apply them.");
        WebAppProfile account{.name = "Account", .homeURL = server.url("/account")};
        account.setIsolatedAccount(true);
        ASSERT_TRUE(environment.store().upsert(account));
        environment.windows().routing().showProfile(account.id);
        EXPECT_TRUE(spinUntil([&] { return server.requestCount("/account") == 1; }, std::chrono::seconds(20)));
    });
}

}  // namespace
}  // namespace quenlith
