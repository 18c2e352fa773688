#pragma once

// Walking a window with the keyboard as a person does: a key, then the next frame.

#include <string>
#include <vector>

#include <gtkmm/window.h>

#include "app/app_fixture.hpp"

namespace quenlith::test {

// Spins until the window has drawn its next frame: a layout that a move of the focus queued is
// done by then, as it is before a person's next key (keys sent faster are partly lost).
inline void waitForFrame(Gtk::Window& window) {
    GdkFrameClock* clock = gdk_window_get_frame_clock(window.get_window()->gobj());
    bool painted = false;
    gulong handler = g_signal_connect_swapped(clock, "after-paint",
                                              G_CALLBACK(+[](bool* done) { *done = true; }), &painted);
    gdk_frame_clock_request_phase(clock, GDK_FRAME_CLOCK_PHASE_AFTER_PAINT);
    EXPECT_TRUE(spinUntil([&] { return painted; }));
    g_signal_handler_disconnect(clock, handler);
}

// `key` pressed in the window, and its next frame drawn.
inline void pressAndDraw(Gtk::Window& window, const char* key, unsigned modifiers = 0) {
    pressKey(window, key, modifiers);
    waitForFrame(window);
}

// The widgets Tab stops at, in order, from the focused one until the focus reaches `until` or
// comes back to where it started (at most 100 stops).
inline std::vector<Gtk::Widget*> tabStops(Gtk::Window& window, const Gtk::Widget* until = nullptr) {
    waitForFrame(window);
    std::vector<Gtk::Widget*> stops{window.get_focus()};
    for (int presses = 0; presses < 100 && stops.back() != until; ++presses) {
        pressAndDraw(window, "Tab");
        if (window.get_focus() == stops.front()) break;
        stops.push_back(window.get_focus());
    }
    return stops;
}

// The first widget of type Widget under `root` whose get_label() is `label`.
template <typename Widget>
Widget* findLabelled(Gtk::Widget& root, const std::string& label) {
    if (auto* found = dynamic_cast<Widget*>(&root); found && found->get_label() == label) return found;
    if (auto* container = dynamic_cast<Gtk::Container*>(&root))
        for (Gtk::Widget* child : container->get_children())
            if (auto* found = findLabelled<Widget>(*child, label)) return found;
    return nullptr;
}

}  // namespace quenlith::test
