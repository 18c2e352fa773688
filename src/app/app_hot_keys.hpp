#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include <sigc++/connection.h>

#include "model/scheduler.hpp"

namespace quenlith {

class BrowserWindowManager;
class HotKeyManager;
class KeyGrabber;
class LauncherControls;
class PreferencesStore;
class WebAppStore;
struct AppPreferences;
struct WebAppProfile;

// The application's global shortcuts: registered from the websites and the preferences on a
// later turn of the main loop after each change, and each press routed by its binding name to the
// launcher, the mouse-control rescue, "always on top" or compact mode of the active window, or a
// website's window.
class AppHotKeys {
public:
    AppHotKeys(std::unique_ptr<KeyGrabber> grabber, WebAppStore& store, PreferencesStore& preferences,
               BrowserWindowManager& windows, const LauncherControls& launcher, Scheduler& scheduler);
    ~AppHotKeys();
    AppHotKeys(const AppHotKeys&) = delete;
    AppHotKeys& operator=(const AppHotKeys&) = delete;

    HotKeyManager& manager() { return *manager_; }
    // Routes a pressed shortcut by its binding name; `time` is the key press's X time.
    void handle(const std::string& name, std::uint32_t time = 0);
    // Registers the websites' and the application's shortcuts.
    void update(const std::vector<WebAppProfile>& profiles, const AppPreferences& preferences);

private:
    void scheduleUpdate();

    WebAppStore& store_;
    PreferencesStore& preferences_;
    BrowserWindowManager& windows_;
    const LauncherControls& launcher_;
    Scheduler& scheduler_;
    std::unique_ptr<HotKeyManager> manager_;
    ScheduledTask update_;
    std::vector<sigc::connection> connections_;
};

}  // namespace quenlith
