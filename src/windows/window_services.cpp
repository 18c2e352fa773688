// The answers and actions only the window manager can give a window: click-through with its
// safeguard, duplicate and other-session windows, the page's menu-bar icon and the network sheet.

#include <webkit2/webkit2.h>

#include "browser/engine/website_data_store.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"
#include "ui/alert.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/hot_key_manager.hpp"

namespace quenlith {

void BrowserWindowManager::wireServices(BrowserWindowController& controller, const Uuid& recordID) {
    std::weak_ptr<BrowserWindowManager*> weak = self_;
    const Uuid windowID = controller.id;
    auto& services = controller.browser().services;
    services.menuBarIconState = [weak, windowID, recordID](const std::string& address) {
        auto manager = weak.lock();
        return manager && (*manager)->menuBarIconState(windowID, recordID, address);
    };
    services.onToggleMenuBarIcon = [weak, windowID, recordID](const std::string& address) {
        if (auto manager = weak.lock()) (*manager)->toggleMenuBarIcon(windowID, recordID, address);
    };
    services.networkProfile = [weak, windowID, recordID]() -> std::optional<WebAppProfile> {
        auto manager = weak.lock();
        return manager ? (*manager)->networkProfile(windowID, recordID) : std::nullopt;
    };
    services.onSaveNetwork = [weak](const WebAppProfile& edited) {
        auto manager = weak.lock();
        return manager && (*manager)->saveNetwork(edited);
    };
    services.discardProxyCredential = [weak](const std::string& credentialID) {
        if (auto manager = weak.lock()) (*manager)->discardProxyCredential(credentialID);
    };
    services.onSheet = [weak, windowID](BrowserSheet sheet) {
        auto manager = weak.lock();
        if (!manager || !(*manager)->onSheet) return;
        if (auto controller = (*manager)->window(windowID)) (*manager)->onSheet(*controller, sheet);
    };
}

// ---- Click-through ---------------------------------------------------------------------------

void BrowserWindowManager::toggleClickThrough(BrowserWindowController& controller) {
    FloatingBrowserPanel& panel = controller.panel();
    if (!panel.ignoresMouseEvents() && !(hotKeys && hotKeys->isRescueAvailable())) {
        presentAlert(localizedString("Click-through unavailable"),
                     localizedString("The recovery shortcut Ctrl+Alt+P could not be registered. Change the "
                                     "conflicting shortcut in the other application first."),
                     &panel);
        return;
    }
    const bool ignores = !panel.ignoresMouseEvents();
    panel.setIgnoresMouseEvents(ignores);
    controller.browser().clickThroughEnabled = ignores;
    if (ignores) showToast(localizedString("Click-through enabled · Ctrl+Alt+P to recover"), controller);
    publishState();
}

void BrowserWindowManager::restoreMouseControl() {
    for (const auto& [id, controller] : windows_) {
        controller->panel().setIgnoresMouseEvents(false);
        controller->browser().clickThroughEnabled = false;
    }
    publishState();
}

// ---- Duplicate and other-session windows -------------------------------------------------------

BrowserWindowController* BrowserWindowManager::duplicateWindow(const Uuid& windowID,
                                                               std::optional<bool> isolated, bool show) {
    finishRestore();
    BrowserWindowController* source = window(windowID);
    if (isResettingWebsiteData || !source) return nullptr;
    BrowserViewController& browser = source->browser();
    const WebAppProfile& record = browser.profile();
    // A window behind a website proxy cannot open in the shared session.
    if (isolated == false && record.siteProxy) return nullptr;

    WebAppProfile copy = record.duplicate(preferences.value(), isolated);
    const BrowserTab* active = browser.activeTab();
    if (active && active->showsStartPage) {
        copy.homeURL = "";
        copy.lastURL = std::nullopt;
    }
    browsingProfiles[copy.id] = copy;

    WindowRequest request;
    request.profile = copy;
    request.id = copy.id;
    if (active && !active->showsStartPage) request.url = active->address();
    // A private window's duplicate is private again, in a temporary session of its own.
    if (!browser.isPersistent()) request.dataStore = WebsiteDataStore::nonPersistent();
    BrowserWindowController& duplicate = makeWindowController(std::move(request));
    if (show) {
        duplicate.present(true, false, true);
        lastActiveID = duplicate.id;
    }
    publishState();
    return &duplicate;
}

// ---- Menu-bar icon -----------------------------------------------------------------------------

namespace {

std::optional<WebAppProfile> windowRecord(const BrowserWindowController* controller) {
    if (!controller) return std::nullopt;
    return controller->browser().profile();
}

}  // namespace

bool BrowserWindowManager::menuBarIconState(const Uuid& windowID, const Uuid& recordID,
                                            const std::string& address) const {
    auto website = store.profileMatching(address, recordID, windowRecord(window(windowID)));
    return website && website->menuBarIconEnabled.value_or(false);
}

void BrowserWindowManager::toggleMenuBarIcon(const Uuid& windowID, const Uuid& recordID,
                                             const std::string& address) {
    BrowserWindowController* controller = window(windowID);
    if (!controller || !controller->browser().isPersistent()) return;
    BrowserViewController& browser = controller->browser();
    const bool wasOn = menuBarIconState(windowID, recordID, address);

    std::string title;
    const BrowserTab* active = browser.activeTab();
    const char* pageTitle =
        active && active->webView() ? webkit_web_view_get_title(active->webView()) : nullptr;
    if (pageTitle && *pageTitle)
        title = pageTitle;
    else if (auto host = uriHost(address))
        title = *host;

    if (!store.profileForOpening(!wasOn, address, title, recordID, preferences.value(), browser.profile())) {
        presentAlert(localizedString("Could not save website"),
                     store.errorMessage().value_or(localizedString("Please try again.")),
                     &controller->panel());
        return;
    }
    if (wasOn) {
        showToast(localizedString("Removed from Tray"), *controller);
        return;
    }
    auto website = store.profileMatching(address, recordID, browser.profile());
    if (website && active && sessions.dataStore(*website) == browser.websiteDataStore()) {
        // The tab now shows the saved website: its icon brings this tab forward.
        websiteLinks.targets[website->id] = WebsiteWindowTarget{controller->id, active->id};
        for (const Uuid& id : websiteLinks.profileIDs(controller->id)) linkedWindows_.erase(id);
        linkedWindows_.erase(controller->profileID);
        publishState();
    }
    showToast(localizedString("Added to Tray"), *controller);
}

// ---- Network sheet -----------------------------------------------------------------------------

std::optional<WebAppProfile> BrowserWindowManager::networkProfile(const Uuid& windowID,
                                                                  const Uuid& recordID) const {
    BrowserWindowController* controller = window(windowID);
    if (!controller) return std::nullopt;
    if (auto website = store.profile(recordID)) return website;
    const BrowserTab* active = controller->browser().activeTab();
    std::optional<std::string> address = active ? active->address() : std::nullopt;
    if (!address) return std::nullopt;
    return store.profileMatching(*address, recordID, controller->browser().profile());
}

bool BrowserWindowManager::saveNetwork(const WebAppProfile& edited) {
    auto website = store.profile(edited.id);
    if (!website) return false;
    website->siteProxy = edited.siteProxy;
    website->sessionIdentifier = edited.sessionIdentifier;
    website->isolatedAccount = edited.isolatedAccount;
    website->accountName = edited.accountName;
    return store.upsert(*website);
}

void BrowserWindowManager::discardProxyCredential(const std::string& credentialID) {
    if (isCredentialInUse(credentialID)) return;
    const auto& proxy = preferences.value().proxy;
    if (proxy && proxy->credentialID == credentialID) return;
    if (removeProxyPassword) removeProxyPassword(credentialID);
}

}  // namespace quenlith
