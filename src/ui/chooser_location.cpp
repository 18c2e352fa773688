#include "ui/chooser_location.hpp"

#include <initializer_list>

#include <gtk/gtk.h>

namespace quenlith {

namespace {

constexpr const char* kWatchedKey = "quenlith-completion-watched";

// Inline completion reads the list of names: without one, there is nothing to complete from.
void keepInlineToList(GObject* object, GParamSpec*, gpointer) {
    auto* completion = GTK_ENTRY_COMPLETION(object);
    if (!gtk_entry_completion_get_model(completion) && gtk_entry_completion_get_inline_completion(completion))
        gtk_entry_completion_set_inline_completion(completion, FALSE);
}

// The chooser makes its location entry when it is first asked for: it is watched once shown.
gboolean entryMapped(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GObject*>(g_value_get_object(&values[0]));
    if (!GTK_IS_ENTRY(widget) || g_object_get_data(widget, kWatchedKey)) return TRUE;
    GtkEntryCompletion* completion = gtk_entry_get_completion(GTK_ENTRY(widget));
    if (!completion) return TRUE;
    g_object_set_data(widget, kWatchedKey, widget);
    g_signal_connect(completion, "notify::model", G_CALLBACK(keepInlineToList), nullptr);
    g_signal_connect(completion, "notify::inline-completion", G_CALLBACK(keepInlineToList), nullptr);
    return TRUE;
}

// A chooser passes a key on from its focused control up to itself; every control on the way is
// set up first (realising one realises those around it).
gboolean keyToChooser(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* window = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (!GTK_IS_WINDOW(window) || !GTK_IS_FILE_CHOOSER(window)) return TRUE;
    GtkWidget* focus = gtk_window_get_focus(GTK_WINDOW(window));
    for (GtkWidget* widget = focus; widget && widget != window; widget = gtk_widget_get_parent(widget))
        if (!gtk_widget_get_realized(widget)) {
            gtk_widget_realize(focus);
            break;
        }
    return TRUE;
}

}  // namespace

void quietChooserLocation() {
    static const bool hooked = [] {
        g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, entryMapped, nullptr, nullptr);
        for (const char* key : {"key-press-event", "key-release-event"})
            g_signal_add_emission_hook(g_signal_lookup(key, GTK_TYPE_WIDGET), 0, keyToChooser, nullptr, nullptr);
        return true;
    }();
    (void)hooked;
}

}  // namespace quenlith
