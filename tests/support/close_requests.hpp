#pragma once

// The two ways a person closes a window from outside the application's own controls: the window
// manager's close request, and the close button of the window's title bar. Include it last: Xlib
// defines macros that clash with ordinary names.

#include <gtk/gtk.h>
#include <gtkmm/window.h>

#include <gdk/gdkx.h>

namespace quenlith::test {

// What a window manager sends a client when it is asked to close one of its windows
// (_NET_CLOSE_WINDOW, `wmctrl -ic`, the frame's close button): the WM_DELETE_WINDOW message. GDK
// turns it into the window's delete event on a later turn of the main loop.
inline void sendWindowManagerClose(Gtk::Window& window) {
    GdkWindow* gdkWindow = window.get_window()->gobj();
    Display* display = GDK_WINDOW_XDISPLAY(gdkWindow);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = GDK_WINDOW_XID(gdkWindow);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XFlush(display);
}

// The close button GTK puts into the window's header bar, or nullptr (none yet, or no header bar).
inline GtkWidget* titleBarCloseButton(GtkWidget* widget) {
    GtkStyleContext* style = gtk_widget_get_style_context(widget);
    if (GTK_IS_BUTTON(widget) && gtk_style_context_has_class(style, "titlebutton") &&
        gtk_style_context_has_class(style, "close"))
        return widget;
    GtkWidget* found = nullptr;
    // The title bar's buttons are internal children: only forall reaches them.
    if (GTK_IS_CONTAINER(widget))
        gtk_container_forall(
            GTK_CONTAINER(widget),
            [](GtkWidget* child, gpointer data) {
                auto* result = static_cast<GtkWidget**>(data);
                if (!*result) *result = titleBarCloseButton(child);
            },
            &found);
    return found;
}

// Presses the title bar's close button as a click or an accessibility tool does; false without one.
inline bool pressTitleBarCloseButton(Gtk::Window& window) {
    GtkWidget* button = titleBarCloseButton(GTK_WIDGET(window.gobj()));
    if (!button || !gtk_widget_is_sensitive(button) || !gtk_widget_get_mapped(button)) return false;
    gtk_button_clicked(GTK_BUTTON(button));
    return true;
}

}  // namespace quenlith::test
