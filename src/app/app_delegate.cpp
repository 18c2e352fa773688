#include "app/app_delegate.hpp"

#include <gtk/gtk.h>

#include "app/app_environment.hpp"
#include "model/logging.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {

AppDelegate::AppDelegate() = default;
AppDelegate::~AppDelegate() = default;

void AppDelegate::finishLaunching() {
    if (environment) return;
    // Light until the preferences say otherwise (the environment applies them on the next turn).
    if (GtkSettings* settings = gtk_settings_get_default())
        g_object_set(settings, "gtk-application-prefer-dark-theme", FALSE, nullptr);
    environment = std::make_unique<AppEnvironment>();
    environment->windows().restoreSession();
    logInfo(LogCategory::lifecycle, "Quenlith started");
}

void AppDelegate::terminate() {
    if (terminated_) return;
    terminated_ = true;
    if (!environment) return;
    environment->downloads.cancelAll();
    environment->windows().shutdown();
    environment->store.save();
    // Visits still waiting for their write reach the disk before the process exits.
    environment->library.flush();
}

}  // namespace quenlith
