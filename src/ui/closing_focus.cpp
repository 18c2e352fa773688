#include "ui/closing_focus.hpp"

#include <gtk/gtk.h>
#include <gtkmm/window.h>

#include "model/focus_succession.hpp"
#include "ui/active_window.hpp"
#include "ui/asked_window.hpp"

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith {

namespace {

FocusSuccession& succession() {
    static FocusSuccession windows;
    return windows;
}

constexpr const char* kWindowIDKey = "quenlith-focus-succession-id";

// Ids are never reused, so a window made where a closed one was is not taken for it.
FocusSuccession::WindowID windowID(GtkWindow* window) {
    static FocusSuccession::WindowID last = 0;
    auto* held = static_cast<FocusSuccession::WindowID*>(g_object_get_data(G_OBJECT(window), kWindowIDKey));
    if (!held) {
        held = new FocusSuccession::WindowID(++last);
        g_object_set_data_full(G_OBJECT(window), kWindowIDKey, held,
                               [](gpointer data) { delete static_cast<FocusSuccession::WindowID*>(data); });
    }
    return *held;
}

// Menus, tooltips and popovers' windows are not windows the person uses.
bool ordinaryWindow(GtkWidget* widget) {
    return GTK_IS_WINDOW(widget) && gtk_window_get_window_type(GTK_WINDOW(widget)) == GTK_WINDOW_TOPLEVEL;
}

gboolean focusedIn(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (ordinaryWindow(widget)) succession().used(windowID(GTK_WINDOW(widget)));
    return TRUE;
}

std::uint64_t hiddenCount = 0;
// Set while the current turn of the main loop has hidden a window, with the count before it.
bool hiddenThisTurn = false;
std::uint64_t hiddenBeforeTurn = 0;

void countHidden() {
    if (!hiddenThisTurn) {
        hiddenThisTurn = true;
        hiddenBeforeTurn = hiddenCount;
        g_idle_add_full(
            G_PRIORITY_HIGH,
            [](gpointer) -> gboolean {
                hiddenThisTurn = false;
                return G_SOURCE_REMOVE;
            },
            nullptr, nullptr);
    }
    ++hiddenCount;
}

gboolean hidden(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (ordinaryWindow(widget)) countHidden();
    // A window whose focus goes back to the window it was asked from is handled as it goes (by
    // `hideAskedWindow`, or by its own handler of "hide", which runs after this hook).
    if (ordinaryWindow(widget) && !isAskedWindow(GTK_WINDOW(widget)))
        handFocusOnFrom(GTK_WINDOW(widget), askingInputTime(*Glib::wrap(GTK_WINDOW(widget))));
    return TRUE;
}

// Gives `next` the keyboard as `closing` goes, with the time of the input that closed it. A moment
// later, when no window has it (a window manager refuses a request older than its own last input,
// and Alt+F4 was its input), `next` asks once more with the server's time. A window the person or
// the window manager gave the keyboard to meanwhile keeps it.
void giveFocus(GtkWindow* next, GtkWindow* closing, std::uint32_t time) {
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(next));
    const bool x11 = own && GDK_IS_X11_WINDOW(own);
    // Its own user time is older than the input that closed the other window.
    if (x11 && time) gdk_x11_window_set_user_time(own, time);
    gtk_window_present_with_time(next, time ? time : GDK_CURRENT_TIME);
    GdkWindow* closed = gtk_widget_get_window(GTK_WIDGET(closing));
    if (!x11 || !closed || !GDK_IS_X11_WINDOW(closed)) return;
    struct Check {
        GWeakRef next;
        unsigned long closed;
    };
    auto* check = new Check{{}, GDK_WINDOW_XID(closed)};
    g_weak_ref_init(&check->next, next);
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 250,
        [](gpointer data) -> gboolean {
            auto* asked = static_cast<Check*>(data);
            auto* window = static_cast<GtkWindow*>(g_weak_ref_get(&asked->next));
            if (!window) return G_SOURCE_REMOVE;
            // Openbox leaves the closed window named active when it focuses none.
            const unsigned long active = activeXWindow(gtk_widget_get_display(GTK_WIDGET(window)));
            if (gtk_widget_get_visible(GTK_WIDGET(window)) && !gtk_window_is_active(window) &&
                (active == 0 || active == asked->closed) && !minimisedNow(window))
                askForFocusAgain(*Glib::wrap(window));
            g_object_unref(window);
            return G_SOURCE_REMOVE;
        },
        check,
        [](gpointer data) {
            auto* asked = static_cast<Check*>(data);
            g_weak_ref_clear(&asked->next);
            delete asked;
        });
}

}  // namespace

void handFocusOnAsWindowsClose() {
    static const bool installed = [] {
        g_signal_add_emission_hook(g_signal_lookup("focus-in-event", GTK_TYPE_WIDGET), 0, focusedIn, nullptr,
                                   nullptr);
        g_signal_add_emission_hook(g_signal_lookup("hide", GTK_TYPE_WIDGET), 0, hidden, nullptr, nullptr);
        return true;
    }();
    (void)installed;
}

std::uint64_t windowsHiddenBeforeThisTurn() { return hiddenThisTurn ? hiddenBeforeTurn : hiddenCount; }

std::uint64_t windowsHidden() { return hiddenCount; }

void handFocusOnFrom(GtkWindow* closing, std::uint32_t time) {
    // Still active: the window manager has not yet heard of the withdrawal.
    const FocusSuccession::Closing closed{windowID(closing), holdsKeyboard(closing), focusAskedBy(time)};
    std::vector<FocusSuccession::Window> windows;
    std::vector<GtkWindow*> held;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next) {
        auto* widget = static_cast<GtkWidget*>(item->data);
        if (!ordinaryWindow(widget)) continue;
        auto* window = GTK_WINDOW(widget);
        const bool shown = window != closing && gtk_widget_get_visible(widget);
        windows.push_back({windowID(window), shown, shown && minimisedNow(window)});
        held.push_back(window);
    }
    g_list_free(toplevels);
    const auto next = succession().successor(closed, windows);
    if (!next) return;
    for (GtkWindow* window : held)
        if (windowID(window) == *next) giveFocus(window, closing, time);
}

}  // namespace quenlith
