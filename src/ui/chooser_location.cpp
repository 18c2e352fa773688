#include "ui/chooser_location.hpp"

#include <initializer_list>

#include <gtk/gtk.h>

namespace quenlith {

namespace {

// Inline completion reads the list of names: typed into without one, an entry stops completing
// inline before its completion hears of the text (emission hooks run before the handlers).
gboolean textInserted(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GObject*>(g_value_get_object(&values[0]));
    if (!GTK_IS_ENTRY(widget)) return TRUE;
    GtkEntryCompletion* completion = gtk_entry_get_completion(GTK_ENTRY(widget));
    if (completion && gtk_entry_completion_get_inline_completion(completion) &&
        !gtk_entry_completion_get_model(completion))
        gtk_entry_completion_set_inline_completion(completion, FALSE);
    return TRUE;
}

// A chooser passes a key on from its focused control up to itself; every control on the way is
// set up first. Setting one up sets up those around it, not those inside it: from the focused one up.
gboolean keyToChooser(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* window = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (!GTK_IS_WINDOW(window) || !GTK_IS_FILE_CHOOSER(window)) return TRUE;
    for (GtkWidget* widget = gtk_window_get_focus(GTK_WINDOW(window)); widget && widget != window;
         widget = gtk_widget_get_parent(widget))
        if (!gtk_widget_get_realized(widget)) gtk_widget_realize(widget);
    return TRUE;
}

}  // namespace

void quietChooserLocation() {
    static bool hooked = false;
    if (hooked) return;
    hooked = true;
    // The entry's class holds the signal of its editable text; kept for the process.
    g_type_class_ref(GTK_TYPE_ENTRY);
    g_signal_add_emission_hook(g_signal_lookup("insert-text", GTK_TYPE_ENTRY), 0, textInserted, nullptr,
                               nullptr);
    for (const char* key : {"key-press-event", "key-release-event"})
        g_signal_add_emission_hook(g_signal_lookup(key, GTK_TYPE_WIDGET), 0, keyToChooser, nullptr, nullptr);
}

}  // namespace quenlith
