// Which window and tab come forward when the user opens an address, a saved website, a window or a
// tab from anywhere in the application; the main browser window and private windows; showing and
// hiding all windows.

#include <algorithm>

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "browser/view/browser_tab.hpp"
#include "model/address.hpp"
#include "model/edge_tuck_controller.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/application_links.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

namespace {

constexpr std::size_t kOpenURLsLimit = 20;

std::optional<std::size_t> tabIndex(const BrowserViewController& browser, const Uuid& tabID) {
    const auto& tabs = browser.tabs().items();
    for (std::size_t i = 0; i < tabs.size(); ++i)
        if (tabs[i]->id == tabID) return i;
    return std::nullopt;
}

}  // namespace

WindowRouter::WindowRouter(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                           ApplicationLinks& links, WindowClosing& closing, WebAppStore& store,
                           PreferencesStore& preferences, WebsiteSessions& sessions, Scheduler& timers,
                           WindowHost& host)
    : registry_(registry),
      publisher_(publisher),
      factory_(factory),
      links_(links),
      closing_(closing),
      store_(store),
      preferences_(preferences),
      sessions_(sessions),
      timers_(timers),
      host_(host) {}

// ---- Bringing a window forward ------------------------------------------------------------------

void WindowRouter::bringForward(BrowserWindowController& controller, std::optional<Uuid> tabID) {
    links_.release(controller);
    if (tabID)
        if (auto index = tabIndex(controller.browser(), *tabID))
            controller.browser().tabs().select(*index, true, true);
    controller.present(true, false, true, eventTime_);
    registry_.setLastActiveID(controller.id);
    publisher_.publishState();
}

bool WindowRouter::isSharedSession(const BrowserWindowController& controller) const {
    const auto& dataStore = controller.browser().websiteDataStore();
    if (!dataStore->isPersistent()) return false;
    return controller.id == registry_.browserID() || dataStore == sessions_.sharedDataStore();
}

std::vector<RoutingWindow> WindowRouter::routingWindows() const {
    std::vector<RoutingWindow> list;
    list.reserve(registry_.windows().size());
    for (const auto& [id, controller] : registry_.windows()) {
        RoutingWindow window;
        window.id = id;
        window.sequence = controller->sequence();
        window.sharedSession = isSharedSession(*controller);
        if (window.sharedSession)
            for (const auto& tab : controller->browser().tabs().items())
                window.tabs.push_back(RoutingTab{tab->id, tab->address(), tab->state().showsStartPage});
        list.push_back(std::move(window));
    }
    return list;
}

// ---- Opening addresses ----------------------------------------------------------------------------

BrowserViewController* WindowRouter::open(const std::string& address) {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return nullptr;
    // An address already open in a shared-session tab comes forward there, keeping what the user
    // typed into the page; a private window or a website's own session is never reused.
    if (auto target = reusableTab(routingWindows(), address, comparisonForms_)) {
        if (BrowserWindowController* controller = registry_.window(target->windowID)) {
            bringForward(*controller, target->tabID);
            return &controller->browser();
        }
    }
    showBrowser();
    BrowserWindowController* controller = registry_.window(registry_.browserID());
    if (!controller) return nullptr;
    BrowserViewController& browser = controller->browser();
    const BrowserTab* active = browser.tabs().active();
    if (active && active->state().showsStartPage)
        browser.page().load(address);
    else
        browser.tabs().add(address);
    return &browser;
}

void WindowRouter::openAddress(const std::string& text) {
    auto address = resolveAddressInput(text, preferences_.value().searchEngine);
    if (address) {
        open(*address);
        return;
    }
    if (address.error().message.empty()) return;
    // The refusal is told in the window the address would have opened in.
    showBrowser();
    if (BrowserWindowController* controller = registry_.window(registry_.browserID()))
        showToast(address.error().message, *controller);
}

void WindowRouter::openURLs(const std::vector<std::string>& addresses) {
    host_.finishRestore();
    const std::size_t count = std::min(addresses.size(), kOpenURLsLimit);
    for (std::size_t i = 0; i < count; ++i) open(addresses[i]);
}

// ---- Windows without a saved website -------------------------------------------------------------

WebAppProfile WindowRouter::browserProfile() const {
    const AppPreferences& values = preferences_.value();
    WebAppProfile profile;
    profile.id = registry_.browserID();
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

void WindowRouter::showBrowser() {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return;
    BrowserWindowController* controller = registry_.window(registry_.browserID());
    if (!controller) {
        WebAppProfile profile = browserProfile();
        registry_.setBrowsingProfile(profile);
        WindowRequest request;
        request.profile = profile;
        request.id = registry_.browserID();
        controller = &factory_.make(std::move(request));
    }
    bringForward(*controller);
}

void WindowRouter::openPrivateWindow() {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return;
    WebAppProfile profile;
    profile.name = localizedString("Private Window");
    profile.homeURL = "";
    profile.rememberLastURL = false;
    profile.rememberWindowFrame = false;
    registry_.setBrowsingProfile(profile);
    WindowRequest request;
    request.profile = profile;
    request.id = profile.id;
    request.dataStore = WebsiteDataStore::nonPersistent();
    BrowserWindowController& controller = factory_.make(std::move(request));
    controller.present(true, false, true);
    registry_.setLastActiveID(controller.id);
    publisher_.publishState();
}

// ---- Saved websites --------------------------------------------------------------------------

BrowserWindowController* WindowRouter::showProfile(const Uuid& profileID) {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return nullptr;
    auto website = store_.profile(profileID);
    if (!website) return nullptr;
    BrowserWindowController* controller = nullptr;
    std::optional<Uuid> tabID;
    if (auto target = publisher_.linkTarget(*website)) {
        controller = registry_.window(target->windowID);
        if (controller) {
            publisher_.websiteLinks().targets[profileID] = *target;
            tabID = target->tabID;
        }
    }
    if (!controller) controller = &factory_.make(WindowRequest::ownWindow(*website));
    links_.releaseWebsite(profileID);
    bringForward(*controller, tabID);
    return controller;
}

void WindowRouter::toggle(const Uuid& profileID, std::uint32_t eventTime) {
    host_.finishRestore();
    eventTime_ = eventTime;
    struct Reset {
        std::uint32_t& time;
        ~Reset() { time = 0; }
    } reset{eventTime_};
    auto website = store_.profile(profileID);
    std::optional<WebsiteWindowTarget> target = website ? publisher_.linkTarget(*website) : std::nullopt;
    BrowserWindowController* controller = target ? registry_.window(target->windowID) : nullptr;
    // A minimised or tucked window comes back; only a window on screen is put away.
    if (controller && controller->isOnScreen())
        closing_.hide(profileID);
    else
        showProfile(profileID);
}

void WindowRouter::focus(const Uuid& windowID, const Uuid& tabID) {
    host_.finishRestore();
    BrowserWindowController* controller = registry_.window(windowID);
    if (!controller || !tabIndex(controller->browser(), tabID)) return;
    bringForward(*controller, tabID);
}

// ---- All windows -----------------------------------------------------------------------------

void WindowRouter::showAll() {
    host_.finishRestore();
    std::vector<Uuid> away;
    for (const auto& [id, controller] : registry_.windows())
        if (!controller->isOnScreen()) away.push_back(id);
    for (const Uuid& id : away) {
        BrowserWindowController* controller = registry_.window(id);
        if (!controller) continue;
        links_.release(*controller);
        controller->present(true, false, true);
        registry_.setLastActiveID(id);
    }
    publisher_.publishState();
}

void WindowRouter::hideAll() {
    host_.finishRestore();
    links_.dismissAll();
    for (auto& [id, controller] : registry_.windows()) {
        controller->edgeTuck().reset();
        controller->panel().hide();
        controller->browser().setPresented(false, false);
    }
    publisher_.publishState();
}

void WindowRouter::linkWindow(const WebAppProfile& website, const WebAppProfile& source,
                              const std::string& url) {
    host_.finishRestore();
    BrowserWindowController* found = nullptr;
    for (const auto& [id, controller] : registry_.windows()) {
        if (controller->profileID == source.id && controller->browser().isPersistent()) {
            found = controller.get();
            break;
        }
    }
    if (!found || sessions_.dataStore(website) != found->browser().websiteDataStore()) return;
    RoutingWindow candidate;
    candidate.id = found->id;
    for (const auto& tab : found->browser().tabs().items())
        candidate.tabs.push_back(RoutingTab{tab->id, tab->address(), tab->state().showsStartPage});
    auto tabID = matchingTab(candidate, comparisonForms_.form(url), comparisonForms_);
    if (!tabID) return;
    publisher_.websiteLinks().targets[website.id] = WebsiteWindowTarget{found->id, *tabID};
    publisher_.pushSnapshot();
    host_.scheduleSnapshot();
}

// ---- Notices -----------------------------------------------------------------------------------

void WindowRouter::showToast(const std::string& message, BrowserWindowController& controller) {
    controller.showToast(message, timers_);
}

void WindowRouter::showInTab(BrowserViewController& browser, const std::string& url) {
    const std::string& wanted = comparisonForms_.form(url);
    const auto& tabs = browser.tabs().items();
    // A start page is never selected for the page, whatever address it kept from before: it is
    // an empty tab, which takes the page instead (the selected one first).
    std::optional<std::size_t> startPage;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i]->state().showsStartPage) {
            if (!startPage || tabs[i].get() == browser.tabs().active()) startPage = i;
            continue;
        }
        auto address = tabs[i]->address();
        if (!address || comparisonForms_.form(*address) != wanted) continue;
        browser.tabs().select(i, true, true);
        return;
    }
    if (!startPage) {
        browser.tabs().add(url);
        return;
    }
    if (browser.tabs().active() != tabs[*startPage].get()) browser.tabs().select(*startPage, false, false);
    browser.page().load(url);
}

}  // namespace quenlith
