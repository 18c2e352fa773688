#include "ui/closed_menus.hpp"

#include <gtk/gtk.h>

namespace quenlith {

namespace {

// Makes the window `menu` pops up in, unshown, once the widget it is attached to is made.
void prepare(GtkMenu* menu) {
    GtkWidget* attached = gtk_menu_get_attach_widget(menu);
    if (!attached || !gtk_widget_get_realized(attached)) return;
    GtkWidget* popup = gtk_widget_get_toplevel(GTK_WIDGET(menu));
    if (GTK_IS_WINDOW(popup) && !gtk_widget_get_realized(popup)) gtk_widget_realize(popup);
}

// Runs after the widget's own handler: the widget is realized by then.
gboolean realized(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    for (GList* menu = gtk_menu_get_for_attach_widget(widget); menu; menu = menu->next)
        prepare(GTK_MENU(menu->data));
    return TRUE;
}

}  // namespace

void letReadersChooseFromClosedMenus() {
    static const bool installed = [] {
        g_signal_add_emission_hook(g_signal_lookup("realize", GTK_TYPE_WIDGET), 0, realized, nullptr, nullptr);
        return true;
    }();
    (void)installed;
}

}  // namespace quenlith
