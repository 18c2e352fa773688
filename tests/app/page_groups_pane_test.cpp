// Page groups through the library's pane on live windows, the server counting the requests; saved
// pages of one session sharing a window, and taking a window's start-page tab.
#include <gtkmm/clipboard.h>

#include "library/library_pane_context.hpp"
#include "library/page_group_sheet.hpp"
#include "library/page_groups_pane.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/saved_pages_section.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_manager_fixture.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

class PageGroupsPaneTest : public test::WindowManagerFixture {
protected:
    void startPane(const std::vector<WebAppProfile>& websites) {
        start(websites);
        timers.runDue();
        context = std::make_unique<LibraryPaneContext>(library, *store, *preferences, *manager, navigation);
        context->setNotice = [this](const std::string& text) { notice = text; };
        context->clearNotice = [this] { notice.reset(); };
        context->ask = [this](const std::string&, std::function<void()> action) { action(); };
        context->showSceneSheet = [this](const BrowserScene& draft) {
            sheet = context->makeSceneSheet(draft, [this] { closed = std::move(sheet); });
        };
        pane = std::make_unique<PageGroupsPane>(*context);
    }
    std::vector<std::vector<std::string>> onScreen() {
        std::vector<std::vector<std::string>> list;
        for (const auto& [id, window] : manager->registry().windows()) {
            if (!window->isOnScreen()) continue;
            list.emplace_back();
            for (const auto& tab : window->browser().tabs().items())
                list.back().push_back(tab->address().value_or(""));
            list.back().push_back(std::to_string(window->browser().tabs().activeIndex()));
        }
        std::sort(list.begin(), list.end());
        return list;
    }
    int requests() {
        return server.requestCount("/a") + server.requestCount("/b") + server.requestCount("/c");
    }

    LibraryStore library{std::nullopt, timers};
    SavedPagesNavigation navigation;
    std::unique_ptr<LibraryPaneContext> context;
    std::unique_ptr<PageGroupsPane> pane;
    std::unique_ptr<Gtk::Widget> sheet, closed;
    std::optional<std::string> notice;
};

TEST_F(PageGroupsPaneTest, ASavedGroupReopensOnceFocusesAndSkipsADeletedWebsite) {
    auto own = website("Own", "/a");
    own.setIsolatedAccount(true);
    own.rememberLastURL = true;
    auto shared = website("Shared", "/c");
    server.page("/b", test::titledPage("B"));
    startPane({own, shared});
    pane->saveOpenWindowsAsGroup();
    EXPECT_EQ(notice, "Open at least one regular webpage in a visible Quenlith window first.");

    // Own session: /a, a start page, /b (selected) and a sign-in link; the main window; a private one.
    auto& ownWindow = openOwn(own);
    ownWindow.browser().tabs().add(std::nullopt);
    ownWindow.browser().tabs().add(server.url("/b"));
    ownWindow.browser().tabs().add(server.url("/a?access_token=secret"));
    ownWindow.browser().tabs().select(2, false, false);
    manager->routing().open(server.url("/b"));
    openOwn(shared);
    manager->routing().openPrivateWindow();
    manager->registry().window(*manager->registry().lastActiveID())->browser().page().load(server.url("/a"));
    // Every page asked for so far (two of /a: the own window's and the private one's; the sign-in
    // link is not loaded) has arrived before the count the reopening is measured against.
    ASSERT_TRUE(spinUntil([&] {
        return server.requestCount("/a") == 2 && server.requestCount("/b") == 2 && server.requestCount("/c") == 1;
    }));
    const int loaded = requests();
    pane->saveOpenWindowsAsGroup();
    EXPECT_FALSE(notice);
    auto& form = dynamic_cast<PageGroupSheet&>(*sheet);
    form.nameField().set_text(std::string(101, 'w'));
    EXPECT_FALSE(form.saveButton().get_sensitive());
    form.nameField().set_text("  Work  ");
    form.saveButton().clicked();
    EXPECT_FALSE(sheet);
    const LibraryDocument saved = readLibraryFile(defaultLibraryFilePath()).value();
    const BrowserScene group = saved.scenes.at(0);
    EXPECT_EQ(group.name, "Work");
    ASSERT_EQ(group.windows.size(), 3u) << "the private window stays out";
    EXPECT_EQ(group.windows[0].urls, (std::vector<std::string>{server.url("/a"), server.url("/b")}));
    EXPECT_EQ(group.windows[0].selected, 1);

    // Closed and opened again: the same pages in the same tabs, each loaded once; opening twice
    // brings the same windows forward.
    std::vector<Uuid> ids;
    for (const auto& [id, window] : manager->registry().windows()) ids.push_back(id);
    for (const Uuid& id : ids) manager->closing().close(id);
    pane->openGroup(group);
    ASSERT_TRUE(spinUntil([&] { return requests() == loaded + 4; }));
    pane->openGroup(group);
    test::spinFor(std::chrono::milliseconds(300));
    EXPECT_EQ(requests(), loaded + 4);
    std::vector<std::vector<std::string>> expected = {
        {server.url("/a"), server.url("/b"), "1"}, {server.url("/b"), "0"}, {server.url("/c"), "0"}};
    EXPECT_EQ(onScreen(), expected);

    // A group window of a saved website remembers the page it shows for that website, as its own
    // window does.
    const auto groupWindowOf = [&](const Uuid& websiteID) -> BrowserWindowController* {
        for (const auto& [id, window] : manager->registry().windows())
            if (window->profileID == websiteID && manager->registry().isSceneWindow(id)) return window.get();
        return nullptr;
    };
    BrowserWindowController* ownGroupWindow = groupWindowOf(own.id);
    ASSERT_TRUE(ownGroupWindow);
    ownGroupWindow->browser().services().onURLChange(server.url("/a/next"));
    EXPECT_EQ(store->profile(own.id)->lastURL, server.url("/a/next"));

    // Focus: the main window goes away while the group is shown, and comes back at the end; the
    // group's windows that were not on screen before go away again.
    manager->pageGroups().hideScene(group.id);
    manager->routing().showBrowser();
    pane->focusGroup(group);
    EXPECT_TRUE(pane->showsFocusBanner());
    EXPECT_EQ(onScreen().size(), 3u);
    EXPECT_FALSE(manager->registry().window(manager->registry().browserID())->isOnScreen());
    manager->pageGroups().endSceneFocus();
    EXPECT_FALSE(pane->showsFocusBanner());
    EXPECT_EQ(onScreen().size(), 1u);
    EXPECT_TRUE(manager->registry().window(manager->registry().browserID())->isOnScreen());

    // A deleted website: its group window is skipped and said so; a saved page of it opens nothing.
    ASSERT_TRUE(manager->closing().deleteWebsite(own.id));
    pane->openGroup(group);
    EXPECT_EQ(notice, removedAccountMessage());
    const PageClip clip{.address = server.url("/b"), .profileID = own.id};
    const std::size_t count = manager->registry().windows().size();
    manager->pageGroups().openSavedPage(clip);
    test::spinFor(std::chrono::milliseconds(200));
    EXPECT_EQ(manager->registry().windows().size(), count);
    EXPECT_EQ(requests(), loaded + 4);

    pane->copyGroupLink(group.id);
    EXPECT_EQ(Gtk::Clipboard::get()->wait_for_text(), "quenlith://workspace?id=" + group.id.string());
    pane->confirmDeleteGroup(group);
    EXPECT_TRUE(library.document().scenes.empty());
    EXPECT_EQ(manager->registry().windows().size(), count);
}

TEST_F(PageGroupsPaneTest, SavedPagesOfOneSessionShareAWindowAndReuseTheirTab) {
    server.page("/a", test::titledPage("A"));
    server.page("/b", test::titledPage("B"));
    startPane({});
    PageClip clip{.windowSession = WindowSessionReference{Uuid::random(), std::nullopt}};
    for (const char* path : {"/a", "/b", "/a"}) {
        clip.address = "HTTP://127.0.0.1:" + std::to_string(server.port()) + path;
        manager->pageGroups().openSavedPage(clip);
    }
    ASSERT_TRUE(spinUntil([&] { return requests() == 2; }));
    EXPECT_EQ(onScreen(), (std::vector<std::vector<std::string>>{{server.url("/a"), server.url("/b"), "0"}}));
}

TEST_F(PageGroupsPaneTest, ASavedPageOfAWebsiteTakesItsWindowsStartPageTabWhateverAddressItKept) {
    auto site = website("Site", "/c");
    server.page("/a", test::titledPage("A"));
    startPane({site});
    // The website's window, brought back with a start page that kept /a from before and a page.
    auto& window = openOwn(site);
    window.browser().tabs().restore(
        {{.address = server.url("/a"), .startPage = true}, {.address = server.url("/c")}}, 1);
    manager->pageGroups().openSavedPage(PageClip{.address = server.url("/a"), .profileID = site.id});
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/a") == 1; }))
        << "the page is shown, not the start page";
    EXPECT_FALSE(window.browser().tabs().active()->state().showsStartPage);
    EXPECT_EQ(onScreen(), (std::vector<std::vector<std::string>>{{server.url("/a"), server.url("/c"), "0"}}));
}

}  // namespace
}  // namespace quenlith
