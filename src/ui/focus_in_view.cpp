#include "ui/focus_in_view.hpp"

#include <gtk/gtk.h>

namespace quenlith {

namespace {

void scrollToFocus(GtkScrolledWindow* scroller, int margin) {
    // The innermost control of the focus chain; the chain is set upwards, so it is complete by the
    // time it reaches the scrolled window.
    GtkWidget* focus = GTK_WIDGET(scroller);
    while (GTK_IS_CONTAINER(focus) && gtk_container_get_focus_child(GTK_CONTAINER(focus)))
        focus = gtk_container_get_focus_child(GTK_CONTAINER(focus));
    // The scrolled content, whose place in the scrolled area (its margin) the adjustment counts in.
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(scroller));
    if (GTK_IS_VIEWPORT(content)) content = gtk_bin_get_child(GTK_BIN(content));
    if (!content || focus == GTK_WIDGET(scroller) || !gtk_widget_get_realized(focus)) return;
    int x = 0, y = 0;
    if (!gtk_widget_translate_coordinates(focus, content, 0, 0, &x, &y)) return;
    GtkAllocation place;
    gtk_widget_get_allocation(content, &place);
    y += place.y;
    GtkAdjustment* vertical = gtk_scrolled_window_get_vadjustment(scroller);
    const double top = y - margin;
    const double bottom = y + gtk_widget_get_allocated_height(focus) + margin;
    gtk_adjustment_clamp_page(vertical, top, bottom);
}

}  // namespace

void keepFocusInView(Gtk::ScrolledWindow& scroller, int margin) {
    // The viewport inside has already scrolled to the edge when the chain reaches the scrolled window.
    scroller.signal_set_focus_child().connect(
        [&scroller, margin](Gtk::Widget*) { scrollToFocus(scroller.gobj(), margin); }, true);
}

}  // namespace quenlith
