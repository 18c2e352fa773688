#include "ui/asked_window.hpp"

#include <optional>

#include <gtest/gtest.h>
#include <gtkmm/window.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

#include "support/main_loop.hpp"
#include "ui/kept_above.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// A window asked for is kept above while the person stays with this application exactly when a
// window of ours is kept above now: the one it was asked from, pinned or unpinned while it was shown
// as well as before, or another one shown beside it, also when it was asked for with none of our
// windows in use (from a tray's menu).
TEST(AskedWindow, IsKeptAboveWhenAWindowOfOursIsNow) {
    struct Case {
        const char* name;
        std::optional<KeptAbove> beforeShown;
        std::optional<KeptAbove> whileShown;
        KeptAbove asked;
        // Asked for with no window of ours in use: the first window is only shown.
        bool fromOutside = false;
        // A second window of ours, kept above, is shown too.
        bool anotherKeptAbove = false;
        // Asked for as a dialog of the window it was asked from.
        bool attach = false;
        std::optional<KeptAbove> askedBefore;
    };
    const Case cases[] = {
        {"kept above from the start", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication},
        {"kept above while shown", std::nullopt, KeptAbove::always, KeptAbove::untilAnotherApplication},
        {"unpinned while shown", KeptAbove::always, KeptAbove::no, KeptAbove::no},
        {"never kept above", std::nullopt, std::nullopt, KeptAbove::no},
        {"from outside, one kept above", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication, true},
        {"from outside, one unpinned", KeptAbove::always, KeptAbove::no, KeptAbove::no, true},
        {"from outside, none kept above", std::nullopt, std::nullopt, KeptAbove::no, true},
        {"from one not kept above, another kept above", std::nullopt, std::nullopt,
         KeptAbove::untilAnotherApplication, false, true},
        {"a dialog of one kept above", KeptAbove::always, std::nullopt, KeptAbove::untilAnotherApplication, false,
         false, true},
        {"a dialog from outside, one kept above", KeptAbove::always, std::nullopt,
         KeptAbove::untilAnotherApplication, true, false, true},
        {"kept above itself", KeptAbove::always, std::nullopt, KeptAbove::always, true, false, false,
         KeptAbove::always},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Gtk::Window origin;
        Gtk::Window other;
        if (c.beforeShown) keepAbove(origin, *c.beforeShown);
        if (c.anotherKeptAbove) {
            keepAbove(other, KeptAbove::always);
            other.show();
        }
        origin.show();
        ASSERT_TRUE(spinUntil([&] { return origin.get_mapped(); }));
        if (c.whileShown) keepAbove(origin, *c.whileShown);
        Gtk::Window asked;
        if (c.askedBefore) keepAbove(asked, *c.askedBefore);
        presentAskedWindow(asked, c.fromOutside ? nullptr : &origin, c.attach);
        EXPECT_EQ(keptAbove(asked), c.asked);
        EXPECT_EQ(asked.get_transient_for(), c.attach && !c.fromOutside ? &origin : nullptr);
        hideAskedWindow(asked);
    }
}


// Where a toplevel lies among the root window's children, lowest first (no window manager here:
// toplevels are the root's children).
int stackPosition(Gtk::Window& window) {
    Display* display = GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    int position = -1;
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned i = 0; i < count; ++i)
            if (children[i] == GDK_WINDOW_XID(window.get_window()->gobj())) position = static_cast<int>(i);
        XFree(children);
    }
    return position;
}

// The window manager gives `window` the keyboard, as it does to a window kept above when another
// window of ours goes.
void focusedByTheWindowManager(Gtk::Window& window) {
    GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
    event->focus_change.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
    event->focus_change.send_event = TRUE;
    event->focus_change.in = TRUE;
    gdk_event_set_device(event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// A window kept above that the window manager focuses comes in front of our other windows, except
// of a window asked for that has not had the focus yet: that one is what the person wants in front.
TEST(AskedWindow, AWindowFocusedWhileAnAskedOneWaitsForTheFocusStaysBelowIt) {
    for (const bool asked : {true, false}) {
        SCOPED_TRACE(asked ? "the other window was asked for" : "the other window is only shown");
        Gtk::Window pinned, settings, other;
        keepAbove(pinned, KeptAbove::always);
        keepAbove(settings, KeptAbove::untilAnotherApplication);
        comeAboveWhenActive(settings);
        pinned.show();
        settings.show();
        // It never takes the focus: the window manager has not given it yet.
        other.set_accept_focus(false);
        if (asked)
            presentAskedWindow(other, &pinned, false);
        else
            other.show();
        ASSERT_TRUE(spinUntil([&] {
            return other.get_window() && gdk_window_is_viewable(other.get_window()->gobj()) &&
                   stackPosition(other) > stackPosition(settings) && stackPosition(settings) >= 0;
        }));

        focusedByTheWindowManager(settings);
        ASSERT_TRUE(settings.is_active());
        // A raise would reach the server before this round trip returns.
        gdk_display_sync(gdk_display_get_default());
        if (asked)
            EXPECT_GT(stackPosition(other), stackPosition(settings));
        else
            EXPECT_TRUE(spinUntil([&] { return stackPosition(settings) > stackPosition(other); }));
        if (asked) hideAskedWindow(other);
    }
}

}  // namespace
}  // namespace quenlith
