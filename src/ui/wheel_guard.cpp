#include "ui/wheel_guard.hpp"

#include <gtk/gtk.h>

namespace quenlith {

namespace {

constexpr const char* kGuardedKey = "quenlith-wheel-guarded";

bool takesWheel(GtkWidget* widget) {
    if (GTK_IS_SCROLLBAR(widget)) return false;  // the form's own scrollbars scroll it anyway
    return GTK_IS_COMBO_BOX(widget) || GTK_IS_RANGE(widget) || GTK_IS_SPIN_BUTTON(widget);
}

gboolean passWheelOn(GtkWidget* control, GdkEvent*, gpointer) {
    // Stopping the emission keeps the control's own handler out; returning FALSE lets the event
    // travel on to the enclosing scrolled window.
    g_signal_stop_emission_by_name(control, "scroll-event");
    return FALSE;
}

void guard(GtkWidget* widget, gpointer) {
    if (takesWheel(widget) && !g_object_get_data(G_OBJECT(widget), kGuardedKey)) {
        g_object_set_data(G_OBJECT(widget), kGuardedKey, GINT_TO_POINTER(1));
        g_signal_connect(widget, "scroll-event", G_CALLBACK(passWheelOn), nullptr);
    }
    // A combo box's own button and menu need no guard of their own.
    if (GTK_IS_CONTAINER(widget) && !GTK_IS_COMBO_BOX(widget)) gtk_container_forall(GTK_CONTAINER(widget), guard, nullptr);
}

}  // namespace

void leaveWheelToScrolling(Gtk::ScrolledWindow& scroller) {
    // Panes fill their forms after this call, and some rows are built later: guard at every
    // showing, when the form is complete.
    scroller.signal_map().connect([&scroller] { guard(GTK_WIDGET(scroller.gobj()), nullptr); });
}

}  // namespace quenlith
