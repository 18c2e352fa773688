// The application started on stored data it cannot take as it was: the person is told at once, and
// until told about damaged settings, no page of a website that follows the global proxy goes out.
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <atkmm/object.h>
#include <gtkmm/messagedialog.h>

#include "app/app_delegate.hpp"
#include "app/app_environment.hpp"
#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/web_app_store.hpp"
#include "support/accessibility_walk.hpp"
#include "support/main_loop.hpp"
#include "support/proxy_servers.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "ui/kept_above.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

std::vector<Gtk::MessageDialog*> shownNotices() {
    std::vector<Gtk::MessageDialog*> shown;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window); dialog && dialog->get_visible())
            shown.push_back(dialog);
    return shown;
}

std::string title(Gtk::MessageDialog* notice) { return notice->property_text().get_value(); }
std::string message(Gtk::MessageDialog* notice) { return notice->property_secondary_text().get_value(); }

BrowserProxySettings proxyAt(int port) {
    return BrowserProxySettings{BrowserProxyKind::httpConnect, "127.0.0.1", port, "", std::nullopt, false};
}

// The settings a person left with a global proxy, damaged or not; a website that follows the global
// proxy and one with a proxy of its own open at start. Until the person is told that the settings
// could not be read, the first asks nothing of anyone (neither its server nor the proxy); the second
// loads at once. The old file is kept where the notice says.
TEST(StartNoticesTest, PagesFollowingTheGlobalProxyWaitUntilThePersonIsToldTheSettingsCouldNotBeRead) {
    const std::pair<const char*, std::function<std::string(const Json&)>> rows[] = {
        {"sound", [](const Json& settings) { return settings.dump(2); }},
        {"a preference of the wrong type",
         [](const Json& settings) {
             Json damaged = settings;
             damaged["preferences.v1"]["theme"] = 5;
             return damaged.dump(2);
         }},
        {"cut short by three bytes",
         [](const Json& settings) {
             const std::string text = settings.dump(2);
             return text.substr(0, text.size() - 3);
         }},
    };
    for (const auto& [label, stored] : rows) {
        SCOPED_TRACE(label);
        test::TemporaryEnvironment folders;
        test::TestHttpServer server;
        test::TinyproxyServer proxy;
        server.page("/follows", "<!doctype html><title>Follows</title>");
        server.page("/own", "<!doctype html><title>Own</title>");
        WebAppProfile follows{.name = "Follows", .homeURL = server.url("/follows"), .launchAtStartup = true};
        WebAppProfile own{.name = "Own", .homeURL = server.url("/own"), .launchAtStartup = true, .sortOrder = 1};
        own.siteProxy = proxyAt(proxy.port());
        own.normalize();
        ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({follows, own}));
        AppPreferences preferences;
        preferences.proxy = proxyAt(proxy.port());
        const std::string settings = stored(Json{{PreferencesStore::kPreferencesKey, preferences}});
        test::writeFile(settingsFilePath(), settings);
        const bool sound = std::string(label) == "sound";

        AppDelegate launched;
        launched.finishLaunching();
        ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched() && server.requestCount("/own") == 1; }));
        EXPECT_TRUE(proxy.sawRequestFor("/own")) << "a website's own proxy is used at once";
        if (sound) {
            ASSERT_TRUE(spinUntil([&] { return server.requestCount("/follows") == 1; }));
            EXPECT_TRUE(proxy.sawRequestFor("/follows")) << "the global proxy, read from the settings";
            EXPECT_TRUE(shownNotices().empty());
            launched.terminate();
            continue;
        }
        ASSERT_TRUE(spinUntil([] { return shownNotices().size() == 1; }));
        Gtk::MessageDialog* notice = shownNotices()[0];
        EXPECT_EQ(title(notice), "Quenlith could not read its settings");
        EXPECT_EQ(notice->get_title(), title(notice)) << "titled in the window list as it is headed";
        EXPECT_EQ(notice->get_accessible()->get_name(), title(notice)) << "heard by what it says, not its kind";
        EXPECT_EQ(notice->get_transient_for(), nullptr) << "on its own: no window is there to carry it";
        EXPECT_TRUE(notice->get_modal());
        EXPECT_EQ(keptAbove(*notice), KeptAbove::always);
        const auto kept = files::copiesAside(settingsFilePath(), files::kUnreadableCopy);
        ASSERT_EQ(kept.size(), 1u);
        EXPECT_EQ(test::readFile(kept[0]), settings) << "the old file, byte for byte";
        EXPECT_NE(message(notice).find("“" + kept[0] + "”"), std::string::npos) << message(notice);
        // The website's window is there and its page asked for: held, not sent.
        ASSERT_TRUE(launched.environment()->windows().registry().window(follows.id));
        test::spinFor(std::chrono::seconds(1));
        EXPECT_EQ(server.requestCount("/follows"), 0);
        EXPECT_FALSE(proxy.sawRequestFor("/follows"));

        notice->response(Gtk::RESPONSE_OK);
        EXPECT_TRUE(spinUntil([&] { return server.requestCount("/follows") == 1; }));
        EXPECT_TRUE(shownNotices().empty());
        EXPECT_FALSE(proxy.sawRequestFor("/follows")) << "the defaults: the desktop's proxy settings";
        launched.terminate();
    }
}

// A saved website that repeats another's id is set aside: the person is told its name and where
// the websites file as read is kept, after the settings notice when both are due.
TEST(StartNoticesTest, AWebsiteSetAsideForARepeatedIdIsNamedAndWhereItIsKept) {
    test::TemporaryEnvironment folders;
    WebAppProfile mail{.name = "Mail", .homeURL = "https://mail.example/"};
    WebAppProfile notes{.name = "Notes", .homeURL = "https://notes.example/", .sortOrder = 1};
    WebAppProfile twin{.id = mail.id, .name = "Work Mail", .homeURL = "https://work.example/", .sortOrder = 2};
    twin.isolatedAccount = true;
    twin.normalize();
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({mail, notes, twin}));
    const std::string asRead = test::readFile(defaultProfilesFilePath());
    test::writeFile(settingsFilePath(), "{\"preferences.v1\": ");

    AppDelegate launched;
    launched.finishLaunching();
    ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched() && shownNotices().size() == 1; }));
    EXPECT_EQ(title(shownNotices()[0]), "Quenlith could not read its settings") << "one at a time";
    shownNotices()[0]->response(Gtk::RESPONSE_OK);
    ASSERT_TRUE(spinUntil([] {
        return shownNotices().size() == 1 && title(shownNotices()[0]) != "Quenlith could not read its settings";
    }));
    Gtk::MessageDialog* notice = shownNotices()[0];
    EXPECT_EQ(title(notice), "1 saved website was set aside");
    const auto copies = files::recoveryPaths(defaultProfilesFilePath());
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(test::readFile(copies[0]), asRead);
    EXPECT_EQ(message(notice), "“Work Mail” has the same identifier as another saved website, so Quenlith "
                               "left it out. A copy of the websites file that still holds it is kept as “" +
                                   copies[0] + "”, and its website data is kept as well.");
    // Heard by its heading, and its text without invisible marks, as it is shown.
    EXPECT_EQ(notice->get_accessible()->get_name(), "1 saved website was set aside");
    ASSERT_TRUE(spinUntil([&] { return notice->get_mapped(); }));
    EXPECT_EQ(test::accessibilityProblems(*notice), std::vector<std::string>{});
    notice->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(spinUntil([] { return shownNotices().empty(); }));
    launched.terminate();
}

// A websites file that cannot be read is told in a notice of its own, with the store's sentence:
// the launcher that comes up to say it too may lie under the windows restored after it, the notice
// never does, and it has the keyboard.
TEST(StartNoticesTest, AnUnreadableWebsitesFileIsToldInFrontWithTheKeyboard) {
    test::TemporaryEnvironment folders;
    test::writeFile(defaultProfilesFilePath(), "{\"version\": 1, \"profiles\": [");

    AppDelegate launched;
    launched.finishLaunching();
    ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched() && shownNotices().size() == 1; }));
    Gtk::MessageDialog* notice = shownNotices()[0];
    EXPECT_EQ(title(notice), "Quenlith could not read your saved websites");
    EXPECT_EQ(message(notice), *launched.environment()->store().errorMessage());
    EXPECT_TRUE(notice->get_modal());
    EXPECT_EQ(keptAbove(*notice), KeptAbove::always);
    EXPECT_TRUE(spinUntil([&] { return notice->is_active(); })) << "it has the keyboard";
    notice->response(Gtk::RESPONSE_OK);
    EXPECT_TRUE(spinUntil([] { return shownNotices().empty(); }));
    launched.terminate();
}

}  // namespace
}  // namespace quenlith
