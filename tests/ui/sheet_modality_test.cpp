// Which windows a modal dialog holds, and the watch that hands over every window as it shows.
#include <gtest/gtest.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>
#include <gtkmm/messagedialog.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "ui/sheet_modality.hpp"
#include "ui/toplevel_watch.hpp"

namespace quenlith {
namespace {

// The window notes each key press it gets, by its title.
void noteKeys(Gtk::Window& window, std::vector<std::string>& heard) {
    window.signal_key_press_event().connect(
        [&window, &heard](GdkEventKey*) {
            heard.push_back(window.get_title());
            return true;
        },
        false);
}

// A key press for the window as the display gives it, through the toolkit's dispatch.
void pressKeyIn(Gtk::Window& window) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->key.keyval = GDK_KEY_a;
    event->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// Where a key pressed in each window goes, by title.
std::vector<std::string> keysOf(std::vector<std::string>& heard, std::initializer_list<Gtk::Window*> windows) {
    heard.clear();
    for (Gtk::Window* window : windows) pressKeyIn(*window);
    return heard;
}

// Called as the dialog shows, as the watch below calls it: a modal dialog holds its own window
// alone, and a question over it joins that hold; the window takes its keys again once no modal
// dialog over it is shown. Another window takes its keys throughout; a dialog attached to no
// window, or not modal, holds as it would.
TEST(HoldOnlyItsWindow, AModalDialogHoldsItsWindowAloneWhileShown) {
    std::vector<std::string> heard;
    Gtk::Window website, other;
    website.set_title("website");
    other.set_title("other");
    Gtk::MessageDialog sheet(website, "sheet", false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, /*modal=*/true);
    sheet.set_title("sheet");
    Gtk::MessageDialog question(sheet, "question", false, Gtk::MESSAGE_QUESTION, Gtk::BUTTONS_NONE, true);
    question.set_title("question");
    for (Gtk::Window* window : std::initializer_list<Gtk::Window*>{&website, &other, &sheet, &question})
        noteKeys(*window, heard);
    website.show();
    other.show();
    ASSERT_TRUE(test::spinUntil([&] { return website.get_mapped() && other.get_mapped(); }));
    using Heard = std::vector<std::string>;
    EXPECT_EQ(keysOf(heard, {&website, &other}), (Heard{"website", "other"}));

    sheet.show();
    holdOnlyItsWindow(sheet);
    EXPECT_EQ(keysOf(heard, {&website, &other, &sheet}), (Heard{"sheet", "other", "sheet"}));
    question.show();
    holdOnlyItsWindow(question);
    EXPECT_EQ(keysOf(heard, {&website, &other, &sheet}), (Heard{"question", "other", "question"}));
    question.hide();
    EXPECT_EQ(keysOf(heard, {&website, &other, &sheet}), (Heard{"sheet", "other", "sheet"}))
        << "the sheet still holds its window";
    sheet.hide();
    EXPECT_EQ(keysOf(heard, {&website, &other}), (Heard{"website", "other"}));
    EXPECT_FALSE(gtk_window_has_group(website.gobj())) << "the window is back among the others";

    // Shown again, it holds its window again.
    sheet.show();
    holdOnlyItsWindow(sheet);
    EXPECT_EQ(keysOf(heard, {&website, &other}), (Heard{"sheet", "other"}));
    sheet.hide();

    // Attached to no window, a modal dialog holds the whole application, as it did.
    Gtk::MessageDialog alone("alone", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, /*modal=*/true);
    alone.set_title("alone");
    noteKeys(alone, heard);
    alone.show();
    holdOnlyItsWindow(alone);
    EXPECT_EQ(keysOf(heard, {&website, &other}), (Heard{"alone", "alone"}));
    alone.hide();
    // Not modal, it holds nothing.
    Gtk::MessageDialog loose(website, "loose", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, /*modal=*/false);
    loose.show();
    holdOnlyItsWindow(loose);
    EXPECT_EQ(keysOf(heard, {&website, &other}), (Heard{"website", "other"}));
    EXPECT_FALSE(gtk_window_has_group(website.gobj()));
}

// The watch hands over the windows shown as it starts, then each window and dialog as it is about
// to show, every time; menus and tooltips, pop-ups of the toolkit, are not windows of their own,
// and nothing is handed over once the watch is gone.
TEST(ToplevelWatch, HandsOverEveryWindowAsItShowsButNotPopUps) {
    Gtk::Window before, hidden, after;
    before.set_title("before");
    hidden.set_title("hidden");
    after.set_title("after");
    before.show();
    std::vector<std::string> handed;
    Gtk::Menu menu;
    menu.append(*Gtk::manage(new Gtk::MenuItem("Item")));
    menu.show_all();
    Gtk::Window tooltip(Gtk::WINDOW_POPUP);
    tooltip.set_title("tooltip");
    {
        ToplevelWatch watch([&](Gtk::Window& window) {
            handed.push_back(window.get_title());
        });
        EXPECT_EQ(handed, std::vector<std::string>{"before"});
        handed.clear();
        after.show();
        Gtk::MessageDialog dialog(after, "dialog", false, Gtk::MESSAGE_INFO, Gtk::BUTTONS_NONE, true);
        dialog.set_title("dialog");
        dialog.show();
        tooltip.show();
        menu.popup_at_widget(&after, Gdk::GRAVITY_NORTH_WEST, Gdk::GRAVITY_NORTH_WEST, nullptr);
        dialog.hide();
        dialog.show();
        menu.popdown();
        EXPECT_EQ(handed, (std::vector<std::string>{"after", "dialog", "dialog"}));
    }
    handed.clear();
    hidden.show();
    EXPECT_TRUE(handed.empty());
}

}  // namespace
}  // namespace quenlith
