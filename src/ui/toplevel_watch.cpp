#include "ui/toplevel_watch.hpp"

#include <gtk/gtk.h>
#include <gtkmm/window.h>

namespace quenlith {

namespace {

// A window of its own on the screen: menus and tooltips are pop-ups, and an off-screen window
// only draws for another.
bool worksIn(GtkWindow* window) {
    return gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL && !GTK_IS_OFFSCREEN_WINDOW(window);
}

gboolean widgetShown(GSignalInvocationHint*, guint count, const GValue* values, gpointer data) {
    GObject* shown = count > 0 ? G_OBJECT(g_value_get_object(&values[0])) : nullptr;
    if (shown && GTK_IS_WINDOW(shown) && worksIn(GTK_WINDOW(shown)))
        (*static_cast<std::function<void(Gtk::Window&)>*>(data))(*Glib::wrap(GTK_WINDOW(shown)));
    return TRUE;  // stays for the next
}

}  // namespace

ToplevelWatch::ToplevelWatch(std::function<void(Gtk::Window&)> onShown) : onShown_(std::move(onShown)) {
    // Every widget's "show" passes here as the widget shows: a window is handed over before the
    // main loop brings it any input.
    signal_ = g_signal_lookup("show", GTK_TYPE_WIDGET);
    hook_ = g_signal_add_emission_hook(signal_, 0, widgetShown, &onShown_, nullptr);
    for (Gtk::Window* window : Gtk::Window::list_toplevels())
        if (window->get_visible() && worksIn(window->gobj())) onShown_(*window);
}

ToplevelWatch::~ToplevelWatch() {
    g_signal_remove_emission_hook(signal_, hook_);
}

}  // namespace quenlith
