#pragma once

#include <map>
#include <memory>
#include <vector>

#include <sigc++/connection.h>

#include "browser/view/browser_context.hpp"
#include "model/browser_session.hpp"
#include "model/scheduler.hpp"
#include "model/tray_presence.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"
#include "windows/window_host.hpp"
#include "windows/window_shell_hooks.hpp"

namespace quenlith {

class ApplicationLinks;
class BrowserWindowController;
class DownloadManager;
class PageGroupWindows;
class PreferencesStore;
class RuntimePublisher;
class SessionRestore;
class TabSleepScheduler;
class WebAppStore;
class WebsiteSessions;
class WindowCallbacks;
class WindowClosing;
class WindowFactory;
class WindowRegistry;
class WindowRouter;
class WindowServices;
struct WindowRequest;

// The browser windows of the application: builds the parts that own them (the registry, the
// factory, routing, closing, session restore, page groups and saved pages, application links,
// the per-window services, tab sleeping and the live snapshot), wires them together and keeps the
// open windows in step with the saved websites. The application reaches each part through it.
// Main thread only.
class BrowserWindowManager final : public WindowHost {
public:
    // `viewContext` is what every browser view is made with (its preferences and sessions, which
    // hand out the websites' data stores, are the windows' too); `timers` runs the sleep pass and
    // the first deliveries of the stores (the main loop unless a test steps time by hand).
    BrowserWindowManager(WebAppStore& store, const BrowserContext& viewContext,
                         BrowserSessionPersistence sessionPersistence,
                         Scheduler& timers = mainLoopScheduler());
    ~BrowserWindowManager() override;
    BrowserWindowManager(const BrowserWindowManager&) = delete;
    BrowserWindowManager& operator=(const BrowserWindowManager&) = delete;

    WebAppStore& store() { return store_; }
    WebsiteSessions& sessions() { return sessions_; }

    WindowRegistry& registry() { return *registry_; }
    const WindowRegistry& registry() const { return *registry_; }
    RuntimePublisher& publisher() { return *publisher_; }
    const RuntimePublisher& publisher() const { return *publisher_; }
    WindowRouter& routing() { return *router_; }
    WindowClosing& closing() { return *closing_; }
    SessionRestore& session() { return *session_; }
    const SessionRestore& session() const { return *session_; }
    PageGroupWindows& pageGroups() { return *pageGroups_; }
    const PageGroupWindows& pageGroups() const { return *pageGroups_; }
    ApplicationLinks& links() { return *links_; }
    const ApplicationLinks& links() const { return *links_; }
    WindowServices& services() { return *services_; }
    TabSleepScheduler& tabSleep() { return *tabSleep_; }
    // Whether a tray shows the pages' and websites' icons: the application's tray item tells.
    TrayPresence& tray() { return tray_; }

    // What the application hands the windows; read when used, so a later change applies to every
    // window.
    const WindowShellHooks& hooks() const { return hooks_; }
    void setHooks(WindowShellHooks hooks) { hooks_ = std::move(hooks); }

    // Builds, registers and wires one window (WindowFactory::make).
    BrowserWindowController& makeWindowController(WindowRequest request);

    // Ends the window manager at termination: writes the final snapshot at once, saves every
    // window's frame, tears every window down, empties the snapshot and saves the websites.
    void shutdown();

    // WindowHost: the session restore's state, for the parts below it.
    void finishRestore() override;
    bool isRestoring() const override;
    void scheduleSnapshot() override;
    bool isResettingWebsiteData() const override;
    bool linksMayApply() const override;

private:
    void profilesChanged();
    void syncWindowsWithProfiles();

    WebAppStore& store_;
    PreferencesStore& preferences_;
    WebsiteSessions& sessions_;
    Scheduler& timers_;
    WindowShellHooks hooks_;
    TrayPresence tray_;
    // In the order they are built: each part reaches only those before it (the host aside).
    std::unique_ptr<WindowRegistry> registry_;
    std::unique_ptr<RuntimePublisher> publisher_;
    std::unique_ptr<WindowFactory> factory_;
    std::unique_ptr<ApplicationLinks> links_;
    std::unique_ptr<TabSleepScheduler> tabSleep_;
    std::unique_ptr<WindowClosing> closing_;
    std::unique_ptr<WindowRouter> router_;
    std::unique_ptr<PageGroupWindows> pageGroups_;
    std::unique_ptr<WindowServices> services_;
    std::unique_ptr<SessionRestore> session_;
    std::unique_ptr<WindowCallbacks> callbacks_;
    std::map<Uuid, WebAppProfile> observedProfiles_;
    std::vector<sigc::connection> connections_;
    ScheduledTask firstDelivery_;
};

}  // namespace quenlith
