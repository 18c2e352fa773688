#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <gtkmm/messagedialog.h>

#include "app/app_environment.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "editor/keyring_password_vault.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/proxy_vault_fake.hpp"
#include "model/user_agent.hpp"
#include "model/web_app_store.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/main_loop.hpp"
#include "support/proxy_servers.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "ui/alert.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {
namespace {

// The desktop's secret store, remembering which items it made.
struct RecordingVault final : ProxyPasswordVault {
    KeyringPasswordVault keyring;
    std::vector<std::string> created;
    void verify(const std::string& id, std::function<void(Status)> done) override {
        keyring.verify(id, done);
    }
    void store(const std::string& password, std::function<void(Result<std::string>)> done) override {
        keyring.store(password, [this, done](Result<std::string> id) {
            if (id) created.push_back(*id);
            done(id);
        });
    }
    void remove(const std::string& id) override { keyring.remove(id); }
};

class WebsiteEditorTest : public testing::Test {
protected:
    test::TemporaryEnvironment home;
    std::unique_ptr<WebAppStore> store;
    PreferencesStore preferences;
    std::unique_ptr<WebsiteEditorPresenter> presenter;

    void open() {
        store = std::make_unique<WebAppStore>();
        presenter = std::make_unique<WebsiteEditorPresenter>(*store, preferences);
    }
    WebAppEditorWindow& editor() { return *presenter->editorWindow(); }
    // Opens "Add Website" with a name, an address and an authenticated website proxy of `kindRow`.
    void addProxiedWebsite(int kindRow) {
        presenter->showAddWebsite();
        editor().nameField().set_text("Proxied");
        editor().addressField().set_text("http://127.0.0.1:8080/page");
        auto& session = editor().sessionSettings();
        session.proxyToggle().set_active(true);
        session.kindPicker().set_active(kindRow);
        session.authenticationToggle().set_active(true);
        session.usernameField().set_text("ann");
        session.passwordField().set_text("secret");
    }
    std::vector<WebAppProfile> onDisk() {
        return ProfilePersistence(home.path("profiles.json")).load().value();
    }
};

TEST_F(WebsiteEditorTest, ShortcutRoundTripsThroughTheFile) {
    open();
    WebAppProfile website;
    website.name = "Mail";
    website.homeURL = "https://mail.example";
    ASSERT_TRUE(store->upsert(website));
    presenter->showEditWebsite(website.id);
    auto& picker = editor().shortcutPicker();
    picker.enableToggle().set_active(true);
    EXPECT_TRUE(picker.modifierToggle(0).get_visible() && picker.keyPicker().get_visible());
    picker.modifierToggle(2).set_active(true);  // Shift
    picker.modifierToggle(3).set_active(true);  // Super
    picker.keyPicker().set_active(40);          // F5
    EXPECT_EQ(picker.text(), "Ctrl+Alt+Shift+Super+F5");
    editor().saveButton().clicked();
    ASSERT_EQ(presenter->editorWindow(), nullptr);

    open();  // a new store reads the file
    presenter->showEditWebsite(website.id);
    EXPECT_EQ(editor().draft().globalShortcut, (ShortcutConfiguration{96, 0x1B00}));
    EXPECT_EQ(editor().shortcutPicker().text(), "Ctrl+Alt+Shift+Super+F5");
}

TEST_F(WebsiteEditorTest, RefusedSaveKeepsTheEditsAndRemovesThePasswordItMade) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    test::writeFile(home.path("profiles.json"), "{ not json");  // the store becomes read-only
    open();
    auto vault = std::make_shared<RecordingVault>();
    presenter->links.vault = vault;
    addProxiedWebsite(1);
    editor().sessionSettings().portField().set_text("3128");
    editor().saveButton().clicked();

    ASSERT_TRUE(test::spinUntil([&] { return hasAttachedSheet(editor()); }));
    auto* alert = dynamic_cast<Gtk::MessageDialog*>(attachedSheet(editor()));
    EXPECT_EQ(alert->property_text().get_value(), "Could not save website");
    ASSERT_EQ(vault->created.size(), 1u);
    std::optional<bool> readable;
    auto call = readProxyPassword(vault->created[0], [&](Result<std::string> read) { readable = read.ok(); });
    ASSERT_TRUE(test::spinUntil([&] { return readable.has_value(); }));
    EXPECT_FALSE(*readable) << "the password made for the refused save is gone";
    ASSERT_NE(presenter->editorWindow(), nullptr);
    EXPECT_EQ(editor().draft().name, "Proxied");
    EXPECT_EQ(editor().draft().siteProxy->credentialID, std::nullopt);
}

TEST_F(WebsiteEditorTest, BadPortOrIntervalTextIsRefusedNotKept) {
    open();
    presenter->showAddWebsite();
    editor().nameField().set_text("Site");
    editor().addressField().set_text("site.example");
    editor().autoReloadToggle().set_active(true);
    editor().intervalField().set_text("ten");
    editor().saveButton().clicked();
    EXPECT_EQ(editor().error(), "Auto reload must be at least 10 seconds.");
    editor().intervalField().set_text("15");
    auto& session = editor().sessionSettings();
    session.proxyToggle().set_active(true);
    session.kindPicker().set_active(3);
    session.portField().set_text("10 80");
    editor().saveButton().clicked();
    EXPECT_EQ(editor().error(), "Proxy port must be between 1 and 65535.");
    EXPECT_TRUE(store->profiles().empty());
}

TEST_F(WebsiteEditorTest, ApplicationChooserListsDesktopEntriesWithoutItselfOrDuplicatesAndStopsAtTwenty) {
    test::TemporaryFolder first("quenlith-apps"), second("quenlith-apps");
    auto entry = [](const std::string& folder, const std::string& id, const std::string& name) {
        test::writeFile(folder + "/applications/" + id + ".desktop",
                        "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n");
    };
    for (int i = 0; i < 25; ++i)
        entry(first.path(), "app" + std::to_string(100 + i), "App " + std::to_string(100 + i));
    entry(first.path(), "com.quenlith.Quenlith", "Quenlith");
    entry(second.path(), "app100", "App 100 elsewhere");
    std::string dataDirectories = first.path() + ":" + second.path() + ":/usr/local/share:/usr/share";
    if (!test::runInChildProcess(test::ChildProcessOptions().withVariable("XDG_DATA_DIRS", dataDirectories)))
        return;
    auto installed = installedDesktopApplications();
    std::vector<LinkedApplication> ours;
    for (const auto& app : installed)
        if (app.id.rfind("app", 0) == 0 || app.id.rfind("com.quenlith", 0) == 0) ours.push_back(app);
    ASSERT_EQ(ours.size(), 25u);
    EXPECT_EQ(ours[0], (LinkedApplication{"app100.desktop", "App 100"}));

    open();
    presenter->links.installedApplications = [ours] { return ours; };
    presenter->showAddWebsite();
    auto& links = editor().applicationLinks();
    links.chooseApplications();
    ASSERT_NE(links.chooser(), nullptr);
    for (std::size_t i = 0; i < links.chooser()->applications().size(); ++i)
        links.chooser()->setChosen(i, true);
    links.chooser()->response(Gtk::RESPONSE_OK);
    auto linked = editor().draft().linkedApplications.value();
    ASSERT_EQ(linked.size(), 20u);
    EXPECT_EQ(linked.back().id, "app119.desktop");
}

TEST_F(WebsiteEditorTest, LateSaveOfAClosedEditorStoresNothingAndLeavesTheOpenOneAlone) {
    open();
    auto vault = std::make_shared<test::FakeProxyVault>();
    presenter->links.vault = vault;
    addProxiedWebsite(3);
    editor().saveButton().clicked();  // waits for the secret store
    ASSERT_TRUE(editor().saving());
    editor().cancel();
    presenter->showAddWebsite();
    auto* second = presenter->editorWindow();

    vault->answerAll();
    EXPECT_TRUE(presenter->editorWindow() == second && second->get_visible());
    EXPECT_TRUE(store->profiles().empty());
    EXPECT_EQ(vault->removed, std::vector<std::string>{"NEW-1"});
}

TEST(WebsiteEditorApplicationTest, TypedAddressIsLookedUpOnceAndAddAndOpenShowsTheSavedWebsite) {
    test::TemporaryEnvironment home;
    test::TestHttpServer server;
    server.page("/page", "<!doctype html><title>Local Page</title>");
    auto noPassword = [](const std::string&, SecretStore::ReadDone done) {
        done(Error{"none", "none"});
        return SecretCall();
    };
    ManualScheduler timers;
    ProxyRuntime proxy{noPassword};
    WebsiteSessions sessions{proxy, noPassword};
    AppEnvironment environment(sessions, timers);
    environment.websiteEditor().showAddWebsite();
    auto& editor = *environment.websiteEditor().editorWindow();
    EXPECT_EQ(editor.saveButton().get_label(), "Add & Open");
    editor.sessionSettings().sessionToggle().set_active(
        false);  // a website on the shared session is looked up
    for (const std::string& typed : {std::string("h"), server.url("/pa"), server.url("/page")})
        editor.addressField().set_text(typed);
    ASSERT_TRUE(test::spinUntil([&] { return editor.nameField().get_text() == "Local Page"; }));
    EXPECT_TRUE(server.requestCount("/page") == 1 && server.requestCount("/pa") == 0)
        << "one lookup, of the last address";
    environment.websiteEditor().showAddWebsite();  // only brings the open editor forward
    ASSERT_EQ(environment.websiteEditor().editorWindow(), &editor);

    editor.saveButton().clicked();
    auto saved = ProfilePersistence(home.path("profiles.json")).load().value();
    ASSERT_EQ(saved.size(), 1u);
    EXPECT_EQ(saved[0].name, "Local Page");
    ASSERT_NE(environment.windows().window(saved[0].id), nullptr);
    EXPECT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 2; }))
        << "the window loads the page";
}

TEST(WebsiteEditorApplicationTest, AProxiedWebsiteLoadsThroughItsProxyAndKeepsWorkingWhenMovedToAnother) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    test::TemporaryEnvironment home;
    test::TestHttpServer server;
    server.page("/page", "<!doctype html><title>Proxied Page</title>");
    test::TinyproxyServer first("ann", "secret1"), second("bob", "secret2");
    ProxyRuntime proxy{readProxyPassword};
    WebsiteSessions sessions{proxy, readProxyPassword};
    AppEnvironment environment(sessions);
    auto saved = [&] { return ProfilePersistence(home.path("profiles.json")).load().value(); };
    auto edit = [&](const test::TinyproxyServer& through, const std::string& user, const std::string& password) {
        auto& editor = *environment.websiteEditor().editorWindow();
        auto& session = editor.sessionSettings();
        session.proxyToggle().set_active(true);
        session.kindPicker().set_active(1);  // HTTP CONNECT
        session.hostField().set_text("127.0.0.1");
        session.portField().set_text(std::to_string(through.port()));
        session.authenticationToggle().set_active(true);
        session.usernameField().set_text(user);
        session.passwordField().set_text(password);
        editor.saveButton().clicked();
        ASSERT_TRUE(test::spinUntil([&] { return environment.websiteEditor().editorWindow() == nullptr; }));
    };
    auto lastAgent = [&] {
        for (auto it = server.requests().rbegin(); it != server.requests().rend(); ++it)
            if (it->path == "/page") return it->headers.count("User-Agent") ? it->headers.at("User-Agent") : "";
        return std::string();
    };
    const std::string host = "127.0.0.1:" + std::to_string(server.port());

    environment.websiteEditor().showAddWebsite();
    auto& editor = *environment.websiteEditor().editorWindow();
    editor.nameField().set_text("Proxied");
    editor.addressField().set_text(server.url("/page"));
    editor.userAgentPicker().presetPicker().set_active(1);
    edit(first, "ann", "secret1");  // "Add & Open"
    ASSERT_EQ(saved().size(), 1u);
    const WebAppProfile website = saved()[0];
    ASSERT_TRUE(website.siteProxy && website.siteProxy->credentialID);
    ASSERT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 1; }));
    EXPECT_TRUE(first.sawRequestFor(host)) << "the page came through the website's proxy";
    EXPECT_EQ(lastAgent(), *userAgentText(kAllUserAgentPresets[1])) << "the preset reaches the server";

    environment.websiteEditor().showEditWebsite(website.id);
    edit(second, "bob", "secret2");
    const std::string oldCredential = *website.siteProxy->credentialID;
    EXPECT_NE(saved()[0].siteProxy->credentialID, oldCredential);
    std::optional<bool> oldReadable;
    auto call = readProxyPassword(oldCredential, [&](Result<std::string> read) { oldReadable = read.ok(); });
    ASSERT_TRUE(test::spinUntil([&] { return oldReadable.has_value(); }));
    EXPECT_FALSE(*oldReadable) << "the replaced password is removed once the new record is saved";

    ASSERT_NE(environment.windows().window(website.id), nullptr);
    environment.windows().window(website.id)->browser().reloadActiveTab();
    // The open window keeps its session's route until the session is made anew (a restart).
    EXPECT_TRUE(test::spinUntil([&] { return server.requestCount("/page") == 2; }))
        << "the page keeps working after the edit";
}

}  // namespace
}  // namespace quenlith
