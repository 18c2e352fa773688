#include <gtkmm/menu.h>

#include "browser/browser_view_fixture.hpp"

namespace quenlith::test {
namespace {

class BrowserTabs : public BrowserViewFixture {
protected:
    void SetUp() override {
        for (int i = 0; i < 6; ++i)
            server.page("/p" + std::to_string(i), htmlPage("Page " + std::to_string(i)));
        server.page("/home", htmlPage("Home"));
    }

    // A view whose five tabs show /p0 ... /p4 (p0 is the first page).
    BrowserViewController& openFive() {
        auto& view = open(website("/p0"));
        for (int i = 1; i < 5; ++i) view.addTab(server.url("/p" + std::to_string(i)));
        EXPECT_TRUE(spinUntil([&] {
            for (const auto& tab : view.tabs())
                if (tab->isLoading() || tab->pageTitle().empty()) return false;
            return true;
        }));
        return view;
    }

    std::vector<Uuid> ids() const {
        std::vector<Uuid> result;
        for (const auto& tab : controller->tabs()) result.push_back(tab->id);
        return result;
    }

    std::vector<std::string> titles() const {
        std::vector<std::string> result;
        for (const auto& tab : controller->tabs()) result.push_back(tab->displayTitle());
        return result;
    }

    // What the strip shows: one row per tab, then the new-tab button.
    std::vector<std::string> stripTexts() {
        std::vector<std::string> texts;
        for (Gtk::Widget* row : controller->tabStripBox().get_children()) {
            auto* box = dynamic_cast<Gtk::Box*>(row);
            if (!box) {
                texts.push_back("+" + row->get_tooltip_text());
                continue;
            }
            auto* button = dynamic_cast<Gtk::Button*>(box->get_children().front());
            auto* label = dynamic_cast<Gtk::Label*>(button->get_child());
            std::string text = label->get_text();
            if (button->get_style_context()->has_class("quenlith-tab-active")) text = "[" + text + "]";
            texts.push_back(text);
        }
        return texts;
    }
};

TEST_F(BrowserTabs, AddingSelectsTheNewTabAndLoadsIt) {
    auto& view = openFive();
    EXPECT_EQ(view.tabs().size(), 5u);
    EXPECT_EQ(view.activeIndex(), 4u);
    EXPECT_EQ(titles(), (std::vector<std::string>{"Page 0", "Page 1", "Page 2", "Page 3", "Page 4"}));
    for (int i = 0; i < 5; ++i) EXPECT_EQ(server.requestCount("/p" + std::to_string(i)), 1);
    // Only the active tab's web view is in the view.
    int shown = 0;
    for (const auto& tab : view.tabs()) shown += gtk_widget_get_parent(GTK_WIDGET(tab->webView())) != nullptr;
    EXPECT_EQ(shown, 1);
    EXPECT_NE(gtk_widget_get_parent(GTK_WIDGET(active().webView())), nullptr);
}

TEST_F(BrowserTabs, SelectingReportsTheAddressAndIgnoresBadIndices) {
    auto& view = openFive();
    recorder.urlChanges.clear();
    view.selectTab(1, true, false);
    EXPECT_EQ(view.activeIndex(), 1u);
    EXPECT_EQ(recorder.urlChanges, std::vector<std::string>{server.url("/p1")});
    view.selectTab(5, true, true);
    view.selectTab(static_cast<std::size_t>(-1), true, true);
    EXPECT_EQ(view.activeIndex(), 1u);
    EXPECT_EQ(recorder.urlChanges.size(), 1u);
}

TEST_F(BrowserTabs, AdjacentTabsWrapAround) {
    auto& view = openFive();
    view.selectAdjacentTab(+1);
    EXPECT_EQ(view.activeIndex(), 0u) << "next on the last tab selects the first";
    view.selectAdjacentTab(-1);
    EXPECT_EQ(view.activeIndex(), 4u) << "previous on the first tab selects the last";
    view.selectAdjacentTab(-1);
    EXPECT_EQ(view.activeIndex(), 3u);
}

TEST_F(BrowserTabs, ClosingSelectsTheTabThatTookThePlace) {
    auto& view = openFive();
    auto before = ids();
    view.selectTab(3, true, false);
    view.closeTab(before[2]);  // the third of five while the fourth is active
    EXPECT_EQ(view.tabs().size(), 4u);
    EXPECT_EQ(view.activeIndex(), 2u);
    EXPECT_EQ(active().id, before[3]);

    view.selectTab(3, true, false);
    view.closeTab();  // the active last tab
    EXPECT_EQ(view.activeIndex(), 2u);
    EXPECT_EQ(active().id, before[3]);
    EXPECT_EQ(view.recentlyClosed().entries(),
              (std::vector<std::string>{server.url("/p2"), server.url("/p4")}));

    view.closeTab(Uuid::random());  // no such tab
    EXPECT_EQ(view.tabs().size(), 3u);
}

TEST_F(BrowserTabs, ClosingTheLastTabClosesTheWindowInstead) {
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    view.closeTab();
    EXPECT_EQ(recorder.commands, std::vector<BrowserCommand>{BrowserCommand::close});
    EXPECT_EQ(view.tabs().size(), 1u) << "the tab stays";
    EXPECT_TRUE(view.recentlyClosed().empty());
}

TEST_F(BrowserTabs, ReopeningBringsBackTheNewestTwentyInReverseOrder) {
    auto& view = open(website("/home"));
    ASSERT_TRUE(waitForTitle("Home"));
    for (int i = 1; i <= 21; ++i) {
        view.addTab(server.url("/p0?n=" + std::to_string(i)));
        view.closeTab();
    }
    ASSERT_EQ(view.recentlyClosed().size(), 20u);
    for (int i = 21; i >= 2; --i) {
        view.reopenClosedTab();
        EXPECT_EQ(active().lastURL, server.url("/p0?n=" + std::to_string(i)));
    }
    const auto count = view.tabs().size();
    view.reopenClosedTab();
    EXPECT_EQ(view.tabs().size(), count) << "the 21st reopen does nothing";
}

TEST_F(BrowserTabs, AddressesCarryingCredentialsAreNotRemembered) {
    auto& view = open(website("/home"));
    view.addTab(server.url("/p0?token=abc"));
    view.closeTab();
    view.addTab(server.url("/oauth/start"));
    view.closeTab();
    EXPECT_TRUE(view.recentlyClosed().empty());
}

TEST_F(BrowserTabs, MovingKeepsTheActiveTabActive) {
    auto& view = openFive();
    auto before = ids();
    view.selectTab(0, true, false);
    view.moveTab(before[0], -1);
    EXPECT_EQ(ids(), before) << "the first tab cannot move left";

    view.moveTab(before[0], +1);
    EXPECT_EQ(ids(), (std::vector<Uuid>{before[1], before[0], before[2], before[3], before[4]}));
    EXPECT_EQ(active().id, before[0]);
    EXPECT_EQ(view.activeIndex(), 1u);

    view.moveTab(before[4], -4);
    EXPECT_EQ(ids(), (std::vector<Uuid>{before[4], before[1], before[0], before[2], before[3]}));
    EXPECT_EQ(active().id, before[0]) << "moving another tab keeps the selection";
}

TEST_F(BrowserTabs, ClosingOrMovingAnotherTabLeavesTheBystandersUnused) {
    auto& view = openFive();
    const Date opened = clock.now();
    auto before = ids();
    view.selectTab(1, true, false);

    // The tab that slides into the active tab's old place was not used.
    clock.advance(60);
    view.closeTab(before[0]);
    EXPECT_EQ(active().id, before[1]);
    EXPECT_EQ(view.tab(before[2])->lastUsed, opened);

    // Nor is the tab that the active one changes places with.
    clock.advance(60);
    view.moveTab(before[1], +1);
    EXPECT_EQ(ids(), (std::vector<Uuid>{before[2], before[1], before[3], before[4]}));
    EXPECT_EQ(active().id, before[1]);
    EXPECT_EQ(view.tab(before[2])->lastUsed, opened);
    EXPECT_EQ(active().lastUsed, clock.now());
}

TEST_F(BrowserTabs, DuplicatingOpensTheSameAddress) {
    auto& view = openFive();
    auto before = ids();
    view.duplicateTab(before[1]);
    EXPECT_EQ(view.tabs().size(), 6u);
    EXPECT_EQ(active().lastURL, server.url("/p1"));
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/p1") == 2; }));

    view.openNewTab();
    const auto startTab = active().id;
    EXPECT_TRUE(active().showsStartPage);
    view.duplicateTab(startTab);
    EXPECT_EQ(view.tabs().size(), 7u) << "a tab without address is not duplicated";
}

TEST_F(BrowserTabs, StartPageButtonSelectsAnExistingStartPageTab) {
    auto& view = openFive();
    view.toolbar.startPage.clicked();
    EXPECT_EQ(view.tabs().size(), 6u);
    EXPECT_TRUE(active().showsStartPage);
    EXPECT_TRUE(view.toolbar.address.is_focus());
    view.selectTab(0, true, false);
    view.toolbar.startPage.clicked();
    EXPECT_EQ(view.tabs().size(), 6u);
    EXPECT_EQ(view.activeIndex(), 5u);
}

TEST_F(BrowserTabs, LoadingLeavesTheStartPage) {
    auto& view = open(website("/home"), dormant());
    EXPECT_TRUE(active().showsStartPage);
    view.load(server.url("/p1"));
    EXPECT_FALSE(active().showsStartPage);
    EXPECT_TRUE(waitForTitle("Page 1"));
    EXPECT_TRUE(spinUntil([&] { return !view.startPageView()->get_visible(); }));
}

TEST_F(BrowserTabs, StripShowsEveryTabAndSelectsOnClick) {
    auto& view = openFive();
    const std::vector<std::string> expected = {"Page 0", "Page 1",   "Page 2",
                                               "Page 3", "[Page 4]", "+New Tab (Ctrl+T)"};
    ASSERT_TRUE(spinUntil([&] { return stripTexts() == expected; })) << testing::PrintToString(stripTexts());

    auto* row = dynamic_cast<Gtk::Box*>(view.tabStripBox().get_children()[1]);
    auto* button = dynamic_cast<Gtk::Button*>(row->get_children()[0]);
    auto* close = dynamic_cast<ActionButton*>(row->get_children()[1]);
    EXPECT_EQ(button->get_tooltip_text(), server.url("/p1"));
    EXPECT_EQ(close->get_tooltip_text(), "Close Page 1");
    button->clicked();
    EXPECT_EQ(view.activeIndex(), 1u);
    EXPECT_EQ(stripTexts()[1], "[Page 1]");

    close->clicked();
    EXPECT_EQ(view.tabs().size(), 4u);
    EXPECT_EQ(stripTexts().size(), 5u);

    // The new-tab button opens a start-page tab and focuses the address field.
    dynamic_cast<ActionButton*>(view.tabStripBox().get_children().back())->clicked();
    EXPECT_TRUE(active().showsStartPage);
    EXPECT_EQ(stripTexts().back(), "+New Tab (Ctrl+T)");
    EXPECT_EQ(stripTexts()[4], "[Start Page]");
}

TEST_F(BrowserTabs, PageTitlesAreShownAsPlainText) {
    server.page("/markup", htmlPage("&lt;b&gt;Bold&lt;/b&gt; &amp; more"));
    auto& view = open(website("/markup"));
    ASSERT_TRUE(waitForTitle("<b>Bold</b> & more"));
    view.addTab(server.url("/markup"));
    ASSERT_TRUE(
        spinUntil([&] { return stripTexts().size() == 3 && stripTexts()[0] == "<b>Bold</b> & more"; }));
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Test Site \u2014 <b>Bold</b> & more"; }));
}

TEST_F(BrowserTabs, ContextMenuOffersTheTabsActions) {
    auto& view = openFive();
    auto menuTitles = [&](const Uuid& id) {
        std::vector<std::string> result;
        auto menu = view.makeTabContextMenu(id);
        for (Gtk::Widget* item : menu->get_children())
            result.push_back(dynamic_cast<Gtk::MenuItem*>(item)->get_label());
        return result;
    };
    const auto pageTab = ids()[2];
    EXPECT_EQ(menuTitles(pageTab), (std::vector<std::string>{"Move Tab Left", "Move Tab Right", "Sleep Tab",
                                                             "Pause Tab Media", "Duplicate Tab"}));
    view.openNewTab();
    EXPECT_EQ(menuTitles(active().id), (std::vector<std::string>{"Move Tab Left", "Move Tab Right"}));

    auto menu = view.makeTabContextMenu(pageTab);
    dynamic_cast<Gtk::MenuItem*>(menu->get_children()[0])->activate();  // Move Tab Left
    EXPECT_EQ(ids()[1], pageTab);
}

TEST_F(BrowserTabs, RestoredSessionSleepsUntilWoken) {
    auto& view = open(website("/home"), dormant());
    std::vector<RestorableTab> entries = {
        {server.url("/p1"), "First", false, false, std::nullopt},
        {std::nullopt, "Start Page", true, false, std::nullopt},
        {server.url("/p2?code=secret"), "Leaky", false, true, std::nullopt},
        {"not an address", "Broken", false, false, std::nullopt},
        {server.url("/p3"), "Third", false, false, 0.5},
    };
    view.restoreTabs(entries, 2);
    ASSERT_EQ(view.tabs().size(), 3u);
    EXPECT_EQ(view.activeIndex(), 2u);
    EXPECT_EQ(titles(), (std::vector<std::string>{"First", "Start Page", "Third"}));
    EXPECT_TRUE(view.tabs()[0]->isSleeping);
    EXPECT_FALSE(view.tabs()[1]->isSleeping);
    EXPECT_TRUE(view.tabs()[2]->isSleeping);
    EXPECT_TRUE(spinUntil([&] { return view.sleepBoxView().get_visible(); }))
        << "the selected tab shows the sleep box";
    EXPECT_EQ(stripTexts()[0], "\u23FE First");
    EXPECT_EQ(server.requests().size(), 0u) << "restored pages load only when woken";

    // The snapshot gives back what was restored.
    const std::vector<RestorableTab> expected = {
        {server.url("/p1"), "First", false, true, std::nullopt},
        {std::nullopt, "Start Page", true, false, std::nullopt},
        {server.url("/p3"), "Third", false, true, 0.5},
    };
    EXPECT_EQ(view.restorableTabs(), expected);
    view.restoreTabs(view.restorableTabs(), 2);
    EXPECT_EQ(view.restorableTabs(), expected) << "a second round trip changes nothing";

    // The "Wake Tab" button loads the page.
    view.wakeActiveTab();
    EXPECT_FALSE(active().isSleeping);
    EXPECT_TRUE(waitForTitle("Page 3"));
    EXPECT_TRUE(spinUntil([&] { return !view.sleepBoxView().get_visible(); }));
    EXPECT_EQ(server.requestCount("/p1"), 0);

    // Selecting with wake wakes; selecting without does not.
    view.selectTab(0, false, false);
    EXPECT_TRUE(active().isSleeping);
    view.selectTab(0, true, false);
    EXPECT_TRUE(waitForTitle("Page 1"));
}

TEST_F(BrowserTabs, RestoringNothingUsableLeavesOneStartPage) {
    auto& view = open(website("/home"), dormant());
    view.restoreTabs({{"javascript:alert(1)", "x", false, false, std::nullopt}}, 7);
    ASSERT_EQ(view.tabs().size(), 1u);
    EXPECT_TRUE(active().showsStartPage);
    EXPECT_EQ(view.activeIndex(), 0u);
}

TEST_F(BrowserTabs, PresentingWithWakeWakesTheActiveTab) {
    auto& view = open(website("/home"), dormant());
    view.restoreTabs({{server.url("/p1"), "First", false, true, std::nullopt}}, 0);
    view.setPresented(true, false);
    EXPECT_TRUE(active().isSleeping);
    view.setPresented(true, true);
    EXPECT_TRUE(waitForTitle("Page 1"));
}

TEST_F(BrowserTabs, ReloadWakesASleepingTab) {
    auto& view = open(website("/home"), dormant());
    view.restoreTabs({{server.url("/p1"), "First", false, true, std::nullopt}}, 0);
    view.reloadActiveTab();
    EXPECT_TRUE(waitForTitle("Page 1"));
    EXPECT_EQ(server.requestCount("/p1"), 1);
}

TEST_F(BrowserTabs, UseOfATabIsStamped) {
    auto& view = openFive();
    const Date opened = clock.now();
    clock.advance(60);
    view.selectTab(1, true, false);
    EXPECT_EQ(view.tabs()[4]->lastUsed, clock.now()) << "the tab left";
    EXPECT_EQ(view.tabs()[1]->lastUsed, clock.now()) << "the tab selected";
    EXPECT_EQ(view.tabs()[2]->lastUsed, opened) << "a tab not touched";

    clock.advance(60);
    view.setPresented(true, false);
    EXPECT_EQ(active().lastUsed, opened.adding(60)) << "showing the window is no use of the tab";
    clock.advance(60);
    view.setPresented(false, false);
    EXPECT_EQ(active().lastUsed, clock.now()) << "hiding the window stamps its active tab";

    clock.advance(60);
    view.load(server.url("/p3"));
    EXPECT_EQ(active().lastUsed, clock.now());
}

TEST_F(BrowserTabs, TearDownEndsTheWindowsBrowsing) {
    auto& view = openFive();
    view.closeTab();
    const int reported = recorder.stateChanges;
    view.setPresented(true, false);
    view.tearDown();
    EXPECT_TRUE(view.tabs().empty());
    EXPECT_TRUE(view.recentlyClosed().empty());
    EXPECT_TRUE(view.tabStripBox().get_children().empty());
    EXPECT_EQ(view.startPageView(), nullptr);
    EXPECT_FALSE(view.autoReloadTimer());
    EXPECT_EQ(timers.pendingCount(), 0u);
    view.refreshChrome();
    EXPECT_EQ(view.addTab(server.url("/p1")), nullptr) << "a late call after teardown makes no page";
    view.restoreTabs({{server.url("/p1"), "First", false, false, std::nullopt}}, 0);
    EXPECT_TRUE(view.tabs().empty());
    EXPECT_EQ(recorder.stateChanges, reported) << "nothing is reported after teardown";
}

}  // namespace
}  // namespace quenlith::test
