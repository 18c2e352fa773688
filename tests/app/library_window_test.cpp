// The library window and the save-page window on real windows, stores and pages: the flows a
// person goes through, end to end.
#include <cmath>

#include <atk/atk.h>
#include <atkmm/object.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/settings.h>
#include <webkit2/webkit2.h>

#include "app/app_fixture.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "library/bookmarks_pane.hpp"
#include "library/clip_editor.hpp"
#include "library/history_pane.hpp"
#include "library/library_window.hpp"
#include "library/read_later_pane.hpp"
#include "model/pasted_links.hpp"
#include "model/preferences_store.hpp"
#include "support/accessibility_walk.hpp"
#include "support/content_fit.hpp"
#include "support/toolkit_warnings.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// The first list under `widget`.
Gtk::TreeView* listIn(Gtk::Widget& widget) {
    if (auto* list = dynamic_cast<Gtk::TreeView*>(&widget)) return list;
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (Gtk::TreeView* list = listIn(*child)) return list;
    return nullptr;
}

// Whether the second line of the first row of `pane`'s list is drawn fainter than the text colour,
// read from the row's markup.
bool secondLineDimmed(Gtk::Widget& pane) {
    GtkTreeModel* model = listIn(pane)->get_model()->gobj();
    GtkTreeIter row;
    if (!gtk_tree_model_get_iter_first(model, &row)) return false;
    for (int column = 0; column < gtk_tree_model_get_n_columns(model); ++column) {
        if (gtk_tree_model_get_column_type(model, column) != G_TYPE_STRING) continue;
        gchar* markup = nullptr;
        gtk_tree_model_get(model, &row, column, &markup, -1);
        PangoAttrList* attributes = nullptr;
        gchar* text = nullptr;
        bool dimmed = false;
        if (markup && pango_parse_markup(markup, -1, 0, &attributes, &text, nullptr, nullptr)) {
            if (const char* lineBreak = strchr(text, '\n')) {
                PangoAttrIterator* at = pango_attr_list_get_iterator(attributes);
                while (pango_attr_iterator_next(at)) {
                    gint start = 0, end = 0;
                    pango_attr_iterator_range(at, &start, &end);
                    auto* alpha = pango_attr_iterator_get(at, PANGO_ATTR_FOREGROUND_ALPHA);
                    if (start == lineBreak - text + 1 && alpha)
                        dimmed = reinterpret_cast<PangoAttrInt*>(alpha)->value < 0xFFFF;
                }
                pango_attr_iterator_destroy(at);
            }
            g_free(text);
            pango_attr_list_unref(attributes);
        }
        g_free(markup);
        if (dimmed) return true;
    }
    return false;
}

// The colour of the mark beside the first row of `pane`'s list ("rgb(…)"), where it is drawn at
// full strength; empty when the row has no mark or it is faint.
std::string rowMarkColour(Gtk::Widget& pane) {
    GtkTreeModel* model = listIn(pane)->get_model()->gobj();
    GtkTreeIter row;
    if (!gtk_tree_model_get_iter_first(model, &row)) return "";
    for (int column = 0; column < gtk_tree_model_get_n_columns(model); ++column) {
        if (gtk_tree_model_get_column_type(model, column) != GDK_TYPE_PIXBUF) continue;
        GdkPixbuf* picture = nullptr;
        gtk_tree_model_get(model, &row, column, &picture, -1);
        if (!picture || gdk_pixbuf_get_n_channels(picture) != 4) return "";
        auto pixbuf = Glib::wrap(picture);
        for (int y = 0; y < pixbuf->get_height(); ++y)
            for (int x = 0; x < pixbuf->get_width(); ++x)
                if (const guint8* pixel = pixbuf->get_pixels() + y * pixbuf->get_rowstride() + x * 4;
                    pixel[3] == 0xFF)
                    return "rgb(" + std::to_string(pixel[0]) + "," + std::to_string(pixel[1]) + "," +
                           std::to_string(pixel[2]) + ")";
    }
    return "";
}

// Whether every label shown under `widget` has been given its size.
bool laidOut(Gtk::Widget& widget) {
    if (!widget.get_is_drawable()) return true;
    if (dynamic_cast<Gtk::Label*>(&widget) && widget.get_allocated_width() <= 1) return false;
    if (auto* container = dynamic_cast<Gtk::Container*>(&widget))
        for (Gtk::Widget* child : container->get_children())
            if (!laidOut(*child)) return false;
    return true;
}

// Performs the action of that name of `object`, as a screen reader does.
bool performAction(AtkObject* object, const std::string& action) {
    if (!object || !ATK_IS_ACTION(object)) return false;
    for (int index = 0; index < atk_action_get_n_actions(ATK_ACTION(object)); ++index)
        if (const char* name = atk_action_get_name(ATK_ACTION(object), index); name && name == action)
            return atk_action_do_action(ATK_ACTION(object), index);
    return false;
}

// The menu on screen, if any.
Gtk::Menu* shownMenu() {
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (auto* menu = dynamic_cast<Gtk::Menu*>(window->get_child()); menu && menu->get_mapped()) return menu;
    return nullptr;
}

constexpr SavedPagesSection kSections[] = {SavedPagesSection::later, SavedPagesSection::bookmarks,
                                           SavedPagesSection::groups, SavedPagesSection::history};

class LibraryWindowTest : public test::AppFixture {
protected:
    void SetUp() override { environment = std::make_unique<AppEnvironment>(sessions); }

    LibraryWindow& showLibrary(std::optional<SavedPagesSection> section = std::nullopt) {
        environment->showLibrary(section);
        return dynamic_cast<LibraryWindow&>(*environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::library));
    }
    // Shows `section` and waits until it is on screen and laid out, with the stores' news delivered.
    LibraryWindow& showSettled(SavedPagesSection section) {
        LibraryWindow& window = showLibrary(section);
        EXPECT_TRUE(spinUntil([&] { return window.get_mapped(); }));
        settle();
        EXPECT_TRUE(spinUntil([&] { return laidOut(window); }));
        return window;
    }
    // Saves a page through the store, as the sheet does.
    PageClip addClip(const std::string& title, const std::string& address, std::optional<ReadingState> state = {}) {
        PageClip clip{.id = Uuid::random(), .title = title, .address = address, .readingState = state};
        EXPECT_TRUE(environment->library().save(clip));
        return clip;
    }
    const PageClip* stored(const Uuid& id) {
        for (const auto& clip : environment->library().document().clips)
            if (clip.id == id) return &clip;
        return nullptr;
    }
    // The question on screen, if any.
    static Gtk::MessageDialog* shownQuestion() {
        for (Gtk::Window* window : Gtk::Window::list_toplevels())
            if (auto* dialog = dynamic_cast<Gtk::MessageDialog*>(window); dialog && dialog->get_visible())
                return dialog;
        return nullptr;
    }
    // Runs what is waiting on the main loop, so the stores' idle announcements reach the window.
    static void settle() {
        for (int turn = 0; turn < 1000 && g_main_context_iteration(nullptr, FALSE); ++turn) {
        }
    }
};

TEST_F(LibraryWindowTest, OpensOnTheChosenSectionAndKeepsItsState) {
    addClip("One", "https://one.example.com", ReadingState::unread);
    addClip("Two", "https://two.example.com", ReadingState::unread);
    addClip("Done", "https://done.example.com", ReadingState::finished);
    LibraryWindow& window = showLibrary(SavedPagesSection::bookmarks);
    settle();
    EXPECT_EQ(window.sectionLabel(SavedPagesSection::later), "Read Later (2)");
    // The restore items follow the backup files each time the menu opens.
    EXPECT_TRUE(window.backupMenuItems()[2]->get_sensitive()) << "saving kept the previous library";
    // Restoring replaces the current data: its question shows "Continue" as destructive.
    window.backupMenuItems()[2]->activate();
    Gtk::MessageDialog* question = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (question = shownQuestion()); }));
    auto* proceed = question->get_widget_for_response(Gtk::RESPONSE_ACCEPT);
    ASSERT_TRUE(proceed);
    EXPECT_TRUE(proceed->get_style_context()->has_class("destructive-action"));
    question->response(Gtk::RESPONSE_CANCEL);
    test::removeTree(environment->library().fileURL() + ".backup");
    EXPECT_FALSE(window.backupMenuItems()[2]->get_sensitive());
    EXPECT_FALSE(window.backupMenuItems()[3]->get_sensitive());
    window.searchField().set_text("two");
    EXPECT_EQ(window.bookmarksPane().shownClips().size(), 1u);
    window.hide();

    LibraryWindow& again = showLibrary();
    EXPECT_EQ(&again, &window) << "the window is reused";
    EXPECT_EQ(environment->savedPagesNavigation().section(), SavedPagesSection::bookmarks);
    EXPECT_EQ(again.searchField().get_text(), "two") << "with its search";
    showLibrary(SavedPagesSection::history);
    EXPECT_EQ(environment->savedPagesNavigation().section(), SavedPagesSection::history);
}

// At the default text size the window keeps its size; at a larger one it takes what its content
// needs, and no section is cut off.
TEST_F(LibraryWindowTest, KeepsItsSizeAndTakesMoreOnlyWhereItsContentNeedsIt) {
    for (const double scale : {1.0, 1.5}) {
        SCOPED_TRACE(scale);
        test::TextScaleScope textScale(scale);
        environment.reset();
        environment = std::make_unique<AppEnvironment>(sessions);
        addClip("A page with a title long enough to be cut short in its row", "https://one.example.com",
                ReadingState::unread);
        for (auto section : kSections) {
            SCOPED_TRACE(static_cast<int>(section));
            LibraryWindow& window = showSettled(section);
            EXPECT_THAT(test::cutOffContent(window), testing::IsEmpty());
            if (scale == 1.0) {
                EXPECT_EQ(window.get_allocated_width(), 780);
                EXPECT_EQ(window.get_allocated_height(), 610);
            }
        }
    }
}

// A screen reader's walk of every section with two saved pages and two page groups: every control
// named (the search field by what it searches), no drop-down named by its value, no two controls
// of one name (a group's buttons read with their group).
TEST_F(LibraryWindowTest, EverySectionReadsWithANameForEveryControl) {
    addClip("One", "https://one.example.com", ReadingState::unread);
    addClip("Two", "https://two.example.com", ReadingState::unread);
    ASSERT_TRUE(environment->library().update([](LibraryDocument& document) {
        for (const char* name : {"Work", "Home"})
            document.scenes.push_back(pastedLinksGroup({"https://one.example.com/"}, name, Date{1}));
    }));
    for (auto section : kSections) {
        SCOPED_TRACE(static_cast<int>(section));
        LibraryWindow& window = showSettled(section);
        EXPECT_THAT(test::accessibleControlNames(window), testing::Contains("Search saved pages and groups"));
        EXPECT_THAT(test::accessibilityProblems(window), testing::IsEmpty());
    }
    EXPECT_THAT(test::accessibleControlNames(showSettled(SavedPagesSection::groups)),
                testing::IsSupersetOf({"Open, Work", "Focus, Work", "Hide, Work", "Open, Home"}));
}

// Every label of every section, the notes and empty-state texts among them, reads at 4.5:1 or more
// in the default theme, light and dark, and in the high-contrast theme.
TEST_F(LibraryWindowTest, TextContrastIsAtLeastFourAndAHalfInEverySectionAndTheme) {
    test::ThemeScope themes;
    for (const test::MeasuredTheme& theme : test::kMeasuredThemes) {
        SCOPED_TRACE(theme.label());
        themes.use(theme);
        // A window built after the change, styled from the start by the theme.
        environment.reset();
        environment = std::make_unique<AppEnvironment>(sessions);
        ASSERT_TRUE(spinUntil([&] { return test::prefersDarkTheme() == theme.dark; }));
        addClip("One " + theme.label(), "https://one.example.com", ReadingState::unread);
        for (auto section : kSections) {
            SCOPED_TRACE(static_cast<int>(section));
            LibraryWindow& window = showSettled(section);
            for (const test::TextContrast& text : test::labelContrasts(window))
                EXPECT_GE(text.ratio, 4.5) << "\"" << text.text << "\"";
        }
    }
}

TEST_F(LibraryWindowTest, SavePageTakesTheSelectionAndWritesTheLibrary) {
    server.page("/article", "<!doctype html><title>Article</title><p id=p>Quoted passage</p><p>rest</p>"
                            "<script>getSelection().selectAllChildren(document.getElementById('p'))</script>");
    BrowserViewController* browser = environment->windows().routing().open(server.url("/article"));
    ASSERT_TRUE(browser);
    ASSERT_TRUE(spinUntil([&] {
        BrowserTab* tab = browser->tabs().active();
        return tab && tab->webView() && !webkit_web_view_is_loading(tab->webView());
    }));
    browser->page().captureSelection(
        [this](PageClip draft) { environment->auxiliaryWindows().showClip(draft); });
    Gtk::Window* clipWindow = nullptr;
    ASSERT_TRUE(spinUntil(
        [&] { return (clipWindow = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::clip)); }));
    auto* editor = dynamic_cast<ClipEditor*>(clipWindow->get_child());
    ASSERT_TRUE(editor);
    EXPECT_EQ(editor->draft().text, "Quoted passage");
    EXPECT_FALSE(editor->addressField().get_sensitive()) << "an excerpt keeps its source";
    editor->collectionField().set_text("Quotes");
    editor->save();
    ASSERT_TRUE(spinUntil([&] { return test::readFile(folders.path("library.json")).find("Quoted passage") != std::string::npos; }));
    EXPECT_NE(test::readFile(folders.path("library.json")).find("Quotes"), std::string::npos);
    EXPECT_FALSE(clipWindow->get_visible()) << "a successful save closes the window";
}

// The save-page window without an excerpt and with one: every keyboard stop has a name, the pane
// that shows no excerpt among them. A collection is chosen from the closed "Choose" menu, as a
// screen reader chooses from the list of its items: it is taken, and the toolkit logs nothing.
TEST_F(LibraryWindowTest, TheSavePageWindowNamesEveryStopAndTakesACollectionFromItsClosedMenu) {
    PageClip quote{.id = Uuid::random(), .title = "Quote", .address = "https://quote.example.com", .collection = "Quotes"};
    ASSERT_TRUE(environment->library().save(quote));
    for (const std::string excerpt : {"", "Quoted passage"}) {
        SCOPED_TRACE(excerpt);
        environment->auxiliaryWindows().showClip(
            PageClip{.id = Uuid::random(), .title = "Page", .address = "https://page.example.com", .text = excerpt});
        Gtk::Window* window = nullptr;
        ASSERT_TRUE(spinUntil([&] {
            return (window = environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::clip)) &&
                   window->get_mapped();
        }));
        auto* editor = dynamic_cast<ClipEditor*>(window->get_child());
        ASSERT_TRUE(editor);
        ASSERT_TRUE(spinUntil([&] { return laidOut(*window); }));
        EXPECT_THAT(test::accessibilityProblems(*window), testing::IsEmpty());

        const int warnings = test::toolkitWarningCount();
        EXPECT_TRUE(performAction(test::accessibleNamed(window->get_accessible()->gobj(), "Quotes"), "click"));
        EXPECT_TRUE(spinUntil([&] { return editor->collectionField().get_text() == "Quotes"; }));
        EXPECT_EQ(test::toolkitWarningCount(), warnings);
        editor->cancel();
        ASSERT_TRUE(spinUntil([&] { return !window->get_visible(); }));
    }
}

// A page's "…" in the Read Later list, activated as a screen reader activates a list's cell (no
// input event comes with it): its menu opens, and the toolkit logs nothing.
TEST_F(LibraryWindowTest, APagesMoreActionsOpenTheirMenuWhenAScreenReaderActivatesThem) {
    addClip("One", "https://one.example.com", ReadingState::unread);
    LibraryWindow& window = showSettled(SavedPagesSection::later);
    const int warnings = test::toolkitWarningCount();
    ASSERT_EQ(gtk_get_current_event(), nullptr);
    EXPECT_TRUE(performAction(test::accessibleNamed(window.get_accessible()->gobj(), "More actions, One"), "activate"));
    Gtk::Menu* menu = nullptr;
    ASSERT_TRUE(spinUntil([&] { return (menu = shownMenu()); }));
    EXPECT_EQ(test::toolkitWarningCount(), warnings);
    std::vector<std::string> items;
    for (Gtk::Widget* child : menu->get_children())
        if (auto* item = dynamic_cast<Gtk::MenuItem*>(child)) items.push_back(item->get_label());
    EXPECT_EQ(items, (std::vector<std::string>{"Mark Finished", "Edit", "Remove from Read Later"}));
    menu->popdown();
}

// A page's cells that act on it read as what they do to which page: "Continue Reading" too, which
// shows the same text on every row.
TEST_F(LibraryWindowTest, EachCellActingOnAPageToReadLaterIsNamedByItsPage) {
    addClip("One", "https://one.example.com", ReadingState::unread);
    addClip("Two", "https://two.example.com", ReadingState::unread);
    LibraryWindow& window = showSettled(SavedPagesSection::later);
    AtkObject* root = window.get_accessible()->gobj();
    for (const char* name : {"Continue Reading, One", "Continue Reading, Two", "Mark Finished, One",
                             "Mark Finished, Two", "More actions, One", "More actions, Two"})
        EXPECT_NE(test::accessibleNamed(root, name), nullptr) << name;
    EXPECT_EQ(test::accessibleNamed(root, "Continue Reading"), nullptr);
}

TEST_F(LibraryWindowTest, ContinueReadingRestoresThePosition) {
    server.page("/long", "<!doctype html><title>Long</title><div style='height:20000px'>top</div>");
    addClip("Long read", server.url("/long"), ReadingState::unread);
    ASSERT_TRUE(environment->library().update(
        [&](LibraryDocument& document) { document.clips.front().readingPosition = 0.6; }));
    LibraryWindow& window = showLibrary(SavedPagesSection::later);
    settle();
    ASSERT_EQ(window.readLaterPane().shownClips().size(), 1u);
    window.readLaterPane().continueReading(window.readLaterPane().shownClips().front());

    BrowserViewController& browser =
        environment->windows().registry().window(environment->windows().registry().browserID())->browser();
    // Asks the page again after each answer until the position is there.
    std::optional<double> fraction;
    bool asking = false;
    ASSERT_TRUE(spinUntil([&] {
        if (fraction && std::fabs(*fraction - 0.6) <= 0.02) return true;
        if (!asking) {
            asking = true;
            browser.page().readingPosition(
                [&](const std::string&, const std::string&, std::optional<double> read) {
                    fraction = read;
                    asking = false;
                });
        }
        return false;
    })) << (fraction ? *fraction : -1);
}

TEST_F(LibraryWindowTest, ReadLaterMovesBetweenListsAndLeaves) {
    PageClip first = addClip("First", "https://first.example.com", ReadingState::unread);
    PageClip second = addClip("Second", "https://second.example.com", ReadingState::finished);
    LibraryWindow& window = showLibrary(SavedPagesSection::later);
    ReadLaterPane& pane = window.readLaterPane();
    // Second lines are dimmed; the unread and finished marks have the theme's accent at full
    // strength, in the light and the dark theme.
    for (bool dark : {false, true}) {
        g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", dark ? TRUE : FALSE,
                     nullptr);
        pane.setFilter(dark ? ReadingState::finished : ReadingState::unread);
        settle();
        ASSERT_EQ(pane.shownClips().size(), 1u);
        EXPECT_TRUE(secondLineDimmed(pane));
        Gdk::RGBA accent;
        ASSERT_TRUE(listIn(pane)->get_style_context()->lookup_color("theme_selected_bg_color", accent));
        EXPECT_EQ(rowMarkColour(pane), accent.to_string().raw());
    }
    g_object_set(gtk_settings_get_default(), "gtk-application-prefer-dark-theme", FALSE, nullptr);

    pane.setFilter(ReadingState::unread);
    pane.toggleReadingState(first);
    pane.setFilter(ReadingState::finished);
    settle();
    ASSERT_EQ(pane.shownClips().size(), 2u);
    EXPECT_EQ(pane.shownClips().front().id, first.id) << "marked finished, it leads the Finished list";
    EXPECT_EQ(window.sectionLabel(SavedPagesSection::later), "Read Later (0)");

    ASSERT_TRUE(environment->library().update(
        [&](LibraryDocument& document) { document.clips.back().readingPosition = 0.3; }));
    pane.removeFromReadLater(second);
    settle();
    ASSERT_TRUE(stored(second.id));
    EXPECT_FALSE(stored(second.id)->readingState || stored(second.id)->readingPosition);
    EXPECT_EQ(pane.shownClips().size(), 1u);
}

TEST_F(LibraryWindowTest, BookmarksDeleteAsksOnceAndExportShowsWhatIsShown) {
    std::vector<PageClip> exported;
    LibraryWindowLinks links;
    links.onExportNotes = [&](const std::vector<PageClip>& clips) { exported = clips; };
    LibraryWindow window(environment->library(), environment->store(), environment->preferences(),
                         environment->windows(), environment->savedPagesNavigation(), links);
    window.show();
    PageClip keep = addClip("Keep", "https://keep.example.com");
    PageClip work = addClip("Work page", "https://work.example.com");
    ASSERT_TRUE(environment->library().update([&](LibraryDocument& document) {
        for (auto& clip : document.clips) clip.collection = clip.id == work.id ? "Work" : "work";
    }));
    window.chooseSection(SavedPagesSection::bookmarks);
    BookmarksPane& pane = window.bookmarksPane();
    settle();
    pane.setFolder("Work");
    ASSERT_EQ(pane.shownClips().size(), 1u);
    EXPECT_TRUE(secondLineDimmed(pane)) << "the collection under the title";
    // The list starts 240 wide and is dragged between 210 and 310.
    Gtk::Paned& split = pane.split();
    ASSERT_TRUE(
        spinUntil([&] { return split.get_mapped() && split.get_child1()->get_allocated_width() > 1; }));
    EXPECT_EQ(split.get_position(), 240);
    for (const auto& [asked, shown] : {std::pair{400, 310}, {100, 210}, {260, 260}}) {
        split.set_position(asked);
        EXPECT_TRUE(spinUntil([&] { return split.get_child1()->get_allocated_width() == shown; }))
            << asked << ": " << split.get_child1()->get_allocated_width();
    }
    pane.exportMarkdown();
    ASSERT_EQ(exported.size(), 1u);
    EXPECT_EQ(exported.front().id, work.id);

    pane.setFolder("");
    pane.select(keep.id);
    ASSERT_TRUE(pane.selectedClip());
    pane.confirmDeleteBookmark(*pane.selectedClip());
    ASSERT_TRUE(window.question());
    EXPECT_TRUE(stored(keep.id)) << "nothing goes before the answer";
    Gtk::MessageDialog* question = window.question();
    question->response(Gtk::RESPONSE_ACCEPT);
    question->response(Gtk::RESPONSE_ACCEPT);
    settle();
    EXPECT_FALSE(stored(keep.id));
    EXPECT_TRUE(stored(work.id)) << "removed once, and only the one asked about";
    EXPECT_FALSE(pane.selected());
}

TEST_F(LibraryWindowTest, HistorySwitchRemoveAndClear) {
    LibraryWindow& window = showLibrary(SavedPagesSection::history);
    HistoryPane& pane = window.historyPane();
    const auto& history = environment->library().document().history;
    environment->recordVisit("https://off.example.com/", "Off");
    EXPECT_TRUE(history.empty()) << "history is off until switched on";

    pane.historySwitch().set_active(true);
    ASSERT_TRUE(spinUntil([&] { return PreferencesStore().value().readsHistoryEnabled(); }));
    for (const char* page : {"a", "b", "c"})
        environment->recordVisit(std::string("https://") + page + ".example.com/", page);
    settle();
    ASSERT_EQ(pane.shownPositions().size(), 3u);
    EXPECT_TRUE(secondLineDimmed(pane)) << "the address under the title";
    // Two visits with one id (as a hand-edited file may hold): the clicked row goes, not the first.
    ASSERT_TRUE(environment->library().update(
        [](LibraryDocument& document) { document.history[1].id = document.history[0].id; }));
    settle();
    pane.removeVisit(1);
    settle();
    ASSERT_EQ(history.size(), 2u);
    EXPECT_EQ(history[0].title + history[1].title, "ca");

    pane.confirmClearHistory();
    ASSERT_TRUE(window.question());
    window.question()->response(Gtk::RESPONSE_CANCEL);
    EXPECT_EQ(history.size(), 2u);
    pane.confirmClearHistory();
    window.question()->response(Gtk::RESPONSE_ACCEPT);
    settle();
    EXPECT_TRUE(history.empty());
    EXPECT_FALSE(pane.clearButton().get_sensitive());
}

TEST_F(LibraryWindowTest, AReadOnlyLibraryShowsWhyAndTheSheetStaysOpen) {
    environment.reset();
    test::writeFile(folders.path("library.json"), "{ not a library");
    environment = std::make_unique<AppEnvironment>(sessions);
    ASSERT_TRUE(environment->library().errorMessage());
    LibraryWindow& window = showLibrary(SavedPagesSection::bookmarks);
    EXPECT_TRUE(window.errorLine().get_visible());
    EXPECT_EQ(window.errorLine().get_text(), *environment->library().errorMessage());

    window.bookmarksPane().addBookmark();
    ClipEditor* editor = window.clipSheet();
    ASSERT_TRUE(editor);
    EXPECT_FALSE(editor->saveButton().get_sensitive()) << "no address yet";
    editor->addressField().set_text("example.com/page");
    ASSERT_TRUE(editor->saveButton().get_sensitive());
    editor->save();
    EXPECT_EQ(window.clipSheet(), editor) << "a refused save keeps the sheet";
    EXPECT_TRUE(editor->errorLine().get_visible());
    EXPECT_EQ(editor->draft().address, "example.com/page");
    EXPECT_EQ(test::readFile(folders.path("library.json")), "{ not a library");
}

}  // namespace
}  // namespace quenlith
