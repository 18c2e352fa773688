#include "browser/page/print_dialog.hpp"

#include <gtk/gtkunixprint.h>
#include <webkit2/webkit2.h>

#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {

namespace {

void onResponse(GtkDialog* dialog, int response, gpointer data) {
    auto view = GObjectPtr<GObject>::adopt(static_cast<GObject*>(g_weak_ref_get(static_cast<GWeakRef*>(data))));
    if (response == GTK_RESPONSE_OK && view) {
        auto* chooser = GTK_PRINT_UNIX_DIALOG(dialog);
        auto operation = GObjectPtr<WebKitPrintOperation>::adopt(webkit_print_operation_new(WEBKIT_WEB_VIEW(view.get())));
        auto settings = GObjectPtr<GtkPrintSettings>::adopt(gtk_print_unix_dialog_get_settings(chooser));
        webkit_print_operation_set_print_settings(operation.get(), settings.get());
        webkit_print_operation_set_page_setup(operation.get(), gtk_print_unix_dialog_get_page_setup(chooser));
        // The operation keeps itself until the page is printed.
        webkit_print_operation_print(operation.get());
    }
    // Taken apart on the next turn: the window it was asked from takes the focus back first, as the
    // answer is handled.
    // Held until then: a second answer (Escape, then the window's close) may come meanwhile.
    g_idle_add(
        [](gpointer widget) {
            gtk_widget_destroy(GTK_WIDGET(widget));
            g_object_unref(widget);
            return G_SOURCE_REMOVE;
        },
        g_object_ref(dialog));
}

}  // namespace

GtkWidget* showPrintDialog(WebKitWebView* view, GtkWindow* parent, bool modal) {
    GtkWidget* widget = gtk_print_unix_dialog_new(nullptr, parent);
    auto* dialog = GTK_PRINT_UNIX_DIALOG(widget);
    // What the engine prints itself; the rest the printer does.
    gtk_print_unix_dialog_set_manual_capabilities(
        dialog, static_cast<GtkPrintCapabilities>(GTK_PRINT_CAPABILITY_NUMBER_UP | GTK_PRINT_CAPABILITY_NUMBER_UP_LAYOUT |
                                                  GTK_PRINT_CAPABILITY_PAGE_SET | GTK_PRINT_CAPABILITY_REVERSE |
                                                  GTK_PRINT_CAPABILITY_COPIES | GTK_PRINT_CAPABILITY_COLLATE |
                                                  GTK_PRINT_CAPABILITY_SCALE));
    // Settings to start from: the toolkit's printing to a file fails without any.
    auto settings = GObjectPtr<GtkPrintSettings>::adopt(gtk_print_settings_new());
    gtk_print_unix_dialog_set_settings(dialog, settings.get());
    gtk_print_unix_dialog_set_embed_page_setup(dialog, TRUE);
    gtk_window_set_modal(GTK_WINDOW(widget), modal);
    // The view may go while the dialog is open: it is held weakly.
    auto* weakView = g_new0(GWeakRef, 1);
    g_weak_ref_init(weakView, view);
    g_signal_connect_data(widget, "response", G_CALLBACK(onResponse), weakView,
                          [](gpointer data, GClosure*) {
                              g_weak_ref_clear(static_cast<GWeakRef*>(data));
                              g_free(data);
                          },
                          GConnectFlags(0));
    gtk_widget_show(widget);
    return widget;
}

}  // namespace quenlith
