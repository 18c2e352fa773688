#include "ui/active_window.hpp"

#include <glibmm/main.h>
#include <gtk/gtk.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <X11/Xatom.h>
#include <gdk/gdkx.h>

namespace quenlith {

std::unique_ptr<ActiveWindowWatch> ActiveWindowWatch::create(std::function<void()> changed) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
    return std::unique_ptr<ActiveWindowWatch>(new ActiveWindowWatch(display, std::move(changed)));
}

ActiveWindowWatch::ActiveWindowWatch(GdkDisplay* display, std::function<void()> changed)
    : display_(display), changed_(std::move(changed)) {
    Display* x = GDK_DISPLAY_XDISPLAY(display_);
    root_ = DefaultRootWindow(x);
    activeAtom_ = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
    // Property changes of the root window, through GDK so that it keeps them in its own mask.
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display_));
    gdk_window_set_events(root,
                          static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
    // Sent now: until the request is out, changes are not reported to us.
    gdk_display_flush(display_);
    gdk_window_add_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&ActiveWindowWatch::filter), this);
}

ActiveWindowWatch::~ActiveWindowWatch() {
    pending_.disconnect();
    gdk_window_remove_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&ActiveWindowWatch::filter), this);
}

int ActiveWindowWatch::filter(void* xEvent, void*, void* data) {
    auto* self = static_cast<ActiveWindowWatch*>(data);
    const auto* event = static_cast<const XEvent*>(xEvent);
    if (event->type != PropertyNotify || event->xproperty.window != self->root_ ||
        event->xproperty.atom != self->activeAtom_)
        return GDK_FILTER_CONTINUE;
    // Read now rather than when the main loop turns: by then another switch may have hidden this one.
    const unsigned long active = self->active();
    if (self->seen_.empty() || self->seen_.back() != active) self->seen_.push_back(active);
    if (!self->pending_.connected())
        self->pending_ = Glib::signal_idle().connect([self] {
            if (self->changed_) self->changed_();
            self->seen_.clear();
            return false;
        });
    return GDK_FILTER_CONTINUE;
}

unsigned long activeXWindow(GdkDisplay* display) {
    if (!display || !GDK_IS_X11_DISPLAY(display)) return None;
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    gdk_x11_display_error_trap_push(display);
    ::Window active = None;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(x, DefaultRootWindow(x),
                           gdk_x11_get_xatom_by_name_for_display(display, "_NET_ACTIVE_WINDOW"), 0, 1, False,
                           XA_WINDOW, &type, &format, &count, &remaining, &data) == Success &&
        data && format == 32 && count == 1)
        active = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
    if (data) XFree(data);
    gdk_x11_display_error_trap_pop_ignored(display);
    return active;
}

bool holdsKeyboard(GtkWindow* window) {
    GdkWindow* own = gtk_widget_get_window(GTK_WIDGET(window));
    // The window manager's word is the newer: GTK hears of a change only when it reads its events,
    // and another window may have been activated meanwhile.
    if (own && GDK_IS_X11_WINDOW(own) &&
        gdk_x11_screen_supports_net_wm_hint(gdk_window_get_screen(own),
                                            gdk_atom_intern_static_string("_NET_ACTIVE_WINDOW")))
        return activeXWindow(gdk_window_get_display(own)) == GDK_WINDOW_XID(own);
    return gtk_window_is_active(window);
}

unsigned long ActiveWindowWatch::active() const { return activeXWindow(display_); }

bool ActiveWindowWatch::isOwn(unsigned long window) const {
    return window != None && gdk_x11_window_lookup_for_display(display_, window) != nullptr;
}

}  // namespace quenlith
