#pragma once

#include <functional>
#include <optional>
#include <string>

#include "browser/view/browser_command.hpp"
#include "model/suggested_website.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace Gtk {
class Widget;
}

namespace quenlith {

class BrowserViewController;
class BrowserWindowController;
class HotKeyManager;

// What the application hands the window manager: the views and services above the windows layer.
// Every entry may be empty; an empty one does nothing (or refuses, where it answers).
struct WindowShellHooks {
    std::function<void(const std::string& address, const std::string& title)> onVisit;
    std::function<bool(const std::string& credentialID)> additionalCredentialUsage;
    std::function<void(const Uuid& websiteID)> onEdit;
    std::function<void()> onDownloads;
    std::function<void(const std::optional<std::string>& address, const std::optional<std::string>& title,
                       const std::optional<WebAppProfile>& source)>
        onSaveWebsite;
    std::function<void(const SuggestedWebsite&)> onPinSuggestion;
    // Builds the start page of a browser tab (a managed widget), or nullptr.
    std::function<Gtk::Widget*()> makeStartPage;
    // Tells whether Ctrl+Alt+P is ours, so click-through can be switched on; none refuses it.
    HotKeyManager* hotKeys = nullptr;
    // Deletes a stored proxy password by its credential id (the keyring).
    std::function<void(const std::string& credentialID)> removeProxyPassword;
    // Presents a sheet of a browser window's "more" menu on that window (the application's views).
    std::function<void(BrowserWindowController&, BrowserSheet)> onSheet;
    // Called once for every window built and registered (the shell adds its menu and accelerators).
    std::function<void(BrowserWindowController&)> onWindowBuilt;
};

}  // namespace quenlith
