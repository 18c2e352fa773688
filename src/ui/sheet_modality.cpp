#include "ui/sheet_modality.hpp"

#include <gtk/gtk.h>
#include <gtkmm/window.h>

namespace quenlith {

namespace {

constexpr const char* kWatched = "quenlith-holds-its-window";

// A dialog's hold is a window group of its own for its window and itself: the toolkit keeps a modal
// window's hold within its group. The window goes back among the others once no modal dialog of
// that group is shown.
void dialogGone(GtkWidget* dialog, gpointer) {
    GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(dialog));
    if (!parent || gtk_widget_in_destruction(GTK_WIDGET(parent)) || !gtk_window_has_group(parent)) return;
    GtkWindowGroup* group = gtk_window_get_group(parent);
    bool held = false;
    GList* members = gtk_window_group_list_windows(group);
    for (GList* member = members; member; member = member->next) {
        auto* window = static_cast<GtkWindow*>(member->data);
        if (GTK_WIDGET(window) != dialog && gtk_widget_get_visible(GTK_WIDGET(window)) &&
            gtk_window_get_modal(window))
            held = true;
    }
    g_list_free(members);
    if (!held) gtk_window_group_remove_window(group, parent);
}

}  // namespace

void holdOnlyItsWindow(Gtk::Window& dialog) {
    GtkWindow* own = dialog.gobj();
    GtkWindow* parent = gtk_window_get_transient_for(own);
    if (!parent || !gtk_window_get_modal(own)) return;
    // Over a window held already (a question on a sheet), the dialog joins that hold.
    if (!gtk_window_has_group(parent)) {
        GtkWindowGroup* group = gtk_window_group_new();
        gtk_window_group_add_window(group, parent);
        g_object_unref(group);  // its windows keep it
    }
    GtkWindowGroup* group = gtk_window_get_group(parent);
    if (gtk_window_get_group(own) != group) {
        gtk_window_group_add_window(group, own);
        // Shown already, it leaves its hold behind in the group it left: it takes it up again here.
        if (gtk_widget_get_visible(GTK_WIDGET(own))) gtk_grab_add(GTK_WIDGET(own));
    }
    if (g_object_get_data(G_OBJECT(own), kWatched)) return;
    g_object_set_data(G_OBJECT(own), kWatched, GINT_TO_POINTER(1));
    // Unmapped as it hides and as it is destroyed while shown.
    g_signal_connect(own, "unmap", G_CALLBACK(dialogGone), nullptr);
}

}  // namespace quenlith
