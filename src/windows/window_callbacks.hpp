#pragma once

#include <memory>
#include <optional>
#include <string>

#include "browser/view/browser_command.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class RuntimePublisher;
class SessionRestore;
class WebAppStore;
class WebsiteSessions;
class WindowClosing;
class WindowFactory;
class WindowRegistry;
class WindowServices;
struct WebViewConfiguration;
struct WindowShellHooks;

// What a window's browser view and its window report, and how the window manager answers: visits,
// tab changes, live settings changed in the window, addresses and icons of the website, window
// commands, pages asking for a new window, close requests, moves and focus. Main thread only.
class WindowCallbacks {
public:
    WindowCallbacks(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                    ApplicationLinks& links, SessionRestore& session, WindowClosing& closing,
                    WindowServices& services, WebAppStore& store, WebsiteSessions& sessions,
                    const WindowShellHooks& hooks);
    ~WindowCallbacks();
    WindowCallbacks(const WindowCallbacks&) = delete;
    WindowCallbacks& operator=(const WindowCallbacks&) = delete;

    // Connects a window just built; every closure finds this and the window again by id.
    void wire(BrowserWindowController& controller, const WebAppProfile& websiteCopy);

private:
    void stateChanged();
    void profileChanged(BrowserWindowController& controller, const WebAppProfile& changed);
    // A write carrying a change the person made in the window failed: the window shows what is
    // saved again and says so. True when told here.
    bool switchNotSaved(const Uuid& windowID, const std::string& failure);
    void urlChanged(const Uuid& websiteID, const std::string& address);
    void metadataArrived(const Uuid& websiteID, const std::string& address,
                         const std::optional<std::string>& iconAddress);
    void runCommand(BrowserWindowController& controller, BrowserCommand command, const Uuid& websiteID);
    void saveWebsite(BrowserWindowController& controller);
    void arrange(BrowserWindowController& controller, BrowserCommand command);
    WebKitWebView* openPopup(const Uuid& websiteID, const WebViewConfiguration& configuration,
                             const std::optional<std::string>& address);

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    ApplicationLinks& links_;
    SessionRestore& session_;
    WindowClosing& closing_;
    WindowServices& services_;
    WebAppStore& store_;
    WebsiteSessions& sessions_;
    const WindowShellHooks& hooks_;
    // Closures handed to windows hold this weakly: they find it expired once it is gone.
    std::shared_ptr<WindowCallbacks*> self_;
};

}  // namespace quenlith
