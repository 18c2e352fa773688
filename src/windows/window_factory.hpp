#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/view/browser_context.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class BrowserWindowController;
class DownloadManager;
class PreferencesStore;
class WebAppStore;
class WebsiteDataStore;
class WebsiteSessions;
class WindowRegistry;
struct WindowShellHooks;

// What one new browser window is built from (WindowFactory::make).
struct WindowRequest {
    // The website the window shows: a saved website or an ad-hoc record of the manager.
    WebAppProfile profile;
    // The window's id; the website's own id when the window takes and saves its remembered frame.
    Uuid id;
    // Handed over by the web engine for a page's popup: the popup shares the opener's store.
    std::optional<WebViewConfiguration> configuration;
    // The first tab's address instead of the website's last or home address.
    std::optional<std::string> url;
    // A store chosen by the caller (a private window's); none lets the website decide.
    std::shared_ptr<WebsiteDataStore> dataStore;
    // The first tab opens without an address (the caller loads or restores tabs itself).
    bool dormant = false;

    // The website's own window.
    static WindowRequest ownWindow(const WebAppProfile& profile) {
        WindowRequest request;
        request.profile = profile;
        request.id = profile.id;
        return request;
    }
};

// A page asked for at start for the window that will show it.
struct StartPage {
    std::string address;
    std::shared_ptr<WebsiteDataStore> dataStore;
    GObjectPtr<WebKitWebView> webView;
};

// Builds browser windows and registers them; a page asked for at start for a window's id is taken
// over by that window while it loads. Main thread only.
class WindowFactory {
public:
    // `wire` connects each window built, after it is registered and before anyone else sees it.
    // Every view is made with `viewContext`; its preferences and sessions are the windows' too.
    WindowFactory(WindowRegistry& registry, WebAppStore& store, const BrowserContext& viewContext,
                  const WindowShellHooks& hooks,
                  std::function<void(BrowserWindowController&, const WebAppProfile& websiteCopy)> wire);
    ~WindowFactory();
    WindowFactory(const WindowFactory&) = delete;
    WindowFactory& operator=(const WindowFactory&) = delete;

    // Builds, registers and wires one window; the caller shows it and publishes. A request under an
    // id that is already registered builds nothing and answers the registered window, so a live
    // window is never replaced.
    BrowserWindowController& make(WindowRequest request);

    // The pages asked for at start, by the id of the window that will take it.
    const std::map<Uuid, StartPage>& startPages() const { return startPages_; }
    // Begins loading `address` in the store of `website`, for the window `windowID` that will take
    // it; its first page meets the ad filter as every page a window decides does.
    void loadStartPage(const Uuid& windowID, const WebAppProfile& website, const std::string& address);
    // A page asked for early that no window took stops loading.
    void dropStartPages() { startPages_.clear(); }

private:
    WindowRegistry& registry_;
    WebAppStore& store_;
    const BrowserContext viewContext_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    const WindowShellHooks& hooks_;
    std::function<void(BrowserWindowController&, const WebAppProfile&)> wire_;
    std::map<Uuid, StartPage> startPages_;
    // The start-page makers handed to windows hold this weakly.
    std::shared_ptr<WindowFactory*> self_;
};

}  // namespace quenlith
