// Session recovery of the window manager: the debounced snapshot with its backup, the removal
// when restoring is off, an unreadable session file left untouched, and what a restored window
// shows. The restore itself is checked end to end by tests/wm/session_checks.sh.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/stat.h>

#include "browser/view/browser_toolbar.hpp"
#include "model/file_store.hpp"
#include "model/localization.hpp"
#include "model/profile_persistence.hpp"
#include "support/test_images.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_manager_fixture.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::readFile;
using test::spinUntil;
using namespace std::chrono_literals;

class SessionSnapshotTest : public test::WindowManagerFixture {
protected:
    std::string path() const { return manager->session().persistence().fileURL(); }
    // Advances the manager's time, then waits until the writer thread has told its result.
    void advance(std::chrono::milliseconds time) {
        timers.advance(time);
        ASSERT_TRUE(spinUntil([&] { return !manager->session().snapshotWriting(); }));
    }
    WebAppProfile launched(const std::string& name) {
        auto profile = website(name, "/" + name);
        profile.launchAtStartup = true;
        return profile;
    }
};

TEST_F(SessionSnapshotTest, TwoChangesHalfASecondApartGiveOneWriteAfterTheSecondAndKeepTheBackup) {
    auto alpha = launched("alpha");
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    start({alpha});
    manager->session().restoreSession();
    advance(5s);  // the websites' visibility flags are saved and announced meanwhile
    const std::string first = readFile(path());
    ASSERT_NE(first.find(alpha.id.string()), std::string::npos);

    // The private window that is active last leaves no trace: the window active before it is named.
    manager->routing().showProfile(alpha.id);
    manager->routing().openPrivateWindow();
    advance(500ms);
    manager->registry().window(alpha.id)->browser().tabs().add(server.url("/alpha"));
    manager->publisher().publishState();
    advance(699ms);
    EXPECT_EQ(readFile(path()), first) << "nothing is written before 0.7 s of quiet";
    advance(1ms);
    auto saved = manager->session().persistence().load();
    ASSERT_TRUE(saved && *saved);
    ASSERT_EQ((*saved)->windows.size(), 1u) << "the private window is never saved";
    EXPECT_EQ((*saved)->activeWindow, alpha.id);
    EXPECT_EQ((*saved)->windows[0].tabs.size(), 2u);
    EXPECT_EQ(readFile(files::backupPath(path())), first) << "one write: the backup is the first snapshot";
}

// A page that retitles itself every 0.3 s (a ticker, an unread counter) neither keeps another
// window's change off the disk nor has the file rewritten at every title.
TEST_F(SessionSnapshotTest, APageRetitlingItselfNeitherHoldsAnotherWindowsChangeBackNorRewritesTheFileEachTime) {
    auto ticker = launched("ticker");
    server.page("/ticker", "<!doctype html><html><head><title>0</title></head><body><script>let n = 0;"
                           "setInterval(() => { document.title = String(++n); }, 50);</script></body></html>");
    auto other = launched("other");
    other.homeURL = server.url("/other", "other.localhost");
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    start({ticker, other});
    manager->session().restoreSession();
    advance(5s);
    BrowserWindowController* tickerWindow = manager->registry().window(ticker.id);
    ASSERT_TRUE(tickerWindow && manager->registry().window(other.id));
    auto inode = [&] {
        struct stat info {};
        return ::stat(path().c_str(), &info) == 0 ? info.st_ino : 0;
    };
    auto otherTabsSaved = [&]() -> std::size_t {
        auto saved = manager->session().persistence().load();
        if (!saved || !*saved) return 0;
        for (const auto& window : (*saved)->windows)
            if (window.id == other.id) return window.tabs.size();
        return 0;
    };
    // One step: the page has a new title, the window has shown it (and told the session), then
    // 0.3 s of the session's time pass.
    std::string shown = tickerWindow->panel().get_title();
    auto step = [&] {
        ASSERT_TRUE(spinUntil([&] { return tickerWindow->panel().get_title() != shown; }));
        shown = tickerWindow->panel().get_title();
        advance(300ms);
    };
    for (int i = 0; i < 10; ++i) step();  // the ticker is under way

    manager->registry().window(other.id)->browser().tabs().add(server.url("/other", "other.localhost"));
    manager->publisher().publishState();
    std::chrono::milliseconds waited{0}, savedAfter{-1};
    ino_t last = inode();
    int writes = 0;
    while (waited < 20s) {
        step();
        waited += 300ms;
        if (savedAfter < 0ms && otherTabsSaved() == 2) savedAfter = waited;
        if (const ino_t now = inode(); now != last) {
            ++writes;
            last = now;
        }
    }
    EXPECT_GE(savedAfter, 0ms) << "the other window's new tab was never written";
    EXPECT_LE(savedAfter, kSaveCeiling) << "the other window's new tab waited past the ceiling";
    EXPECT_LE(writes, 3) << "the file was rewritten for titles alone";
}

TEST_F(SessionSnapshotTest, RestoringOffDeletesBothFilesAndOpensOnlyLaunchAtStartWebsites) {
    // The person's own choice: defaults standing in for no settings at all delete nothing.
    preferences->update([](AppPreferences& p) { p.restoreWindows = false; });
    auto alpha = launched("alpha");
    auto beta = launched("beta");
    beta.homeURL = server.url("/beta", "beta.localhost");
    auto shown = website("Shown", "/shown");
    shown.wasVisible = true;
    start({alpha, shown, beta});
    RestorableWindow saved{.id = shown.id, .savedProfileID = shown.id, .tabs = {{server.url("/shown"), "S"}},
                           .frame = {0, 0, 400, 400, std::nullopt}};
    for (int write = 0; write < 2; ++write)
        ASSERT_TRUE(manager->session().persistence().save({1, {saved}, {}}));

    manager->session().restoreSession();
    EXPECT_FALSE(files::pathExists(path()));
    EXPECT_FALSE(files::pathExists(files::backupPath(path())));
    // All at once: only a restore asked to be incremental spreads its windows over turns.
    EXPECT_EQ(manager->registry().windows().size(), 2u);
    EXPECT_NE(manager->registry().window(alpha.id), nullptr);
    EXPECT_NE(manager->registry().window(beta.id), nullptr);
}

TEST_F(SessionSnapshotTest, AnUnreadableSessionIsNeverOverwrittenUntilRemoved) {
    auto alpha = launched("alpha");
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    start({alpha});
    ASSERT_TRUE(files::writeFileAtomically(path(), "{\"version\": 1, \"windows\": ["));
    manager->session().restoreSession();
    EXPECT_EQ(manager->publisher().continuityError(),
              localizedString("The saved session could not be read. Existing website settings are intact."));
    EXPECT_NE(manager->registry().window(alpha.id), nullptr) << "launch-at-start websites still open";
    manager->publisher().publishState();
    advance(5s);
    manager->session().writeSnapshot(true);
    EXPECT_EQ(readFile(path()), "{\"version\": 1, \"windows\": [");

    manager->session().removeSavedSession();
    EXPECT_EQ(manager->publisher().continuityError(), std::nullopt);
    manager->publisher().publishState();
    advance(1s);
    EXPECT_NE(readFile(path()).find(alpha.id.string()), std::string::npos) << "writable again";

    // Resetting website data closes every window and forgets the session.
    manager->session().closeAllAndForgetSession();
    EXPECT_TRUE(manager->registry().windows().empty());
    EXPECT_FALSE(files::pathExists(path()));
}

TEST_F(SessionSnapshotTest, WhileTheWebsitesCannotBeReadTheSessionStaysAsItIsUntilTheirWindowsComeBack) {
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    const std::string websites = defaultProfilesFilePath();
    const BrowserSessionPersistence session(applicationDataDirectory() + "/session-v1.json");
    auto alpha = website("alpha", "/alpha");
    WebAppProfile browsing;
    browsing.name = "Quenlith";
    const RestorableWindow alphaWindow{.id = alpha.id, .savedProfileID = alpha.id,
                                       .tabs = {{alpha.homeURL, "alpha"}}, .frame = {0, 0, 400, 400, std::nullopt}};
    const RestorableWindow browserWindow{.id = browsing.id, .temporaryProfile = browsing,
                                         .tabs = {{std::nullopt, "Start", true}},
                                         .frame = {0, 0, 400, 400, std::nullopt}, .isMainBrowser = true};
    struct Case {
        const char* label;
        const char* damage;  // profiles.json's text; nothing: a sound file
        bool quitBeforeRestoring, repairWhileRunning;
    };
    const Case cases[] = {{"cut short, quit, repaired for the next start", "[{\"id\": ", false, false},
                          {"wrong types, repaired while running", "{\"websites\": 5}", false, true},
                          {"sound, quit before the restore", nullptr, true, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        manager.reset();
        store.reset();
        ASSERT_TRUE(ProfilePersistence(websites).save({alpha}));
        ASSERT_TRUE(ProfilePersistence(websites).save({alpha}));  // a sound backup
        if (c.damage) {
            ASSERT_TRUE(files::writeFileAtomically(websites, c.damage));
        }
        ASSERT_TRUE(session.save({1, {alphaWindow}, {}}));
        ASSERT_TRUE(session.save({1, {alphaWindow, browserWindow}, alpha.id}));
        const std::string file = readFile(session.fileURL()), backup = readFile(files::backupPath(session.fileURL()));
        start();
        ASSERT_EQ(store->writable(), !c.damage);
        if (!c.quitBeforeRestoring) {
            manager->session().restoreSession();
            EXPECT_EQ(manager->registry().window(alpha.id), nullptr);
            EXPECT_NE(manager->registry().window(browsing.id), nullptr) << "a window of no website comes back";
            manager->publisher().publishState();
            advance(5s);
            manager->session().writeSnapshot(true);
        }
        if (!c.repairWhileRunning) manager->shutdown();
        EXPECT_EQ(readFile(session.fileURL()), file);
        EXPECT_EQ(readFile(files::backupPath(session.fileURL())), backup);
        if (!c.damage) continue;

        // Once the websites are read again, the window comes back, now or at the next start.
        if (c.repairWhileRunning) {
            ASSERT_TRUE(store->restorePrevious());
            manager->session().writeSnapshot(true);  // a quit before the websites are delivered
            EXPECT_EQ(readFile(session.fileURL()), file);
        } else {
            manager.reset();
            store.reset();
            ASSERT_TRUE(files::copyFileAtomically(files::backupPath(websites), websites, kProfilesFileSizeCap));
            start();
            manager->session().restoreSession();
        }
        advance(1s);
        EXPECT_NE(manager->registry().window(alpha.id), nullptr);
        auto saved = session.load();
        ASSERT_TRUE(saved && *saved);
        EXPECT_EQ((*saved)->windows.size(), 2u);
    }
}

TEST_F(SessionSnapshotTest,
       AnIncrementalRestoreBuildsEveryWindowOnIdleTurnsWithinTheirBudgetAndNoMoreOnceShutDownMidway) {
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    // Three sites: one window would show them all.
    std::vector<WebAppProfile> sites{website("a", "/a"), website("b", "/b"), website("c", "/c")};
    sites[1].homeURL = server.url("/b", "beta.localhost");
    sites[2].homeURL = server.url("/c", "gamma.localhost");
    BrowserSessionDocument document{1, {}, {}};
    for (const auto& site : sites)
        document.windows.push_back({.id = site.id,
                                    .savedProfileID = site.id,
                                    .tabs = {{site.homeURL, "T"}},
                                    .frame = {0, 0, 400, 400, std::nullopt}});
    // The last mode has no saved windows: the websites that open at start come one per turn too.
    for (int mode : {2, 3, 0, 1}) {
        const bool shutDownMidway = mode == 1, pagesAskedFirst = mode >= 2, launchAtStart = mode == 3;
        SCOPED_TRACE(mode);
        const int requestsBefore = server.requestCount("/c");
        manager.reset();
        auto websites = sites;
        for (auto& site : websites) site.launchAtStartup = launchAtStart;
        start(websites);
        ASSERT_TRUE(manager->session().persistence().save(launchAtStart ? BrowserSessionDocument{1, {}, {}}
                                                                        : document));
        // The pages asked for first hold the other windows back until they have loaded. No store
        // opens the engine's icon database, then or later.
        if (pagesAskedFirst) manager->session().requestStartPages();
        manager->session().restoreSession(true);
        EXPECT_EQ(manager->registry().windows().size(), 1u) << "the first window at once";
        EXPECT_FALSE(manager->session().didRestore());
        WebKitWebContext* first =
            manager->registry().window(sites[0].id)->browser().websiteDataStore()->webContext();
        EXPECT_EQ(webkit_web_context_get_favicon_database_directory(first), nullptr);
        if (shutDownMidway) {
            // Nothing more is built, now or on a later turn, and the windows not built keep their
            // saved records.
            ASSERT_TRUE(manager->session().beginShutdown());
            EXPECT_EQ(manager->registry().windows().size(), 1u);
            test::spinFor(std::chrono::milliseconds(100));
            EXPECT_EQ(manager->registry().windows().size(), 1u);
            manager->shutdown();
            auto saved = manager->session().persistence().load();
            ASSERT_TRUE(saved && *saved);
            ASSERT_EQ((*saved)->windows.size(), 3u) << "nothing of the session is lost";
            EXPECT_EQ((*saved)->windows[0].id, sites[0].id);
            EXPECT_EQ((*saved)->windows[1], document.windows[1]);
            EXPECT_EQ((*saved)->windows[2], document.windows[2]);
            for (const auto& site : sites) EXPECT_FALSE(store->profile(site.id)->wasVisible);
        } else {
            // Each turn builds windows while its budget lasts, and at least one.
            const bool wholeTurn = mode != 0;
            manager->session().setTurnBudget(wholeTurn ? std::chrono::milliseconds(10'000)
                                                       : std::chrono::milliseconds(0));
            ASSERT_TRUE(spinUntil([&] { return manager->registry().windows().size() > 1; }));
            EXPECT_EQ(manager->registry().windows().size(), wholeTurn ? 3u : 2u);
            ASSERT_TRUE(spinUntil([&] { return manager->session().didRestore(); }));
            EXPECT_EQ(webkit_web_context_get_favicon_database_directory(first), nullptr);
            EXPECT_EQ(manager->registry().windows().size(), 3u);
            EXPECT_EQ(manager->publisher().visibleWindowCount(), 3);
            // A window built after its page had loaded still shows the page's title.
            EXPECT_TRUE(spinUntil([&] {
                return manager->registry().window(sites[2].id)->panel().get_title().find("— c") !=
                       std::string::npos;
            }));
            EXPECT_TRUE(spinUntil([&] { return server.requestCount("/c") > requestsBefore; }));
            test::spinFor(std::chrono::milliseconds(200));
            EXPECT_EQ(server.requestCount("/c"), requestsBefore + 1) << "the page asked for first loads once";
        }
    }
}

// Ad and tracker blocking holds for the first page of every window of a start, opened at start or
// restored: its page is asked for before its window is built, and the windows after the first are
// built once their pages have loaded. A website that blocking is off for loads what it asks for.
TEST_F(SessionSnapshotTest, TheFirstPagesOfAStartLoadWithTheAdFilterAndItsExceptions) {
    test::TestHttpServer adHost;
    for (const char* path : {"/alpha.js", "/beta.js"})
        adHost.route(path, [](const test::TestRequest&) {
            return test::TestResponse{200, "application/javascript", "0;", {{"Cache-Control", "no-store"}}};
        });
    blocking = std::make_unique<AdBlocking>(std::make_unique<WebKitContentRuleCompiler>(AdBlocking::storeDirectory()),
                                            std::vector<std::string>{"ads.localhost"});
    // Each page names in its title whether the blocked host's script ran.
    std::vector<WebAppProfile> sites;
    for (const std::string name : {"alpha", "beta"}) {
        const std::string script = adHost.url("/" + name + ".js", "ads.localhost");
        server.page("/" + name, "<!doctype html><html><head><title>" + name + " waits</title><script src=\"" +
                                    script + "\" onload=\"document.title = '" + name + " loaded'\" onerror=\"" +
                                    "document.title = '" + name + " blocked'\"></script></head><body>" + name +
                                    "</body></html>");
        WebAppProfile site;
        site.name = name;
        site.homeURL = server.url("/" + name, name + ".localhost");
        site.rememberLastURL = false;
        sites.push_back(std::move(site));
    }
    struct Row {
        const char* name;
        bool restored;
        std::vector<std::string> allowed;
        const char* betaShows;
    };
    for (const Row& row : std::vector<Row>{{"opened at start", false, {}, "beta blocked"},
                                           {"restored", true, {}, "beta blocked"},
                                           {"opened at start, beta allowed", false, {"beta.localhost"}, "beta loaded"},
                                           {"restored, beta allowed", true, {"beta.localhost"}, "beta loaded"}}) {
        SCOPED_TRACE(row.name);
        manager.reset();
        preferences->update([&](AppPreferences& p) {
            p.restoreWindows = row.restored;
            p.setAdFilterSettings({.enabled = true, .allowedSites = row.allowed, .blockedDomains = {}});
        });
        auto websites = sites;
        BrowserSessionDocument document{1, {}, {}};
        for (auto& site : websites) {
            site.launchAtStartup = !row.restored;
            document.windows.push_back({.id = site.id,
                                        .savedProfileID = site.id,
                                        .tabs = {{site.homeURL, "T"}},
                                        .frame = {0, 0, 400, 400, std::nullopt}});
        }
        const int alphaAsked = adHost.requestCount("/alpha.js"), betaAsked = adHost.requestCount("/beta.js");
        start(websites);
        ASSERT_TRUE(manager->session().persistence().save(row.restored ? document : BrowserSessionDocument{1, {}, {}}));
        // The application's start: the pages first, then the windows on idle turns.
        manager->session().requestStartPages();
        manager->session().restoreSession(true);
        auto pageTitle = [&](const WebAppProfile& site) -> std::string {
            BrowserWindowController* window = manager->registry().window(site.id);
            BrowserTab* tab = window ? window->browser().tabs().active() : nullptr;
            const char* title = tab ? webkit_web_view_get_title(tab->webView()) : nullptr;
            return title ? title : "";
        };
        const auto settled = [](const std::string& title) {
            return title.ends_with(" blocked") || title.ends_with(" loaded");
        };
        EXPECT_TRUE(spinUntil([&] { return settled(pageTitle(sites[0])) && settled(pageTitle(sites[1])); },
                              std::chrono::seconds(60)));
        EXPECT_EQ(pageTitle(sites[0]), "alpha blocked");
        EXPECT_EQ(pageTitle(sites[1]), row.betaShows);
        EXPECT_EQ(adHost.requestCount("/alpha.js") - alphaAsked, 0) << "the blocked host is never asked";
        EXPECT_EQ(adHost.requestCount("/beta.js") - betaAsked, row.allowed.empty() ? 0 : 1);
    }
}

// A restored window's title bar shows the selected page's title over its host, as a live one does,
// and its tabs show their sites' icons: whether the selected page was asleep at quit (it sleeps on)
// or awake (it is woken as the window comes back).
TEST_F(SessionSnapshotTest, ARestoredWindowShowsItsPagesTitleOverItsHostAndItsTabsTheirIcons) {
    preferences->update([](AppPreferences& p) { p.restoreWindows = true; });
    server.route("/favicon.ico", [icon = test::blackPng(20, 20)](const test::TestRequest&) {
        return test::TestResponse{200, "image/png", icon};
    });
    server.page("/b", test::titledPage("Beta"));
    const std::string host = "127.0.0.1:" + std::to_string(server.port());
    for (bool selectedAsleep : {true, false}) {
        SCOPED_TRACE(selectedAsleep ? "asleep at quit" : "awake at quit");
        manager.reset();
        auto site = website("Alpha", "/a");
        start({site});
        BrowserSessionDocument document{1, {}, {}};
        document.windows.push_back({.id = site.id,
                                    .savedProfileID = site.id,
                                    .tabs = {{server.url("/a"), "Alpha", false, true, std::nullopt},
                                             {server.url("/b"), "Beta", false, selectedAsleep, std::nullopt}},
                                    .selected = 1,
                                    .frame = {100, 40, 480, 720, std::nullopt}});
        ASSERT_TRUE(manager->session().persistence().save(document));
        manager->session().restoreSession(false);
        BrowserWindowController* window = manager->registry().window(site.id);
        ASSERT_TRUE(window && mapped(*window));
        BrowserToolbar& toolbar = window->browser().chrome().toolbar();
        EXPECT_TRUE(spinUntil([&] { return toolbar.showsTitle() && toolbar.shownAddress() == host + "/b"; }))
            << "the field has the focus: " << toolbar.address().is_focus();
        const auto& tabs = window->browser().tabs().items();
        EXPECT_TRUE(spinUntil([&] {
            return std::ranges::all_of(tabs, [](auto& tab) { return !!tab->state().icon; });
        })) << "each tab shows its site's icon";
        EXPECT_EQ(server.requestCount("/a"), 0) << "the other page sleeps on";
    }
}

}  // namespace
}  // namespace quenlith
