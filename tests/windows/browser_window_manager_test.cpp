// The window registry on a bare X server: building and numbering windows, keeping them in step
// with the saved websites, the published state and snapshot, frames saved from moves, launch at
// start, closing, the sleep pass and the shutdown. Window-manager behaviour is checked by
// tests/wm/app_checks.sh under openbox.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <gtkmm/label.h>
#include <gtkmm/messagedialog.h>

#include "browser/view/browser_tab.hpp"
#include "model/localization.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/tab_sleep_scheduler.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_manager_fixture.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {
namespace {

using test::spinFor;
using test::spinUntil;

class BrowserWindowManagerTest : public test::WindowManagerFixture {};

TEST_F(BrowserWindowManagerTest, RegistersWindowsHiddenUntilPresentedNeverReplacedAndNumbered) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    auto& controller = manager->makeWindowController(WindowRequest::ownWindow(alpha));
    EXPECT_EQ(manager->registry().window(alpha.id), &controller);
    EXPECT_TRUE(controller.browser().isSavedWebsite());
    manager->publisher().publishState();
    EXPECT_EQ(manager->publisher().hiddenWindowCount(), 1);
    EXPECT_EQ(manager->publisher().runtime().windows().at(0).state, BrowserWindowState::hidden);
    EXPECT_FALSE(store->hasPendingSave()) << "unchanged visibility flags cause no save";

    controller.present(false, false, true);
    manager->publisher().publishState();
    EXPECT_TRUE(controller.browser().isPresented());
    EXPECT_EQ(manager->publisher().visibleWindowCount(), 1);
    EXPECT_EQ(manager->publisher().visibleProfiles(), std::set<Uuid>{alpha.id});
    EXPECT_EQ(manager->publisher().runtime().windows()[0].state, BrowserWindowState::visible);
    EXPECT_TRUE(store->profile(alpha.id)->wasVisible);

    // A live window is never replaced by one registered under the same id.
    WindowRequest again;
    again.profile = website("Other", "/other");
    again.id = alpha.id;
    EXPECT_EQ(&manager->makeWindowController(std::move(again)), &controller);
    EXPECT_EQ(controller.browser().profile().name, "Alpha");
    EXPECT_EQ(manager->registry().windows().size(), 1u);

    // Further windows take the lowest free sequence; the own window holds 1.
    const Uuid two = openOther(alpha).id, three = openOther(alpha).id;
    openOther(alpha);
    manager->closing().close(three);
    EXPECT_EQ(openOther(alpha).sequence(), 3);
    manager->closing().close(two);
    EXPECT_EQ(openOther(alpha).sequence(), 2);
    manager->publisher().publishState();
    std::vector<int> listed;
    for (const auto& window : manager->publisher().runtime().windows()) listed.push_back(window.sequence);
    EXPECT_EQ(listed, (std::vector<int>{1, 2, 3, 4}));
}

TEST_F(BrowserWindowManagerTest, AWindowBuiltBeforeStartPagesCanBeMadeShowsOneOnceTheyCan) {
    // The windows a start opens are built before the application hands over its start-page maker.
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    WindowShellHooks hooks = manager->hooks();
    hooks.makeStartPage = nullptr;
    manager->setHooks(hooks);
    auto& controller = manager->makeWindowController(WindowRequest::ownWindow(alpha));
    controller.present(false, false, true);
    EXPECT_EQ(controller.browser().chrome().startPageView(), nullptr);
    Gtk::Label* made = nullptr;
    hooks.makeStartPage = [&]() -> Gtk::Widget* { return made = Gtk::manage(new Gtk::Label("Start")); };
    manager->setHooks(hooks);
    controller.browser().page().showStartPage();
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(controller.browser().chrome().startPageView(), made);
    EXPECT_TRUE(spinUntil([&] { return made->get_mapped(); }));
}

TEST_F(BrowserWindowManagerTest, TheWindowsCopyOfAWebsiteNamesTheDataStoreItUses) {
    auto shared = website("Shared", "/shared");
    shared.sessionIdentifier = Uuid::random();  // an identifier alone is no session of its own
    auto own = website("Own", "/own");
    own.isolatedAccount = true;
    own.sessionIdentifier = Uuid::random();
    auto secret = website("Secret", "/secret");
    secret.sessionIdentifier = Uuid::random();
    start({shared, own});
    manager->registry().setBrowsingProfile(secret);

    WebAppProfile sharedCopy = shared;
    sharedCopy.sessionIdentifier.reset();
    sharedCopy.isolatedAccount = false;
    EXPECT_EQ(openOther(shared).browser().profile(), sharedCopy);

    auto& ownWindow = openOther(own);
    EXPECT_EQ(ownWindow.browser().profile(), own);
    EXPECT_EQ(ownWindow.browser().websiteDataStore(), sessions.dataStore(own));
    EXPECT_EQ(manager->publisher().runtimeWindow(ownWindow).sessionIdentifier, own.sessionIdentifier);

    // A private window's copy keeps the record's own values.
    WindowRequest privately = WindowRequest::ownWindow(secret);
    privately.dataStore = WebsiteDataStore::nonPersistent();
    auto& privateWindow = manager->makeWindowController(std::move(privately));
    EXPECT_EQ(privateWindow.browser().profile().sessionIdentifier, secret.sessionIdentifier);
    EXPECT_FALSE(privateWindow.browser().isSavedWebsite());
}

TEST_F(BrowserWindowManagerTest, OnlyAMovedOwnWindowOfAWebsiteThatRemembersSavesItsFrame) {
    auto alpha = website("Alpha", "/alpha");
    auto forgets = website("Forgets", "/forgets");
    forgets.rememberWindowFrame = false;
    auto browsing = website("Browsing", "/browsing");  // a record the store does not hold
    start({alpha, forgets});
    manager->registry().setBrowsingProfile(browsing);
    auto& own = openOwn(alpha);
    ASSERT_TRUE(mapped(own));
    ASSERT_TRUE(spinUntil([&] { return own.panel().frame().width == preferences->value().defaultWidth; }));
    spinFor(std::chrono::milliseconds(100));
    EXPECT_FALSE(store->profile(alpha.id)->windowFrame) << "placing the window is not a move by the user";

    const Rect moved{200, 150, 600, 500};
    own.panel().setFrame(moved);
    ASSERT_TRUE(spinUntil([&] {
        auto frame = store->profile(alpha.id)->windowFrame;
        return frame && rect(*frame) == moved;
    }));
    EXPECT_EQ(store->profile(alpha.id)->windowFrame->displayID, own.panel().savedFrame().displayID);

    // Written to profiles.json after the store's quiet period.
    EXPECT_TRUE(store->hasPendingSave());
    timers.advance(WebAppStore::kSaveDelay);
    ASSERT_TRUE(spinUntil([&] { return !store->hasPendingSave(); })) << "written by the file writer";
    auto saved = ProfilePersistence(defaultProfilesFilePath()).load();
    ASSERT_TRUE(saved);
    ASSERT_TRUE((*saved)[0].windowFrame);
    EXPECT_EQ(rect(*(*saved)[0].windowFrame), moved);

    // Saving the frame the website already holds writes nothing.
    own.saveFrame();
    EXPECT_FALSE(store->hasPendingSave());

    struct Case {
        const char* what;
        BrowserWindowController* window;
    };
    std::vector<Case> cases = {
        {"a further window of a saved website", &openOther(alpha, true)},
        {"the own window of a website that forgets its frame", &openOwn(forgets)},
        {"the own window of a record the store does not hold", &openOwn(browsing)},
    };
    cases[0].window->present(false, false, true);
    double x = 100;
    for (const auto& c : cases) {
        ASSERT_TRUE(mapped(*c.window)) << c.what;
        const Rect to{x, 120, 500, 400};
        x += 40;
        c.window->panel().setFrame(to);
        EXPECT_TRUE(spinUntil([&] { return c.window->panel().frame() == to; })) << c.what;
    }
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(rect(*store->profile(alpha.id)->windowFrame), moved);
    EXPECT_FALSE(store->profile(forgets.id)->windowFrame);

    // The close button only asks the manager, which hides the window.
    GdkEvent* event = gdk_event_new(GDK_DELETE);
    event->any.window = GDK_WINDOW(g_object_ref(own.panel().get_window()->gobj()));
    gtk_main_do_event(event);
    gdk_event_free(event);
    EXPECT_EQ(manager->registry().window(alpha.id), &own);
    EXPECT_FALSE(own.panel().get_visible()) << "hidden by the manager, not destroyed";
}

TEST_F(BrowserWindowManagerTest, StoreChangesReachWindowsOnTheNextDeliveryOverTheirLiveSettings) {
    auto alpha = website("Alpha", "/alpha");
    alpha.opacity = 1.0;
    auto beta = website("Beta", "/beta");
    start({alpha, beta});
    timers.runDue();
    auto& window = openOwn(alpha);
    openOwn(beta);

    // The user changes the opacity in the window only.
    WebAppProfile inWindow = window.browser().profile();
    inWindow.opacity = 0.5;
    window.applyProfile(inWindow);

    store->update(alpha.id, [](WebAppProfile& p) { p.name = "Alpha Renamed"; });
    timers.runDue();
    EXPECT_EQ(window.browser().profile().name, "Alpha Renamed");
    EXPECT_DOUBLE_EQ(window.browser().profile().opacity, 0.5);
    EXPECT_DOUBLE_EQ(window.panel().panelOpacity(), 0.5);

    store->update(alpha.id, [](WebAppProfile& p) { p.opacity = 0.8; });
    timers.runDue();
    EXPECT_DOUBLE_EQ(window.browser().profile().opacity, 0.8);
    EXPECT_DOUBLE_EQ(window.panel().panelOpacity(), 0.8);

    store->update(alpha.id, [](WebAppProfile& p) { p.alwaysOnTop = false; });
    timers.runDue();
    EXPECT_FALSE(window.panel().isAlwaysOnTop());

    ASSERT_TRUE(store->deleteProfile(beta.id));
    EXPECT_NE(manager->registry().window(beta.id), nullptr) << "never from inside the store's change";
    timers.runDue();
    EXPECT_EQ(manager->registry().window(beta.id), nullptr);
    EXPECT_EQ(manager->registry().window(alpha.id), &window);

    // A window of an ad-hoc record under the same id outlives the store's deletion.
    manager->registry().setBrowsingProfile(alpha);
    ASSERT_TRUE(store->deleteProfile(alpha.id));
    timers.runDue();
    EXPECT_EQ(manager->registry().window(alpha.id), &window);
}

TEST_F(BrowserWindowManagerTest, TheSnapshotFollowsTheLoadedPageAndTitlesEveryKindOfWindow) {
    auto named = website("Quenlith", "/named");
    start({named});
    manager->routing().showBrowser();
    manager->routing().openPrivateWindow();
    openOwn(named);
    const RuntimeWindow* own = nullptr;
    ASSERT_TRUE(spinUntil([&] {
        own = nullptr;
        for (const auto& window : manager->publisher().runtime().windows())
            if (window.id == named.id) own = &window;
        return own && own->tabs.size() == 1 && own->tabs[0].title == "Quenlith" &&
               !own->tabs[0].isLoading;
    }));
    EXPECT_EQ(own->tabs[0].url, server.url("/named"));
    EXPECT_EQ(server.requestCount("/named"), 1);

    // A saved website named Quenlith keeps its name.
    manager->publisher().publishState();
    std::map<std::string, bool> titles;  // title -> private
    for (const auto& window : manager->publisher().runtime().windows()) {
        titles[window.title] = window.isPrivate;
        if (window.isPrivate)
            for (const auto& tab : window.tabs) {
                EXPECT_EQ(tab.title, localizedString("Private Tab"));
                EXPECT_EQ(tab.url, std::nullopt);
            }
    }
    EXPECT_EQ(titles, (std::map<std::string, bool>{
                          {localizedString("Browser"), false}, {localizedString("Private Window"), true}, {"Quenlith", false}}));
}

struct LaunchCase {
    const char* name;
    bool launchAtStartup;
    bool wasVisible;
    bool restoreWindows;
    bool opens;
    bool builtHidden = false;  // its window exists, hidden, before the start
};

class LaunchAtStartTest : public test::WindowManagerFixture, public testing::WithParamInterface<LaunchCase> {};

TEST_P(LaunchAtStartTest, OpensTheWebsitesMarkedToOpenAtStart) {
    const LaunchCase& c = GetParam();
    auto marked = website("Marked", "/marked");
    marked.launchAtStartup = c.launchAtStartup;
    marked.wasVisible = c.wasVisible;
    auto quiet = website("Quiet", "/quiet");
    preferences->update([&](AppPreferences& p) { p.restoreWindows = c.restoreWindows; });
    start({marked, quiet});
    BrowserWindowController* hidden =
        c.builtHidden ? &manager->makeWindowController(WindowRequest::ownWindow(marked)) : nullptr;

    manager->session().restoreSession();
    EXPECT_TRUE(manager->session().didRestore());
    EXPECT_EQ(manager->registry().window(quiet.id), nullptr);
    auto* window = manager->registry().window(marked.id);
    ASSERT_EQ(window != nullptr, c.opens);
    if (!c.opens) return;
    if (hidden) {
        EXPECT_EQ(window, hidden) << "shown instead of a second window";
    }
    EXPECT_TRUE(window->panel().get_visible());
    EXPECT_EQ(manager->publisher().visibleWindowCount(), 1);
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/marked") == 1; }));
    EXPECT_EQ(server.requestCount("/quiet"), 0);

    // Once per process.
    manager->session().restoreSession();
    EXPECT_EQ(manager->registry().windows().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Cases, LaunchAtStartTest,
                         testing::Values(LaunchCase{"LaunchAtStart", true, false, false, true},
                                         LaunchCase{"VisibleAtQuitWhileRestoring", false, true, true, true},
                                         LaunchCase{"VisibleAtQuitWithoutRestoring", false, true, false, false},
                                         LaunchCase{"Neither", false, false, true, false},
                                         LaunchCase{"LaunchAtStartOfAHiddenWindow", true, false, false, true, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(BrowserWindowManagerTest, TheSleepPassAsksEveryWindowEveryThirtySeconds) {
    auto alpha = website("Alpha", "/alpha");
    start({alpha});
    std::vector<const BrowserViewController*> asked;
    manager->tabSleep().setSleepTabs([&](BrowserViewController& browser) { asked.push_back(&browser); });
    auto& own = openOwn(alpha);
    auto& hidden = openOther(alpha);

    timers.advance(std::chrono::seconds(29));
    EXPECT_TRUE(asked.empty());
    timers.advance(std::chrono::seconds(1));
    EXPECT_THAT(asked, testing::UnorderedElementsAre(&own.browser(), &hidden.browser()));
    timers.advance(std::chrono::seconds(30));
    EXPECT_EQ(asked.size(), 4u);

    manager->shutdown();
    timers.advance(std::chrono::seconds(90));
    EXPECT_EQ(asked.size(), 4u);
}

TEST_F(BrowserWindowManagerTest, OnlyTheOwnWindowTakesTheRememberedFrameAndShutdownSavesIt) {
    auto alpha = website("Alpha", "/alpha");
    auto beta = website("Beta", "/beta");
    beta.windowFrame = CodableRect{300, 200, 500, 400, std::nullopt};
    start({alpha, beta});
    auto& alphaWindow = openOwn(alpha);
    auto& betaWindow = openOwn(beta);
    auto& other = openOther(beta);
    other.present(false, false, true);
    for (auto* window : {&alphaWindow, &betaWindow, &other}) ASSERT_TRUE(mapped(*window));
    ASSERT_TRUE(spinUntil([&] { return betaWindow.panel().frame() == Rect{300, 200, 500, 400}; }));
    const auto& defaults = preferences->value();
    const Rect expected =
        initialFrame(std::nullopt, defaults.defaultWidth, defaults.defaultHeight, other.panel().screens());
    EXPECT_TRUE(spinUntil([&] { return other.panel().frame() == expected; }));
    Rect alphaShown = alphaWindow.panel().frame();

    manager->shutdown();
    EXPECT_TRUE(manager->session().shuttingDown());
    EXPECT_TRUE(manager->registry().windows().empty());
    EXPECT_TRUE(manager->publisher().runtime().windows().empty());
    EXPECT_FALSE(store->hasPendingSave());
    auto saved = ProfilePersistence(defaultProfilesFilePath()).load();
    ASSERT_TRUE(saved);
    ASSERT_EQ(saved->size(), 2u);
    ASSERT_TRUE((*saved)[0].windowFrame);
    ASSERT_TRUE((*saved)[1].windowFrame);
    EXPECT_EQ(rect(*(*saved)[0].windowFrame), alphaShown);
    EXPECT_EQ(rect(*(*saved)[1].windowFrame), (Rect{300, 200, 500, 400}));

    // Deliveries after the shutdown change nothing.
    store->update(alpha.id, [](WebAppProfile& p) { p.name = "Late"; });
    timers.runDue();
    EXPECT_TRUE(manager->registry().windows().empty());
}

// A page asking in a loop: the window manager's close still hides the window with its dialog (the
// page waits for an answer until the window is back), and with "Close Window" releases the window,
// its dialog and its page.
TEST_F(BrowserWindowManagerTest, TheCloseOfAWindowWhosePageKeepsAskingAlwaysWorks) {
    auto looping = website("Looping", "/looping");
    server.page("/looping", test::titledPage("Looping") +
                                "<script>function tight() { for (;;) alert('again'); }</script>");
    start({looping});
    auto& window = openOwn(looping);
    ASSERT_TRUE(mapped(window));
    ASSERT_TRUE(spinUntil([&] {
        BrowserTab* tab = window.browser().tabs().active();
        return tab && tab->pageTitle() == "Looping" && !tab->isLoading();
    }));
    WebKitWebView* page = window.browser().tabs().active()->webView();
    bool finalised = false;
    g_object_weak_ref(
        G_OBJECT(page), [](gpointer done, GObject*) { *static_cast<bool*>(done) = true; }, &finalised);
    webkit_web_view_evaluate_javascript(page, "setTimeout(tight)", -1, nullptr, nullptr, nullptr, nullptr,
                                        nullptr);
    auto dialogShown = [] {
        bool shown = false;
        for (Gtk::Window* candidate : Gtk::Window::list_toplevels())
            shown |= dynamic_cast<Gtk::MessageDialog*>(candidate) && candidate->get_visible();
        return shown;
    };
    auto closeAsWindowManager = [&] {
        GdkEvent* event = gdk_event_new(GDK_DELETE);
        event->any.window = GDK_WINDOW(g_object_ref(window.panel().get_window()->gobj()));
        gtk_main_do_event(event);
        gdk_event_free(event);
    };
    ASSERT_TRUE(spinUntil(dialogShown));

    closeAsWindowManager();
    EXPECT_FALSE(window.panel().get_visible());
    EXPECT_FALSE(dialogShown()) << "the dialog goes with its window";
    EXPECT_EQ(manager->routing().showProfile(looping.id), &window);
    EXPECT_TRUE(spinUntil(dialogShown)) << "and comes back with it";

    preferences->update([](AppPreferences& p) { p.closeBehavior = CloseBehavior::release; });
    closeAsWindowManager();
    EXPECT_EQ(manager->registry().window(looping.id), nullptr);
    EXPECT_FALSE(dialogShown());
    EXPECT_TRUE(spinUntil([&] {
        timers.runDue();
        return finalised;
    })) << "the page went with its window";
}

}  // namespace
}  // namespace quenlith
