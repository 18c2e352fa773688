#include "ui/notebook_teardown.hpp"

#include <gtk/gtk.h>

namespace quenlith {

namespace {

// Runs before the page's accessible object hears that the page went.
gboolean pageRemoved(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* notebook = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (GTK_IS_NOTEBOOK(notebook) && gtk_widget_in_destruction(notebook))
        gtk_notebook_set_show_tabs(GTK_NOTEBOOK(notebook), FALSE);
    return TRUE;
}

}  // namespace

void quietNotebookTeardown() {
    static const gulong hook = g_signal_add_emission_hook(g_signal_lookup("page-removed", GTK_TYPE_NOTEBOOK),
                                                          0, pageRemoved, nullptr, nullptr);
    (void)hook;
}

}  // namespace quenlith
