#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/address_routing.hpp"
#include "model/scheduler.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserViewController;
class BrowserWindowController;
class PreferencesStore;
class RuntimePublisher;
class WebAppStore;
class WebsiteSessions;
class WindowClosing;
class WindowFactory;
class WindowHost;
class WindowRegistry;

// Which window and tab come forward when the user opens an address, a saved website, a window or a
// tab from anywhere in the application; the main browser window and private windows; showing and
// hiding all windows. Every operation that shows a window by user request brings it forward: the
// website links of the window are released, it is presented (activated, click-through ended,
// untucked, its active tab woken), becomes the last active window and the state is published.
// While website data is reset, the opening operations (open, showBrowser, openPrivateWindow,
// showProfile and toggle where it would show) do nothing. Main thread only.
class WindowRouter {
public:
    // The name of the main browser window's record.
    static constexpr const char* kBrowserRecordName = "Quenlith";

    WindowRouter(WindowRegistry& registry, RuntimePublisher& publisher, WindowFactory& factory,
                 ApplicationLinks& links, WindowClosing& closing, WebAppStore& store,
                 PreferencesStore& preferences, WebsiteSessions& sessions, Scheduler& timers,
                 WindowHost& host);

    // Brings forward the tab of a shared-session window that already shows the address (oldest
    // window, leftmost tab first); otherwise opens it in the main browser window: in its active tab
    // when that shows the start page, else in a new tab. Answers the browser view now showing it.
    BrowserViewController* open(const std::string& address);
    // Brings forward the main browser window, creating it first when there is none.
    void showBrowser();
    // Opens a new private window (its own non-persistent data store; never reused, never saved).
    void openPrivateWindow();
    // Brings forward the window and tab showing a saved website, or its own new window.
    BrowserWindowController* showProfile(const Uuid& profileID);
    // A website's global shortcut: hides its window when it is on screen, else shows it (a
    // minimised or tucked window comes back). `eventTime` is the X time of the key press that
    // asked for it.
    void toggle(const Uuid& profileID, std::uint32_t eventTime = 0);
    // Brings forward one tab of one window; nothing when either id is unknown.
    void focus(const Uuid& windowID, const Uuid& tabID);
    // Brings back every window not on screen (hidden, minimised, tucked).
    void showAll();
    // Puts every window away (none is closed) and keeps application links from bringing the
    // websites back.
    void hideAll();
    // The text of an address field: the website address, else a search with the chosen engine.
    void openAddress(const std::string& text);
    // Opens the first 20 addresses, in order; the rest are ignored.
    void openURLs(const std::vector<std::string>& addresses);
    // After a page was saved as a website: the tab showing it becomes that website's window.
    void linkWindow(const WebAppProfile& website, const WebAppProfile& source, const std::string& url);
    // A short notice at the bottom of the window for 3 seconds; the next one replaces it at once.
    void showToast(const std::string& message, BrowserWindowController& controller);
    // Selects the tab showing `url`, else loads it into a start-page tab or a new tab.
    void showInTab(BrowserViewController& browser, const std::string& url);
    // A new record for a window without a saved website: the browser window's name and the
    // preferences' opacity, compact mode and isolation; neither its address nor its frame is kept.
    WebAppProfile browserProfile() const;

private:
    void bringForward(BrowserWindowController& controller, std::optional<Uuid> tabID = std::nullopt);
    bool isSharedSession(const BrowserWindowController& controller) const;
    std::vector<RoutingWindow> routingWindows() const;

    WindowRegistry& registry_;
    RuntimePublisher& publisher_;
    WindowFactory& factory_;
    ApplicationLinks& links_;
    WindowClosing& closing_;
    WebAppStore& store_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    Scheduler& timers_;
    WindowHost& host_;
    // The X time of the key press being answered, for the window it brings forward.
    std::uint32_t eventTime_ = 0;
    AddressComparisonForms comparisonForms_;
};

}  // namespace quenlith
