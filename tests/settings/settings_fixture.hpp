#pragma once

#include <memory>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_fixture.hpp"
#include "app/auxiliary_windows.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/app_paths.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "settings/settings_window.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith::test {

// Takes every combination but the ones another client is said to hold.
struct RefusingKeyGrabber final : KeyGrabber {
    std::set<std::uint32_t> heldByOthers;  // key codes
    int grab(const ShortcutConfiguration& shortcut) override { return heldByOthers.count(shortcut.keyCode) ? 10 : 0; }
    void ungrab(const ShortcutConfiguration&) override {}
    bool holds(const ShortcutConfiguration&) const override { return false; }
};

// The application's object graph on fresh folders with its settings window open.
class SettingsFixture : public testing::Test {
protected:
    WebAppProfile website(const std::string& name, const std::string& path) {
        server.page(path, "<!doctype html><title>" + name + "</title>");
        WebAppProfile profile;
        profile.name = name;
        profile.homeURL = server.url(path);
        profile.rememberLastURL = false;
        return profile;
    }
    void start(const std::vector<WebAppProfile>& websites = {}, std::unique_ptr<KeyGrabber> grabber = nullptr) {
        if (!websites.empty()) ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
        environment = std::make_unique<AppEnvironment>(sessions, mainLoopScheduler(), std::move(grabber));
        environment->auxiliaryWindows().showSettings();
        settings = dynamic_cast<SettingsWindow*>(
            environment->auxiliaryWindows().window(AuxiliaryWindows::Kind::settings));
        ASSERT_NE(settings, nullptr);
    }
    void TearDown() override {
        if (environment) environment->windows().shutdown();
        environment.reset();
    }
    // What the settings file holds now.
    static AppPreferences stored() { return PreferencesStore().value(); }
    static std::vector<WebAppProfile> storedWebsites() {
        return ProfilePersistence(defaultProfilesFilePath()).load().value();
    }

    TemporaryEnvironment home;
    TestHttpServer server;
    ProxyRuntime proxy{noPassword};
    WebsiteSessions sessions{proxy, noPassword};
    std::unique_ptr<AppEnvironment> environment;
    SettingsWindow* settings = nullptr;
};

}  // namespace quenlith::test
