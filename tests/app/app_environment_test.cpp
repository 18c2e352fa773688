// The object graph: what it loads, the window manager's callbacks it answers (history visits,
// proxy credentials still in use, pinned suggestions), the appearance it applies, and the start
// and ordered stop of the application around it.
#include <gtk/gtk.h>

#include "app/app_delegate.hpp"
#include "app/app_fixture.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/library_file.hpp"
#include "model/profile_persistence.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

BrowserProxySettings proxyWithCredential(const std::string& credentialID) {
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::socks5;
    proxy.host = "127.0.0.1";
    proxy.port = 1080;
    proxy.username = "user";
    proxy.credentialID = credentialID;
    proxy.usesAuthentication = true;
    return proxy;
}

bool prefersDarkTheme() {
    gboolean dark = FALSE;
    g_object_get(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", &dark, nullptr);
    return dark;
}

class AppEnvironmentTest : public test::AppFixture {
protected:
    WebAppProfile website(const std::string& name, const std::string& path) {
        server.page(path, "<!doctype html><title>" + name + "</title>");
        WebAppProfile profile;
        profile.name = name;
        profile.homeURL = server.url(path);
        return profile;
    }

    void start(const std::vector<WebAppProfile>& websites = {}) {
        if (!websites.empty()) {
            ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
        }
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
    ASSERT_EQ(environment->store.profiles().size(), 2u);
    EXPECT_EQ(environment->store.profiles()[0].id, alpha.id);
    EXPECT_TRUE(environment->store.writable());
    EXPECT_TRUE(environment->library.writable());
    BrowserWindowManager& windows = environment->windows();
    EXPECT_EQ(&windows.store, &environment->store);
    EXPECT_EQ(&windows.preferences, &environment->preferences);
    EXPECT_EQ(&windows.downloads, &environment->downloads);
    EXPECT_EQ(windows.sessionPersistence.fileURL(), applicationDataDirectory() + "/session-v1.json");
    EXPECT_TRUE(windows.windows().empty()) << "no window before the application starts the manager";

    // A website that does not open at start gets its own store, behind its proxy, when it opens.
    const std::string folder = applicationDataDirectory() + "/WebsiteData/" + later.sessionIdentifier->string();
    windows.restoreSession();
    EXPECT_FALSE(files::pathExists(folder));
    auto* opened = windows.showProfile(later.id);
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
    EXPECT_FALSE(environment->store.writable());
    ASSERT_TRUE(environment->store.errorMessage());
    environment->windows().restoreSession();
    EXPECT_TRUE(environment->windows().windows().empty());
}

struct VisitCase {
    const char* name;
    std::optional<bool> historyEnabled;
    std::string address;
    bool recorded;
};

class VisitTest : public AppEnvironmentTest, public testing::WithParamInterface<VisitCase> {};

TEST_P(VisitTest, RecordsVisitsOnlyWithHistoryOnAndForKeepableAddresses) {
    const VisitCase& c = GetParam();
    start();
    environment->preferences.update([&](AppPreferences& p) { p.historyEnabled = c.historyEnabled; });
    ASSERT_TRUE(environment->windows().onVisit);
    environment->windows().onVisit(c.address, "A page");
    const auto& history = environment->library.document().history;
    if (!c.recorded) {
        EXPECT_TRUE(history.empty());
        return;
    }
    ASSERT_EQ(history.size(), 1u);
    EXPECT_EQ(history[0].address, c.address);
    EXPECT_EQ(history[0].title, "A page");
}

INSTANTIATE_TEST_SUITE_P(
    Visits, VisitTest,
    testing::Values(VisitCase{"HistoryOn", true, "https://example.com/page", true},
                    VisitCase{"HistoryOff", false, "https://example.com/page", false},
                    VisitCase{"HistoryUnset", std::nullopt, "https://example.com/page", false},
                    VisitCase{"SignInPage", true, "https://example.com/oauth/authorize", false},
                    VisitCase{"AddressWithToken", true, "https://example.com/cb?access_token=abc", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(AppEnvironmentTest, TellsWhetherTheLibraryStillUsesAProxyCredential) {
    start();
    PageClip clip;
    clip.title = "Saved";
    clip.address = "https://example.com/saved";
    clip.windowSession = WindowSessionReference{Uuid::random(), proxyWithCredential("clip-credential")};
    SceneWindow sceneWindow;
    sceneWindow.name = "Window";
    sceneWindow.urls = {"https://example.com/"};
    sceneWindow.frame = CodableRect{10, 10, 480, 720, std::nullopt};
    sceneWindow.windowSession = WindowSessionReference{Uuid::random(), proxyWithCredential("scene-credential")};
    BrowserScene scene;
    scene.name = "Group";
    scene.windows = {sceneWindow};
    ASSERT_TRUE(environment->library.update([&](LibraryDocument& document) {
        document.clips.push_back(clip);
        document.scenes.push_back(scene);
    })) << environment->library.errorMessage().value_or("");

    auto& ask = environment->windows().additionalCredentialUsage;
    ASSERT_TRUE(ask);
    EXPECT_TRUE(ask("clip-credential"));
    EXPECT_TRUE(ask("scene-credential"));
    EXPECT_FALSE(ask("unused-credential"));
}

TEST_F(AppEnvironmentTest, PinsASuggestionAsASavedWebsite) {
    start();
    ASSERT_TRUE(environment->windows().onPinSuggestion);
    const SuggestedWebsite& suggestion = SuggestedWebsite::all().front();
    environment->windows().onPinSuggestion(suggestion);
    ASSERT_EQ(environment->store.profiles().size(), 1u);
    EXPECT_TRUE(WebAppStore::sharesHomeSite(environment->store.profiles()[0], suggestion.address));
}

TEST_F(AppEnvironmentTest, AppliesTheThemeFromTheCurrentAndEveryLaterPreferencesValue) {
    start();
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);
    environment->preferences.update([](AppPreferences& p) { p.theme = AppTheme::dark; });
    EXPECT_FALSE(prefersDarkTheme()) << "never from inside the change";
    EXPECT_TRUE(spinUntil([] { return prefersDarkTheme(); }));
    environment->preferences.update([](AppPreferences& p) { p.theme = AppTheme::light; });
    EXPECT_TRUE(spinUntil([] { return !prefersDarkTheme(); }));
    environment->applyPreferences([] {
        AppPreferences p;
        p.theme = AppTheme::dark;
        return p;
    }());
    EXPECT_TRUE(prefersDarkTheme());
    AppPreferences system;
    system.theme = AppTheme::system;
    environment->applyPreferences(system);
    EXPECT_FALSE(prefersDarkTheme()) << "the desktop's own setting again";
}

TEST_F(AppEnvironmentTest, ShowsWindowsInTheTaskbarOnlyWhenAskedTo) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    auto& window = environment->windows().makeWindowController(WindowRequest::ownWindow(alpha));
    EXPECT_TRUE(window.panel().get_skip_taskbar_hint());
    AppPreferences value = environment->preferences.value();
    value.showDockIcon = true;
    environment->applyPreferences(value);
    EXPECT_FALSE(window.panel().get_skip_taskbar_hint());
    value.showDockIcon = false;
    environment->applyPreferences(value);
    EXPECT_TRUE(window.panel().get_skip_taskbar_hint());
}

class AppDelegateTest : public testing::Test {
protected:
    test::TemporaryEnvironment folders;
    test::TestHttpServer server;
};

TEST_F(AppDelegateTest, StartsTheWindowManagerAndStopsInOrder) {
    server.page("/alpha", "<!doctype html><title>Alpha</title>");
    WebAppProfile alpha;
    alpha.name = "Alpha";
    alpha.homeURL = server.url("/alpha");
    alpha.launchAtStartup = true;
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({alpha}));

    AppDelegate delegate;
    delegate.terminate();  // before launch: nothing to stop
    AppDelegate launched;
    launched.finishLaunching();
    ASSERT_TRUE(launched.environment);
    AppEnvironment* first = launched.environment.get();
    launched.finishLaunching();
    EXPECT_EQ(launched.environment.get(), first) << "launching runs once";
    BrowserWindowManager& windows = launched.environment->windows();
    EXPECT_EQ(windows.window(alpha.id), nullptr) << "windows are built once the main loop has turned";
    ASSERT_TRUE(spinUntil([&] { return launched.hasLaunched(); }));
    auto* window = windows.window(alpha.id);
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->panel().get_visible());
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/alpha") == 1; }));
    ASSERT_TRUE(spinUntil([&] { return window->panel().get_mapped(); }));
    Rect shown = window->panel().frame();

    launched.environment->preferences.update([](AppPreferences& p) { p.historyEnabled = true; });
    launched.environment->recordVisit("https://example.com/last", "Last");
    launched.terminate();
    auto library = readLibraryFile(defaultLibraryFilePath());
    ASSERT_TRUE(library.ok() && !library->history.empty()) << "the waiting visit is written at termination";
    EXPECT_EQ(library->history[0].address, "https://example.com/last");
    EXPECT_TRUE(windows.shuttingDown());
    EXPECT_TRUE(windows.windows().empty());
    auto saved = ProfilePersistence(defaultProfilesFilePath()).load();
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 1u);
    ASSERT_TRUE((*saved)[0].windowFrame) << "the last frame is saved at termination";
    EXPECT_EQ(rect(*(*saved)[0].windowFrame), shown);
    EXPECT_TRUE((*saved)[0].wasVisible);
}

}  // namespace
}  // namespace quenlith
