// The settings and downloads windows: built on first use with the stores, and handed callbacks
// that look the environment up again, since an answer may arrive after it is gone.
#include <gtkmm/window.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/browser_sheets.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/keyring_password_vault.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "settings/ad_filtering_pane.hpp"
#include "settings/downloads_window.hpp"
#include "settings/network_settings_page.hpp"
#include "settings/settings_window.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

namespace {

// What the settings window and the proxy sheet of a window without a saved website call back.
SettingsServices settingsServices(const std::weak_ptr<AppEnvironment*>& weak, PreferencesStore& preferences,
                                  AdBlocking& blocking) {
    SettingsServices services;
    services.onAdd = [weak] {
        if (auto environment = weak.lock()) (*environment)->websiteEditor().showAddWebsite();
    };
    services.onEdit = [weak](const Uuid& id) {
        if (auto environment = weak.lock()) (*environment)->websiteEditor().showEditWebsite(id);
    };
    services.onNewAccount = [weak](const Uuid& id) {
        if (auto environment = weak.lock()) (*environment)->websiteEditor().showWebsiteEditor({.accountOf = id});
    };
    services.onClearData = [weak](const WebsiteDataClearingRequest& request,
                                  std::function<void(WebsiteDataClearingResult)> done) {
        auto environment = weak.lock();
        if (!environment) return;
        (*environment)->clearWebsiteData(request.types, request.everything, std::move(done));
    };
    services.vault = std::make_shared<KeyringPasswordVault>();
    services.discardCredential = [weak](const std::string& credentialID) {
        if (auto environment = weak.lock())
            (*environment)->windows().services().discardProxyCredential(credentialID);
    };
    services.makeAdFilteringPage = [&preferences, &blocking]() -> Gtk::Widget* {
        return Gtk::manage(new AdFilteringPane(preferences, blocking));
    };
    return services;
}

}  // namespace

void AppEnvironment::registerSettingsWindows() {
    std::weak_ptr<AppEnvironment*> weak = self_;
    // The builders belong to the auxiliary windows, which the environment owns.
    auxiliaryWindows_->setBuilder(
        AuxiliaryWindows::Kind::settings, [this, weak]() -> std::unique_ptr<Gtk::Window> {
            SettingsServices services = settingsServices(weak, preferences_, *blocking_);
            services.icons = &icons();
            return std::make_unique<SettingsWindow>(preferences_, store_, windows(), hotKeys(), *globalProxy_,
                                                    std::move(services));
        });
    auxiliaryWindows_->setBuilder(
        AuxiliaryWindows::Kind::downloads,
        [this]() -> std::unique_ptr<Gtk::Window> { return std::make_unique<DownloadsWindow>(downloads_); });
    // A window without a saved website uses the global proxy: its sheet holds the Network page,
    // whose context lives as long as the page.
    browserSheets_->setMakeGlobalProxyPage([this, weak]() -> Gtk::Widget* {
        auto* context = new SettingsContext{preferences_,
                                            store_,
                                            windows(),
                                            hotKeys(),
                                            *globalProxy_,
                                            settingsServices(weak, preferences_, *blocking_),
                                            LoginItem(),
                                            {},
                                            {},
                                            {},
                                            {},
                                            {}};
        context->write = [context](const std::function<void(AppPreferences&)>& change) {
            context->preferences.update(change);
        };
        // The page shows its own result line; the sheet has no status line of its own.
        context->showStatus = [](const std::optional<std::string>&, bool) {};
        context->reportSave = [](const std::optional<std::string>&) {};
        auto* page = Gtk::manage(new NetworkSettingsPage(*context));
        g_object_set_data_full(G_OBJECT(page->gobj()), "quenlith-settings-context", context,
                               [](gpointer data) { delete static_cast<SettingsContext*>(data); });
        return page;
    });
}

}  // namespace quenlith
