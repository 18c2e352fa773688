#include "windows/active_application_watcher.hpp"

#include <gio/gdesktopappinfo.h>
#include <giomm/desktopappinfo.h>
#include <glibmm/main.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <gdk/gdkx.h>

namespace quenlith {
namespace {

std::optional<std::string> textProperty(Display* x, ::Window window, Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::optional<std::string> result;
    if (XGetWindowProperty(x, window, property, 0, 1024, False, AnyPropertyType, &type, &format, &count, &remaining,
                           &data) == Success &&
        data && format == 8)
        result = std::string(reinterpret_cast<const char*>(data), count);
    if (data) XFree(data);
    return result;
}

}  // namespace

std::unique_ptr<ActiveApplicationWatcher> ActiveApplicationWatcher::create(std::string ownApplication, Report report) {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return nullptr;
    return std::unique_ptr<ActiveApplicationWatcher>(
        new ActiveApplicationWatcher(display, std::move(ownApplication), std::move(report)));
}

ActiveApplicationWatcher::ActiveApplicationWatcher(GdkDisplay* display, std::string ownApplication, Report report)
    : display_(display), ownApplication_(std::move(ownApplication)), report_(std::move(report)) {
    Display* x = GDK_DISPLAY_XDISPLAY(display_);
    root_ = DefaultRootWindow(x);
    activeAtom_ = XInternAtom(x, "_NET_ACTIVE_WINDOW", False);
    // Property changes of the root window, through GDK so that it keeps them in its own mask.
    GdkWindow* root = gdk_screen_get_root_window(gdk_display_get_default_screen(display_));
    gdk_window_set_events(root, static_cast<GdkEventMask>(gdk_window_get_events(root) | GDK_PROPERTY_CHANGE_MASK));
    gdk_window_add_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&ActiveApplicationWatcher::filter), this);
    monitor_ = g_app_info_monitor_get();
    monitorHandler_ = g_signal_connect(monitor_, "changed",
                                       G_CALLBACK(&ActiveApplicationWatcher::applicationsChanged), this);
}

ActiveApplicationWatcher::~ActiveApplicationWatcher() {
    pending_.disconnect();
    gdk_window_remove_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&ActiveApplicationWatcher::filter), this);
    g_signal_handler_disconnect(monitor_, monitorHandler_);
    g_object_unref(monitor_);
}

int ActiveApplicationWatcher::filter(XEvent* event, GdkEvent*, gpointer data) {
    auto* self = static_cast<ActiveApplicationWatcher*>(data);
    if (event->type == PropertyNotify && event->xproperty.window == self->root_ &&
        event->xproperty.atom == self->activeAtom_ && !self->pending_.connected())
        self->pending_ = Glib::signal_idle().connect([self] {
            self->activeWindowChanged();
            return false;
        });
    return GDK_FILTER_CONTINUE;
}

void ActiveApplicationWatcher::applicationsChanged(void*, gpointer data) {
    static_cast<ActiveApplicationWatcher*>(data)->installed_.reset();
}

void ActiveApplicationWatcher::activeWindowChanged() {
    auto application = current();
    // Another window of the same application is no change of application.
    if (reported_ && *reported_ == application) return;
    reported_ = application;
    if (report_) report_(application);
}

const std::vector<DesktopApplication>& ActiveApplicationWatcher::installed() {
    if (!installed_) {
        installed_.emplace();
        for (const auto& info : Gio::AppInfo::get_all()) {
            auto desktop = Glib::RefPtr<Gio::DesktopAppInfo>::cast_dynamic(info);
            if (!desktop) continue;
            DesktopApplication application{desktop->get_id(), std::nullopt};
            if (const char* wmClass = g_desktop_app_info_get_startup_wm_class(desktop->gobj()))
                application.startupWMClass = wmClass;
            installed_->push_back(std::move(application));
        }
    }
    return *installed_;
}

std::optional<std::string> ActiveApplicationWatcher::current() {
    Display* x = GDK_DISPLAY_XDISPLAY(display_);
    gdk_x11_display_error_trap_push(display_);
    ::Window active = None;
    {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, remaining = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(x, root_, activeAtom_, 0, 1, False, XA_WINDOW, &type, &format, &count, &remaining,
                               &data) == Success &&
            data && format == 32 && count == 1)
            active = static_cast<::Window>(*reinterpret_cast<unsigned long*>(data));
        if (data) XFree(data);
    }
    WindowApplicationIdentity identity;
    bool own = false;
    if (active != None) {
        own = gdk_x11_window_lookup_for_display(display_, active) != nullptr;
        identity.applicationID = textProperty(x, active, XInternAtom(x, "_GTK_APPLICATION_ID", False));
        XClassHint hint{nullptr, nullptr};
        if (XGetClassHint(x, active, &hint)) {
            if (hint.res_name) identity.instanceName = std::string(hint.res_name);
            if (hint.res_class) identity.className = std::string(hint.res_class);
        }
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
    }
    gdk_x11_display_error_trap_pop_ignored(display_);
    if (own) return ownApplication_;
    return desktopApplicationID(identity, installed());
}

}  // namespace quenlith
