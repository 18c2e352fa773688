#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "model/login_item.hpp"
#include "model/result.hpp"
#include "model/uuid.hpp"
#include "model/website_data_clearing.hpp"

namespace Gtk {
class Widget;
}

namespace quenlith {

class BrowserWindowManager;
class HotKeyManager;
class PreferencesStore;
class ProxyPasswordVault;
class ProxyRuntime;
class SiteIconLoader;
class WebAppStore;
struct AppPreferences;
struct WebAppProfile;

// What the settings window edits and whom it calls; the application hands it over.
struct SettingsServices {
    // Opens the website editor: for a new website, on a saved one, on a new account copied from one.
    std::function<void()> onAdd;
    std::function<void(const Uuid&)> onEdit;
    std::function<void(const Uuid&)> onNewAccount;
    // Clears website data; `done` gets the outcome, unless the application is gone by then.
    std::function<void(const WebsiteDataClearingRequest&, std::function<void(WebsiteDataClearingResult)> done)>
        onClearData;
    // The secret store of proxy passwords, and letting go of a password nothing uses any more.
    std::shared_ptr<ProxyPasswordVault> vault;
    std::function<void(const std::string&)> discardCredential;
    // The Ad filtering tab's content; a placeholder page when unset.
    std::function<Gtk::Widget*()> makeAdFilteringPage;
    // The shared website icons the website rows show; rows without icons when unset.
    SiteIconLoader* icons = nullptr;
};

// The stores and registries every pane reads, and the window's own requests.
struct SettingsContext {
    PreferencesStore& preferences;
    WebAppStore& store;
    BrowserWindowManager& windows;
    HotKeyManager& hotKeys;
    // The global proxy this launch runs with.
    const ProxyRuntime& activeProxy;
    SettingsServices services;
    LoginItem loginItem;

    // Writes one change of the preferences at once; a failed save shows in the status line.
    std::function<void(const std::function<void(AppPreferences&)>&)> write;
    // Shows a text in the status line (none hides it), as an error when `failed`.
    std::function<void(const std::optional<std::string>& text, bool failed)> showStatus;
    // How a save of the settings went: a failure's text shows as an error, and a later success
    // takes it away again (none).
    std::function<void(const std::optional<std::string>& failure)> reportSave;
    // Raises the confirmation alerts.
    std::function<void(PrivacyAction)> requestClear;
    std::function<void(const WebAppProfile&)> requestDeletion;
};

}  // namespace quenlith
