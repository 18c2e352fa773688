// Which window and tab come forward when the user opens an address, a saved website, a window or a
// tab from anywhere in the application; the main browser window and private windows; showing and
// hiding all windows.

#include <algorithm>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kOpenURLsLimit = 20;

std::optional<std::size_t> tabIndex(const BrowserViewController& browser, const Uuid& tabID) {
    const auto& tabs = browser.tabs();
    for (std::size_t i = 0; i < tabs.size(); ++i)
        if (tabs[i]->id == tabID) return i;
    return std::nullopt;
}

}  // namespace

// ---- Bringing a window forward ------------------------------------------------------------------

void BrowserWindowManager::releaseLinks(BrowserWindowController& controller) {
    if (linkedWindows_.empty()) return;
    for (const Uuid& id : websiteLinks.profileIDs(controller.id)) linkedWindows_.erase(id);
    linkedWindows_.erase(controller.profileID);
}

void BrowserWindowManager::bringForward(BrowserWindowController& controller, std::optional<Uuid> tabID) {
    releaseLinks(controller);
    if (tabID)
        if (auto index = tabIndex(controller.browser(), *tabID)) controller.browser().selectTab(*index, true, true);
    controller.present(true, false, true, eventTime_);
    lastActiveID = controller.id;
    publishState();
}

bool BrowserWindowManager::isSharedSession(const BrowserWindowController& controller) const {
    const auto& dataStore = controller.browser().websiteDataStore();
    if (!dataStore->isPersistent()) return false;
    return controller.id == browserID || dataStore == WebsiteDataStore::defaultDataStore();
}

std::vector<RoutingWindow> BrowserWindowManager::routingWindows() const {
    std::vector<RoutingWindow> list;
    list.reserve(windows_.size());
    for (const auto& [id, controller] : windows_) {
        RoutingWindow window;
        window.id = id;
        window.sequence = controller->sequence;
        window.sharedSession = isSharedSession(*controller);
        if (window.sharedSession)
            for (const auto& tab : controller->browser().tabs())
                window.tabs.push_back(RoutingTab{tab->id, tab->address(), tab->showsStartPage});
        list.push_back(std::move(window));
    }
    return list;
}

// ---- Opening addresses ----------------------------------------------------------------------------

BrowserViewController* BrowserWindowManager::open(const std::string& address) {
    finishRestore();
    if (isResettingWebsiteData) return nullptr;
    // An address already open in a shared-session tab comes forward there, keeping what the user
    // typed into the page; a private window or a website's own session is never reused.
    if (auto target = reusableTab(routingWindows(), address, comparisonForms_)) {
        if (BrowserWindowController* controller = window(target->windowID)) {
            bringForward(*controller, target->tabID);
            return &controller->browser();
        }
    }
    showBrowser();
    BrowserWindowController* controller = window(browserID);
    if (!controller) return nullptr;
    BrowserViewController& browser = controller->browser();
    const BrowserTab* active = browser.activeTab();
    if (active && active->showsStartPage)
        browser.load(address);
    else
        browser.addTab(address);
    return &browser;
}

void BrowserWindowManager::openAddress(const std::string& text) {
    auto address = resolveAddressInput(text, preferences.value().searchEngine);
    if (address) {
        open(*address);
        return;
    }
    if (address.error().message.empty()) return;
    // The refusal is told in the window the address would have opened in.
    showBrowser();
    if (BrowserWindowController* controller = window(browserID))
        showToast(address.error().message, *controller);
}

void BrowserWindowManager::openURLs(const std::vector<std::string>& addresses) {
    finishRestore();
    const std::size_t count = std::min(addresses.size(), kOpenURLsLimit);
    for (std::size_t i = 0; i < count; ++i) open(addresses[i]);
}

// ---- Windows without a saved website -------------------------------------------------------------

WebAppProfile BrowserWindowManager::browserProfile() const {
    const AppPreferences& values = preferences.value();
    WebAppProfile profile;
    profile.id = browserID;
    profile.name = kBrowserRecordName;
    profile.homeURL = "";
    profile.opacity = values.defaultOpacity;
    profile.compactMode = values.defaultCompact;
    profile.rememberLastURL = false;
    profile.rememberWindowFrame = false;
    // A new record each time the window is built: with isolation on, a reopened main window gets a
    // session of its own again and shares no cookies with the closed one.
    profile.setIsolatedAccount(values.readsIsolateNewWindows());
    profile.normalize();
    return profile;
}

void BrowserWindowManager::showBrowser() {
    finishRestore();
    if (isResettingWebsiteData) return;
    BrowserWindowController* controller = window(browserID);
    if (!controller) {
        WebAppProfile profile = browserProfile();
        browsingProfiles[browserID] = profile;
        WindowRequest request;
        request.profile = profile;
        request.id = browserID;
        controller = &makeWindowController(std::move(request));
    }
    bringForward(*controller);
}

void BrowserWindowManager::openPrivateWindow() {
    finishRestore();
    if (isResettingWebsiteData) return;
    WebAppProfile profile;
    profile.name = localizedString("Private Window");
    profile.homeURL = "";
    profile.rememberLastURL = false;
    profile.rememberWindowFrame = false;
    browsingProfiles[profile.id] = profile;
    WindowRequest request;
    request.profile = profile;
    request.id = profile.id;
    request.dataStore = WebsiteDataStore::nonPersistent();
    BrowserWindowController& controller = makeWindowController(std::move(request));
    controller.present(true, false, true);
    lastActiveID = controller.id;
    publishState();
}

// ---- Saved websites --------------------------------------------------------------------------

BrowserWindowController* BrowserWindowManager::showProfile(const Uuid& profileID) {
    finishRestore();
    if (isResettingWebsiteData) return nullptr;
    auto website = store.profile(profileID);
    if (!website) return nullptr;
    BrowserWindowController* controller = nullptr;
    std::optional<Uuid> tabID;
    if (auto target = linkTarget(*website)) {
        controller = window(target->windowID);
        if (controller) {
            websiteLinks.targets[profileID] = *target;
            tabID = target->tabID;
        }
    }
    if (!controller) controller = &makeWindowController(WindowRequest::ownWindow(*website));
    linkedWindows_.erase(profileID);
    bringForward(*controller, tabID);
    return controller;
}

void BrowserWindowManager::toggle(const Uuid& profileID, std::uint32_t eventTime) {
    finishRestore();
    eventTime_ = eventTime;
    struct Reset {
        std::uint32_t& time;
        ~Reset() { time = 0; }
    } reset{eventTime_};
    auto website = store.profile(profileID);
    std::optional<WebsiteWindowTarget> target = website ? linkTarget(*website) : std::nullopt;
    BrowserWindowController* controller = target ? window(target->windowID) : nullptr;
    // A minimised or tucked window comes back; only a window on screen is put away.
    if (controller && controller->isOnScreen())
        hide(profileID);
    else
        showProfile(profileID);
}

void BrowserWindowManager::focus(const Uuid& windowID, const Uuid& tabID) {
    finishRestore();
    BrowserWindowController* controller = window(windowID);
    if (!controller || !tabIndex(controller->browser(), tabID)) return;
    bringForward(*controller, tabID);
}

// ---- All windows -----------------------------------------------------------------------------

void BrowserWindowManager::showAll() {
    finishRestore();
    std::vector<Uuid> away;
    for (const auto& [id, controller] : windows_)
        if (!controller->isOnScreen()) away.push_back(id);
    for (const Uuid& id : away) {
        BrowserWindowController* controller = window(id);
        if (!controller) continue;
        releaseLinks(*controller);
        controller->present(true, false, true);
        lastActiveID = id;
    }
    publishState();
}

void BrowserWindowManager::hideAll() {
    finishRestore();
    for (const auto& website : store.profiles()) dismissedLinks_.insert(website.id);
    linkedWindows_.clear();
    for (auto& [id, controller] : windows_) {
        controller->edgeTuck().reset();
        controller->panel().hide();
        controller->browser().setPresented(false, false);
    }
    publishState();
}

void BrowserWindowManager::linkWindow(const WebAppProfile& website, const WebAppProfile& source,
                                      const std::string& url) {
    finishRestore();
    BrowserWindowController* found = nullptr;
    for (const auto& [id, controller] : windows_) {
        if (controller->profileID == source.id && controller->browser().isPersistent()) {
            found = controller.get();
            break;
        }
    }
    if (!found || sessions.dataStore(website) != found->browser().websiteDataStore()) return;
    RoutingWindow candidate;
    candidate.id = found->id;
    for (const auto& tab : found->browser().tabs())
        candidate.tabs.push_back(RoutingTab{tab->id, tab->address(), tab->showsStartPage});
    auto tabID = matchingTab(candidate, comparisonForms_.form(url), comparisonForms_);
    if (!tabID) return;
    websiteLinks.targets[website.id] = WebsiteWindowTarget{found->id, *tabID};
    pushSnapshot();
    scheduleSnapshot();
}

// ---- Queries -----------------------------------------------------------------------------------

BrowserWindowController* BrowserWindowManager::activeWindowController() const {
    for (const auto& [id, controller] : windows_)
        if (controller->panel().property_is_active().get_value()) return controller.get();
    if (lastActiveID) return window(*lastActiveID);
    return nullptr;
}

bool BrowserWindowManager::hasVisibleWindows() const {
    return std::any_of(windows_.begin(), windows_.end(), [](const auto& entry) {
        return entry.second->isOnScreen() || entry.second->isTuckedAway();
    });
}

bool BrowserWindowManager::isCredentialInUse(const std::string& credentialID) const {
    auto uses = [&](const WebAppProfile& profile) {
        return profile.siteProxy && profile.siteProxy->credentialID == credentialID;
    };
    if (std::any_of(store.profiles().begin(), store.profiles().end(), uses)) return true;
    for (const auto& [id, profile] : browsingProfiles)
        if (uses(profile)) return true;
    return additionalCredentialUsage && additionalCredentialUsage(credentialID);
}

void BrowserWindowManager::showToast(const std::string& message, BrowserWindowController& controller) {
    controller.showToast(message, timers_);
}

}  // namespace quenlith
