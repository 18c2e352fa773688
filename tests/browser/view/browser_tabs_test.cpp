#include <filesystem>
#include <fstream>

#include <gtkmm/image.h>
#include <gtkmm/menu.h>

#include "browser/browser_view_fixture.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/isolated_text.hpp"
#include "support/proxy_servers.hpp"
#include "support/test_images.hpp"
#include "ui/icon_image.hpp"
#include "ui/icon_names.hpp"

namespace quenlith::test {
namespace {

class BrowserTabs : public BrowserViewFixture {
protected:
    void SetUp() override {
        pageIcons.clear();
        for (int i = 0; i < 5; ++i)
            server.page("/p" + std::to_string(i), htmlPage("Page " + std::to_string(i)));
        server.page("/markup", htmlPage("&lt;b&gt;Bold&lt;/b&gt;"));
    }

    std::vector<Uuid> ids() const {
        std::vector<Uuid> result;
        for (const auto& tab : controller->tabs().items()) result.push_back(tab->id);
        return result;
    }

    // What the strip shows: "[title]" for the active tab, then the new-tab button's tooltip.
    std::vector<std::string> stripTexts() {
        std::vector<std::string> texts;
        for (Gtk::Widget* row : controller->chrome().tabStrip().box().get_children()) {
            auto* box = dynamic_cast<Gtk::Box*>(row);
            if (!box) {
                texts.push_back("+" + row->get_tooltip_text());
                continue;
            }
            auto* button = dynamic_cast<Gtk::Button*>(box->get_children().front());
            auto* face = dynamic_cast<Gtk::Box*>(button->get_child());
            std::string text = dynamic_cast<Gtk::Label*>(face->get_children().back())->get_text();
            texts.push_back(box->get_style_context()->has_class("quenlith-tab-active") ? "[" + text + "]" : text);
        }
        return texts;
    }
    // The tab's icon in the strip: its width and height, or the symbol shown instead.
    std::string shownIcon(std::size_t row) {
        controller->presenter().refresh();
        if (row >= controller->tabs().items().size()) return "";
        auto* face = dynamic_cast<Gtk::Box*>(dynamic_cast<Gtk::Button*>(stripChild(row, 0))->get_child());
        auto* image = dynamic_cast<Gtk::Image*>(face->get_children().front());
        if (image->get_storage_type() != Gtk::IMAGE_PIXBUF)
            return image->property_icon_name().get_value().raw();
        return std::to_string(image->get_pixbuf()->get_width()) + "x" +
               std::to_string(image->get_pixbuf()->get_height());
    }
    // The files and folders under the test's folders whose name holds `name`.
    std::vector<std::string> pathsNamed(const std::string& name) const {
        std::vector<std::string> found;
        std::error_code error;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(environment.root(), error))
            if (entry.path().filename().string().find(name) != std::string::npos)
                found.push_back(entry.path());
        return found;
    }
    static long long residentMemoryBytes() {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);)
            if (line.starts_with("VmRSS:")) return std::stoll(line.substr(6)) * 1024;
        return 0;
    }
    Gtk::Widget* stripChild(std::size_t row, std::size_t child) {
        return dynamic_cast<Gtk::Box*>(controller->chrome().tabStrip().box().get_children()[row])
            ->get_children()[child];
    }
};

// The order rules themselves are the tab list's (tab_list_test); here: that the view follows them,
// shows them in the strip and stamps each tab's use.
TEST_F(BrowserTabs, TheStripMenusAndOperationsActOnTheTabsTheyName) {
    auto& view = open(website("/p0"));
    ASSERT_TRUE(waitForTitle("Page 0"));
    for (int i = 1; i < 4; ++i) {
        view.tabs().add(server.url("/p" + std::to_string(i)));
        ASSERT_TRUE(waitForTitle("Page " + std::to_string(i)));
    }
    view.tabs().add(server.url("/markup"));
    ASSERT_TRUE(waitForTitle("<b>Bold</b>"));
    const auto before = ids();
    // Pages name themselves: their titles are shown as plain text.
    const std::vector<std::string> expected = {"Page 0", "Page 1", "Page 2", "Page 3", "[<b>Bold</b>]",
                                               "+New Tab (Ctrl+T)"};
    ASSERT_TRUE(spinUntil([&] { return stripTexts() == expected; })) << testing::PrintToString(stripTexts());
    EXPECT_TRUE(spinUntil([&] { return window->get_title() == "Test Site \u2014 <b>Bold</b>"; }));
    int shown = 0;
    for (const auto& tab : view.tabs().items())
        shown += gtk_widget_get_parent(GTK_WIDGET(tab->webView())) != nullptr;
    EXPECT_EQ(shown, 1) << "only the active tab's page is in the view";

    // Every tab's button keeps its width in a wide window and in a narrow one: the strip scrolls.
    auto buttonWidths = [&] {
        std::vector<int> widths;
        for (std::size_t row = 0; row < view.tabs().items().size(); ++row)
            widths.push_back(stripChild(row, 0)->get_allocated_width());
        return widths;
    };
    const std::vector<int> tabButtons(5, 128);
    EXPECT_TRUE(spinUntil([&] { return buttonWidths() == tabButtons; }))
        << "in a wide window: " << testing::PrintToString(buttonWidths());

    // In a narrow window the strip keeps the selected tab in sight, wherever it is.
    window->resize(480, 600);
    auto selectedInSight = [&] {
        auto adjustment =
            dynamic_cast<Gtk::ScrolledWindow&>(view.chrome().tabStrip().view()).get_hadjustment();
        const auto tab =
            view.chrome().tabStrip().box().get_children()[view.tabs().activeIndex()]->get_allocation();
        const double x = tab.get_x() - view.chrome().tabStrip().box().get_allocation().get_x();
        return view.chrome().tabStrip().view().get_allocated_width() < 500 && tab.get_width() > 1 &&
               x >= adjustment->get_value() &&
               x + tab.get_width() <= adjustment->get_value() + adjustment->get_page_size();
    };
    EXPECT_TRUE(spinUntil(selectedInSight)) << "the last tab";
    EXPECT_TRUE(spinUntil([&] { return buttonWidths() == tabButtons; }))
        << "in a narrow window: " << testing::PrintToString(buttonWidths());

    // A click selects and stamps the tabs left and entered, and reports the address.
    const Date opened = clock.now();
    clock.advance(60);
    recorder.urlChanges.clear();
    dynamic_cast<Gtk::Button*>(stripChild(1, 0))->clicked();
    EXPECT_EQ(view.tabs().activeIndex(), 1u);
    EXPECT_EQ(recorder.urlChanges, std::vector<std::string>{server.url("/p1")});
    EXPECT_EQ(view.tabs().items()[4]->state().lastUsed, clock.now());
    EXPECT_EQ(view.tabs().items()[2]->state().lastUsed, opened);

    // The close button closes its own tab; closing elsewhere leaves the bystanders unused, and the
    // active page in the window (taken out and back, it is drawn grey).
    clock.advance(60);
    int unrealized = 0;
    const gulong watch = g_signal_connect_swapped(active().webView(), "unrealize",
                                                  G_CALLBACK(+[](int* count) { ++*count; }), &unrealized);
    dynamic_cast<ActionButton*>(stripChild(2, 1))->clicked();
    g_signal_handler_disconnect(view.tabs().items()[1]->webView(), watch);
    EXPECT_EQ(unrealized, 0);
    EXPECT_EQ(ids(), (std::vector<Uuid>{before[0], before[1], before[3], before[4]}));
    EXPECT_EQ(view.tabs().find(before[3])->state().lastUsed, opened);
    EXPECT_EQ(view.tabs().recentlyClosed().entries(), std::vector<std::string>{server.url("/p2")});
    view.tabs().reopenClosed();
    EXPECT_EQ(active().state().lastURL, server.url("/p2"));
    view.tabs().close();

    // The context menu: page tabs get every entry, a start page only the moves; entries act by id.
    auto titles = [&](const Uuid& id) {
        std::vector<std::string> result;
        auto menu = view.tabs().makeContextMenu(id);
        for (Gtk::Widget* item : menu->get_children())
            result.push_back(dynamic_cast<Gtk::MenuItem*>(item)->get_label());
        return result;
    };
    EXPECT_EQ(titles(before[1]), (std::vector<std::string>{"Move Tab Left", "Move Tab Right", "Sleep Tab",
                                                           "Pause Tab Media", "Duplicate Tab"}));
    auto menu = view.tabs().makeContextMenu(before[1]);
    dynamic_cast<Gtk::MenuItem*>(menu->get_children()[0])->activate();  // Move Tab Left
    EXPECT_EQ(ids()[0], before[1]);
    dynamic_cast<Gtk::MenuItem*>(menu->get_children()[4])->activate();  // Duplicate Tab
    EXPECT_EQ(active().state().lastURL, server.url("/p1"));

    // The new-tab button opens a start page; the start-page button finds it again.
    dynamic_cast<ActionButton*>(view.chrome().tabStrip().box().get_children().back())->clicked();
    EXPECT_TRUE(active().state().showsStartPage);
    EXPECT_TRUE(view.chrome().toolbar().address().is_focus());
    EXPECT_EQ(titles(active().id), (std::vector<std::string>{"Move Tab Left", "Move Tab Right"}));
    const auto count = view.tabs().items().size();
    view.tabs().duplicate(active().id);
    view.tabs().select(0, true, false);
    view.chrome().toolbar().startPage().clicked();
    EXPECT_EQ(view.tabs().items().size(), count) << "no address to duplicate, and the start page is reused";
    EXPECT_TRUE(active().state().showsStartPage);
    view.page().load(server.url("/p3"));
    EXPECT_FALSE(active().state().showsStartPage);
    EXPECT_TRUE(spinUntil([&] { return !view.chrome().startPageView()->get_visible(); }));

    // Credentials are never remembered; the last tab closes the window instead.
    view.tabs().add(server.url("/p0?token=abc"));
    view.tabs().close();
    EXPECT_EQ(view.tabs().recentlyClosed().size(), 1u);
    while (view.tabs().items().size() > 1) view.tabs().close();
    view.tabs().close();
    EXPECT_EQ(recorder.commands, std::vector<BrowserCommand>{BrowserCommand::close});
    EXPECT_EQ(view.tabs().items().size(), 1u);
}

// A wheel turned with the pointer over a tab of a strip holding more tabs than fit scrolls the strip,
// whichever way the wheel turns: a mouse's steps, a touchpad's smooth deltas, a tilted wheel.
TEST_F(BrowserTabs, TheWheelOverAStripOfMoreTabsThanFitScrollsIt) {
    auto& view = open(website("/p0"));
    ASSERT_TRUE(waitForTitle("Page 0"));
    for (int i = 0; i < 8; ++i) view.tabs().add(std::nullopt);
    window->resize(480, 600);
    // The selected tab in the middle of the strip, so the strip can scroll either way from it.
    view.tabs().select(5, false, false);
    view.presenter().refresh();
    // The strip is rebuilt as tabs change: its buttons are looked up anew.
    auto tab = [&](std::size_t part = 0) { return dynamic_cast<Gtk::Button*>(stripChild(5, part)); };
    auto adjustment = dynamic_cast<Gtk::ScrolledWindow&>(view.chrome().tabStrip().view()).get_hadjustment();
    ASSERT_TRUE(spinUntil([&] {
        const double value = adjustment->get_value();
        return tab()->get_mapped() && value > 50 && value + adjustment->get_page_size() < adjustment->get_upper() - 50;
    })) << "the tabs overflow the strip on both sides";
    const double middle = adjustment->get_value();

    // A mouse's steps and tilts (the X server's buttons 4 to 7) come to the widget under the pointer
    // as scroll events in a direction: over the title, 0, or the close button, 1; a touchpad's as
    // smooth deltas. They are given to that widget's window as the toolkit would: pointer events
    // through the shared display would reach whichever window of a test beside this one lies there.
    const struct {
        GdkScrollDirection direction;
        std::size_t part;
        double deltaX, deltaY;
        int moves;  // +1 towards the last tab, -1 towards the first
    } turns[] = {{GDK_SCROLL_DOWN, 0, 0, 0, +1},   {GDK_SCROLL_UP, 0, 0, 0, -1},     {GDK_SCROLL_DOWN, 1, 0, 0, +1},
                 {GDK_SCROLL_UP, 1, 0, 0, -1},     {GDK_SCROLL_RIGHT, 0, 0, 0, +1},  {GDK_SCROLL_LEFT, 0, 0, 0, -1},
                 {GDK_SCROLL_SMOOTH, 0, 0, 1.5, +1}, {GDK_SCROLL_SMOOTH, 0, 0, -1.5, -1},
                 {GDK_SCROLL_SMOOTH, 0, 1.5, 0, +1}, {GDK_SCROLL_SMOOTH, 0, -1.5, 0, -1}};
    for (const auto& turn : turns) {
        SCOPED_TRACE(testing::Message() << "direction " << turn.direction << " over part " << turn.part
                                        << ", deltas " << turn.deltaX << " " << turn.deltaY);
        adjustment->set_value(middle);
        GdkEvent* event = gdk_event_new(GDK_SCROLL);
        event->scroll.window = GDK_WINDOW(g_object_ref(gtk_button_get_event_window(tab(turn.part)->gobj())));
        event->scroll.direction = turn.direction;
        event->scroll.x = event->scroll.y = 5;
        event->scroll.delta_x = turn.deltaX;
        event->scroll.delta_y = turn.deltaY;
        gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gtk_main_do_event(event);
        gdk_event_free(event);
        EXPECT_TRUE(spinUntil([&] { return (adjustment->get_value() - middle) * turn.moves >= 10; }));
        // The pointer over a tab restyles it, and the strip is laid out again: it stays where the
        // wheel took it, even with the selected tab out of sight.
        int layouts = 0;
        auto counted = tab()->signal_size_allocate().connect([&](Gtk::Allocation&) { ++layouts; });
        tab()->queue_resize();
        EXPECT_TRUE(spinUntil([&] { return layouts > 0; }));
        counted.disconnect();
        EXPECT_GE((adjustment->get_value() - middle) * turn.moves, 10) << "after a new layout";
    }
}

TEST_F(BrowserTabs, ARestoredSessionSleepsUntilWoken) {
    auto& view = open(website("/p0"), {.startsDormant = true});
    std::vector<RestorableTab> entries = {
        {server.url("/p1"), "First", false, false, std::nullopt},
        {std::nullopt, "Start Page", true, false, std::nullopt},
        {server.url("/p2?code=secret"), "Leaky", false, true, std::nullopt},
        {"not an address", "Broken", false, false, std::nullopt},
        {server.url("/p3"), "Third", false, false, 0.5},
    };
    view.tabs().restore(entries, 2);
    ASSERT_EQ(view.tabs().items().size(), 3u);
    EXPECT_EQ(view.tabs().activeIndex(), 2u);
    EXPECT_TRUE(spinUntil([&] { return view.chrome().sleepBoxView().get_visible(); }))
        << "the selected tab shows the sleep box";
    const std::vector<RestorableTab> expected = {
        {server.url("/p1"), "First", false, true, std::nullopt},
        {std::nullopt, "Start Page", true, false, std::nullopt},
        {server.url("/p3"), "Third", false, true, 0.5},
    };
    EXPECT_EQ(view.tabs().restorable(), expected);
    view.tabs().restore(view.tabs().restorable(), 2);
    EXPECT_EQ(view.tabs().restorable(), expected) << "a second round trip changes nothing";
    EXPECT_EQ(server.requests().size(), 0u) << "restored pages load only when woken";

    // Presenting or selecting without wake wakes nothing; with it, or a reload, does.
    view.setPresented(true, false);
    view.tabs().select(0, false, false);
    EXPECT_TRUE(active().state().isSleeping);
    view.tabs().select(2, false, false);
    view.setPresented(true, true);
    EXPECT_TRUE(waitForTitle("Page 3"));
    EXPECT_TRUE(spinUntil([&] { return !view.chrome().sleepBoxView().get_visible(); }));
    view.tabs().select(0, false, false);
    view.page().reloadActiveTab();
    EXPECT_TRUE(waitForTitle("Page 1"));
    EXPECT_EQ(server.requestCount("/p1"), 1);

    // Showing the window is no use of its tab; hiding it stamps the active one.
    clock.advance(60);
    const Date before = active().state().lastUsed;
    view.setPresented(true, false);
    EXPECT_EQ(active().state().lastUsed, before);
    view.setPresented(false, false);
    EXPECT_EQ(active().state().lastUsed, clock.now());

    view.tabs().restore({{"javascript:alert(1)", "x", false, false, std::nullopt}}, 7);
    ASSERT_EQ(view.tabs().items().size(), 1u);
    EXPECT_TRUE(active().state().showsStartPage) << "nothing usable leaves one start page";
}

TEST_F(BrowserTabs, TabIconsAreThePagesOwnFittedAndLoadedOnceAndOneTooLargeShowsThePageSymbol) {
    const std::string small = blackPng(64, 32), large = blackPng(kIconSideLimit * 2, kIconSideLimit * 2),
                      root = blackPng(20, 20), real = blackPng(8, 4), fake = blackPng(4, 8);
    for (const auto& [path, picture] : {std::pair{std::string("/small.png"), &small},
                                        {"/large.png", &large},
                                        {"/favicon.ico", &root},
                                        {"/real.png", &real},
                                        {"/fake.png", &fake}})
        server.route(path, [picture](const TestRequest&) {
            return TestResponse{200, "image/png", *picture};
        });
    for (const std::string path : {"/small", "/large"})
        server.page(path, "<head><title>Icon</title><link rel=icon href='" + path + ".png'></head>");
    server.page("/plain", htmlPage("Plain"));
    // The page's own script cannot answer for its icon: it is read in the window's script world.
    server.page("/spoofed",
                "<head><title>Spoofed</title><link rel='shortcut icon' href='/real.png'><script>"
                "Document.prototype.querySelector = () => ({href: location.origin + '/fake.png'});"
                "</script></head>");
    struct Case {
        std::string page, shown;
    };
    const std::vector<Case> cases = {{"/small", "16x8"},
                                     {"/large", iconNameForSymbol("globe")},
                                     {"/plain", "16x16"},
                                     {"/spoofed", "8x4"},
                                     {"/small", "16x8"}};
    auto& view = open(website(cases[0].page));
    for (std::size_t i = 1; i < cases.size(); ++i) view.tabs().add(server.url(cases[i].page));
    auto shownIcons = [&] {
        std::vector<std::string> shown;
        for (std::size_t row = 0; row < cases.size(); ++row) shown.push_back(shownIcon(row));
        return shown;
    };
    std::vector<std::string> expected;
    for (const auto& entry : cases) expected.push_back(entry.shown);
    ASSERT_TRUE(spinUntil([&] {
        return view.tabs().items().size() == cases.size() && server.requestCount("/large.png") == 1 &&
               pageIcons.pendingCount() == 0 && shownIcons() == expected;
    })) << testing::PrintToString(shownIcons());
    EXPECT_EQ(server.requestCount("/small.png"), 1) << "kept for the run by its address";
    EXPECT_EQ(server.requestCount("/fake.png"), 0);
    for (const auto& tab : view.tabs().items())
        EXPECT_EQ(webkit_web_view_get_favicon(tab->webView()), nullptr) << "the engine decodes no icon";
}

TEST_F(BrowserTabs, AnIconThatIsADecompressionBombTakesNoMemoryAndShowsThePageSymbol) {
    const std::string bomb = blackPng(16000, 16000);
    server.route("/bomb.png", [&](const TestRequest&) { return TestResponse{200, "image/png", bomb}; });
    server.page("/bombed", "<head><title>Bombed</title><link rel=icon href='/bomb.png'></head>");
    // The window and its first page are made before the peak is taken.
    auto& view = open(website("/p0"));
    ASSERT_TRUE(waitForTitle("Page 0"));
    if (!resetPeakMemory()) GTEST_SKIP() << "the peak memory cannot be reset here";
    const long long before = peakMemoryBytes();
    for (int load = 1; load <= 2; ++load) {
        view.page().load(server.url("/bombed"));
        ASSERT_TRUE(waitForTitle("Bombed"));
        ASSERT_TRUE(spinUntil(
            [&] { return server.requestCount("/bomb.png") == 1 && pageIcons.pendingCount() == 0; }));
        EXPECT_EQ(shownIcon(0), iconNameForSymbol("globe")) << load;
    }
    const long long growth = peakMemoryBytes() - before;
    RecordProperty("peakGrowthBytes", std::to_string(growth));
    RecordProperty("residentBytes", std::to_string(residentMemoryBytes()));
    EXPECT_LT(growth, 64ll << 20) << "the picture's 768 MB of pixels were allocated";
    EXPECT_EQ(server.requestCount("/bomb.png"), 1) << "a refused icon is not fetched again this run";
}

TEST_F(BrowserTabs, AWebsiteOnItsOwnProxyFetchesItsTabIconsThroughItAndKeepsNoneOnDisk) {
    TinyproxyServer proxy;
    const std::string icon = blackPng(32, 32);
    server.route("/proxied.png", [&](const TestRequest&) { return TestResponse{200, "image/png", icon}; });
    server.page("/proxied", "<head><title>Proxied</title><link rel=icon href='/proxied.png'></head>");
    WebAppProfile profile = website("/proxied");
    profile.siteProxy = BrowserProxySettings{.kind = BrowserProxyKind::httpConnect, .port = proxy.port()};
    profile.sessionIdentifier = Uuid::random();
    open(profile, {.store = sessions.dataStore(profile)});
    ASSERT_TRUE(waitForTitle("Proxied"));
    EXPECT_TRUE(spinUntil([&] { return shownIcon(0) == "16x16"; })) << shownIcon(0);
    EXPECT_TRUE(proxy.sawRequestFor(server.url("/proxied.png"))) << proxy.log();
    EXPECT_EQ(server.requestCount("/proxied.png"), 1) << "never around the proxy";
    EXPECT_EQ(pathsNamed("Favicons"), std::vector<std::string>());
    controller.reset();
    sessions.forgetSession(profile.id);
}

TEST_F(BrowserTabs, APrivateWindowShowsItsTabIconsAndWritesNoIconAnywhere) {
    const std::string icon = blackPng(24, 24);
    server.route("/private.png", [&](const TestRequest&) { return TestResponse{200, "image/png", icon}; });
    server.page("/private", "<head><title>Private</title><link rel=icon href='/private.png'></head>");
    open(website("/private"), {.privateWindow = true});
    ASSERT_TRUE(waitForTitle("Private"));
    EXPECT_TRUE(spinUntil([&] { return shownIcon(0) == "16x16"; })) << shownIcon(0);
    EXPECT_EQ(pathsNamed("Favicons"), std::vector<std::string>());
    EXPECT_EQ(pathsNamed("WebsiteData"), std::vector<std::string>()) << "nothing of the private store";
}

TEST_F(BrowserTabs, TearDownEndsTheWindowsBrowsing) {
    auto& view = open(website("/p0"));
    view.tabs().add(server.url("/p1"));
    view.tabs().close();
    const int reported = recorder.stateChanges;
    view.setPresented(true, false);
    view.tearDown();
    EXPECT_TRUE(view.tabs().items().empty());
    EXPECT_TRUE(view.tabs().recentlyClosed().empty());
    EXPECT_TRUE(view.chrome().tabStrip().box().get_children().empty());
    EXPECT_EQ(view.chrome().startPageView(), nullptr);
    EXPECT_EQ(timers.pendingCount(), 0u);
    view.presenter().refresh();
    EXPECT_EQ(view.tabs().add(server.url("/p1")), nullptr) << "a late call after teardown makes no page";
    view.tabs().restore({{server.url("/p1"), "First", false, false, std::nullopt}}, 0);
    EXPECT_TRUE(view.tabs().items().empty());
    EXPECT_EQ(recorder.stateChanges, reported) << "nothing is reported after teardown";
}

}  // namespace
}  // namespace quenlith::test
