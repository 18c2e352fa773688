#include <gtest/gtest.h>
#include <gtkmm/comboboxtext.h>
#include <gtkmm/window.h>

#include "ui/wheel_guard.hpp"

namespace quenlith {
namespace {

// A wheel turn over a picker in a scrolled form scrolls the form, focused or not; the picker keeps its row.
TEST(WheelGuard, APickerInAFormKeepsItsRowUnderTheWheel) {
    Gtk::Window window;
    Gtk::ScrolledWindow form;
    Gtk::ComboBoxText picker;
    for (const char* row : {"first", "second", "third"}) picker.append(row);
    picker.set_active(0);
    form.add(picker);
    window.add(form);
    leaveWheelToScrolling(form);
    window.show_all();
    auto turnWheel = [&] {
        GdkEvent* event = gdk_event_new(GDK_SCROLL);
        event->scroll.window = GDK_WINDOW(g_object_ref(window.get_window()->gobj()));
        event->scroll.direction = GDK_SCROLL_DOWN;
        gtk_propagate_event(GTK_WIDGET(picker.gobj()), event);
        gdk_event_free(event);
    };
    picker.grab_focus();
    turnWheel();
    EXPECT_EQ(picker.get_active_row_number(), 0);
}

}  // namespace
}  // namespace quenlith
