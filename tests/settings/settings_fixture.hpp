#pragma once

#include <set>

#include "app/app_fixture.hpp"
#include "model/preferences_store.hpp"
#include "settings/settings_window.hpp"

namespace quenlith::test {

// Takes every combination but the ones another client is said to hold.
struct RefusingKeyGrabber final : KeyGrabber {
    std::set<std::uint32_t> heldByOthers;  // key codes
    int grab(const ShortcutConfiguration& shortcut) override { return heldByOthers.count(shortcut.keyCode) ? 10 : 0; }
    void ungrab(const ShortcutConfiguration&) override {}
    bool holds(const ShortcutConfiguration&) const override { return false; }
};

// The application's object graph on fresh folders with its settings window open.
class SettingsFixture : public AppFixture {
protected:
    void start(const std::vector<WebAppProfile>& websites = {}, std::unique_ptr<KeyGrabber> grabber = nullptr) {
        saveWebsites(websites);
        environment = std::make_unique<AppEnvironment>(sessions, mainLoopScheduler(), std::move(grabber));
        environment->auxiliaryWindows().showSettings();
        settings = dynamic_cast<SettingsWindow*>(
            environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings));
        ASSERT_NE(settings, nullptr);
    }
    // What the settings file holds once the changes made so far are written, as at quit.
    AppPreferences stored() {
        if (environment) environment->preferences().flush();
        return PreferencesStore().value();
    }

    SettingsWindow* settings = nullptr;
};

}  // namespace quenlith::test
