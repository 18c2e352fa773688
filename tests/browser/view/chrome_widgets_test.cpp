#include <gdk/gdkkeysyms.h>
#include <gdkmm/seat.h>
#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "browser/view/browser_find_bar.hpp"
#include "browser/view/browser_toolbar.hpp"
#include "browser/view/compact_reveal_view.hpp"
#include "browser/view/tab_title.hpp"
#include "model/localization_testing.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/toolkit_language.hpp"

namespace quenlith {
namespace {

// Delivers a synthetic key press or pointer crossing to a realised widget, as the window would.
bool send(Gtk::Widget& widget, GdkEventType type, guint keyval = 0, guint state = 0) {
    GdkEvent* event = gdk_event_new(type);
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    event->any.window = GDK_WINDOW(g_object_ref(widget.get_window()->gobj()));
    event->any.send_event = TRUE;
    if (type == GDK_KEY_PRESS) {
        event->key.keyval = keyval;
        event->key.state = state;
        event->key.time = GDK_CURRENT_TIME;
    } else {
        event->crossing.mode = GDK_CROSSING_NORMAL;
        event->crossing.detail = GDK_NOTIFY_NONLINEAR;
    }
    gdk_event_set_device(event,
                         type == GDK_KEY_PRESS ? gdk_seat_get_keyboard(seat) : gdk_seat_get_pointer(seat));
    const bool handled = gtk_widget_event(widget.gobj(), event);
    gdk_event_free(event);
    return handled;
}
bool sendKey(Gtk::Widget& widget, guint keyval, guint state = 0) {
    return send(widget, GDK_KEY_PRESS, keyval, state);
}

TEST(BrowserFindBar, EditsAndReturnSearchShiftSearchesBackwardsEscapeCloses) {
    Gtk::Window window;
    BrowserFindBar bar;
    window.add(bar);
    window.show_all();
    std::vector<std::pair<std::string, bool>> finds;
    int closes = 0;
    bar.setOnFind([&](const std::string& text, bool backwards) { finds.emplace_back(text, backwards); });
    bar.setOnClose([&] { ++closes; });
    bar.input().set_text("a");
    bar.input().set_text("needle");
    EXPECT_TRUE(sendKey(bar.input(), GDK_KEY_Return));
    EXPECT_TRUE(sendKey(bar.input(), GDK_KEY_KP_Enter, GDK_SHIFT_MASK | GDK_CONTROL_MASK));
    bar.submit(true);
    EXPECT_EQ(finds,
              (std::vector<std::pair<std::string, bool>>{
                  {"a", false}, {"needle", false}, {"needle", false}, {"needle", true}, {"needle", true}}));
    EXPECT_TRUE(sendKey(bar.input(), GDK_KEY_Escape));
    EXPECT_EQ(closes, 1);
    EXPECT_EQ(bar.input().get_text(), "needle") << "Escape closes the bar, it does not clear the field";
}

TEST(CompactRevealView, ReportsEnteringAndLeaving) {
    Gtk::Window window;
    CompactRevealView reveal;
    reveal.set_size_request(200, 7);
    window.add(reveal);
    window.show_all();
    send(reveal, GDK_ENTER_NOTIFY);  // nothing set: nothing happens
    std::vector<bool> hovers;
    reveal.setOnHover([&](bool inside) { hovers.push_back(inside); });
    send(reveal, GDK_ENTER_NOTIFY);
    send(reveal, GDK_LEAVE_NOTIFY);
    EXPECT_EQ(hovers, (std::vector<bool>{true, false}));
}

TEST(ChromeTexts, ShowInSimplifiedChinese) {
    test::TemporaryEnvironment environment;
    environment.set("LANGUAGE", "zh_CN");
    localization_testing::reset();
    EXPECT_EQ(localization_testing::effectiveLanguageCode(), "zh-Hans");
    EXPECT_EQ(findResultText(true, "x"), "找到匹配项");
    EXPECT_EQ(tabDisplayTitle({false, "", true, "", std::nullopt, std::nullopt}), "起始页");
    localization_testing::reset();  // the next lookup resolves in the restored environment
}

// A tooltip names its key as the main menu does: in the toolkit's words, which stay English where
// the toolkit has no Chinese texts.
TEST(ChromeTexts, NameTheirKeysAsTheMenusDo) {
    const struct {
        const char* language;
        bool toolkitTexts;
        const char* back;
        const char* forward;
    } cases[] = {
        {"en", true, "Back (Alt+Left)", "Forward (Alt+Right)"},
        {"zh_CN", false, "后退（Alt+Left）", "前进（Alt+Right）"},
        {"zh_CN", true, "后退（Alt+左）", "前进（Alt+右）"},
    };
    const bool chineseKeys = test::ToolkitLanguage::toolkitHasTexts("zh_CN");
    for (const auto& [language, toolkitTexts, back, forward] : cases) {
        SCOPED_TRACE(std::string(language) + (toolkitTexts ? " with" : " without") + " the toolkit's texts");
        if (std::string(language) == "zh_CN" && toolkitTexts && !chineseKeys) continue;  // not installed here
        test::ToolkitLanguage chosen(language, toolkitTexts);
        BrowserToolbar toolbar;
        EXPECT_EQ(toolbar.back().get_tooltip_text(), back);
        EXPECT_EQ(toolbar.forward().get_tooltip_text(), forward);
    }
}

// Runs xdotool with the arguments and waits for it.
bool xdotool(const std::string& arguments) {
    int status = 1;
    return g_spawn_command_line_sync(("xdotool " + arguments).c_str(), nullptr, nullptr, &status, nullptr) &&
           status == 0;
}

TEST(CompactRevealView, PressingAndDraggingMovesTheWindow) {
    Gtk::Window window;
    window.set_decorated(false);
    window.set_default_size(300, 7);
    CompactRevealView reveal;
    window.add(reveal);
    window.move(900, 600);  // away from the other tests' windows in the corner
    window.show_all();
    int x = 0, y = 0;
    ASSERT_TRUE(test::spinUntil([&] {
        window.get_window() ? window.get_window()->get_root_origin(x, y) : void();
        return window.get_mapped() && x == 900 && y == 600;
    }));

    // Other tests' windows share this display: the press must land on this one.
    auto seat = Gdk::Display::get_default()->get_default_seat();
    ASSERT_TRUE(test::spinUntil([&] {
        window.get_window()->raise();
        int wx = 0, wy = 0;
        auto under = xdotool("mousemove --sync 950 603") ? seat->get_pointer()->get_window_at_position(wx, wy)
                                                         : Glib::RefPtr<Gdk::Window>();
        return under && under->get_toplevel() == window.get_window();
    }));
    ASSERT_TRUE(xdotool("mousedown 1"));
    // The press starts the drag: the pointer is grabbed.
    ASSERT_TRUE(
        test::spinUntil([&] { return Gdk::Display::get_default()->device_is_grabbed(seat->get_pointer()); }));
    ASSERT_TRUE(xdotool("mousemove 1010 643"));
    const bool moved = test::spinUntil([&] {
        window.get_window()->get_root_origin(x, y);
        return x == 960 && y == 640;
    });
    xdotool("mouseup 1");
    EXPECT_TRUE(moved) << "window at " << x << "," << y;
}

}  // namespace
}  // namespace quenlith
