#include "ui/focus_hold.hpp"

#include <gtk/gtk.h>
#include <gtkmm/window.h>

#include "ui/asked_window.hpp"

namespace quenlith {

namespace {

constexpr const char* kHoldsFocusKey = "quenlith-holds-focus";
guint pendingReturn = 0;

GtkWindow* shownHolder() {
    GtkWindow* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !found; item = item->next)
        if (g_object_get_data(G_OBJECT(item->data), kHoldsFocusKey) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            found = GTK_WINDOW(item->data);
    g_list_free(toplevels);
    return found;
}

gboolean focusedIn(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (!GTK_IS_WINDOW(widget) || gtk_window_get_window_type(GTK_WINDOW(widget)) != GTK_WINDOW_TOPLEVEL ||
        g_object_get_data(G_OBJECT(widget), kHoldsFocusKey) || pendingReturn || !shownHolder())
        return TRUE;
    // Asked once the focus change has been handled, with the server's time: newer than the request
    // of the window that took it.
    pendingReturn = g_idle_add(
        [](gpointer) -> gboolean {
            pendingReturn = 0;
            GtkWindow* holder = shownHolder();
            if (holder && !gtk_window_is_active(holder) && !minimisedNow(holder)) {
                // The window that took the focus asks no more for it.
                noteFocusRequested(0);
                askForFocusAgain(*Glib::wrap(holder));
            }
            return G_SOURCE_REMOVE;
        },
        nullptr);
    return TRUE;
}

}  // namespace

void holdFocusWhileShown(Gtk::Window& window) {
    static const gulong hook =
        g_signal_add_emission_hook(g_signal_lookup("focus-in-event", GTK_TYPE_WIDGET), 0, focusedIn, nullptr, nullptr);
    (void)hook;
    g_object_set_data(G_OBJECT(window.gobj()), kHoldsFocusKey, GINT_TO_POINTER(1));
}

}  // namespace quenlith
