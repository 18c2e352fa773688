// The object graph: what it loads, the callbacks it answers, the appearance it applies, and the
// start and ordered stop of the application around it.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <utility>

#include <gtkmm/messagedialog.h>

#include "app/app_delegate.hpp"
#include "app/app_fixture.hpp"
#include "app/start_sweeps.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/launcher_window.hpp"
#include "library/library_window.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/json_coding.hpp"
#include "model/library_file.hpp"
#include "model/sample_records.hpp"
#include "support/child_process_test.hpp"
#include "support/granting_key_grabber.hpp"
#include "support/keyring_daemon.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {
namespace {

using test::prefersDarkTheme;
using test::spinUntil;

class AppEnvironmentTest : public test::AppFixture {
protected:
    void start(const std::vector<WebAppProfile>& websites = {}) {
        saveWebsites(websites);
        environment = std::make_unique<AppEnvironment>(sessions, timers);
    }

    ManualScheduler timers;
};

TEST_F(AppEnvironmentTest, LoadsTheStoresAndHandsThemToTheWindowManager) {
    auto alpha = website("Alpha", "/alpha");
    auto later = website("Later", "/later");
    later.sessionIdentifier = Uuid::random();
    later.siteProxy = BrowserProxySettings{BrowserProxyKind::socks5, "127.0.0.1", 1080, "", std::nullopt, false};
    start({alpha, later});
    ASSERT_EQ(environment->store().profiles().size(), 2u);
    EXPECT_EQ(environment->store().profiles()[0].id, alpha.id);
    EXPECT_TRUE(environment->store().writable());
    EXPECT_TRUE(environment->library().writable());
    BrowserWindowManager& windows = environment->windows();
    EXPECT_EQ(windows.session().persistence().fileURL(), applicationDataDirectory() + "/session-v1.json");
    EXPECT_TRUE(windows.registry().windows().empty())
        << "no window before the application starts the manager";

    // A website that does not open at start gets its own store, behind its proxy, when it opens.
    const std::string folder = applicationDataDirectory() + "/WebsiteData/" + later.sessionIdentifier->string();
    windows.session().restoreSession();
    EXPECT_FALSE(files::pathExists(folder));
    auto* opened = windows.routing().showProfile(later.id);
    ASSERT_NE(opened, nullptr);
    auto store = opened->browser().websiteDataStore();
    EXPECT_TRUE(files::pathExists(folder));
    EXPECT_EQ(store->identifier(), later.sessionIdentifier);
    EXPECT_EQ(sessions.proxyOverride(store), later.siteProxy);
    ASSERT_NE(sessions.route(store), nullptr);
    EXPECT_EQ(sessions.route(store)->settings(), *later.siteProxy);
}

TEST_F(AppEnvironmentTest, AnUnreadableWebsitesFileMakesTheStoreReadOnly) {
    test::writeFile(defaultProfilesFilePath(), "{\"version\": 1, \"profiles\": [");
    start();
    EXPECT_FALSE(environment->store().writable());
    ASSERT_TRUE(environment->store().errorMessage());
    environment->windows().session().restoreSession();
    EXPECT_TRUE(environment->windows().registry().windows().empty());
}

// History visits only with history on and never for sign-in addresses, proxy credentials the
// library still uses, suggestions pinned as websites.
TEST_F(AppEnvironmentTest, AnswersTheWindowManagersCallbacks) {
    start();
    BrowserWindowManager& windows = environment->windows();
    ASSERT_TRUE(windows.hooks().onVisit && windows.hooks().additionalCredentialUsage &&
                windows.hooks().onPinSuggestion);
    const auto& history = environment->library().document().history;
    const std::tuple<std::optional<bool>, std::string, bool> cases[] = {  // history on, address, kept
        {false, "https://example.com/off", false},
        {std::nullopt, "https://example.com/unset", false},
        {true, "https://example.com/oauth/authorize", false},
        {true, "https://example.com/cb?access_token=abc", false},
        {true, "https://example.com/page", true},
    };
    for (const auto& [enabled, address, recorded] : cases) {
        environment->preferences().update([&](AppPreferences& p) { p.historyEnabled = enabled; });
        windows.hooks().onVisit(address, "A page");
        EXPECT_EQ(!history.empty() && history[0].address == address && history[0].title == "A page", recorded)
            << address;
    }

    BrowserProxySettings proxy{BrowserProxyKind::socks5, "127.0.0.1", 1080, "user", "clip-credential", true};
    PageClip clip = test::makeClip();
    clip.windowSession = WindowSessionReference{Uuid::random(), proxy};
    proxy.credentialID = "scene-credential";
    BrowserScene scene = test::makeScene();
    scene.windows[0].windowSession = WindowSessionReference{Uuid::random(), proxy};
    ASSERT_TRUE(environment->library().update([&](LibraryDocument& document) {
        document.clips.push_back(clip);
        document.scenes.push_back(scene);
    })) << environment->library().errorMessage().value_or("");
    EXPECT_TRUE(windows.hooks().additionalCredentialUsage("clip-credential"));
    EXPECT_TRUE(windows.hooks().additionalCredentialUsage("scene-credential"));
    EXPECT_FALSE(windows.hooks().additionalCredentialUsage("unused-credential"));

    const SuggestedWebsite& suggestion = SuggestedWebsite::all().front();
    windows.hooks().onPinSuggestion(suggestion);
    ASSERT_EQ(environment->store().profiles().size(), 1u);
    EXPECT_TRUE(WebAppStore::sharesHomeSite(environment->store().profiles()[0], suggestion.address));
}

// Grants every combination and presses one when asked, as the person at the keyboard would.
class PressingKeyGrabber : public test::GrantingKeyGrabber {
public:
    void press(const ShortcutConfiguration& shortcut) const { reportPress(shortcut, 0); }
};

// Each registered shortcut reaches its binding: the launcher's toggles the launcher while there is
// one, a website's dismisses the launcher and brings up the website's window. Shortcuts follow the
// websites and the preferences on the next turn.
TEST_F(AppEnvironmentTest, PressedShortcutsReachTheirBindingsAndFollowTheStores) {
    const ShortcutConfiguration launcherKeys{0, kCommandModifier | kOptionModifier};  // Ctrl+Alt+A
    const ShortcutConfiguration alphaKeys{11, kCommandModifier | kOptionModifier};    // Ctrl+Alt+B
    const ShortcutConfiguration betaKeys{14, kCommandModifier | kOptionModifier};     // Ctrl+Alt+E
    WebAppProfile alpha = website("Alpha", "/alpha");
    alpha.globalShortcut = alphaKeys;
    WebAppProfile beta = website("Beta", "/beta");
    beta.homeURL = server.url("/beta", "beta.localhost");  // a site of its own, so a window of its own
    saveWebsites({alpha, beta});
    auto grabber = std::make_unique<PressingKeyGrabber>();
    const PressingKeyGrabber& keys = *grabber;
    environment = std::make_unique<AppEnvironment>(sessions, timers, std::move(grabber));
    int toggles = 0, dismissals = 0;
    environment->launcher().set([&] { ++toggles; }, [&] { ++dismissals; });
    auto press = [&](const ShortcutConfiguration& shortcut) {
        keys.press(shortcut);
        timers.runDue();
    };
    auto windowOf = [&](const Uuid& websiteID) -> BrowserWindowController* {
        for (const auto& [id, controller] : environment->windows().registry().windows())
            if (controller->profileID == websiteID) return controller.get();
        return nullptr;
    };

    environment->preferences().update([&](AppPreferences& p) { p.launcherShortcut = launcherKeys; });
    press(launcherKeys);
    EXPECT_EQ(toggles, 0) << "registered on the next turn, not inside the change";
    press(launcherKeys);
    EXPECT_EQ(toggles, 1);
    press(alphaKeys);
    EXPECT_EQ(dismissals, 1);
    ASSERT_NE(windowOf(alpha.id), nullptr);

    environment->store().update(beta.id, [&](WebAppProfile& p) { p.globalShortcut = betaKeys; });
    timers.runDue();
    press(betaKeys);
    EXPECT_EQ(dismissals, 2);
    EXPECT_NE(windowOf(beta.id), nullptr);
    EXPECT_EQ(toggles, 1) << "a website's shortcut leaves the launcher's alone";

    environment->launcher().clear();
    press(launcherKeys);
    EXPECT_EQ(toggles, 1) << "without a launcher the shortcut does nothing";
}

TEST_F(AppEnvironmentTest, AppliesTheThemeFromTheCurrentAndEveryLaterPreferencesValue) {
    start();
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
    environment->preferences().update([](AppPreferences& p) { p.theme = AppTheme::dark; });
    EXPECT_FALSE(prefersDarkTheme()) << "never from inside the change";
    EXPECT_TRUE(spinUntil([] { return prefersDarkTheme(); }));
    environment->preferences().update([](AppPreferences& p) { p.theme = AppTheme::light; });
    EXPECT_TRUE(spinUntil([] { return !prefersDarkTheme(); }));
    AppPreferences value;
    value.theme = AppTheme::dark;
    environment->applyPreferences(value);
    EXPECT_TRUE(prefersDarkTheme());
    value.theme = AppTheme::system;
    environment->applyPreferences(value);
    EXPECT_FALSE(prefersDarkTheme()) << "the desktop's own setting again";
    // Setting the value in force reloads the theme: the same value is not set again.
    int notifications = 0;
    gulong handler =
        g_signal_connect_swapped(gtk_settings_get_default(), "notify::gtk-application-prefer-dark-theme",
                                 G_CALLBACK(+[](int* count) { ++*count; }), &notifications);
    for (AppTheme theme : {AppTheme::system, AppTheme::light, AppTheme::light, AppTheme::system})
        environment->applyPreferences(AppPreferences{.theme = theme});
    g_signal_handler_disconnect(gtk_settings_get_default(), handler);
    EXPECT_EQ(notifications, 0);
}

// Restoring windows off in the person's own preferences deletes the saved session; the defaults
// standing in for settings that are not there or could not be read never do, at the start or when
// delivered again. (Each kind of damage is a row of the whole application's hostile-files checks.)
TEST_F(AppEnvironmentTest, DefaultsStandingInForUnreadableSettingsKeepTheSavedSession) {
    const std::string session = applicationDataDirectory() + "/session-v1.json";
    const std::string backup = files::backupPath(session);
    const std::pair<const char*, std::function<void()>> rows[] = {
        {"damaged", [] { test::writeFile(settingsFilePath(), R"({"preferences.v1": {"restoreWindows": fal)"); }},
        {"missing", [] { ASSERT_TRUE(files::removeFileIfPresent(settingsFilePath())); }},
        {"a link to nowhere",
         [] {
             ASSERT_TRUE(files::removeFileIfPresent(settingsFilePath()));
             ASSERT_EQ(::symlink("/nonexistent/settings.json", settingsFilePath().c_str()), 0);
         }},
    };
    for (const auto& [label, plant] : rows) {
        SCOPED_TRACE(label);
        BrowserSessionPersistence persistence(session);
        for (int snapshot = 0; snapshot < 2; ++snapshot)  // the second moves the first to the backup
            ASSERT_TRUE(persistence.save(BrowserSessionDocument{.activeWindow = Uuid::random()}));
        const std::string sessionBytes = test::readFile(session), backupBytes = test::readFile(backup);
        ASSERT_TRUE(files::createFolder(applicationConfigDirectory()));
        plant();
        const std::string settings = test::readFile(settingsFilePath());
        start();
        environment->windows().session().restoreSession();
        bool announced = false;
        sigc::connection heard = environment->preferences().signal_changed().connect([&] { announced = true; });
        environment->preferences().setLanguage(InterfaceLanguage::english);
        ASSERT_TRUE(spinUntil([&] { return announced; }));
        EXPECT_EQ(test::readFile(session), sessionBytes);
        EXPECT_EQ(test::readFile(backup), backupBytes);
        EXPECT_EQ(test::readFile(settingsFilePath()), settings) << "a start rewrites no settings";

        // Restoring turned on and off again in the settings is the person's own choice.
        for (bool restoring : {true, false}) {
            announced = false;
            environment->preferences().update([&](AppPreferences& value) { value.restoreWindows = restoring; });
            ASSERT_TRUE(spinUntil([&] { return announced; }));
        }
        heard.disconnect();
        EXPECT_FALSE(test::fileExists(session) || test::fileExists(backup));
        environment->windows().shutdown();
        environment.reset();
    }
}

// Once the windows are restored, the library read and the websites readable, the data of the
// sessions nothing uses goes: the main browser window's of an earlier start, a deleted website's.
TEST_F(AppEnvironmentTest, RemovesTheWebsiteDataOfSessionsNothingUsesOnceTheUsersAreKnown) {
    const Uuid own = Uuid::random(), page = Uuid::random(), earlierBrowser = Uuid::random(), deleted = Uuid::random();
    const Uuid setAside = Uuid::random();
    auto mail = website("Mail", "/mail");
    mail.sessionIdentifier = own;
    mail.isolatedAccount = false;  // switched off, the session is still the website's
    // A record repeating Mail's id is left out of the list, but it is still the person's.
    auto twin = website("Work Mail", "/work");
    twin.id = mail.id;
    twin.sessionIdentifier = setAside;
    twin.isolatedAccount = true;
    LibraryDocument library;
    library.clips = {PageClip{.id = Uuid::random(), .title = "Read", .address = server.url("/read"),
                              .windowSession = WindowSessionReference{page, std::nullopt}}};
    test::writeFile(defaultLibraryFilePath(), *encodeLibraryDocument(library));
    const std::string folders = applicationDataDirectory() + "/WebsiteData/";
    for (const auto& session : {own, page, earlierBrowser, deleted, setAside})
        test::writeFile(folders + session.string() + "/x", "");
    auto sessionFolders = [&] {
        auto left = WebsiteDataStore::fetchAllDataStoreIdentifiers();
        return std::set<Uuid>(left.begin(), left.end());
    };

    // While the websites cannot be read, nothing; nor before the windows are restored.
    test::writeFile(defaultProfilesFilePath(), "{\"version\": 1, \"profiles\": [");
    start();
    environment->windows().session().restoreSession();
    ASSERT_TRUE(spinUntil([&] { return !environment->library().loading(); }));
    timers.advance(SessionSweep::kDelay * 3);
    EXPECT_FALSE(environment->startSweeps().sessions().started());
    environment->windows().shutdown();
    environment.reset();

    // (A damaged file saved over would become the backup, which may name any session too.)
    ASSERT_TRUE(files::removeFileIfPresent(defaultProfilesFilePath()));
    start({mail, twin});
    std::optional<std::vector<Uuid>> removed;
    environment->startSweeps().sessions().setOnFinished(
        [&](const std::vector<Uuid>& sessions) { removed = sessions; });
    timers.advance(SessionSweep::kDelay);
    EXPECT_FALSE(environment->startSweeps().sessions().started());
    environment->windows().session().restoreSession();
    environment->windows().routing().showBrowser();  // a session of its own, made now
    const auto browserSession = environment->windows().registry().browsingProfiles().begin()->second.sessionIdentifier;
    ASSERT_TRUE(browserSession);
    ASSERT_TRUE(spinUntil([&] { return !environment->library().loading(); }));
    timers.advance(SessionSweep::kDelay);
    ASSERT_TRUE(spinUntil([&] { return removed.has_value(); }));
    EXPECT_EQ(std::set<Uuid>(removed->begin(), removed->end()), (std::set<Uuid>{earlierBrowser, deleted}));
    EXPECT_EQ(sessionFolders(), (std::set<Uuid>{own, page, *browserSession, setAside}));
}

// Proxy passwords that nothing names go from the keyring once each start: those left when the
// process ended before the save that replaced them reached the disk. Those a website, the global
// proxy or a recovery copy names stay, and so does one made during this run; while the websites
// cannot be read, every one stays.
TEST_F(AppEnvironmentTest, RemovesTheProxyPasswordsNothingNamesOnceEachStart) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    // Items an earlier run stored.
    auto stored = [](const std::string& password) {
        const std::string credential = Uuid::random().string();
        std::optional<Status> added;
        auto call = proxySecretStore().add(credential, "Quenlith proxy password", password,
                                           [&](Status status) { added = status; });
        EXPECT_TRUE(spinUntil([&] { return added.has_value(); }) && added->ok());
        return credential;
    };
    const std::string named = stored("a"), global = stored("b"), recovered = stored("c"), left = stored("d");
    auto mail = website("Mail", "/mail");
    mail.siteProxy =
        BrowserProxySettings{BrowserProxyKind::httpConnect, "127.0.0.1", 3128, "ann", named, true};
    // What "Restore Previous" kept of the file it replaced.
    WebAppProfile before = mail;
    before.siteProxy->credentialID = recovered;
    ASSERT_TRUE(ProfilePersistence(files::newRecoveryPath(defaultProfilesFilePath())).save({before}));
    PreferencesStore().update([&](AppPreferences& value) {
        value.proxy = BrowserProxySettings{BrowserProxyKind::socks5, "127.0.0.1", 1080, "bob", global, true};
    });
    auto sweep = [&] {
        timers.advance(CredentialSweep::kDelay);
        EXPECT_FALSE(environment->startSweeps().credentials().started()) << "before the windows are restored";
        environment->windows().session().restoreSession();
        std::optional<std::vector<std::string>> removed;
        environment->startSweeps().credentials().setOnFinished(
            [&](const std::vector<std::string>& gone) { removed = gone; });
        EXPECT_TRUE(spinUntil([&] { return !environment->library().loading(); }));
        timers.advance(CredentialSweep::kDelay);
        EXPECT_TRUE(spinUntil([&] { return removed.has_value(); }));
        environment->windows().shutdown();
        environment.reset();
        return removed.value_or(std::vector<std::string>{"no answer"});
    };

    test::writeFile(defaultProfilesFilePath(), "{\"version\": 1, \"profiles\": [");
    start();
    EXPECT_EQ(sweep(), std::vector<std::string>{}) << "the websites could not be read";
    EXPECT_TRUE(test::keyringHolds(left));

    ASSERT_TRUE(files::removeFileIfPresent(defaultProfilesFilePath()));
    start({mail});
    // What the application holds counts as well as the files: the global proxy read at start stays
    // while a write of the settings is still on its way.
    ASSERT_TRUE(files::removeFileIfPresent(settingsFilePath()));
    std::optional<std::string> madeNow;
    auto saving = saveProxyPassword("e", [&](Result<std::string> made) { madeNow = made.value(); });
    ASSERT_TRUE(spinUntil([&] { return madeNow.has_value(); }));
    EXPECT_EQ(sweep(), std::vector<std::string>{left});
    EXPECT_FALSE(test::keyringHolds(left));
    for (const auto& kept : {named, global, recovered, *madeNow})
        EXPECT_TRUE(test::keyringHolds(kept)) << kept;
}

// Two data folders share one keyring (two ways of starting the application with another
// XDG_DATA_HOME). Passwords stored before items named their folder may be either folder's: the
// sweep of one folder leaves them, and the other folder's websites and global proxy still have
// theirs. Only a password of the folder swept that nothing names goes.
TEST_F(AppEnvironmentTest, TheSweepOfOneDataFolderLeavesThePasswordsItCannotTellTheFolderOf) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::KeyringDaemon keyring;
    auto stored = [](SecretStore& store, const std::string& password) {
        const std::string credential = Uuid::random().string();
        std::optional<Status> added;
        auto call = store.add(credential, "Quenlith proxy password", password, [&](Status status) { added = status; });
        EXPECT_TRUE(spinUntil([&] { return added.has_value(); }) && added->ok());
        return credential;
    };
    test::TemporaryFolder other("quenlith-other-folder");
    const std::string ownData = applicationDataDirectory(), ownConfig = settingsFilePath();
    const std::string dataHome = g_getenv("XDG_DATA_HOME"), configHome = g_getenv("XDG_CONFIG_HOME");
    LibsecretStore unnamed(kProxyPasswordSchema);  // as an earlier version stored them
    LibsecretStore otherFolders(kProxyPasswordSchema, mainLoopScheduler(), other.file("data/com.quenlith.Quenlith"));
    const std::string otherSite = stored(unnamed, "site"), otherGlobal = stored(unnamed, "global"),
                      nobodys = stored(unnamed, "nobody's"), otherNamed = stored(otherFolders, "named"),
                      left = stored(proxySecretStore(), "left");

    // The other folder's websites and settings name the first two.
    folders.set("XDG_DATA_HOME", other.file("data"));
    folders.set("XDG_CONFIG_HOME", other.file("config"));
    ASSERT_NE(applicationDataDirectory(), ownData);
    auto mail = website("Mail", "/mail");
    mail.siteProxy = BrowserProxySettings{BrowserProxyKind::httpConnect, "127.0.0.1", 3128, "ann", otherSite, true};
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({mail}));
    PreferencesStore().update([&](AppPreferences& value) {
        value.proxy = BrowserProxySettings{BrowserProxyKind::socks5, "127.0.0.1", 1080, "bob", otherGlobal, true};
    });
    applicationFileWriter().flush();
    folders.set("XDG_DATA_HOME", dataHome);
    folders.set("XDG_CONFIG_HOME", configHome);
    ASSERT_EQ(applicationDataDirectory(), ownData);
    ASSERT_EQ(settingsFilePath(), ownConfig);

    start({website("Plain", "/plain")});
    timers.advance(CredentialSweep::kDelay);
    environment->windows().session().restoreSession();
    std::optional<std::vector<std::string>> removed;
    environment->startSweeps().credentials().setOnFinished(
        [&](const std::vector<std::string>& gone) { removed = gone; });
    ASSERT_TRUE(spinUntil([&] { return !environment->library().loading(); }));
    timers.advance(CredentialSweep::kDelay);
    ASSERT_TRUE(spinUntil([&] { return removed.has_value(); }));
    EXPECT_EQ(*removed, std::vector<std::string>{left});
    EXPECT_FALSE(test::keyringHolds(left));
    for (const auto& kept : {otherSite, otherGlobal, nobodys, otherNamed})
        EXPECT_TRUE(test::keyringHolds(kept)) << kept;
}

// The message dialogs on screen.
std::vector<Gtk::MessageDialog*> shownAlerts() {
    std::vector<Gtk::MessageDialog*> alerts;
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window); dialog && dialog->get_visible())
            alerts.push_back(dialog);
    return alerts;
}

// A history write that fails (a full disk) is told once: in an alert, or in the library window's
// message line while that is open. The visits stay and go with the next write.
TEST_F(AppEnvironmentTest, AFailedHistoryWriteIsToldAndTheVisitsGoWithTheNextWrite) {
    start();
    environment->preferences().update([](AppPreferences& p) { p.historyEnabled = true; });
    LibraryStore& library = environment->library();
    auto visit = [&](const std::string& page, bool diskFull) {
        std::optional<test::FileSizeLimit> full;
        if (diskFull) full.emplace(16);
        environment->windows().hooks().onVisit("https://example.com/" + page, page);
        timers.advance(LibraryStore::kSaveDelay);
        ASSERT_TRUE(spinUntil([&] { return !library.hasPendingSave(); }));
        timers.runDue();  // the store's announcement
    };
    visit("a", true);
    visit("b", true);
    auto alerts = shownAlerts();
    ASSERT_EQ(alerts.size(), 1u) << "told once, not at every retry";
    ASSERT_TRUE(library.errorMessage());
    EXPECT_EQ(alerts[0]->property_secondary_text().get_value().rfind(*library.errorMessage(), 0), 0u);
    EXPECT_EQ(alerts[0]->property_message_type().get_value(), Gtk::MESSAGE_ERROR) << "announced as a failure";
    alerts[0]->response(Gtk::RESPONSE_OK);
    ASSERT_TRUE(spinUntil([] { return shownAlerts().empty(); }));

    visit("c", false);
    auto written = readLibraryFile(defaultLibraryFilePath());
    ASSERT_TRUE(written.ok());
    EXPECT_EQ(written->history, library.document().history) << "the next write carries every visit";
    EXPECT_EQ(written->history.size(), 3u);

    environment->showLibrary();
    auto& window = dynamic_cast<LibraryWindow&>(
        *environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::library));
    visit("d", true);
    EXPECT_TRUE(shownAlerts().empty()) << "the open library window says it";
    EXPECT_TRUE(window.errorLine().get_visible());
    EXPECT_EQ(window.errorLine().get_text(), library.errorMessage().value_or("none"));
}

// The titles of the message dialogs on screen.
std::vector<std::string> alertTitles() {
    std::vector<std::string> titles;
    for (Gtk::MessageDialog* alert : shownAlerts()) titles.push_back(alert->property_text().get_value());
    return titles;
}

// With a websites file that cannot be written (profiles.json is a folder), what a window keeps by
// itself as it opens and closes, and a clearing of every website's data, say what could not be
// saved, and only once; no website was being saved.
TEST_F(AppEnvironmentTest, AWindowsOwnStateThatCannotBeWrittenIsToldOnceAndNotAsAWebsite) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    BrowserWindowManager& windows = environment->windows();
    windows.session().restoreSession();
    const std::string path = defaultProfilesFilePath();
    ASSERT_TRUE(files::removeFileIfPresent(path));
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    // A window whose state was taken back asks for it again: a delayed save follows every failure.
    auto settle = [&] {
        timers.advance(WebAppStore::kSaveDelay);
        ASSERT_TRUE(spinUntil([&] { return !applicationFileWriter().busy(path); }));
        timers.runDue();
    };

    for (int opening = 0; opening < 2; ++opening) {
        // As the launcher opens a saved website.
        BrowserWindowController* window = windows.routing().showProfile(alpha.id);
        ASSERT_NE(window, nullptr);
        ASSERT_TRUE(spinUntil([&] { return window->panel().get_mapped(); }));
        settle();
        windows.closing().hide(alpha.id);
        settle();
    }
    ASSERT_TRUE(spinUntil([] { return !shownAlerts().empty(); }));
    EXPECT_EQ(alertTitles(), std::vector<std::string>{"Could not save window state"});
    for (Gtk::MessageDialog* alert : shownAlerts()) alert->response(Gtk::RESPONSE_OK);
    ASSERT_TRUE(spinUntil([] { return shownAlerts().empty(); }));

    // A write gets through, and the file is a folder again when every website's data are cleared.
    ASSERT_EQ(::rmdir(path.c_str()), 0);
    ASSERT_NE(windows.routing().showProfile(alpha.id), nullptr);
    settle();
    ASSERT_TRUE(storedWebsites().front().wasVisible);
    ASSERT_TRUE(files::removeFileIfPresent(path));
    ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
    std::optional<WebsiteDataClearingResult> cleared;
    environment->clearWebsiteData({"cookies"}, true, [&](WebsiteDataClearingResult result) { cleared = result; });
    settle();
    ASSERT_TRUE(spinUntil([&] { return cleared.has_value(); }));
    settle();
    ASSERT_TRUE(spinUntil([] { return !shownAlerts().empty(); }));
    EXPECT_EQ(alertTitles(), std::vector<std::string>{"Could not save window state"});
    for (Gtk::MessageDialog* alert : shownAlerts()) alert->response(Gtk::RESPONSE_OK);
    ASSERT_EQ(::rmdir(path.c_str()), 0);
}

TEST(AppDelegateTest, StartsTheWindowManagerAndStopsInOrder) {
    test::TemporaryEnvironment folders;
    test::TestHttpServer server;
    server.page("/alpha", "<!doctype html><title>Alpha</title>");
    WebAppProfile alpha{.name = "Alpha", .homeURL = server.url("/alpha"), .launchAtStartup = true};
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({alpha}));

    AppDelegate delegate;
    delegate.terminate();  // before launch: nothing to stop
    AppDelegate launched;
    launched.finishLaunching();
    ASSERT_TRUE(launched.environment());
    AppEnvironment* first = launched.environment();
    launched.finishLaunching();
    EXPECT_EQ(launched.environment(), first) << "launching runs once";
    BrowserWindowManager& windows = launched.environment()->windows();
    EXPECT_EQ(windows.registry().window(alpha.id), nullptr)
        << "windows are built once the main loop has turned";
    // The tray is made first: without a session bus it has said there is no tray by the time the
    // first window is built. A second start before launching has finished does nothing.
    std::optional<bool> trayWhenBuilt;
    WindowShellHooks hooks = windows.hooks();
    hooks.onWindowBuilt = [&](BrowserWindowController&) {
        if (!trayWhenBuilt) trayWhenBuilt = windows.tray().available();
    };
    windows.setHooks(std::move(hooks));
    launched.reopen();
    ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched(); }));
    EXPECT_EQ(trayWhenBuilt, std::optional<bool>(false));
    EXPECT_TRUE(std::ranges::none_of(Gtk::Window::list_toplevels(), [](Gtk::Window* shown) {
        return dynamic_cast<LauncherWindow*>(shown) && shown->get_visible();
    })) << "the second start came before the launcher existed";
    auto* window = windows.registry().window(alpha.id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->panel().get_visible());
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/alpha") == 1; }));
    ASSERT_TRUE(spinUntil([&] { return window->panel().get_mapped(); }));
    Rect shown = window->panel().frame();

    launched.environment()->preferences().update([](AppPreferences& p) { p.historyEnabled = true; });
    launched.environment()->recordVisit("https://example.com/last", "Last");
    launched.terminate();
    auto library = readLibraryFile(defaultLibraryFilePath());
    ASSERT_TRUE(library.ok() && !library->history.empty()) << "the waiting visit is written at termination";
    EXPECT_EQ(library->history[0].address, "https://example.com/last");
    EXPECT_TRUE(windows.session().shuttingDown());
    EXPECT_TRUE(windows.registry().windows().empty());
    const auto saved = ProfilePersistence(defaultProfilesFilePath()).load().value();
    ASSERT_TRUE(saved.size() == 1 && saved[0].windowFrame) << "the last frame is saved at termination";
    EXPECT_EQ(rect(*saved[0].windowFrame), shown);
    EXPECT_TRUE(saved[0].wasVisible);
}

// A start that changes nothing leaves every file as it was: not rewritten (same inode, same
// modification time), no backup made, however large the library.
TEST(AppDelegateTest, AStartThatChangesNothingRewritesNoFile) {
    test::TemporaryEnvironment folders;
    test::TestHttpServer server;
    server.page("/alpha", "<!doctype html><title>Alpha</title>");
    std::vector<WebAppProfile> websites;
    for (int i = 0; i < 200; ++i)
        websites.push_back({.name = "Site " + std::to_string(i),
                            .homeURL = "https://site" + std::to_string(i) + ".example/",
                            .sortOrder = i});
    // The state the start leaves: the start page open and remembered.
    websites[0] = {.name = "Alpha", .homeURL = server.url("/alpha"), .launchAtStartup = true, .sortOrder = 0};
    websites[0].lastURL = server.url("/alpha");
    websites[0].wasVisible = true;
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
    LibraryDocument library;
    for (int i = 0; i < 2000; ++i) library.clips.push_back(test::makeClip());
    for (int i = 0; i < 500; ++i)
        library.history.push_back(
            test::makeVisit("https://example.com/" + std::to_string(i), systemClock().now().adding(-i)));
    // Pretty-printed, so not in the application's own encoding: reading it must not rewrite it.
    test::writeFile(defaultLibraryFilePath(), Json(library).dump(2));
    struct Kept {
        std::string path, bytes;
        struct stat info {};
    };
    std::vector<Kept> kept;
    for (const auto& path : {defaultProfilesFilePath(), defaultLibraryFilePath()}) {
        Kept file{path, test::readFile(path)};
        ASSERT_EQ(::stat(path.c_str(), &file.info), 0);
        kept.push_back(file);
    }

    AppDelegate launched;
    launched.finishLaunching();
    ASSERT_TRUE(launched.environment());
    EXPECT_TRUE(launched.environment()->library().loading())
        << "the start pages are asked for before the library is read";
    ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched(); }));
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/alpha") == 1; }));
    ASSERT_TRUE(spinUntil([&] { return !launched.environment()->library().loading(); }));
    EXPECT_EQ(launched.environment()->library().document().clips.size(), 2000u);
    test::spinFor(std::chrono::milliseconds(WebAppStore::kSaveDelay * 2));
    applicationFileWriter().flush();
    for (const auto& file : kept) {
        struct stat now {};
        ASSERT_EQ(::stat(file.path.c_str(), &now), 0);
        EXPECT_EQ(test::readFile(file.path), file.bytes) << file.path;
        EXPECT_EQ(now.st_ino, file.info.st_ino) << file.path << " was replaced";
        EXPECT_EQ(now.st_mtim.tv_sec, file.info.st_mtim.tv_sec) << file.path;
        EXPECT_EQ(now.st_mtim.tv_nsec, file.info.st_mtim.tv_nsec) << file.path;
        EXPECT_FALSE(test::fileExists(files::backupPath(file.path)))
            << "a backup of " << file.path << " was made";
    }
    launched.terminate();
}

}  // namespace
}  // namespace quenlith
