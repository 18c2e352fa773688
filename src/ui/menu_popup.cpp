#include "ui/menu_popup.hpp"

#include <gdkmm/rectangle.h>
#include <gdkmm/window.h>
#include <gtkmm/menu.h>

namespace quenlith {

void popupMenuBelow(Gtk::Menu& menu, const Glib::RefPtr<Gdk::Window>& window, const Gdk::Rectangle& area) {
    GdkEvent* trigger = gtk_get_current_event();
    if (!trigger && window) {
        // A key press of the seat's keyboard, now, in the window the menu is opened from.
        trigger = gdk_event_new(GDK_KEY_PRESS);
        trigger->key.window = GDK_WINDOW(g_object_ref(window->gobj()));
        trigger->key.send_event = TRUE;
        trigger->key.time = GDK_CURRENT_TIME;
        GdkSeat* seat = gdk_display_get_default_seat(gdk_window_get_display(window->gobj()));
        if (GdkDevice* keyboard = seat ? gdk_seat_get_keyboard(seat) : nullptr) gdk_event_set_device(trigger, keyboard);
    }
    menu.popup_at_rect(window, area, Gdk::GRAVITY_SOUTH_WEST, Gdk::GRAVITY_NORTH_WEST, trigger);
    if (trigger) gdk_event_free(trigger);
}

}  // namespace quenlith
