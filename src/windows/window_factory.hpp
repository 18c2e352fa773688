#pragma once

#include <memory>
#include <optional>
#include <string>

#include "browser/engine/web_view_factory.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class WebsiteDataStore;

// What one new browser window is built from (BrowserWindowManager::makeWindowController).
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

}  // namespace quenlith
