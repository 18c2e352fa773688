#include "app/app_delegate.hpp"

#include <algorithm>

#include <gio/gio.h>
#include <gtk/gtk.h>

#include "app/app_environment.hpp"
#include "windows/hot_key_manager.hpp"
#include "app/status_bar_controller.hpp"
#include "app/website_editor_presenter.hpp"
#include "model/launch_request.hpp"
#include "model/localization.hpp"
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
    GApplication* application = g_application_get_default();
    statusBar = std::make_unique<StatusBarController>(
        *environment, application ? g_application_get_dbus_connection(application) : nullptr);
    statusBar->commands().onQuit = [this] {
        if (onQuit) onQuit();
    };
    statusBar->commands().onAdd = [this] {
        if (environment) environment->websiteEditor().showAddWebsite();
    };
    statusBar->commands().onEdit = [this](const Uuid& websiteID) {
        if (environment) environment->websiteEditor().showEditWebsite(websiteID);
    };
    statusBar->commands().onSaveSuggestion = [this](const SuggestedWebsite& suggestion) {
        if (environment)
            environment->websiteEditor().showWebsiteEditor(
                {.pageURL = suggestion.address, .title = localizedString(suggestion.name)});
    };
    links_.launchFinished([this](const std::vector<std::string>& links) { route(links); });
    logInfo(LogCategory::lifecycle, "Quenlith started");
}

void AppDelegate::open(const std::vector<std::string>& links) { links_.receive(links); }

void AppDelegate::route(const std::vector<std::string>& links) {
    if (!environment) return;
    for (const auto& link : links) {
        auto request = LaunchRequest::parse(link);
        if (!request) continue;
        if (request->kind == LaunchRequest::Kind::website) {
            if (environment->dismissLauncher) environment->dismissLauncher();
            environment->windows().open(request->url);
            continue;
        }
        const auto& scenes = environment->library.document().scenes;
        auto scene = std::find_if(scenes.begin(), scenes.end(),
                                  [&](const BrowserScene& candidate) { return candidate.id == request->id; });
        // Page groups open once their windows exist; an id the library does not hold does nothing.
        if (scene != scenes.end() && environment->openScene) environment->openScene(*scene);
    }
}

void AppDelegate::reopen() {
    if (statusBar) statusBar->reopen();
}

void AppDelegate::terminate() {
    if (terminated_) return;
    terminated_ = true;
    if (!environment) return;
    if (statusBar) statusBar->teardown();
    // The shortcuts go first: a press during the shutdown would open windows being torn down.
    environment->hotKeys().unregisterAll();
    environment->downloads.cancelAll();
    environment->windows().shutdown();
    environment->store.save();
    // Visits still waiting for their write reach the disk before the process exits.
    environment->library.flush();
}

}  // namespace quenlith
