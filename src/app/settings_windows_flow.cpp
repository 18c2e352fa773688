// The settings and downloads windows: built on first use with the stores, and handed callbacks
// that look the environment up again, since an answer may arrive after it is gone.
#include <gtkmm/window.h>

#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/website_editor_presenter.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "editor/keyring_password_vault.hpp"
#include "settings/downloads_window.hpp"
#include "settings/settings_window.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {

void AppEnvironment::registerSettingsWindows() {
    std::weak_ptr<AppEnvironment*> weak = self_;
    // The builders belong to the auxiliary windows, which the environment owns.
    auxiliaryWindows_->builders[AuxiliaryWindows::Kind::settings] = [this, weak]() -> std::unique_ptr<Gtk::Window> {
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
            if (auto environment = weak.lock()) (*environment)->windows().discardProxyCredential(credentialID);
        };
        return std::make_unique<SettingsWindow>(preferences, store, windows(), hotKeys(),
                                                ProxyRuntime::shared(), std::move(services));
    };
    auxiliaryWindows_->builders[AuxiliaryWindows::Kind::downloads] = [this]() -> std::unique_ptr<Gtk::Window> {
        return std::make_unique<DownloadsWindow>(downloads);
    };
}

}  // namespace quenlith
