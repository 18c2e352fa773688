// What a window's browser view reports, and how the window manager answers: visits, tab changes,
// live settings changed in the window, addresses and icons of the website, window commands and
// pages asking for a new window.

#include <webkit2/webkit2.h>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/suggested_website.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"
#include "model/window_arrangement.hpp"
#include "ui/alert.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

void BrowserWindowManager::wireCallbacks(BrowserWindowController& controller, const WebAppProfile& websiteCopy) {
    // Every closure finds the manager and the window again by id: either may be gone by the time
    // the view reports.
    std::weak_ptr<BrowserWindowManager*> weak = self_;
    const Uuid windowID = controller.id;
    const Uuid websiteID = websiteCopy.id;
    auto& services = controller.browser().services;

    services.onVisit = [weak](const std::string& address, const std::string& title) {
        auto manager = weak.lock();
        if (manager && (*manager)->onVisit) (*manager)->onVisit(address, title);
    };
    services.onStateChange = [weak] {
        if (auto manager = weak.lock()) (*manager)->stateChanged();
    };
    services.onProfileChange = [weak, windowID](const WebAppProfile& changed) {
        auto manager = weak.lock();
        if (!manager) return;
        if (auto controller = (*manager)->window(windowID)) (*manager)->profileChanged(*controller, changed);
    };
    services.onURLChange = [weak, windowID, websiteID](const std::string& address) {
        if (auto manager = weak.lock()) (*manager)->urlChanged(windowID, websiteID, address);
    };
    services.onMetadata = [weak, websiteID](const std::string&, const std::optional<std::string>& icon) {
        if (auto manager = weak.lock()) (*manager)->metadataArrived(websiteID, icon);
    };
    services.onCommand = [weak, windowID, websiteID](BrowserCommand command) {
        auto manager = weak.lock();
        if (!manager) return;
        if (auto controller = (*manager)->window(windowID)) (*manager)->runCommand(*controller, command, websiteID);
    };
    services.onPopup = [weak, websiteID](const WebViewConfiguration& configuration,
                                         const std::optional<std::string>& address) -> WebKitWebView* {
        auto manager = weak.lock();
        return manager ? (*manager)->openPopup(websiteID, configuration, address) : nullptr;
    };

    wireServices(controller, websiteID);

    controller.onClose = [weak, windowID] {
        if (auto manager = weak.lock()) (*manager)->requestClose(windowID);
    };
    controller.onVisibility = [weak] {
        if (auto manager = weak.lock()) (*manager)->publishState();
    };
    controller.onMinimize = [weak, windowID] {
        if (auto manager = weak.lock()) (*manager)->windowMinimized(windowID);
    };
    controller.onActive = [weak, windowID] {
        auto manager = weak.lock();
        if (!manager) return;
        (*manager)->lastActiveID = windowID;
        (*manager)->scheduleSnapshot();
    };
}

void BrowserWindowManager::stateChanged() {
    // The counts follow visibility changes only (publishState); tab changes refresh the snapshot.
    pushSnapshot();
    scheduleSnapshot();
}

void BrowserWindowManager::profileChanged(BrowserWindowController& controller, const WebAppProfile& changed) {
    // Only what the user changed in the window is written: the rest of the window's record may
    // differ from a website's own on purpose (a linked or page-group window has its own opacity).
    const WebAppProfile applied = controller.appliedProfile();
    BrowserViewController& browser = controller.browser();
    if (isSceneWindow(controller.id)) {
        // A page-group window's settings are the group's, for this window only.
        if (auto browsing = browsingProfiles.find(changed.id); browsing != browsingProfiles.end())
            browsing->second = changed;
        controller.applyProfile(changed);
        return;
    }

    if (const BrowserTab* active = browser.activeTab()) {
        std::vector<Uuid> linked;
        for (const auto& [id, target] : websiteLinks.targets)
            if (target.windowID == controller.id && target.tabID == active->id && id != controller.profileID)
                linked.push_back(id);
        for (const Uuid& id : linked) {
            auto website = store.profile(id);
            if (!website || sessions.dataStore(*website) != browser.websiteDataStore()) continue;
            WebAppProfile updated = *website;
            updated.mergeLiveSettings(applied, changed);
            if (updated == *website || store.upsert(updated)) continue;
            presentAlert(localizedString("Could not save website"),
                         store.errorMessage().value_or(localizedString("Please try again.")), &controller.panel());
        }
    }

    if (auto browsing = browsingProfiles.find(changed.id); browsing != browsingProfiles.end()) {
        browsing->second = changed;
        controller.applyProfile(changed);
        return;
    }
    WebAppProfile record = store.profile(changed.id).value_or(changed);
    record.mergeLiveSettings(applied, changed);
    if (store.upsert(record)) {
        controller.applyProfile(record);
    } else if (auto saved = store.profile(changed.id)) {
        // The window shows what is saved.
        controller.applyProfile(*saved);
    }
}

void BrowserWindowManager::urlChanged(const Uuid& windowID, const Uuid& websiteID, const std::string& address) {
    // A page-group window never remembers its address for the website.
    if (isSceneWindow(windowID)) return;
    auto website = store.profile(websiteID);
    if (!website || !isCredentialFreeURL(address)) return;
    auto home = normalizedWebsiteURL(website->homeURL);
    if (!home || !SuggestedWebsite::hostMatches(address, *home)) return;
    std::optional<std::string> lastURL;
    if (website->rememberLastURL) lastURL = address;
    if (website->lastURL == lastURL) return;
    store.update(websiteID, [&](WebAppProfile& profile) { profile.lastURL = lastURL; });
}

void BrowserWindowManager::metadataArrived(const Uuid& websiteID, const std::optional<std::string>& icon) {
    if (!icon || !normalizedWebsiteURL(*icon)) return;
    auto website = store.profile(websiteID);
    if (!website || website->iconURL == icon) return;
    store.setIconURL(icon, websiteID);
}

void BrowserWindowManager::runCommand(BrowserWindowController& controller, BrowserCommand command,
                                      const Uuid& websiteID) {
    switch (command) {
    case BrowserCommand::edit:
        if (onEdit) onEdit(websiteID);
        break;
    case BrowserCommand::close: requestClose(controller.id); break;
    case BrowserCommand::downloads:
        if (onDownloads) onDownloads();
        break;
    case BrowserCommand::saveWebsite: saveWebsite(controller); break;
    case BrowserCommand::arrangeLeft:
    case BrowserCommand::arrangeRight:
    case BrowserCommand::arrangeCenter: arrange(controller, command); break;
    case BrowserCommand::duplicate: duplicateWindow(controller.id, std::nullopt, true); break;
    case BrowserCommand::otherSessionWindow:
        // The other session: an own one for a window in the shared session, and back.
        duplicateWindow(controller.id, !controller.browser().profile().dataStoreIdentifier().has_value(), true);
        break;
    case BrowserCommand::clickThrough: toggleClickThrough(controller); break;
    case BrowserCommand::tuck: controller.edgeTuck().tuck(); break;
    }
}

void BrowserWindowManager::saveWebsite(BrowserWindowController& controller) {
    BrowserViewController& browser = controller.browser();
    const BrowserTab* tab = browser.activeTab();
    if (!tab) return;
    std::optional<std::string> address = tab->address();
    if (!address || !normalizedWebsiteURL(*address)) return;

    if (browser.profile().dataStoreIdentifier() && store.profile(controller.profileID)) {
        // A window with its own account saves nothing new: its website is edited instead.
        if (onEdit) onEdit(controller.profileID);
        return;
    }
    std::optional<std::string> title;
    if (const char* pageTitle = tab->webView() ? webkit_web_view_get_title(tab->webView()) : nullptr)
        title = pageTitle;
    else
        title = uriHost(*address);
    if (onSaveWebsite) onSaveWebsite(address, title, browser.profile());
}

void BrowserWindowManager::arrange(BrowserWindowController& controller, BrowserCommand command) {
    const WindowArrangement arrangement = command == BrowserCommand::arrangeLeft    ? WindowArrangement::left
                                          : command == BrowserCommand::arrangeRight ? WindowArrangement::right
                                                                                    : WindowArrangement::center;
    FloatingBrowserPanel& panel = controller.panel();
    auto frame = arrangedFrame(arrangement, panel.frame(), panel.screens());
    if (!frame) return;
    panel.setFrame(*frame);
    panel.clampToScreen();
}

WebKitWebView* BrowserWindowManager::openPopup(const Uuid& websiteID, const WebViewConfiguration& configuration,
                                               const std::optional<std::string>& address) {
    if (isResettingWebsiteData) return nullptr;
    std::optional<WebAppProfile> website = store.profile(websiteID);
    if (!website) {
        auto browsing = browsingProfiles.find(websiteID);
        if (browsing == browsingProfiles.end()) return nullptr;
        website = browsing->second;
    }
    WindowRequest request;
    request.profile = *website;
    request.id = Uuid::random();
    request.configuration = configuration;
    request.url = address;
    BrowserWindowController& popup = makeWindowController(std::move(request));
    popup.present(true, false, true);
    publishState();
    const BrowserTab* tab = popup.browser().activeTab();
    return tab ? tab->webView() : nullptr;
}

}  // namespace quenlith
