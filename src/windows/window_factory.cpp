#include "windows/window_factory.hpp"

#include "browser/blocking/ad_blocking.hpp"
#include "browser/blocking/first_page_filter.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/private_page.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

WindowFactory::WindowFactory(WindowRegistry& registry, WebAppStore& store, const BrowserContext& viewContext,
                             const WindowShellHooks& hooks,
                             std::function<void(BrowserWindowController&, const WebAppProfile&)> wire)
    : registry_(registry),
      store_(store),
      viewContext_(viewContext),
      preferences_(viewContext.preferences),
      sessions_(viewContext.sessions),
      hooks_(hooks),
      wire_(std::move(wire)),
      self_(std::make_shared<WindowFactory*>(this)) {}

WindowFactory::~WindowFactory() {
    self_.reset();
}

BrowserWindowController& WindowFactory::make(WindowRequest request) {
    // Registering under a live window's id would orphan that window: it stays, and is the answer.
    if (auto existing = registry_.window(request.id)) return *existing;

    std::shared_ptr<WebsiteDataStore> dataStore;
    if (request.configuration && request.configuration->websiteDataStore)
        dataStore = request.configuration->websiteDataStore;
    else if (request.dataStore)
        dataStore = request.dataStore;
    else
        dataStore = sessions_.dataStore(request.profile);

    // The window's copy of the website names the store it really uses.
    WebAppProfile websiteCopy = request.profile;
    if (dataStore->isPersistent()) {
        websiteCopy.sessionIdentifier = dataStore->identifier();
        websiteCopy.isolatedAccount = dataStore->identifier().has_value();
        websiteCopy.siteProxy = sessions_.proxyOverride(dataStore);
    }

    auto browser = std::make_unique<BrowserViewController>(
        viewContext_, websiteCopy, dataStore,
        BrowserViewStart{request.configuration, request.url, request.dormant,
                         store_.profile(websiteCopy.id).has_value()});
    // The page asked for at start for this window is taken over while it loads.
    if (auto early = startPages_.find(request.id); early != startPages_.end() && early->second.dataStore == dataStore) {
        browser->tabs().adoptLoadingPage(early->second.address, std::move(early->second.webView));
        startPages_.erase(early);
    }
    // A private window's empty tab explains the private session instead of offering websites.
    // The application hands the maker over once it has built its launcher, maybe after this window.
    BrowserWindowServices services;
    if (dataStore->isPersistent())
        services.makeStartPage = [weak = std::weak_ptr<WindowFactory*>(self_)]() -> Gtk::Widget* {
            auto factory = weak.lock();
            return factory && (*factory)->hooks_.makeStartPage ? (*factory)->hooks_.makeStartPage() : nullptr;
        };
    else
        services.makeStartPage = makePrivatePage;
    browser->setServices(std::move(services));

    auto panel = std::make_unique<FloatingBrowserPanel>(websiteCopy.followAcrossSpaces);
    panel->setSkipsTaskbar(!preferences_.value().showDockIcon);
    FloatingBrowserPanel& window = *panel;
    auto controller = std::make_unique<BrowserWindowController>(request.id, websiteCopy, std::move(browser),
                                                                std::move(panel), preferences_, store_);
    window.apply(websiteCopy);

    // Only the website's own window takes its remembered frame.
    std::optional<CodableRect> remembered;
    if (websiteCopy.rememberWindowFrame && request.id == websiteCopy.id) remembered = websiteCopy.windowFrame;
    window.applyFrame(remembered, preferences_.value().defaultWidth, preferences_.value().defaultHeight);

    controller->becomeDelegate();
    BrowserWindowController& registered = registry_.add(std::move(controller));
    // Wired last: nothing the view reported while it was being built reaches the manager.
    if (wire_) wire_(registered, websiteCopy);
    if (hooks_.onWindowBuilt) hooks_.onWindowBuilt(registered);
    return registered;
}

void WindowFactory::loadStartPage(const Uuid& windowID, const WebAppProfile& website, const std::string& address) {
    auto dataStore = sessions_.dataStore(website);
    auto webView = WebViewFactory::makeWebView(dataStore, std::nullopt, website.customUserAgent, &sessions_);
    holdFirstPageForAdFilter(webView.get(), viewContext_.blocking, preferredAdFilter(preferences_));
    webkit_web_view_load_uri(webView.get(), address.c_str());
    startPages_[windowID] = StartPage{address, std::move(dataStore), std::move(webView)};
}

}  // namespace quenlith
