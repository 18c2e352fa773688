#pragma once

#include <functional>
#include <optional>
#include <string>

#include "browser/view/browser_command.hpp"

namespace Gtk {
class Widget;
}
typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

struct WebAppProfile;
struct WebViewConfiguration;

// What the window manager gives one browser view: every member is optional, and a member that is
// not set turns its step into nothing. Assigned before the view is built.
struct BrowserWindowServices {
    // The start page for start-page tabs: a managed widget the view takes into its content, or
    // nullptr. Asked once, while the view is built.
    std::function<Gtk::Widget*()> makeStartPage;
    // Whether the page at this address has its own menu-bar icon.
    std::function<bool(const std::string& address)> menuBarIconState;
    // Whether a tray shows such icons on this desktop; none: it does.
    std::function<bool()> trayAvailable;
    // Adds a menu-bar icon for the page, or removes the existing one.
    std::function<void(const std::string& address)> onToggleMenuBarIcon;
    // The record whose network settings the window's proxy sheet edits.
    std::function<std::optional<WebAppProfile>()> networkProfile;
    // Stores edited network settings; true on success.
    std::function<bool(const WebAppProfile&)> onSaveNetwork;
    // Forgets a stored proxy password by its credential id, unless something still uses it.
    std::function<void(const std::string& credentialID)> discardProxyCredential;
    // A page finished loading in a persistent session.
    std::function<void(const std::string& address, const std::string& title)> onVisit;
    // The user changed the website from inside the window (pin, zoom, compact mode, edits).
    std::function<void(const WebAppProfile&)> onProfileChange;
    // The window's chrome state changed.
    std::function<void()> onStateChange;
    // The active tab's address changed.
    std::function<void(const std::string& address)> onURLChange;
    // Address, title and icon address of a loaded page of the website.
    std::function<void(const std::string& address, const std::string& title,
                       const std::optional<std::string>& iconAddress)>
        onMetadata;
    // Presents a sheet on the window (which shows no sheet yet).
    std::function<void(BrowserSheet)> onSheet;
    // A window command for the window manager.
    std::function<void(BrowserCommand)> onCommand;
    // A page asks for a new window: opens one and returns its first tab's web view (owned by that
    // window), or nullptr to drop the request.
    std::function<WebKitWebView*(const WebViewConfiguration&, const std::optional<std::string>& address)>
        onPopup;
};

}  // namespace quenlith
