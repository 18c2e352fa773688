// Shows the page at the address given on the command line in a plain window with one web view,
// and nothing else: the bare gtkmm and WebKitGTK program the start is measured against, asking for
// the page before it shows its window. Ends on SIGTERM or SIGINT.
#include <csignal>

#include <glib-unix.h>
#include <gtkmm/main.h>
#include <webkit2/webkit2.h>

namespace {

gboolean quit(gpointer) {
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

}  // namespace

int main(int argc, char** argv) {
    Gtk::Main toolkit(argc, argv);
    if (argc < 2) return 2;
    GtkWidget* window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_default_size(GTK_WINDOW(window), 480, 720);
    GtkWidget* view = webkit_web_view_new();
    gtk_container_add(GTK_CONTAINER(window), view);
    webkit_web_view_load_uri(WEBKIT_WEB_VIEW(view), argv[1]);
    gtk_widget_show_all(window);
    g_unix_signal_add(SIGTERM, quit, nullptr);
    g_unix_signal_add(SIGINT, quit, nullptr);
    gtk_main();
    return 0;
}
