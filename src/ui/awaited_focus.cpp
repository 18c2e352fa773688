#include "ui/awaited_focus.hpp"

namespace quenlith {
namespace {

// Held weakly: the window may be destroyed while it waits.
struct Awaited {
    GWeakRef window;
    gulong activeHandler = 0;

    Awaited() { g_weak_ref_init(&window, nullptr); }
};

Awaited& awaited() {
    static Awaited record;
    return record;
}

void forgetAwaited() {
    Awaited& record = awaited();
    if (auto* window = g_weak_ref_get(&record.window)) {
        g_signal_handler_disconnect(window, record.activeHandler);
        g_object_unref(window);
    }
    record.activeHandler = 0;
    g_weak_ref_set(&record.window, nullptr);
}

}  // namespace

void awaitFocus(GtkWindow* window) {
    forgetAwaited();
    Awaited& record = awaited();
    g_weak_ref_set(&record.window, window);
    record.activeHandler = g_signal_connect(window, "notify::is-active",
                                            G_CALLBACK(+[](GtkWindow* changed, GParamSpec*, gpointer) {
                                                if (gtk_window_is_active(changed)) forgetAwaited();
                                            }),
                                            nullptr);
}

bool anotherWindowAwaitsFocus(GtkWindow* window) {
    auto* waiting = static_cast<GtkWindow*>(g_weak_ref_get(&awaited().window));
    if (!waiting) return false;
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(waiting));
    const bool minimised = own && (gdk_window_get_state(own) & GDK_WINDOW_STATE_ICONIFIED);
    const bool awaits = waiting != window && gtk_widget_get_visible(GTK_WIDGET(waiting)) &&
                        !gtk_window_is_active(waiting) && !minimised;
    g_object_unref(waiting);
    return awaits;
}

}  // namespace quenlith
