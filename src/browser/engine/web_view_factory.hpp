#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include <webkit2/webkit2.h>

#include "browser/engine/gobject_ptr.hpp"
#include "browser/engine/website_data_store.hpp"

namespace quenlith {

class WebsiteSessions;

// What a web view is made with. The factory makes a fresh one for every view unless the engine
// hands one in (a popup's view: the opener's store and content manager, and the opener as related
// view so that the engine can connect the two pages).
struct WebViewConfiguration {
    std::shared_ptr<WebsiteDataStore> websiteDataStore;
    GObjectPtr<WebKitUserContentManager> userContentController;
    GObjectPtr<WebKitSettings> preferences;
    GObjectPtr<WebKitWebsitePolicies> websitePolicies;  // may be empty: the engine's defaults
    GObjectPtr<WebKitWebView> relatedView;               // may be empty
};

// Makes every web view of the application.
class WebViewFactory {
public:
    // A new, unloaded web view on the given store (the shared store of `sessions` when none), or
    // with the given configuration, kept unchanged. The store's proxy is applied by `sessions`
    // (never null), the sleep guard and the site style fix are installed, and the user agent is set
    // (the engine's own when none is given). The result holds the only reference (not floating).
    // It cannot fail.
    static GObjectPtr<WebKitWebView> makeWebView(std::shared_ptr<WebsiteDataStore> dataStore,
                                                 const std::optional<WebViewConfiguration>& configuration,
                                                 const std::optional<std::string>& userAgent,
                                                 WebsiteSessions* sessions);

    // Adds the one site-specific style fix (main frame, document start) unless the manager holds it.
    static void installSiteStyleFix(WebKitUserContentManager* controller);
};

// The host whose footer the style fix corrects. No such site is named, so the fix stays inert: the
// host is in the reserved ".invalid" domain and never matches a real page.
inline constexpr const char* kSiteStyleFixHost = "footer-fix.invalid";

// The style fix's source for a host (lower-case).
std::string siteStyleFixSource(std::string_view host);

}  // namespace quenlith
