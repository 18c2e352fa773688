// Page groups and saved pages on live windows: a capture of what is on screen, reopening and
// reusing the group's windows (the server counts the requests), focus and its end, hiding, the
// group's own window settings, and saved pages of a deleted website or of a session.
#include <gtest/gtest.h>

#include "windows/window_manager_fixture.hpp"

namespace quenlith {
namespace {

using test::spinFor;
using test::spinUntil;

class PageGroupsTest : public test::WindowManagerFixture {
protected:
    bool loaded(BrowserWindowController& window, const std::string& path) {
        return spinUntil([&] {
            const BrowserTab* tab = window.browser().activeTab();
            return tab && !tab->isLoading() && tab->address() == server.url(path);
        });
    }
    static std::vector<std::string> addresses(BrowserWindowController& window) {
        std::vector<std::string> list;
        for (const auto& tab : window.browser().tabs()) list.push_back(tab->address().value_or("start"));
        return list;
    }
    int requests() { return server.requestCount("/a") + server.requestCount("/b") + server.requestCount("/c"); }
    std::vector<BrowserWindowController*> onScreen() {
        std::vector<BrowserWindowController*> list;
        for (const auto& [id, window] : manager->windows())
            if (window->isOnScreen()) list.push_back(window.get());
        return list;
    }
};

TEST_F(PageGroupsTest, ACapturedGroupReopensOnceKeepsItsSettingsAndFocuses) {
    auto own = website("Own", "/a");
    own.isolatedAccount = true;
    own.sessionIdentifier = Uuid::random();
    own.opacity = 0.9;
    auto shared = website("Shared", "/c");
    server.page("/b", test::titledPage("B"));
    start({own, shared});
    timers.runDue();

    // Own session: a start page, /a, /b (selected), and a sign-in page left out.
    auto& ownWindow = openOwn(own);
    ASSERT_TRUE(loaded(ownWindow, "/a"));
    ownWindow.browser().addTab(std::nullopt);
    ownWindow.browser().addTab(server.url("/b"));
    ASSERT_TRUE(loaded(ownWindow, "/b"));
    ownWindow.browser().addTab(server.url("/a?access_token=secret"));
    ownWindow.browser().selectTab(2, false, false);
    BrowserViewController* main = manager->open(server.url("/b"));
    ASSERT_NE(main, nullptr);
    auto& sharedWindow = openOwn(shared);
    ASSERT_TRUE(loaded(sharedWindow, "/c"));
    manager->openPrivateWindow();
    manager->window(*manager->lastActiveID)->browser().load(server.url("/a"));
    auto hidden = website("Hidden", "/c");
    manager->makeWindowController(WindowRequest::ownWindow(hidden));

    auto scene = manager->captureScene("Work");
    ASSERT_TRUE(scene);
    ASSERT_EQ(scene->windows.size(), 3u) << "private and hidden windows stay out";
    const SceneWindow& first = scene->windows[0];
    EXPECT_EQ(first.urls, (std::vector<std::string>{server.url("/a"), server.url("/b")}));
    EXPECT_EQ(first.selected, 1);
    EXPECT_EQ(first.profileID, own.id);
    EXPECT_EQ(scene->windows[1].windowSession, WindowSessionReference::from(main->profile()));
    EXPECT_FALSE(scene->windows[2].profileID || scene->windows[2].windowSession);

    std::vector<Uuid> ids;
    for (const auto& [id, controller] : manager->windows()) ids.push_back(id);
    for (const Uuid& id : ids) manager->close(id);
    scene->windows[0].opacity = 0.6;
    const int before = requests();
    manager->openScene(*scene);
    ASSERT_EQ(manager->windows().size(), 3u);
    EXPECT_TRUE(spinUntil([&] { return requests() == before + 4; }));
    std::vector<std::vector<std::string>> reopened;
    BrowserWindowController* group = nullptr;
    for (auto* window : onScreen()) {
        reopened.push_back(addresses(*window));
        if (window->profileID == own.id) group = window;
    }
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->browser().activeIndex(), 1u);
    EXPECT_DOUBLE_EQ(group->browser().profile().opacity, 0.6);
    EXPECT_EQ(group->browser().websiteDataStore()->identifier(), own.sessionIdentifier);
    EXPECT_EQ(reopened.size(), 3u);

    // Again: the same windows come forward, nothing is loaded twice.
    manager->openScene(*scene);
    spinFor(std::chrono::milliseconds(300));
    EXPECT_EQ(manager->windows().size(), 3u);
    EXPECT_EQ(requests(), before + 4);

    // A change made in the group window stays in it.
    const std::string profilesFile = test::readFile(defaultProfilesFilePath());
    WebAppProfile zoomed = group->browser().profile();
    zoomed.zoomLevel = 1.5;
    group->browser().applyProfile(zoomed);
    group->browser().services.onProfileChange(group->browser().profile());
    group->browser().togglePin();
    timers.runDue();
    spinFor(std::chrono::milliseconds(100));
    EXPECT_EQ(test::readFile(defaultProfilesFilePath()), profilesFile);
    EXPECT_DOUBLE_EQ(store->profile(own.id)->opacity, 0.9);
    EXPECT_FALSE(group->panel().isAlwaysOnTop());

    // Focus: the browser window goes away while the group is shown; ending it reverses that.
    manager->hideScene(scene->id);
    EXPECT_TRUE(onScreen().empty());
    manager->showBrowser();
    BrowserWindowController* browser = manager->window(manager->browserID);
    manager->focusScene(*scene);
    EXPECT_EQ(manager->focusedScene(), scene->id);
    EXPECT_EQ(onScreen().size(), 3u);
    EXPECT_FALSE(browser->isOnScreen());
    manager->endSceneFocus();
    EXPECT_FALSE(manager->focusedScene());
    EXPECT_EQ(onScreen(), std::vector<BrowserWindowController*>{browser});

    // A deleted website: its group window is skipped with the message, the others still open; a
    // saved page of it opens nothing.
    ASSERT_TRUE(manager->deleteWebsite(own.id));
    manager->openScene(*scene);
    EXPECT_EQ(manager->continuityError(), removedAccountMessage());
    EXPECT_EQ(onScreen().size(), 3u);
    PageClip clip;
    clip.address = server.url("/b");
    clip.profileID = own.id;
    const std::size_t count = manager->windows().size();
    const int bRequests = server.requestCount("/b");
    manager->openSavedPage(clip);
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(manager->windows().size(), count);
    EXPECT_EQ(server.requestCount("/b"), bRequests);
}

TEST_F(PageGroupsTest, SavedPagesOfASessionShareOneWindowAndReuseTheirTab) {
    server.page("/a", test::titledPage("A"));
    server.page("/b", test::titledPage("B"));
    start();
    PageClip clip;
    clip.address = server.url("/a");
    clip.windowSession = WindowSessionReference{Uuid::random(), std::nullopt};
    manager->openSavedPage(clip);
    BrowserWindowController* window = manager->window(clip.windowSession->identifier);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(loaded(*window, "/a"));
    EXPECT_EQ(window->browser().tabs().size(), 1u) << "the start page takes the page";

    clip.address = server.url("/b");
    manager->openSavedPage(clip);
    clip.address = "HTTP://127.0.0.1:" + std::to_string(server.port()) + "/a";
    manager->openSavedPage(clip);
    ASSERT_TRUE(loaded(*window, "/a"));
    EXPECT_EQ(manager->windows().size(), 1u);
    EXPECT_EQ(addresses(*window), (std::vector<std::string>{server.url("/a"), server.url("/b")}));
    spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(server.requestCount("/a"), 1);
}

}  // namespace
}  // namespace quenlith
