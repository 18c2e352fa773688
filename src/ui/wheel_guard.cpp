#include "ui/wheel_guard.hpp"

#include <gtk/gtk.h>

namespace quenlith {

namespace {

constexpr const char* kGuardedKey = "quenlith-wheel-guarded";

bool takesWheel(GtkWidget* widget) {
    if (GTK_IS_SCROLLBAR(widget)) return false;  // the form's own scrollbars scroll it anyway
    return GTK_IS_COMBO_BOX(widget) || GTK_IS_RANGE(widget) || GTK_IS_SPIN_BUTTON(widget);
}

// A control changes with the wheel only while it, or a part of it, holds the keyboard focus.
bool wheelChangesControl(GtkWidget* control) {
    GtkWidget* top = gtk_widget_get_toplevel(control);
    GtkWidget* focus = GTK_IS_WINDOW(top) ? gtk_window_get_focus(GTK_WINDOW(top)) : nullptr;
    return focus && (focus == control || gtk_widget_is_ancestor(focus, control));
}

gboolean onControlScroll(GtkWidget* control, GdkEvent*, gpointer) {
    // Stopping the emission keeps the control's own handler out; returning FALSE lets the event
    // travel on to the enclosing scrolled window.
    if (!wheelChangesControl(control)) g_signal_stop_emission_by_name(control, "scroll-event");
    return FALSE;
}

void guard(GtkWidget* widget, gpointer) {
    if (takesWheel(widget) && !g_object_get_data(G_OBJECT(widget), kGuardedKey)) {
        g_object_set_data(G_OBJECT(widget), kGuardedKey, GINT_TO_POINTER(1));
        g_signal_connect(widget, "scroll-event", G_CALLBACK(onControlScroll), nullptr);
    }
    // A combo box's own button and menu need no guard; its entry (with an entry) takes no wheel.
    if (GTK_IS_CONTAINER(widget) && !GTK_IS_COMBO_BOX(widget)) gtk_container_forall(GTK_CONTAINER(widget), guard, nullptr);
}

}  // namespace

void leaveWheelToScrolling(Gtk::ScrolledWindow& scroller) {
    // Panes fill their forms after this call, and some rows are built later: guard at every
    // showing, when the form is complete.
    scroller.signal_map().connect([&scroller] { guard(GTK_WIDGET(scroller.gobj()), nullptr); });
}

}  // namespace quenlith
