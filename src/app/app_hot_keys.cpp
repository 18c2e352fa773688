#include "app/app_hot_keys.hpp"

#include <map>

#include "app/launcher_controls.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/hot_key_manager.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"

namespace quenlith {

AppHotKeys::AppHotKeys(std::unique_ptr<KeyGrabber> grabber, WebAppStore& store, PreferencesStore& preferences,
                       BrowserWindowManager& windows, const LauncherControls& launcher, Scheduler& scheduler)
    : store_(store),
      preferences_(preferences),
      windows_(windows),
      launcher_(launcher),
      scheduler_(scheduler),
      manager_(std::make_unique<HotKeyManager>(std::move(grabber), scheduler)) {
    // The manager, and with it every press, ends with this object.
    manager_->setOnTrigger([this](const std::string& name, std::uint32_t time) { handle(name, time); });
    // The shortcuts follow the websites and the preferences, from a later turn of the main loop.
    connections_.push_back(store_.signal_changed().connect([this] { scheduleUpdate(); }));
    connections_.push_back(preferences_.signal_changed().connect([this] { scheduleUpdate(); }));
    scheduleUpdate();
}

AppHotKeys::~AppHotKeys() {
    for (auto& connection : connections_) connection.disconnect();
    update_.cancel();
}

void AppHotKeys::scheduleUpdate() {
    if (update_.pending()) return;
    update_ = scheduler_.scheduleIdle([this] { update(store_.profiles(), preferences_.value()); });
}

void AppHotKeys::update(const std::vector<WebAppProfile>& profiles, const AppPreferences& value) {
    std::map<std::string, ShortcutConfiguration> bindings;
    for (const auto& website : profiles)
        if (website.globalShortcut) bindings[website.id.string()] = *website.globalShortcut;
    if (value.launcherShortcut) bindings["launcher"] = *value.launcherShortcut;
    if (value.pinShortcut) bindings["pin"] = *value.pinShortcut;
    if (value.compactShortcut) bindings["compact"] = *value.compactShortcut;
    manager_->registerBindings(std::move(bindings));
}

void AppHotKeys::handle(const std::string& name, std::uint32_t time) {
    if (name == "launcher") {
        launcher_.toggle();
    } else if (name == HotKeyManager::kRescueName) {
        windows_.services().restoreMouseControl();
    } else if (name == "pin" || name == "compact") {
        BrowserWindowController* controller = windows_.registry().activeWindowController();
        if (!controller) return;
        BrowserViewController& browser = controller->browser();
        WebAppProfile changed = browser.profile();
        if (name == "pin")
            changed.alwaysOnTop = !changed.alwaysOnTop;
        else
            changed.compactMode = !changed.compactMode;
        changed.normalize();
        browser.applyProfile(changed);
        if (browser.services().onProfileChange) browser.services().onProfileChange(browser.profile());
    } else if (auto id = Uuid::parse(name)) {
        launcher_.dismiss();
        windows_.routing().toggle(*id, time);
    }
}

}  // namespace quenlith
