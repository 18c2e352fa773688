#include "ui/work_area_fit.hpp"

#include <gtk/gtk.h>
#include <gtkmm/window.h>

#include "model/window_geometry.hpp"
#include "ui/window_placement.hpp"

namespace quenlith {

namespace {

constexpr const char* kKeptKey = "quenlith-kept-in-work-area";
constexpr const char* kWatchedKey = "quenlith-watched-for-work-area";
bool dialogsKept = false;

bool kept(GtkWidget* widget) {
    if (!GTK_IS_WINDOW(widget)) return false;
    if (g_object_get_data(G_OBJECT(widget), kKeptKey)) return true;
    GtkWindow* window = GTK_WINDOW(widget);
    return dialogsKept && gtk_window_get_window_type(window) == GTK_WINDOW_TOPLEVEL &&
           (GTK_IS_DIALOG(widget) || gtk_window_get_transient_for(window));
}

Rect rectOf(const GdkRectangle& area) {
    return Rect{double(area.x), double(area.y), double(area.width), double(area.height)};
}

// The work area of the screen showing `shown`: the one it is on once placed, before that the one
// of the window it belongs to, else the main one.
std::optional<Rect> workAreaOf(GtkWidget* shown, bool placed) {
    GdkDisplay* display = gtk_widget_get_display(shown);
    GdkMonitor* monitor = nullptr;
    GtkWindow* parent = gtk_window_get_transient_for(GTK_WINDOW(shown));
    GtkWidget* onScreen = placed ? shown : parent ? GTK_WIDGET(parent) : nullptr;
    if (onScreen && gtk_widget_get_window(onScreen))
        monitor = gdk_display_get_monitor_at_window(display, gtk_widget_get_window(onScreen));
    if (!monitor) monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0) monitor = gdk_display_get_monitor(display, 0);
    if (!monitor) return std::nullopt;
    GdkRectangle area;
    gdk_monitor_get_workarea(monitor, &area);
    return rectOf(area);
}

// The decoration a window manager draws around `window`: its frame less its own X window.
Margins decorationOf(GtkWidget* window) {
    if (!window || !gtk_widget_get_mapped(window)) return {};
    auto placement = windowPlacement(Glib::wrap(gtk_widget_get_window(window), true));
    if (!placement) return {};
    const Rect &outer = placement->outer, &client = placement->client;
    return Margins{client.minX() - outer.minX(), outer.maxX() - client.maxX(), client.minY() - outer.minY(),
                   outer.maxY() - client.maxY()};
}

// Shown: a window larger than the work area (with the decoration of the window it belongs to,
// until its own is known) is made to fit.
void fitSize(GtkWidget* shown) {
    auto area = workAreaOf(shown, false);
    if (!area) return;
    GtkWindow* window = GTK_WINDOW(shown);
    const Margins decoration = decorationOf(GTK_WIDGET(gtk_window_get_transient_for(window)));
    int width = 0, height = 0;
    gtk_window_get_size(window, &width, &height);
    const double sides = decoration.left + decoration.right, ends = decoration.top + decoration.bottom;
    const Rect fitted = frameWithin(Rect{area->x, area->y, width + sides, height + ends}, *area);
    const int fittedWidth = int(fitted.width - sides), fittedHeight = int(fitted.height - ends);
    if (fittedWidth >= width && fittedHeight >= height) return;
    // A window fixed at its natural size may take less: its texts wrap, its lists scroll.
    if (!gtk_window_get_resizable(window)) gtk_window_set_resizable(window, TRUE);
    gtk_window_resize(window, fittedWidth, fittedHeight);
}

// What is kept for a window looked after: whether a fit waits for the next idle turn, and the size
// of its own X window when last fitted.
struct Watch {
    bool pending = false;
    double width = 0;
    double height = 0;
};

Watch& watchOf(GtkWidget* window) {
    return *static_cast<Watch*>(g_object_get_data(G_OBJECT(window), kWatchedKey));
}

// Framed and placed: its frame is moved (and shrunk, where it may) wholly inside the work area.
gboolean fitFrame(gpointer data) {
    GtkWidget* shown = GTK_WIDGET(data);
    Watch& watch = watchOf(shown);
    watch.pending = false;
    GdkWindow* gdkWindow = gtk_widget_get_window(shown);
    auto area = workAreaOf(shown, true);
    auto placement = gdkWindow ? windowPlacement(Glib::wrap(gdkWindow, true)) : std::nullopt;
    if (area && placement && gtk_widget_get_mapped(shown)) {
        watch.width = placement->client.width;
        watch.height = placement->client.height;
        const Rect visible = visibleFrame(*placement);
        Rect fitted = frameWithin(visible, *area);
        if (!gtk_window_get_resizable(GTK_WINDOW(shown))) {
            fitted.width = visible.width;
            fitted.height = visible.height;
        }
        if (fitted != visible) requestVisibleFrame(Glib::wrap(gdkWindow, true), fitted);
    }
    g_object_unref(shown);
    return G_SOURCE_REMOVE;
}

void scheduleFit(GtkWidget* window) {
    Watch& watch = watchOf(window);
    if (watch.pending) return;
    watch.pending = true;
    g_idle_add(fitFrame, g_object_ref(window));
}

gboolean mapped(GtkWidget* shown, GdkEvent*, gpointer) {
    // Once the window manager's own placement has come in.
    scheduleFit(shown);
    return FALSE;
}

gboolean configured(GtkWidget* shown, GdkEventConfigure* event, gpointer) {
    // Grown by its content after it was shown (a file chooser sets its size again as it fills), it
    // is fitted again; a move alone is left to the person who made it.
    const Watch& watch = watchOf(shown);
    if (gtk_widget_get_mapped(shown) && (event->width != watch.width || event->height != watch.height))
        scheduleFit(shown);
    return FALSE;
}

gboolean shownHook(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = GTK_WIDGET(g_value_get_object(&values[0]));
    if (!kept(widget)) return TRUE;
    if (!g_object_get_data(G_OBJECT(widget), kWatchedKey)) {
        g_object_set_data_full(G_OBJECT(widget), kWatchedKey, new Watch,
                               [](gpointer watch) { delete static_cast<Watch*>(watch); });
        g_signal_connect(widget, "map-event", G_CALLBACK(mapped), nullptr);
        g_signal_connect(widget, "configure-event", G_CALLBACK(configured), nullptr);
    }
    fitSize(widget);
    return TRUE;
}

// Every window is looked at as it is shown: a dialog's size may be set while it maps (the file
// chooser's is), and this runs after.
void watchShownWindows() {
    static const bool installed = [] {
        g_signal_add_emission_hook(g_signal_lookup("map", GTK_TYPE_WIDGET), 0, shownHook, nullptr, nullptr);
        return true;
    }();
    (void)installed;
}

}  // namespace

void keepInWorkArea(Gtk::Window& window) {
    g_object_set_data(G_OBJECT(window.gobj()), kKeptKey, GINT_TO_POINTER(1));
    watchShownWindows();
}

void keepDialogsInWorkArea() {
    dialogsKept = true;
    watchShownWindows();
}

}  // namespace quenlith
