#include "ui/kept_above.hpp"

#include <algorithm>
#include <memory>
#include <vector>

#include <glibmm/main.h>
#include <gtkmm/window.h>

#include "ui/active_window.hpp"
#include "ui/awaited_focus.hpp"

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith {

namespace {

constexpr const char* kKeptAboveKey = "quenlith-kept-above";

// A window kept above until the person turns away from it, held weakly; it notes when it has had
// the focus.
struct Following {
    explicit Following(GtkWindow* followed) : hadFocus(gtk_window_is_active(followed)) {
        g_weak_ref_init(&window, followed);
        activeHandler = g_signal_connect(followed, "notify::is-active",
                                         G_CALLBACK(+[](GtkWindow* changed, GParamSpec*, gpointer self) {
                                             if (gtk_window_is_active(changed))
                                                 static_cast<Following*>(self)->hadFocus = true;
                                         }),
                                         this);
    }
    ~Following() {
        if (auto* followed = g_weak_ref_get(&window)) {
            g_signal_handler_disconnect(followed, activeHandler);
            g_object_unref(followed);
        }
        g_weak_ref_clear(&window);
    }
    Following(const Following&) = delete;
    Following& operator=(const Following&) = delete;

    GWeakRef window;
    // Shown again while it has the focus, it has had it.
    bool hadFocus;
    gulong activeHandler = 0;
};

unsigned long ownXWindow(GtkWidget* widget) {
    GdkWindow* own = gtk_widget_get_window(widget);
    return own && GDK_IS_X11_WINDOW(own) ? GDK_WINDOW_XID(own) : 0;
}

// Every window kept above until the person turns away, and the watch of the active window, made
// for the first and kept.
class Followed {
public:
    static Followed& instance() {
        static Followed followed;
        return followed;
    }

    void follow(GtkWindow* window) {
        forget(window);
        entries_.push_back(std::make_unique<Following>(window));
        if (!watch_) watch_ = ActiveWindowWatch::create([this] { activeWindowChanged(); });
    }

    void forget(GtkWindow* window) {
        std::erase_if(entries_, [&](const std::unique_ptr<Following>& entry) {
            auto* held = static_cast<GObject*>(g_weak_ref_get(&entry->window));
            const bool gone = !held || held == G_OBJECT(window);
            if (held) g_object_unref(held);
            return gone;
        });
    }

private:
    // A window manager passes the focus around as windows come and go, now and then to another
    // application's window for a moment: the active window is judged once it has settled.
    void activeWindowChanged() {
        judgement_.disconnect();
        judgement_ = Glib::signal_timeout().connect(
            [this] {
                judge();
                return false;
            },
            static_cast<unsigned>(kTurnAwaySettling.count()));
    }

    void judge() {
        const unsigned long active = watch_->active();
        // Nothing active: a window going away, the focus on its way to the next one.
        if (!active) return;
        const bool another = !watch_->isOwn(active);
        std::vector<GtkWindow*> leaving;
        for (auto& entry : entries_) {
            auto* window = static_cast<GtkWindow*>(g_weak_ref_get(&entry->window));
            if (!window) continue;
            const bool counts = another || keptAbove(*Glib::wrap(window)) == KeptAbove::untilAnotherWindow;
            if (ownXWindow(GTK_WIDGET(window)) != active && entry->hadFocus && counts)
                leaving.push_back(window);
            else
                g_object_unref(window);
        }
        // Ended after the walk: that changes the list.
        for (GtkWindow* window : leaving) {
            keepAbove(*Glib::wrap(window), KeptAbove::no);
            g_object_unref(window);
        }
    }

    std::vector<std::unique_ptr<Following>> entries_;
    std::unique_ptr<ActiveWindowWatch> watch_;
    sigc::connection judgement_;
};

// Another shown window of this application that the window manager keeps above.
bool anotherKeptAboveShown(const GtkWindow* window) {
    bool found = false;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* item = toplevels; item && !found; item = item->next) {
        auto* other = GTK_WINDOW(item->data);
        found = other != window && gtk_widget_get_visible(GTK_WIDGET(other)) &&
                gtk_window_get_window_type(other) == GTK_WINDOW_TOPLEVEL &&
                keptAbove(*Glib::wrap(other)) != KeptAbove::no;
    }
    g_list_free(toplevels);
    return found;
}

void comeForward(GtkWindow* window, GParamSpec*, gpointer) {
    if (!gtk_window_is_active(window) || !gtk_widget_get_visible(GTK_WIDGET(window)) ||
        !anotherKeptAboveShown(window))
        return;
    Gtk::Window& shown = *Glib::wrap(window);
    if (keptAbove(shown) == KeptAbove::no) keepAbove(shown, KeptAbove::untilAnotherApplication);
    // Focused by the window manager while a window asked for is on its way: that one comes in front.
    if (anotherWindowAwaitsFocus(window)) return;
    if (GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window))) gdk_window_raise(own);
}

}  // namespace

bool anotherWindowKeptAbove(const Gtk::Window& window) { return anotherKeptAboveShown(window.gobj()); }

void comeAboveWhenActive(Gtk::Window& window) {
    g_signal_connect(window.gobj(), "notify::is-active", G_CALLBACK(comeForward), nullptr);
}

void keepAbove(Gtk::Window& window, KeptAbove how) {
    g_object_set_data(G_OBJECT(window.gobj()), kKeptAboveKey, GINT_TO_POINTER(static_cast<int>(how) + 1));
    window.set_keep_above(how != KeptAbove::no);
    if (how == KeptAbove::untilAnotherWindow || how == KeptAbove::untilAnotherApplication)
        Followed::instance().follow(window.gobj());
    else
        Followed::instance().forget(window.gobj());
}

KeptAbove keptAbove(const Gtk::Window& window) {
    const int stored = GPOINTER_TO_INT(g_object_get_data(G_OBJECT(window.gobj()), kKeptAboveKey));
    return stored ? static_cast<KeptAbove>(stored - 1) : KeptAbove::no;
}

}  // namespace quenlith
