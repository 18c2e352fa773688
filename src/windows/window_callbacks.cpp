// What a window's browser view reports, and how the window manager answers: visits, tab changes,
// live settings changed in the window, addresses and icons of the website, window commands and
// pages asking for a new window.

#include <gtkmm/messagedialog.h>
#include <webkit2/webkit2.h>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/uri_components.hpp"
#include "model/web_app_store.hpp"
#include "model/window_arrangement.hpp"
#include "ui/alert.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/application_links.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_callbacks.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_services.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

WindowCallbacks::WindowCallbacks(WindowRegistry& registry, RuntimePublisher& publisher,
                                 WindowFactory& factory, ApplicationLinks& links, SessionRestore& session,
                                 WindowClosing& closing, WindowServices& services, WebAppStore& store,
                                 WebsiteSessions& sessions, const WindowShellHooks& hooks)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      links_(links),
      session_(session),
      closing_(closing),
      services_(services),
      store_(store),
      sessions_(sessions),
      hooks_(hooks),
      self_(std::make_shared<WindowCallbacks*>(this)) {}

WindowCallbacks::~WindowCallbacks() {
    self_.reset();
}

void WindowCallbacks::wire(BrowserWindowController& controller, const WebAppProfile& websiteCopy) {
    // Every closure finds this and the window again by id: either may be gone by the time
    // the view reports.
    std::weak_ptr<WindowCallbacks*> weak = self_;
    const Uuid windowID = controller.id;
    const Uuid websiteID = websiteCopy.id;
    BrowserWindowServices services = controller.browser().services();

    services.onVisit = [weak](const std::string& address, const std::string& title) {
        auto self = weak.lock();
        if (self && (*self)->hooks_.onVisit) (*self)->hooks_.onVisit(address, title);
    };
    services.onStateChange = [weak] {
        if (auto self = weak.lock()) (*self)->stateChanged();
    };
    services.onProfileChange = [weak, windowID](const WebAppProfile& changed) {
        auto self = weak.lock();
        if (!self) return;
        if (auto controller = (*self)->registry_.window(windowID))
            (*self)->profileChanged(*controller, changed);
    };
    services.onURLChange = [weak, websiteID](const std::string& address) {
        if (auto self = weak.lock()) (*self)->urlChanged(websiteID, address);
    };
    services.onMetadata = [weak, websiteID](const std::string& address, const std::string&,
                                            const std::optional<std::string>& icon) {
        if (auto self = weak.lock()) (*self)->metadataArrived(websiteID, address, icon);
    };
    services.onCommand = [weak, windowID, websiteID](BrowserCommand command) {
        auto self = weak.lock();
        if (!self) return;
        if (auto controller = (*self)->registry_.window(windowID))
            (*self)->runCommand(*controller, command, websiteID);
    };
    services.onPopup = [weak, websiteID](const WebViewConfiguration& configuration,
                                         const std::optional<std::string>& address) -> WebKitWebView* {
        auto self = weak.lock();
        return self ? (*self)->openPopup(websiteID, configuration, address) : nullptr;
    };
    controller.browser().setServices(std::move(services));

    services_.wire(controller, websiteID);

    WindowReports reports;
    reports.onClose = [weak, windowID] {
        if (auto self = weak.lock()) (*self)->closing_.requestClose(windowID);
    };
    reports.onVisibility = [weak] {
        if (auto self = weak.lock()) (*self)->publisher_.publishState();
    };
    reports.onMinimize = [weak, windowID] {
        if (auto self = weak.lock()) (*self)->links_.windowMinimized(windowID);
    };
    reports.onActive = [weak, windowID] {
        auto self = weak.lock();
        if (!self) return;
        (*self)->registry_.setLastActiveID(windowID);
        (*self)->session_.scheduleSnapshot();
    };
    controller.setReports(std::move(reports));
}

void WindowCallbacks::stateChanged() {
    // The counts follow visibility changes only (publishState); tab changes refresh the snapshot.
    publisher_.pushSnapshot();
    session_.scheduleSnapshot();
}

void WindowCallbacks::profileChanged(BrowserWindowController& controller, const WebAppProfile& changed) {
    // Only what the user changed in the window is written: the rest of the window's record may
    // differ from a website's own on purpose (a linked or page-group window has its own opacity).
    const WebAppProfile applied = controller.appliedProfile();
    BrowserViewController& browser = controller.browser();
    if (registry_.isSceneWindow(controller.id)) {
        // A page-group window's settings are the group's, for this window only.
        if (registry_.browsingProfile(changed.id)) registry_.setBrowsingProfile(changed);
        controller.applyProfile(changed);
        return;
    }

    // Every website the change is written to; each one refused is told by an alert of its own.
    bool handedOver = false, refused = false;
    auto save = [&](const WebAppProfile& website) {
        if (store_.upsert(website)) return handedOver = true;
        refused = true;
        presentAlert(AlertKind::error, localizedString("Could not save website"),
                     store_.errorMessage().value_or(localizedString("Please try again.")), &controller.panel());
        return false;
    };
    if (const BrowserTab* active = browser.tabs().active()) {
        std::vector<Uuid> linked;
        for (const auto& [id, target] : publisher_.websiteLinks().targets)
            if (target.windowID == controller.id && target.tabID == active->id && id != controller.profileID)
                linked.push_back(id);
        for (const Uuid& id : linked) {
            auto website = store_.profile(id);
            if (!website || sessions_.dataStore(*website) != browser.websiteDataStore()) continue;
            WebAppProfile updated = *website;
            updated.mergeLiveSettings(applied, changed);
            if (updated != *website) save(updated);
        }
    }

    if (registry_.browsingProfile(changed.id)) {
        registry_.setBrowsingProfile(changed);
        controller.applyProfile(changed);
    } else {
        WebAppProfile record = store_.profile(changed.id).value_or(changed);
        record.mergeLiveSettings(applied, changed);
        // A refused change of the window's own website is told too, not only taken back: the
        // person asked for it.
        if (save(record))
            controller.applyProfile(record);
        else if (auto saved = store_.profile(changed.id))
            controller.applyProfile(*saved);  // the window shows what is saved
    }

    if (refused || !handedOver) return;
    // A write that fails takes the switch back: the window follows the store, and the person is
    // told on it each time.
    std::weak_ptr<WindowCallbacks*> weak = self_;
    store_.whenWritten([weak, windowID = controller.id](const std::optional<std::string>& failure) {
        auto self = weak.lock();
        return failure && self && (*self)->switchNotSaved(windowID, *failure);
    });
}

bool WindowCallbacks::switchNotSaved(const Uuid& windowID, const std::string& failure) {
    BrowserWindowController* controller = registry_.window(windowID);
    // With the window gone the application's own alert tells it.
    if (!controller) return false;
    if (!registry_.browsingProfile(controller->profileID))
        if (auto saved = store_.profile(controller->profileID)) controller->applyProfile(*saved);
    // Quick steps (zoom keys) written together fail together: the alert on the window says it for
    // all of them.
    const std::string title = localizedString("Could not save website");
    auto* shown = dynamic_cast<Gtk::MessageDialog*>(attachedSheet(controller->panel()));
    if (shown && shown->property_text().get_value() == title &&
        shown->property_secondary_text().get_value() == failure)
        return true;
    presentAlert(AlertKind::error, title, failure, &controller->panel());
    return true;
}

void WindowCallbacks::urlChanged(const Uuid& websiteID, const std::string& address) {
    // Every window of a saved website, a page group's too, remembers the page it shows for it.
    auto website = store_.profile(websiteID);
    if (!website || !isCredentialFreeURL(address) || !website->isOwnSitePage(address)) return;
    std::optional<std::string> lastURL;
    if (website->rememberLastURL) lastURL = address;
    if (website->lastURL == lastURL) return;
    // The window keeps it by itself: a failed write of it is no news every time.
    store_.update(
        websiteID, [&](WebAppProfile& profile) { profile.lastURL = lastURL; }, WebsiteChange::keptByWindow);
}

void WindowCallbacks::metadataArrived(const Uuid& websiteID, const std::string& address,
                                      const std::optional<std::string>& icon) {
    if (!icon || !normalizedWebsiteURL(*icon)) return;
    // Another site's page shown in the window does not change the website's icon.
    auto website = store_.profile(websiteID);
    if (!website || !website->isOwnSitePage(address) || website->iconURL == icon) return;
    store_.setIconURL(icon, websiteID);
}

void WindowCallbacks::runCommand(BrowserWindowController& controller, BrowserCommand command,
                                 const Uuid& websiteID) {
    switch (command) {
    case BrowserCommand::edit:
        if (hooks_.onEdit) hooks_.onEdit(websiteID);
        break;
    case BrowserCommand::close: closing_.requestClose(controller.id); break;
    case BrowserCommand::downloads:
        if (hooks_.onDownloads) hooks_.onDownloads();
        break;
    case BrowserCommand::saveWebsite: saveWebsite(controller); break;
    case BrowserCommand::arrangeLeft:
    case BrowserCommand::arrangeRight:
    case BrowserCommand::arrangeCenter: arrange(controller, command); break;
    case BrowserCommand::duplicate: services_.duplicateWindow(controller.id, std::nullopt, true); break;
    case BrowserCommand::otherSessionWindow:
        // The other session: an own one for a window in the shared session, and back.
        services_.duplicateWindow(controller.id,
                                  !controller.browser().profile().dataStoreIdentifier().has_value(), true);
        break;
    case BrowserCommand::clickThrough: services_.toggleClickThrough(controller); break;
    case BrowserCommand::tuck: controller.edgeTuck().tuck(); break;
    }
}

void WindowCallbacks::saveWebsite(BrowserWindowController& controller) {
    BrowserViewController& browser = controller.browser();
    const BrowserTab* tab = browser.tabs().active();
    if (!tab) return;
    std::optional<std::string> address = tab->address();
    if (!address || !normalizedWebsiteURL(*address)) return;

    if (browser.profile().dataStoreIdentifier() && store_.profile(controller.profileID)) {
        // A window with its own account saves nothing new: its website is edited instead.
        if (hooks_.onEdit) hooks_.onEdit(controller.profileID);
        return;
    }
    std::optional<std::string> title;
    if (const char* pageTitle = tab->webView() ? webkit_web_view_get_title(tab->webView()) : nullptr)
        title = pageTitle;
    else
        title = uriHost(*address);
    if (hooks_.onSaveWebsite) hooks_.onSaveWebsite(address, title, browser.profile());
}

void WindowCallbacks::arrange(BrowserWindowController& controller, BrowserCommand command) {
    const WindowArrangement arrangement = command == BrowserCommand::arrangeLeft    ? WindowArrangement::left
                                          : command == BrowserCommand::arrangeRight ? WindowArrangement::right
                                                                                    : WindowArrangement::center;
    FloatingBrowserPanel& panel = controller.panel();
    auto frame = arrangedFrame(arrangement, panel.frame(), panel.screens());
    if (!frame) return;
    panel.setFrame(*frame);
    panel.clampToScreen();
}

WebKitWebView* WindowCallbacks::openPopup(const Uuid& websiteID, const WebViewConfiguration& configuration,
                                          const std::optional<std::string>& address) {
    if (session_.isResettingWebsiteData()) return nullptr;
    std::optional<WebAppProfile> website = store_.profile(websiteID);
    if (!website) {
        const WebAppProfile* browsing = registry_.browsingProfile(websiteID);
        if (!browsing) return nullptr;
        website = *browsing;
    }
    WindowRequest request;
    request.profile = *website;
    request.id = Uuid::random();
    request.configuration = configuration;
    request.url = address;
    BrowserWindowController& popup = factory_.make(std::move(request));
    popup.present(true, false, true);
    publisher_.publishState();
    const BrowserTab* tab = popup.browser().tabs().active();
    return tab ? tab->webView() : nullptr;
}

}  // namespace quenlith
