#include "windows/active_application_watcher.hpp"

#include <gio/gdesktopappinfo.h>
#include <giomm/desktopappinfo.h>

// Last: Xlib defines macros (Status, None) that clash with ordinary names.
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
    auto watcher = std::unique_ptr<ActiveApplicationWatcher>(
        new ActiveApplicationWatcher(std::move(ownApplication), std::move(report)));
    return watcher->activeWindow_ ? std::move(watcher) : nullptr;
}

ActiveApplicationWatcher::ActiveApplicationWatcher(std::string ownApplication, Report report)
    : activeWindow_(ActiveWindowWatch::create([this] { activeWindowChanged(); })),
      ownApplication_(std::move(ownApplication)),
      report_(std::move(report)) {
    monitor_ = g_app_info_monitor_get();
    monitorHandler_ = g_signal_connect(monitor_, "changed",
                                       G_CALLBACK(&ActiveApplicationWatcher::applicationsChanged), this);
}

ActiveApplicationWatcher::~ActiveApplicationWatcher() {
    g_signal_handler_disconnect(monitor_, monitorHandler_);
    g_object_unref(monitor_);
}

void ActiveApplicationWatcher::applicationsChanged(void*, gpointer data) {
    static_cast<ActiveApplicationWatcher*>(data)->installed_.reset();
}

void ActiveApplicationWatcher::activeWindowChanged() {
    // Each application in turn, also one that was in front only for a moment: going there and
    // back is a change of application, though the same one is in front as the main loop turns.
    std::vector<unsigned long> windows = activeWindow_->seen();
    windows.push_back(activeWindow_->active());
    for (unsigned long window : windows) {
        auto application = applicationOf(window);
        // Another window of the same application is no change of application.
        if (reported_ && *reported_ == application) continue;
        reported_ = application;
        if (report_) report_(application);
    }
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

std::optional<std::string> ActiveApplicationWatcher::current() { return applicationOf(activeWindow_->active()); }

std::optional<std::string> ActiveApplicationWatcher::applicationOf(unsigned long active) {
    GdkDisplay* display = activeWindow_->display();
    Display* x = GDK_DISPLAY_XDISPLAY(display);
    if (activeWindow_->isOwn(active)) return ownApplication_;
    WindowApplicationIdentity identity;
    if (active != None) {
        gdk_x11_display_error_trap_push(display);
        identity.applicationID = textProperty(x, active, XInternAtom(x, "_GTK_APPLICATION_ID", False));
        XClassHint hint{nullptr, nullptr};
        if (XGetClassHint(x, active, &hint)) {
            if (hint.res_name) identity.instanceName = std::string(hint.res_name);
            if (hint.res_class) identity.className = std::string(hint.res_class);
        }
        if (hint.res_name) XFree(hint.res_name);
        if (hint.res_class) XFree(hint.res_class);
        gdk_x11_display_error_trap_pop_ignored(display);
    }
    return desktopApplicationID(identity, installed());
}

}  // namespace quenlith
