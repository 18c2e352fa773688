#include <gdk/gdkkeysyms.h>
#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "browser/browser_find_bar.hpp"
#include "browser/browser_toolbar.hpp"
#include "browser/compact_reveal_view.hpp"

namespace quenlith {
namespace {

// Delivers a synthetic key press to a realised widget, as the window would.
bool sendKey(Gtk::Widget& widget, guint keyval, guint state = 0) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(widget.get_window()->gobj()));
    event->key.keyval = keyval;
    event->key.state = state;
    event->key.send_event = TRUE;
    event->key.time = GDK_CURRENT_TIME;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    const bool handled = gtk_widget_event(widget.gobj(), event);
    gdk_event_free(event);
    return handled;
}

bool sendCrossing(Gtk::Widget& widget, GdkEventType type) {
    GdkEvent* event = gdk_event_new(type);
    event->crossing.window = GDK_WINDOW(g_object_ref(widget.get_window()->gobj()));
    event->crossing.send_event = TRUE;
    event->crossing.mode = GDK_CROSSING_NORMAL;
    event->crossing.detail = GDK_NOTIFY_NONLINEAR;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    const bool handled = gtk_widget_event(widget.gobj(), event);
    gdk_event_free(event);
    return handled;
}

TEST(BrowserToolbar, ButtonsAndFieldInTheirOrder) {
    BrowserToolbar toolbar;
    std::vector<Gtk::Widget*> expected = {&toolbar.back,        &toolbar.forward, &toolbar.reload,
                                          &toolbar.startPage,   &toolbar.address, &toolbar.saveWebsite,
                                          &toolbar.pin,         &toolbar.more};
    EXPECT_EQ(toolbar.get_children(), expected);
    EXPECT_EQ(toolbar.back.symbol(), "chevron.left");
    EXPECT_EQ(toolbar.back.get_tooltip_text(), "Back (Ctrl+[)");
    EXPECT_EQ(toolbar.forward.get_tooltip_text(), "Forward (Ctrl+])");
    EXPECT_EQ(toolbar.reload.get_tooltip_text(), "Reload (Ctrl+R)");
    EXPECT_EQ(toolbar.startPage.symbol(), "square.grid.2x2");
    EXPECT_EQ(toolbar.pin.symbol(), "pin.fill");
    EXPECT_EQ(toolbar.more.get_tooltip_text(), "More options");
    EXPECT_EQ(toolbar.saveWebsite.get_tooltip_text(), "Save Website…");
    EXPECT_EQ(toolbar.address.get_placeholder_text(), "Search or enter website");
    EXPECT_TRUE(toolbar.address.get_hexpand());
}

TEST(BrowserToolbar, ReturnInTheAddressFieldNavigatesWithItsText) {
    BrowserToolbar toolbar;
    toolbar.address.set_text("example.com");
    toolbar.address.activate();  // nothing set: nothing happens
    std::vector<std::string> typed;
    toolbar.onNavigate = [&](const std::string& text) { typed.push_back(text); };
    toolbar.address.activate();
    toolbar.address.set_text("two words");
    toolbar.navigate();
    EXPECT_EQ(typed, (std::vector<std::string>{"example.com", "two words"}));
}

class FindBarTest : public testing::Test {
protected:
    void SetUp() override {
        window.add(bar);
        window.show_all();
        bar.onFind = [this](const std::string& text, bool backwards) { finds.emplace_back(text, backwards); };
        bar.onClose = [this] { ++closes; };
    }
    Gtk::Window window;
    BrowserFindBar bar;
    std::vector<std::pair<std::string, bool>> finds;
    int closes = 0;
};

TEST_F(FindBarTest, EveryEditSearchesForwards) {
    bar.input.set_text("a");
    bar.input.set_text("ab");
    bar.input.set_text("");
    EXPECT_EQ(finds, (std::vector<std::pair<std::string, bool>>{{"a", false}, {"ab", false}, {"", false}}));
}

TEST_F(FindBarTest, ReturnSearchesShiftReturnSearchesBackwardsEscapeCloses) {
    bar.input.set_text("needle");
    finds.clear();
    EXPECT_TRUE(sendKey(bar.input, GDK_KEY_Return));
    EXPECT_TRUE(sendKey(bar.input, GDK_KEY_Return, GDK_SHIFT_MASK));
    EXPECT_TRUE(sendKey(bar.input, GDK_KEY_KP_Enter, GDK_SHIFT_MASK | GDK_CONTROL_MASK));
    EXPECT_EQ(finds, (std::vector<std::pair<std::string, bool>>{{"needle", false}, {"needle", true}, {"needle", true}}));
    EXPECT_EQ(closes, 0);
    EXPECT_TRUE(sendKey(bar.input, GDK_KEY_Escape));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(bar.input.get_text(), "needle") << "Escape closes the bar, it does not clear the field";
}

TEST_F(FindBarTest, ButtonsSearchBothWaysAndClose) {
    bar.input.set_text("x");
    finds.clear();
    bar.submit(true);
    bar.submit(false);
    bar.search();
    EXPECT_EQ(finds, (std::vector<std::pair<std::string, bool>>{{"x", true}, {"x", false}, {"x", false}}));
}

TEST_F(FindBarTest, ResultLabel) {
    bar.showResult(true, "x");
    EXPECT_EQ(bar.result.get_text(), "Match Found");
    bar.showResult(false, "x");
    EXPECT_EQ(bar.result.get_text(), "No Matches");
    bar.showResult(true, "");
    EXPECT_EQ(bar.result.get_text(), "");
}

TEST(CompactRevealView, ReportsEnteringAndLeaving) {
    Gtk::Window window;
    CompactRevealView reveal;
    reveal.set_size_request(200, 7);
    window.add(reveal);
    window.show_all();
    sendCrossing(reveal, GDK_ENTER_NOTIFY);  // nothing set: nothing happens
    std::vector<bool> hovers;
    reveal.onHover = [&](bool inside) { hovers.push_back(inside); };
    sendCrossing(reveal, GDK_ENTER_NOTIFY);
    sendCrossing(reveal, GDK_LEAVE_NOTIFY);
    EXPECT_EQ(hovers, (std::vector<bool>{true, false}));
}

}  // namespace
}  // namespace quenlith
