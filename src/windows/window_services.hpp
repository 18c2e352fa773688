#pragma once

#include <memory>
#include <optional>
#include <string>

#include "model/replaced_credentials.hpp"
#include "model/scheduler.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class TrayPresence;
class WebAppStore;
class WebsiteSessions;
class WindowFactory;
class WindowHost;
class WindowRegistry;
struct WindowShellHooks;

// The answers and actions only the window manager can give a window: click-through with its
// safeguard, duplicate and other-session windows, the page's tray icon, the network sheet and the
// proxy passwords still in use. Main thread only.
class WindowServices {
public:
    WindowServices(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                   ApplicationLinks& links, WebAppStore& store, PreferencesStore& preferences,
                   WebsiteSessions& sessions, const WindowShellHooks& hooks, const TrayPresence& tray,
                   Scheduler& timers, WindowHost& host);
    ~WindowServices();
    WindowServices(const WindowServices&) = delete;
    WindowServices& operator=(const WindowServices&) = delete;

    // Hands the window's browser view the services above; they hold this weakly.
    void wire(BrowserWindowController& controller, const Uuid& recordID);

    // Click-through of one window on or off. It is refused with an alert while Ctrl+Alt+P is not
    // ours: nothing would bring the mouse back.
    void toggleClickThrough(BrowserWindowController& controller);
    // Ctrl+Alt+P and "Restore Mouse Control": every window takes the mouse again.
    void restoreMouseControl();
    // A new window on the same page: in its own session when `isolated` (none: the preferences
    // decide); a private window's duplicate is private again. Nothing while website data is reset,
    // for an unknown window, or for the shared session of a window behind a website proxy.
    BrowserWindowController* duplicateWindow(const Uuid& windowID, std::optional<bool> isolated, bool show);
    // The saved website whose tray icon the page's address has, seen from the window.
    bool menuBarIconState(const Uuid& windowID, const Uuid& recordID, const std::string& address) const;
    // Switches that icon; creates the saved website when switched on for a page none matches.
    void toggleMenuBarIcon(const Uuid& windowID, const Uuid& recordID, const std::string& address);
    // The saved website whose session and proxy the window's network sheet edits.
    std::optional<WebAppProfile> networkProfile(const Uuid& windowID, const Uuid& recordID) const;
    // Saves the sheet: exactly the proxy, session identifier, own-session flag and account name.
    bool saveNetwork(const WebAppProfile& edited);
    // Whether a proxy credential id is used now by a website (those set aside for a repeated id
    // included), a window's ad-hoc record, the global proxy or (asked through the application)
    // anything else.
    bool isCredentialInUse(const std::string& credentialID) const;
    // Deletes the proxy password unless something uses it now or a saved file (a backup, a
    // recovery copy and a set-aside record included) names it; one that a website save still on
    // its way to the disk replaced waits for that write.
    void discardProxyCredential(const std::string& credentialID);

private:
    // How the write of a tray icon switch went: confirmed with a toast, or told on the window.
    // True when the failure was told here.
    bool menuBarIconWritten(const Uuid& windowID, const Uuid& recordID, const std::string& address,
                            bool wasOn, const std::optional<Uuid>& tabID,
                            const std::optional<std::string>& failure);
    void letGoOfCredential(const std::string& credentialID);

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    ApplicationLinks& links_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    const WindowShellHooks& hooks_;
    const TrayPresence& tray_;
    Scheduler& timers_;
    WindowHost& host_;
    ReplacedCredentials replacedCredentials_{
        [this](const std::string& credentialID) { letGoOfCredential(credentialID); }};
    // The services handed to windows hold this weakly: they find it expired once it is gone.
    std::shared_ptr<WindowServices*> self_;
};

}  // namespace quenlith
