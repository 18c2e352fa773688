// The answers and actions only the window manager can give a window: click-through with its
// safeguard, duplicate and other-session windows, the page's menu-bar icon and the network sheet.

#include <webkit2/webkit2.h>

#include <algorithm>

#include "browser/engine/website_data_store.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/credential_release.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/tray_presence.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"
#include "ui/alert.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_services.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

void WindowServices::wire(BrowserWindowController& controller, const Uuid& recordID) {
    std::weak_ptr<WindowServices*> weak = self_;
    const Uuid windowID = controller.id;
    BrowserWindowServices view = controller.browser().services();
    view.menuBarIconState = [weak, windowID, recordID](const std::string& address) {
        auto services = weak.lock();
        return services && (*services)->menuBarIconState(windowID, recordID, address);
    };
    view.trayAvailable = [weak] {
        auto services = weak.lock();
        return !services || (*services)->tray_.available();
    };
    view.onToggleMenuBarIcon = [weak, windowID, recordID](const std::string& address) {
        if (auto services = weak.lock()) (*services)->toggleMenuBarIcon(windowID, recordID, address);
    };
    view.networkProfile = [weak, windowID, recordID]() -> std::optional<WebAppProfile> {
        auto services = weak.lock();
        return services ? (*services)->networkProfile(windowID, recordID) : std::nullopt;
    };
    view.onSaveNetwork = [weak](const WebAppProfile& edited) {
        auto services = weak.lock();
        return services && (*services)->saveNetwork(edited);
    };
    view.discardProxyCredential = [weak](const std::string& credentialID) {
        if (auto services = weak.lock()) (*services)->discardProxyCredential(credentialID);
    };
    view.onSheet = [weak, windowID](BrowserSheet sheet) {
        auto self = weak.lock();
        if (!self || !(*self)->hooks_.onSheet) return;
        if (auto controller = (*self)->registry_.window(windowID))
            (*self)->hooks_.onSheet(*controller, sheet);
    };
    controller.browser().setServices(std::move(view));
}

WindowServices::WindowServices(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                               ApplicationLinks& links, WebAppStore& store, PreferencesStore& preferences,
                               WebsiteSessions& sessions, const WindowShellHooks& hooks,
                               const TrayPresence& tray, Scheduler& timers, WindowHost& host)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      links_(links),
      store_(store),
      preferences_(preferences),
      sessions_(sessions),
      hooks_(hooks),
      tray_(tray),
      timers_(timers),
      host_(host),
      self_(std::make_shared<WindowServices*>(this)) {}

WindowServices::~WindowServices() {
    self_.reset();
}

// ---- Click-through ---------------------------------------------------------------------------

void WindowServices::toggleClickThrough(BrowserWindowController& controller) {
    FloatingBrowserPanel& panel = controller.panel();
    if (!panel.ignoresMouseEvents() && !(hooks_.hotKeys && hooks_.hotKeys->isRescueAvailable())) {
        presentAlert(AlertKind::warning, localizedString("Click-through unavailable"),
                     localizedString("The recovery shortcut Ctrl+Alt+P could not be registered. Change the "
                                     "conflicting shortcut in the other application first."),
                     &panel);
        return;
    }
    const bool ignores = !panel.ignoresMouseEvents();
    panel.setIgnoresMouseEvents(ignores);
    controller.browser().setClickThroughEnabled(ignores);
    if (ignores)
        controller.showToast(localizedString("Click-through enabled · Ctrl+Alt+P to recover"), timers_);
    publisher_.publishState();
}

void WindowServices::restoreMouseControl() {
    for (const auto& [id, controller] : registry_.windows()) {
        controller->panel().setIgnoresMouseEvents(false);
        controller->browser().setClickThroughEnabled(false);
    }
    publisher_.publishState();
}

// ---- Duplicate and other-session windows -------------------------------------------------------

BrowserWindowController* WindowServices::duplicateWindow(const Uuid& windowID, std::optional<bool> isolated,
                                                         bool show) {
    host_.finishRestore();
    BrowserWindowController* source = registry_.window(windowID);
    if (host_.isResettingWebsiteData() || !source) return nullptr;
    BrowserViewController& browser = source->browser();
    const WebAppProfile& record = browser.profile();
    // A window behind a website proxy cannot open in the shared session.
    if (isolated == false && record.siteProxy) return nullptr;

    WebAppProfile copy = record.duplicate(preferences_.value(), isolated);
    const BrowserTab* active = browser.tabs().active();
    if (active && active->state().showsStartPage) {
        copy.homeURL = "";
        copy.lastURL = std::nullopt;
    }
    registry_.setBrowsingProfile(copy);

    WindowRequest request;
    request.profile = copy;
    request.id = copy.id;
    if (active && !active->state().showsStartPage) request.url = active->address();
    // A private window's duplicate is private again, in a temporary session of its own.
    if (!browser.isPersistent()) request.dataStore = WebsiteDataStore::nonPersistent();
    BrowserWindowController& duplicate = factory_.make(std::move(request));
    if (show) {
        duplicate.present(true, false, true);
        registry_.setLastActiveID(duplicate.id);
    }
    publisher_.publishState();
    return &duplicate;
}

// ---- Menu-bar icon -----------------------------------------------------------------------------

namespace {

std::optional<WebAppProfile> windowRecord(const BrowserWindowController* controller) {
    if (!controller) return std::nullopt;
    return controller->browser().profile();
}

}  // namespace

bool WindowServices::menuBarIconState(const Uuid& windowID, const Uuid& recordID,
                                      const std::string& address) const {
    auto website = store_.profileMatching(address, recordID, windowRecord(registry_.window(windowID)));
    return website && website->menuBarIconEnabled.value_or(false);
}

void WindowServices::toggleMenuBarIcon(const Uuid& windowID, const Uuid& recordID,
                                       const std::string& address) {
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller || !controller->browser().isPersistent()) return;
    BrowserViewController& browser = controller->browser();
    const bool wasOn = menuBarIconState(windowID, recordID, address);

    std::string title;
    const BrowserTab* active = browser.tabs().active();
    const char* pageTitle =
        active && active->webView() ? webkit_web_view_get_title(active->webView()) : nullptr;
    if (pageTitle && *pageTitle)
        title = pageTitle;
    else if (auto host = uriHost(address))
        title = *host;

    // Confirmed once the change is on the disk; a write that fails is told on this window, every
    // time (the store takes the change back, so the check mark stays as it was).
    std::weak_ptr<WindowServices*> weak = self_;
    std::optional<Uuid> tabID = active ? std::optional<Uuid>(active->id) : std::nullopt;
    auto written = [weak, windowID, recordID, address, wasOn,
                    tabID](const std::optional<std::string>& failure) {
        auto self = weak.lock();
        return self && (*self)->menuBarIconWritten(windowID, recordID, address, wasOn, tabID, failure);
    };
    if (!store_.profileForOpening(!wasOn, address, title, recordID, preferences_.value(), browser.profile(),
                                  std::move(written))) {
        presentAlert(AlertKind::error, localizedString("Could not save website"),
                     store_.errorMessage().value_or(localizedString("Please try again.")),
                     &controller->panel());
    }
}

bool WindowServices::menuBarIconWritten(const Uuid& windowID, const Uuid& recordID,
                                        const std::string& address, bool wasOn,
                                        const std::optional<Uuid>& tabID,
                                        const std::optional<std::string>& failure) {
    BrowserWindowController* controller = registry_.window(windowID);
    // With the window gone the application's own alert tells the failure.
    if (!controller) return false;
    if (failure) {
        presentAlert(AlertKind::error, localizedString("Could not save website"), *failure,
                     &controller->panel());
        return true;
    }
    if (wasOn) {
        controller->showToast(localizedString("Removed from Tray"), timers_);
        return false;
    }
    BrowserViewController& browser = controller->browser();
    // The tab that was active when the person asked, while it is still there.
    const BrowserTab* tab = tabID ? browser.tabs().find(*tabID) : nullptr;
    auto website = store_.profileMatching(address, recordID, browser.profile());
    if (website && tab && sessions_.dataStore(*website) == browser.websiteDataStore()) {
        // The tab now shows the saved website: its icon brings this tab forward.
        publisher_.websiteLinks().targets[website->id] = WebsiteWindowTarget{controller->id, tab->id};
        links_.release(*controller);
        publisher_.publishState();
    }
    controller->showToast(localizedString("Added to Tray"), timers_);
    return false;
}

// ---- Network sheet and proxy passwords
// -----------------------------------------------------------------------------

std::optional<WebAppProfile> WindowServices::networkProfile(const Uuid& windowID,
                                                            const Uuid& recordID) const {
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller) return std::nullopt;
    if (auto website = store_.profile(recordID)) return website;
    const BrowserTab* active = controller->browser().tabs().active();
    std::optional<std::string> address = active ? active->address() : std::nullopt;
    if (!address) return std::nullopt;
    return store_.profileMatching(*address, recordID, controller->browser().profile());
}

bool WindowServices::saveNetwork(const WebAppProfile& edited) {
    auto website = store_.profile(edited.id);
    if (!website) return false;
    // When the write fails, the record taken back names the password again only when it was its
    // own before; one the sheet stored for this save is named by nothing, and the sheet that would
    // save it again is gone.
    std::optional<std::string> saved = edited.siteProxy ? edited.siteProxy->credentialID : std::nullopt;
    website->siteProxy = edited.siteProxy;
    website->sessionIdentifier = edited.sessionIdentifier;
    website->isolatedAccount = edited.isolatedAccount;
    website->accountName = edited.accountName;
    std::weak_ptr<WindowServices*> weak = self_;
    return store_.upsert(
        *website, replacedCredentials_.beginSave([weak, saved](const std::optional<std::string>& failure) {
            auto services = weak.lock();
            if (failure && saved && services) (*services)->letGoOfCredential(*saved);
            return false;
        }));
}

bool WindowServices::isCredentialInUse(const std::string& credentialID) const {
    CredentialUsers users;
    users.addWebsiteStore(store_);
    for (const auto& [id, profile] : registry_.browsingProfiles()) users.addProxy(profile.siteProxy);
    users.addProxy(preferences_.value().proxy);
    if (users.uses(credentialID)) return true;
    return hooks_.additionalCredentialUsage && hooks_.additionalCredentialUsage(credentialID);
}

void WindowServices::discardProxyCredential(const std::string& credentialID) {
    replacedCredentials_.replaced(credentialID);
}

void WindowServices::letGoOfCredential(const std::string& credentialID) {
    if (isCredentialInUse(credentialID) || !hooks_.removeProxyPassword) return;
    std::weak_ptr<WindowServices*> weak = self_;
    findUnusedCredentials(
        {credentialID}, SavedCredentialFiles::current(),
        [weak](const std::string& credential) {
            auto services = weak.lock();
            return !services || (*services)->isCredentialInUse(credential);
        },
        [weak](std::optional<std::vector<std::string>> unused) {
            auto services = weak.lock();
            if (!services || !unused) return;
            for (const auto& credential : *unused) (*services)->hooks_.removeProxyPassword(credential);
        });
}

}  // namespace quenlith
