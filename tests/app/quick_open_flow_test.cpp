// Quick Open, "Open Multiple Links" and the guide, driven by keys and their own controls on real
// windows against a local server, which is also the only proxy the web views may use.
#include <set>

#include <gtkmm/clipboard.h>
#include <webkit2/webkit2.h>

#include "app/app_fixture.hpp"
#include "app/focus_walk.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "launcher/batch_links_window.hpp"
#include "launcher/guide_window.hpp"
#include "launcher/main_work_area.hpp"
#include "launcher/quick_open_window.hpp"
#include "model/address_limit.hpp"
#include "model/localization.hpp"
#include "model/more_menu.hpp"
#include "model/product_guide.hpp"
#include "support/accessibility_walk.hpp"
#include "support/proxy_servers.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::pressKey;
using test::spinUntil;
using Kind = AuxiliaryWindows::Kind;

// The only proxy the web views may use, started before the application: it carries plain requests
// to the local server and opens tunnels to port 9 alone, where nothing listens, so the search
// engine's address never leaves the machine.
struct LocalOnlyProxy {
    test::TinyproxyServer tinyproxy{"", "", 9};
};

class QuickOpenFlowTest : private LocalOnlyProxy, public test::AppFixture {
protected:
    QuickOpenFlowTest()
        : AppFixture(BrowserProxySettings{
              .kind = BrowserProxyKind::httpConnect, .host = "127.0.0.1", .port = tinyproxy.port()}) {}
    void SetUp() override { startWithMenu(); }

    BrowserWindowController& browserWindow() {
        return *environment->windows().registry().window(environment->windows().registry().browserID());
    }

    template <typename View>
    View* shown(Kind kind) {
        Gtk::Window* window = environment->auxiliaryWindows().window(kind);
        return window && window->get_visible() ? dynamic_cast<View*>(window) : nullptr;
    }

    // Ctrl+K on the key browser window, the query typed, the arrows, then Return; Escape alone for no query.
    void quickOpen(const std::string& query, std::vector<const char*> arrows = {}) {
        QuickOpenWindow* palette = nullptr;
        pressKey(browserWindow().panel(), "k", GDK_CONTROL_MASK);
        ASSERT_TRUE(spinUntil([&] { return (palette = shown<QuickOpenWindow>(Kind::quickOpen)) != nullptr; }));
        if (query.empty()) arrows = {"Escape"};
        palette->searchField().set_text(query);
        for (const char* arrow : arrows) pressKey(*palette, arrow);
        if (!query.empty()) pressKey(*palette, "Return");
        EXPECT_EQ(environment->auxiliaryWindows().window(Kind::quickOpen), nullptr) << query;
    }
};

TEST_F(QuickOpenFlowTest, KeysOpenEveryKindOfRowAndEscapeCloses) {
    for (const char* path : {"/a", "/b", "/site", "/clip", "/visited", "/g"})
        server.page(path, std::string("<!doctype html><title>Page ") + (path + 1) + "</title>");
    for (const char* path : {"/a", "/b"}) environment->windows().routing().open(server.url(path));
    BrowserViewController& browser = browserWindow().browser();
    browserWindow().panel().present();
    ASSERT_TRUE(spinUntil([&] {
        const auto& windows = environment->windows().publisher().runtime().windows();
        return windows.size() == 1 && windows[0].tabs.size() == 2 && windows[0].tabs[0].title == "Page a" &&
               browser.tabs().activeIndex() == 1;
    }));

    ASSERT_TRUE(environment->store().upsert(
        {.id = Uuid::random(), .name = "Local Site", .homeURL = server.url("/site")}));
    BrowserScene group = pastedLinksGroup({server.url("/g")}, "Reading group", Date{1});
    const PageClip clip{.id = Uuid::random(), .title = "Kept clip", .address = server.url("/clip")};
    ASSERT_TRUE(environment->library().update([&](LibraryDocument& document) {
        document.clips.push_back(clip);
        document.scenes.push_back(group);
        document.history.push_back(
            HistoryVisit{Uuid::random(), server.url("/visited"), "Visited once", systemClock().now()});
    }));
    environment->preferences().update([](AppPreferences& value) { value.historyEnabled = true; });

    // Both tabs, then the search row; Up stops at the first row.
    ASSERT_NO_FATAL_FAILURE(quickOpen("page 127.0.0.1", {"Down", "Down", "Up", "Up", "Up"}));
    EXPECT_TRUE(spinUntil([&] { return browser.tabs().activeIndex() == 0; }))
        << "the first tab is brought forward";
    for (const auto& [query, path] : {std::pair{"local SITE", "/site"}, {"kept", "/clip"},
                                      {"page group reading", "/g"}, {"visited history", "/visited"}}) {
        ASSERT_NO_FATAL_FAILURE(quickOpen(query));
        EXPECT_TRUE(spinUntil([&] { return server.requestCount(path) > 0; })) << query;
    }

    ASSERT_NO_FATAL_FAILURE(quickOpen("quenlith nowhere"));
    const std::string search = *searchURL(SearchEngine::google, "quenlith nowhere");
    EXPECT_TRUE(spinUntil([&] {
        BrowserTab* tab = browserWindow().browser().tabs().active();
        return tab && tab->webView() && webkit_web_view_get_uri(tab->webView()) == search;
    }));

    // Text too long for an address is neither opened nor searched for: the palette stays and says so.
    QuickOpenWindow* palette = nullptr;
    pressKey(browserWindow().panel(), "k", GDK_CONTROL_MASK);
    ASSERT_TRUE(spinUntil([&] { return (palette = shown<QuickOpenWindow>(Kind::quickOpen)) != nullptr; }));
    palette->searchField().set_text(server.url("/long?q=") + std::string(kAddressByteLimit, 'q'));
    pressKey(*palette, "Return");
    EXPECT_TRUE(palette->palette().queryTooLong());
    EXPECT_EQ(shown<QuickOpenWindow>(Kind::quickOpen), palette);
    quickOpen("");  // Escape closes
    EXPECT_EQ(server.requestCount("/long"), 0);
}

TEST_F(QuickOpenFlowTest, PastedLinksOpenAsTabsOrAreKeptAsAGroup) {
    std::string text;
    for (int i = 1; i <= 25; ++i) {
        server.page("/n" + std::to_string(i), "<!doctype html><title>Link " + std::to_string(i) + "</title>");
        text += server.url("/n" + std::to_string(i)) + "\n";
    }
    environment->auxiliaryWindows().showBatchLinks();
    BatchLinksWindow* sheet = shown<BatchLinksWindow>(Kind::batchLinks);
    ASSERT_TRUE(sheet);
    sheet->setInput(text);
    const auto texts = sheet->shownTexts();
    EXPECT_EQ(texts.front(), "20 links ready · 0 duplicates removed");
    EXPECT_EQ(texts[20], server.url("/n20"));
    EXPECT_THAT(texts, testing::Contains("Too many links. Reduce the input to at most 20 unique websites."));
    EXPECT_FALSE(sheet->performButton().get_sensitive());
    // A line too long for an address is invalid, and named again as too long.
    sheet->setInput("no link\n" + server.url("/long?q=") + std::string(kAddressByteLimit, 'q') + "\n" +
                    server.url("/n1"));
    EXPECT_THAT(sheet->shownTexts(),
                testing::Contains(
                    testing::AllOf(testing::StartsWith("Invalid lines will be skipped: 1, 2\n"),
                                   testing::EndsWith("too long for an address: 2"))));
    EXPECT_TRUE(sheet->performButton().get_sensitive());

    sheet->setInput(text.substr(0, text.find(server.url("/n21"))));
    sheet->performButton().clicked();
    EXPECT_EQ(environment->auxiliaryWindows().window(Kind::batchLinks), nullptr);
    EXPECT_TRUE(spinUntil([&] {
        return browserWindow().browser().tabs().items().size() == 20 && server.requestCount("/n20") &&
               server.requestCount("/n1");
    }));

    // The first tab is offered once the window has published its address and title.
    ASSERT_TRUE(spinUntil([&] {
        const RuntimeTab& first = environment->windows().publisher().runtime().windows().at(0).tabs.at(0);
        return first.title == "Link 1" && first.url == server.url("/n1");
    }));
    environment->auxiliaryWindows().showBatchLinks(BatchAction::group, "a.example\nb.example\n");
    sheet = shown<BatchLinksWindow>(Kind::batchLinks);
    ASSERT_TRUE(sheet);
    ASSERT_FALSE(sheet->performButton().get_sensitive()) << "a group needs a name";
    for (Gtk::MenuItem* item : sheet->suggestionItems())
        if (item->get_label() == "Link 1") item->activate();
    sheet->nameField().set_text(" Reading ");
    sheet->performButton().clicked();
    const auto& groups = environment->library().document().scenes;
    ASSERT_EQ(groups.size(), 1u);
    EXPECT_EQ(groups[0].name, "Reading");
    EXPECT_EQ(groups[0].windows[0].urls,
              (std::vector<std::string>{"https://a.example", "https://b.example", server.url("/n1")}));
    EXPECT_EQ(groups[0].windows[0].frame, (CodableRect{80, 80, 600, 700, std::nullopt}));
    EXPECT_EQ(environment->savedPagesNavigation().section(), SavedPagesSection::groups);
    EXPECT_TRUE(environment->auxiliaryWindows().window(Kind::library)->get_visible());
}

TEST_F(QuickOpenFlowTest, GuideShowsEverySectionAndItsShortcutsCanBeCopied) {
    environment->auxiliaryWindows().showGuide();
    GuideWindow* guide = shown<GuideWindow>(Kind::guide);
    ASSERT_TRUE(guide);
    ASSERT_TRUE(spinUntil([&] { return guide->get_mapped(); }));
    // The page, its Close button included, takes the guide's size and no more.
    const ContentSize size = guideContentSize(mainWorkArea());
    EXPECT_TRUE(spinUntil([&] {
        return guide->get_child()->get_allocated_width() == size.width &&
               guide->get_child()->get_allocated_height() == size.height;
    })) << guide->get_child()->get_allocated_width() << " × " << guide->get_child()->get_allocated_height();
    EXPECT_THAT(test::accessibilityProblems(*guide), testing::IsEmpty());
    const auto texts = test::drawnTexts(*guide);
    for (const GuideSection& section : guideSections()) {
        EXPECT_THAT(texts, testing::Contains(localizedString(section.title)));
        EXPECT_THAT(texts, testing::Contains(guideText(section)));
    }
    // A compact window's hidden controls: the guide says how they come back, naming the item that
    // puts them away as the More menu shows it.
    MoreMenuFacts compact;
    compact.compactMode = compact.compactRevealed = true;
    std::string hideControls;
    for (const MoreMenuEntry& entry : moreMenuEntries(compact))
        if (entry.item == MoreMenuItem::hideControls) hideControls = entry.title;
    ASSERT_FALSE(hideControls.empty());
    EXPECT_TRUE(std::any_of(guideSections().begin(), guideSections().end(), [&](const GuideSection& section) {
        const std::string text = guideText(section);
        return text.find("Compact mode") != std::string::npos && text.find(hideControls) != std::string::npos;
    })) << "no section tells how compact mode's controls come back";

    Gtk::Label& shortcuts = guide->shortcutList();
    EXPECT_EQ(texts.end()[-2], shortcuts.get_text()) << "the guide ends with its shortcuts";
    EXPECT_EQ(texts.back(), "Close");
    for (const char* key : {"Alt+Left", "Ctrl+Tab", "Ctrl+Page\u00A0Down", "F5", "Esc Stop loading"})
        EXPECT_THAT(shortcuts.get_text(), testing::HasSubstr(key));
    shortcuts.select_region(0, -1);
    g_signal_emit_by_name(shortcuts.gobj(), "copy-clipboard");
    auto clipboard = Gtk::Clipboard::get();
    EXPECT_TRUE(spinUntil([&] { return clipboard->wait_for_text() == shortcuts.get_text(); }));
}

// The texts of the labels and tooltips under `widget`, its internal parts (tab and group titles)
// and hidden parts included.
void collectLabels(GtkWidget* widget, std::set<std::string>& texts) {
    if (GTK_IS_LABEL(widget)) texts.insert(gtk_label_get_text(GTK_LABEL(widget)));
    if (gchar* tooltip = gtk_widget_get_tooltip_text(widget)) {
        texts.insert(tooltip);
        g_free(tooltip);
    }
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer found) { collectLabels(child, *static_cast<std::set<std::string>*>(found)); },
            &texts);
}

// Every control the guide sends the person to is there under that label: in a browser window, in
// the settings or in the website editor.
TEST_F(QuickOpenFlowTest, GuideNamesControlsTheWindowsShowUnderTheseLabels) {
    server.page("/a", "<!doctype html><title>Page a</title>");
    environment->windows().routing().open(server.url("/a"));
    ASSERT_TRUE(spinUntil([&] { return environment->windows().publisher().runtime().windows().size() == 1; }));
    environment->auxiliaryWindows().showSettings();
    environment->websiteEditor().showAddWebsite();
    Gtk::Window* settings = environment->auxiliaryWindows().window(Kind::settings);
    ASSERT_TRUE(settings && environment->websiteEditor().editorWindow());
    std::set<std::string> shown;
    for (Gtk::Window* window : {static_cast<Gtk::Window*>(&browserWindow().panel()), settings,
                                static_cast<Gtk::Window*>(environment->websiteEditor().editorWindow())})
        collectLabels(GTK_WIDGET(window->gobj()), shown);
    MoreMenuFacts facts;  // the items the guide names, all present
    facts.ownSession = facts.compactMode = facts.compactRevealed = true;
    for (const MoreMenuEntry& entry : moreMenuEntries(facts)) shown.insert(entry.title);
    std::size_t named = 0;
    for (const GuideSection& section : guideSections())
        for (const std::string& control : section.controls) {
            ++named;
            EXPECT_TRUE(shown.contains(localizedString(control))) << control << " in " << section.title;
        }
    EXPECT_GE(named, 10u);
}

TEST_F(QuickOpenFlowTest, GuideKeepsTheFocusOnCloseScrollsWithKeysAndClosesWithEitherKey) {
    for (const char* key : {"Escape", "Return"}) {
        SCOPED_TRACE(key);
        environment->auxiliaryWindows().showGuide();
        GuideWindow* guide = shown<GuideWindow>(Kind::guide);
        ASSERT_TRUE(guide);
        ASSERT_TRUE(spinUntil([&] { return guide->get_mapped(); }));
        EXPECT_EQ(test::tabStops(*guide), std::vector<Gtk::Widget*>{&guide->closeButton()})
            << "Close is the one stop; no text takes the focus";
        int start = 0, end = 0;
        EXPECT_FALSE(guide->shortcutList().get_selection_bounds(start, end)) << "no text is selected";
        auto* page =
            dynamic_cast<Gtk::ScrolledWindow*>(guide->shortcutList().get_ancestor(GTK_TYPE_SCROLLED_WINDOW));
        ASSERT_TRUE(page);
        EXPECT_EQ(page->get_vadjustment()->get_value(), 0) << "each opening starts at the top";
        test::pressAndDraw(*guide, "Page_Down");
        EXPECT_TRUE(spinUntil([&] { return page->get_vadjustment()->get_value() > 0; }))
            << "the page scrolls with the keys";
        pressKey(*guide, key);  // Return presses the focused Close button
        EXPECT_TRUE(spinUntil([&] { return !guide->get_visible(); }));
    }
}

}  // namespace
}  // namespace quenlith

