#include "ui/asked_window.hpp"

#include <algorithm>
#include <vector>

#include <gtk/gtk.h>
#include <gtkmm/window.h>

#include "ui/active_window.hpp"
#include "ui/awaited_focus.hpp"
#include "ui/closing_focus.hpp"
#include "ui/kept_above.hpp"

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>
#include <X11/Xutil.h>

namespace quenlith {

namespace {

// The input time of the last request for the focus: a window closed by the same input (Quick Open
// after its choice, the editor after "Add & Open") leaves the focus to the window it asked for.
std::uint32_t lastRequestTime = 0;
// Every request for the focus counts: a window asks again only when none came after its own.
std::uint64_t requestCount = 0;
// A window asked for the focus on this turn of the main loop.
bool requestedThisTurn = false;

// Where the focus of an asked window goes back to; held on the window itself.
struct FocusReturn {
    GWeakRef origin;
    // The origin was hidden by the request itself (the launcher): shown again on return. A window
    // hidden later by the person stays hidden.
    bool reshow = false;
};

constexpr const char* kFocusReturnKey = "quenlith-focus-return";

void freeFocusReturn(gpointer data) {
    auto* record = static_cast<FocusReturn*>(data);
    g_weak_ref_clear(&record->origin);
    delete record;
}

// The window of the control that took the input being handled. An item of a menu counts for the
// window the menu was opened from: by the time the item acts, its menu has gone and that window has
// not had the keyboard back yet, so no window of ours is active.
GtkWindow* windowOfCurrentInput() {
    GdkEvent* event = gtk_get_current_event();
    if (!event) return nullptr;
    const GdkEventType type = event->type;
    GtkWidget* widget = gtk_get_event_widget(event);
    gdk_event_free(event);
    if (type != GDK_KEY_PRESS && type != GDK_KEY_RELEASE && type != GDK_BUTTON_PRESS &&
        type != GDK_BUTTON_RELEASE)
        return nullptr;
    for (int depth = 0; widget && depth < 8; ++depth) {
        GtkWidget* top = gtk_widget_get_toplevel(widget);
        if (!GTK_IS_WINDOW(top)) return nullptr;
        if (GtkWidget* child = gtk_bin_get_child(GTK_BIN(top)); child && GTK_IS_MENU(child)) {
            widget = gtk_menu_get_attach_widget(GTK_MENU(child));
            continue;
        }
        const bool asked =
            gtk_widget_get_visible(top) && gtk_window_get_window_type(GTK_WINDOW(top)) == GTK_WINDOW_TOPLEVEL;
        return asked ? GTK_WINDOW(top) : nullptr;
    }
    return nullptr;
}

// A window shown (again) asks for the focus once it is mapped, with the time of the input that
// asked: presenting a hidden window only maps it, and only a window manager that focuses new
// windows would give it the focus then.
void focusWhenMapped(GtkWindow* window, std::uint32_t time) {
    struct Request {
        std::uint32_t time;
        gulong handler = 0;
    };
    auto* request = new Request{time};
    request->handler = g_signal_connect_data(
        window, "map-event", G_CALLBACK(+[](GtkWidget* widget, GdkEvent*, gpointer data) -> gboolean {
            auto* asked = static_cast<Request*>(data);
            const std::uint32_t time = asked->time;
            g_signal_handler_disconnect(widget, asked->handler);  // frees `asked`
            // A window hidden or minimised again before its map arrived stays so.
            if (!gtk_widget_get_visible(widget) || minimisedNow(GTK_WINDOW(widget))) return FALSE;
            // Without a window manager the server orders focus changes by time, and the focus of a
            // window withdrawn meanwhile fell back with a time newer than the asking input's: the
            // request takes the server's time, and GDK's user time moves with it, so that later
            // requests stay newer.
            GdkWindow* own = gtk_widget_get_window(widget);
            std::uint32_t when = time;
            if (own && GDK_IS_X11_WINDOW(own) &&
                !gdk_x11_screen_supports_net_wm_hint(gdk_window_get_screen(own),
                                                     gdk_atom_intern_static_string("_NET_ACTIVE_WINDOW"))) {
                when = gdk_x11_get_server_time(own);
                gdk_x11_window_set_user_time(own, when);
            }
            gtk_window_present_with_time(GTK_WINDOW(widget), when ? when : GDK_CURRENT_TIME);
            return FALSE;
        }),
        request, [](gpointer data, GClosure*) { delete static_cast<Request*>(data); }, GConnectFlags(0));
}

// The shown window of this application that has the keyboard focus, if any.
GtkWindow* activeOwnWindow() {
    GtkWindow* found = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !found; item = item->next)
        if (gtk_window_is_active(GTK_WINDOW(item->data)) && gtk_widget_get_visible(GTK_WIDGET(item->data)))
            found = GTK_WINDOW(item->data);
    g_list_free(toplevels);
    return found;
}

constexpr const char* kFocusReturnUntilKey = "quenlith-focus-return-until";
// Long enough for the closed window's withdrawal and the repeated request below.
constexpr std::chrono::milliseconds kFocusReturnSettling{600};

void markFocusReturn(GtkWindow* origin) {
    auto* until = new gint64(g_get_monotonic_time() +
                             std::chrono::duration_cast<std::chrono::microseconds>(kFocusReturnSettling).count());
    g_object_set_data_full(G_OBJECT(origin), kFocusReturnUntilKey, until,
                           [](gpointer data) { delete static_cast<gint64*>(data); });
}

void askWithServerTime(GtkWindow* window) {
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window));
    if (!own || !GDK_IS_X11_WINDOW(own)) {
        gtk_window_present(window);
        return;
    }
    const std::uint32_t now = gdk_x11_get_server_time(own);
    gdk_x11_window_set_user_time(own, now);
    gtk_window_present_with_time(window, now);
}

// A window manager may give the focus elsewhere as another of our windows goes while this one is
// being mapped (the launcher putting itself away, the editor after "Add & Open"): a moment later, a
// window that asked and has not had the focus since asks once more, unless something asked after it.
// One that had it and lost it asks again only when a window of ours went meanwhile, the window
// manager's hand-over; otherwise the person (or a taskbar) chose another window.
void insistOnAskedFocus(GtkWindow* asking) {
    struct Check {
        GWeakRef window;
        std::uint64_t request;
        std::uint64_t hidden = windowsHiddenBeforeThisTurn();
        gulong handler = 0;
        bool hadFocus = false;
    };
    awaitFocus(asking);
    auto* check = new Check{{}, requestCount};
    g_weak_ref_init(&check->window, asking);
    check->hadFocus = gtk_window_is_active(asking);
    auto noteFocus = +[](GtkWindow* window, GParamSpec*, gpointer data) {
        if (gtk_window_is_active(window)) static_cast<Check*>(data)->hadFocus = true;
    };
    check->handler = g_signal_connect(asking, "notify::is-active", G_CALLBACK(noteFocus), check);
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 300,
        [](gpointer data) -> gboolean {
            auto* asked = static_cast<Check*>(data);
            auto* window = static_cast<GtkWindow*>(g_weak_ref_get(&asked->window));
            if (!window) return G_SOURCE_REMOVE;
            if (asked->request == requestCount && (!asked->hadFocus || windowsHidden() != asked->hidden) &&
                gtk_widget_get_visible(GTK_WIDGET(window)) && !gtk_window_is_active(window) &&
                !minimisedNow(window))
                askWithServerTime(window);
            g_object_unref(window);
            return G_SOURCE_REMOVE;
        },
        check,
        [](gpointer data) {
            auto* asked = static_cast<Check*>(data);
            if (auto* window = g_weak_ref_get(&asked->window)) {
                g_signal_handler_disconnect(window, asked->handler);
                g_object_unref(window);
            }
            g_weak_ref_clear(&asked->window);
            delete asked;
        });
}

// A window manager may hand the focus on as the closed window is withdrawn, after our request for
// the origin: to another application's window (xfwm4 does, now and then), or to another of our
// windows that was already there (xfwm4 gives it to one kept above). When a moment later the
// origin has not got it, the origin asks once more, with the server's current time, newer than
// that hand-over. A window of ours shown meanwhile, or asked for since, keeps the focus it took.
void insistOnFocusReturn(GtkWindow* origin) {
    struct Return {
        GWeakRef origin;
        std::vector<GtkWindow*> shown;  // held until the check
        std::uint64_t request = requestCount;
    };
    auto* held = new Return;
    g_weak_ref_init(&held->origin, origin);
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item; item = item->next)
        if (gtk_widget_get_visible(GTK_WIDGET(item->data)))
            held->shown.push_back(GTK_WINDOW(g_object_ref(item->data)));
    g_list_free(toplevels);
    g_timeout_add_full(
        G_PRIORITY_DEFAULT, 250,
        [](gpointer data) -> gboolean {
            auto* returning = static_cast<Return*>(data);
            auto* window = static_cast<GtkWindow*>(g_weak_ref_get(&returning->origin));
            if (!window) return G_SOURCE_REMOVE;
            GtkWindow* active = activeOwnWindow();
            const bool passedOn = !active || (active != window && std::find(returning->shown.begin(),
                                                                             returning->shown.end(),
                                                                             active) != returning->shown.end());
            GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window));
            if (returning->request == requestCount && gtk_widget_get_visible(GTK_WIDGET(window)) && passedOn &&
                own && GDK_IS_X11_WINDOW(own) && !minimisedNow(window))
                askWithServerTime(window);
            g_object_unref(window);
            return G_SOURCE_REMOVE;
        },
        held,
        [](gpointer data) {
            auto* returning = static_cast<Return*>(data);
            g_weak_ref_clear(&returning->origin);
            for (GtkWindow* window : returning->shown) g_object_unref(window);
            delete returning;
        });
}

void recordFocusReturn(Gtk::Window& window, Gtk::Window* origin) {
    auto* record = static_cast<FocusReturn*>(g_object_get_data(G_OBJECT(window.gobj()), kFocusReturnKey));
    if (!record) {
        record = new FocusReturn;
        g_weak_ref_init(&record->origin, nullptr);
        g_object_set_data_full(G_OBJECT(window.gobj()), kFocusReturnKey, record, freeFocusReturn);
    }
    g_weak_ref_set(&record->origin, origin ? origin->gobj() : nullptr);
    record->reshow = origin && !origin->get_visible();
}

// Keeps `window` in front of `origin`, the window it was asked from, and notes where its focus
// returns to; answers the asking input's time.
std::uint32_t keepForOrigin(Gtk::Window& window, Gtk::Window* origin, bool attach) {
    if (origin == &window) origin = nullptr;
    // Kept above as it was just now: the launcher puts itself away as its command runs. Read from
    // what this application told the window manager: GDK's state follows only what was set before
    // the window was mapped, not a website pinned or unpinned while it runs.
    const bool originAbove = origin && keptAbove(*origin) != KeptAbove::no;
    // Asked for with none of our windows in use (from a tray's menu, over the bus) or from one not
    // kept above, it must still come above the windows of ours that are.
    const bool above = originAbove || anotherWindowKeptAbove(window);
    if (origin && attach && origin->get_visible()) window.set_transient_for(*origin);
    // A transient stays above its parent only in the parent's layer, which a launcher leaves as it
    // goes: what is asked for while a window of ours is kept above is kept above itself, until the
    // person turns to another application. A dialog shown again follows its new origin.
    if ((above || (origin && attach)) && keptAbove(window) != KeptAbove::always)
        keepAbove(window, above ? KeptAbove::untilAnotherApplication : KeptAbove::no);
    recordFocusReturn(window, origin);
    return askingInputTime(window);
}

// Set while `hideAskedWindow` withdraws a window: that hiding is not its maker's.
bool withdrawing = false;

// Gives the focus of `window`, shown until now and taking the focus with it, back to its origin;
// `withdraw` takes it off the screen (none when its maker already has).
void returnFocus(Gtk::Window& window, bool shown, const std::function<void()>& withdraw) {
    // Asked for before the window is withdrawn, while a window of this client has the focus: asked
    // for after, xfwm4 has given the focus to another client and refuses a request no newer than
    // the last input.
    auto* record = static_cast<FocusReturn*>(g_object_get_data(G_OBJECT(window.gobj()), kFocusReturnKey));
    const std::uint32_t time = askingInputTime(window);
    // GTK's word or the window manager's: GTK hears late of a window of ours the window manager
    // activated meanwhile, and counts the window inactive while a key binding of the window
    // manager's (Alt+F4) holds the keyboard.
    const bool hadKeyboard = window.is_active() || holdsKeyboard(window.gobj());
    auto* origin = record && shown && hadKeyboard && !focusAskedBy(time)
                       ? static_cast<GtkWindow*>(g_weak_ref_get(&record->origin))
                       : nullptr;
    const bool returning = origin && (gtk_widget_get_visible(GTK_WIDGET(origin)) || record->reshow);
    auto giveBack = [&] {
        // Its own user time is older than the input that closed the window.
        if (GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(origin)); own && time && GDK_IS_X11_WINDOW(own))
            gdk_x11_window_set_user_time(own, time);
        if (!gtk_widget_get_visible(GTK_WIDGET(origin))) focusWhenMapped(origin, time);
        gtk_window_present_with_time(origin, time ? time : GDK_CURRENT_TIME);
    };
    // A window manager hands the focus asked for a window on to its modal dialog, which takes the
    // focus away as it goes. xfwm4 lets go once the dialog is no longer modal; openbox holds on
    // until it has gone, so the focus is asked for again then.
    const bool modal = returning && withdraw && window.get_modal();
    if (modal) window.set_modal(false);
    if (returning)
        giveBack();
    else if (shown)
        // Its origin is gone or hidden: the window used last takes the focus, as after any window.
        handFocusOnFrom(window.gobj(), time);
    if (withdraw) withdraw();
    if (modal) {
        giveBack();
        window.set_modal(true);
    }
    if (returning) {
        markFocusReturn(origin);
        insistOnFocusReturn(origin);
    }
    if (origin) g_object_unref(origin);
}

// While a dialog of another library's making runs: the window it is asked from.
struct ForeignDialogWatch {
    GtkWindow* origin;
};

// A dialog transient for the watched origin, mapped for the first time, is kept as a sheet is, and
// gives the focus back as it answers (before its maker destroys it).
gboolean adoptForeignDialog(GSignalInvocationHint*, guint, const GValue* values, gpointer data) {
    auto* watch = static_cast<ForeignDialogWatch*>(data);
    auto* widget = static_cast<GtkWidget*>(g_value_get_object(&values[0]));
    if (!GTK_IS_DIALOG(widget) || gtk_window_get_transient_for(GTK_WINDOW(widget)) != watch->origin ||
        g_object_get_data(G_OBJECT(widget), kFocusReturnKey))
        return TRUE;
    Gtk::Window* dialog = Glib::wrap(GTK_WINDOW(widget));
    const std::uint32_t time = keepForOrigin(*dialog, Glib::wrap(watch->origin), true);
    noteFocusRequested(time);
    // Its maker only shows it: it asks for the focus once mapped, as a sheet does.
    focusWhenMapped(GTK_WINDOW(widget), time);
    insistOnAskedFocus(GTK_WINDOW(widget));
    g_signal_connect(widget, "response", G_CALLBACK(+[](GtkDialog* answered, gint, gpointer) {
                         hideAskedWindow(*Glib::wrap(GTK_WINDOW(answered)));
                     }),
                     nullptr);
    // Its maker may hide it first, in a handler of its own (the toolkit's file chooser does).
    g_signal_connect(widget, "hide", G_CALLBACK(+[](GtkWidget* hidden, gpointer) {
                         if (!withdrawing) returnFocus(*Glib::wrap(GTK_WINDOW(hidden)), true, nullptr);
                     }),
                     nullptr);
    return TRUE;
}

}  // namespace

Gtk::Window* focusedApplicationWindow() {
    if (GtkWindow* asking = windowOfCurrentInput()) return Glib::wrap(asking);
    GtkWindow* active = activeOwnWindow();
    return active ? Glib::wrap(active) : nullptr;
}

std::uint32_t askingInputTime(const Gtk::Window& window) {
    if (const std::uint32_t time = gtk_get_current_event_time()) return time;
    GdkDisplay* display = gtk_widget_get_display(GTK_WIDGET(window.gobj()));
    return GDK_IS_X11_DISPLAY(display) ? gdk_x11_display_get_user_time(display) : 0;
}

void noteFocusRequested(std::uint32_t time) {
    lastRequestTime = time;
    ++requestCount;
    // The window closed by the same input goes on this turn of the main loop ("Add & Open" closes
    // the editor right after the website's window asked), and its input's time may differ: GDK's
    // user time is the press's, a click acts on the release.
    if (!requestedThisTurn) {
        requestedThisTurn = true;
        g_idle_add_full(
            G_PRIORITY_HIGH,
            [](gpointer) -> gboolean {
                requestedThisTurn = false;
                return G_SOURCE_REMOVE;
            },
            nullptr, nullptr);
    }
}

bool isAskedWindow(GtkWindow* window) { return g_object_get_data(G_OBJECT(window), kFocusReturnKey); }

bool focusAskedBy(std::uint32_t time) { return requestedThisTurn || (time && time == lastRequestTime); }

void askAgainIfNotFocused(Gtk::Window& window) { insistOnAskedFocus(window.gobj()); }

void noteAskedFrom(Gtk::Window& window, Gtk::Window* origin) {
    recordFocusReturn(window, origin == &window ? nullptr : origin);
}

void runAskedDialog(Gtk::Window& origin, const std::function<void()>& run) {
    const guint mapped = g_signal_lookup("map", GTK_TYPE_WIDGET);
    ForeignDialogWatch watch{origin.gobj()};
    const gulong hook = g_signal_add_emission_hook(mapped, 0, adoptForeignDialog, &watch, nullptr);
    run();
    g_signal_remove_emission_hook(mapped, hook);
}

void presentAskedWindow(Gtk::Window& window, Gtk::Window* origin, bool attach) {
    const std::uint32_t time = keepForOrigin(window, origin, attach);
    // A window shown again carries the user time of its last input, older than this request's.
    if (GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window.gobj()));
        own && time && GDK_IS_X11_WINDOW(own))
        gdk_x11_window_set_user_time(own, time);
    noteFocusRequested(time);
    if (!window.get_visible()) focusWhenMapped(window.gobj(), time);
    window.present(time ? time : GDK_CURRENT_TIME);
    insistOnAskedFocus(window.gobj());
}

void hideAskedWindow(Gtk::Window& window) {
    withdrawing = true;
    returnFocus(window, window.get_visible(), [&] { window.hide(); });
    withdrawing = false;
}

std::chrono::milliseconds focusReturnPending(const Gtk::Window& window) {
    const auto* until =
        static_cast<const gint64*>(g_object_get_data(G_OBJECT(window.gobj()), kFocusReturnUntilKey));
    if (!until) return std::chrono::milliseconds(0);
    const gint64 left = *until - g_get_monotonic_time();
    return std::chrono::milliseconds(left > 0 ? (left + 999) / 1000 : 0);
}

void askForFocusAgain(Gtk::Window& window) { askWithServerTime(window.gobj()); }

bool minimisedNow(GtkWindow* window) {
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window));
    if (!own) return false;
    if (gdk_window_get_state(own) & GDK_WINDOW_STATE_ICONIFIED) return true;
    if (!GDK_IS_X11_WINDOW(own)) return false;
    GdkDisplay* display = gdk_window_get_display(own);
    const Atom state = gdk_x11_get_xatom_by_name_for_display(display, "WM_STATE");
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    gdk_x11_display_error_trap_push(display);
    const int read = XGetWindowProperty(GDK_DISPLAY_XDISPLAY(display), GDK_WINDOW_XID(own), state, 0, 1, False,
                                        state, &type, &format, &count, &after, &data);
    gdk_x11_display_error_trap_pop_ignored(display);
    const bool iconic = read == Success && data && format == 32 && count == 1 &&
                        *reinterpret_cast<const long*>(data) == IconicState;
    if (data) XFree(data);
    return iconic;
}

}  // namespace quenlith
