// A window kept above until the person turns away goes back among the others once the window the
// person turns to counts, as a window manager hears it.
#include <gtest/gtest.h>
#include <gtkmm/window.h>

#include "support/main_loop.hpp"
#include "support/other_x_client.hpp"
#include "ui/kept_above.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// The focus as the display gives it to the window.
void giveFocus(Gtk::Window& window) {
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->focus_change.in = TRUE;
    gtk_widget_send_focus_change(GTK_WIDGET(window.gobj()), event);
    gdk_event_free(event);
}

// Once it has had the focus, the launcher opened as a window goes back among the others as any other
// window is in use; what a window kept above asked for, only as another application's is. Before it
// had the focus, while the window manager passes the focus to another window for a moment (as
// windows come and go), and kept above for good, it stays.
TEST(KeptAbove, EndsOnceThePersonTurnsToAWindowThatCounts) {
    test::OtherXClient other;
    Gtk::Window ours;
    ours.show();
    ASSERT_TRUE(spinUntil([&] { return ours.get_realized(); }));
    enum class Turn { toOurs, toOther, toOtherForAMoment };
    struct Case {
        const char* name;
        KeptAbove how;
        bool hadFocus;
        Turn turn;
        KeptAbove after;
    };
    const Case cases[] = {
        {"asked from a window kept above, then another application", KeptAbove::untilAnotherApplication, true,
         Turn::toOther, KeptAbove::no},
        {"asked from a window kept above, then another of ours", KeptAbove::untilAnotherApplication, true,
         Turn::toOurs, KeptAbove::untilAnotherApplication},
        {"another application for a moment", KeptAbove::untilAnotherApplication, true,
         Turn::toOtherForAMoment, KeptAbove::untilAnotherApplication},
        {"before it had the focus", KeptAbove::untilAnotherApplication, false, Turn::toOther,
         KeptAbove::untilAnotherApplication},
        {"the launcher, then another of ours", KeptAbove::untilAnotherWindow, true, Turn::toOurs,
         KeptAbove::no},
        {"the launcher, then another application", KeptAbove::untilAnotherWindow, true, Turn::toOther,
         KeptAbove::no},
        {"for good", KeptAbove::always, true, Turn::toOther, KeptAbove::always},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gtk::Window window;
        window.show();
        ASSERT_TRUE(spinUntil([&] { return window.get_mapped(); }));
        keepAbove(window, c.how);
        const unsigned long id = test::xWindowOf(window);
        other.activate(id);
        if (c.hadFocus) giveFocus(window);
        other.askedNotAbove(id);
        other.activate(c.turn == Turn::toOurs ? test::xWindowOf(ours) : other.window());
        if (c.turn == Turn::toOtherForAMoment) {
            test::spinFor(kTurnAwaySettling / 3);
            other.activate(id);
        }
        if (c.after == KeptAbove::no) {
            EXPECT_TRUE(spinUntil([&] { return other.askedNotAbove(id); })) << "the window manager is told";
        } else {
            test::spinFor(kTurnAwaySettling + std::chrono::milliseconds(300));
            EXPECT_FALSE(other.askedNotAbove(id));
        }
        EXPECT_EQ(keptAbove(window), c.after);
    }
}

}  // namespace
}  // namespace quenlith
