#pragma once

// A window manager on the stores of a temporary folder, with a local web server, its own website
// sessions and a hand-stepped scheduler for the stores' deliveries and the manager's timers.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/download_manager.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/app_paths.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/session_restore.hpp"
#include "windows/tab_sleep_scheduler.hpp"
#include "windows/window_closing.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"
#include "windows/window_services.hpp"

namespace quenlith::test {

inline SecretCall noProxyPassword(const std::string&, SecretStore::ReadDone done) {
    done(Error{"test.noPassword", "no password"});
    return {};
}

inline std::string titledPage(const std::string& title) {
    return "<!doctype html><html><head><meta charset='utf-8'><title>" + title + "</title></head><body>" + title +
           "</body></html>";
}

class WindowManagerFixture : public testing::Test {
protected:
    // A saved website on the local server.
    WebAppProfile website(const std::string& name, const std::string& path) {
        server.page(path, titledPage(name));
        WebAppProfile profile;
        profile.name = name;
        profile.homeURL = server.url(path);
        profile.rememberLastURL = false;
        return profile;
    }

    // Writes the websites to profiles.json and starts the store and the manager on it.
    void start(const std::vector<WebAppProfile>& websites = {}) {
        if (!websites.empty()) {
            ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
        }
        store = std::make_unique<WebAppStore>(std::nullopt, timers);
        // The views keep the main loop; the manager and the stores are stepped by hand.
        const BrowserContext views{*preferences, sessions,      *blocking,           pageIcons,
                                   &downloads,   systemClock(), mainLoopScheduler(), mainLoopScheduler()};
        manager = std::make_unique<BrowserWindowManager>(
            *store, views, BrowserSessionPersistence(applicationDataDirectory() + "/session-v1.json"),
            timers);
    }

    // The website's own window, built and shown without taking the focus.
    BrowserWindowController& openOwn(const WebAppProfile& profile) {
        auto& controller = manager->makeWindowController(WindowRequest::ownWindow(profile));
        controller.present(false, false, true);
        return controller;
    }

    BrowserWindowController& openOther(const WebAppProfile& profile, bool dormant = true) {
        WindowRequest request;
        request.profile = profile;
        request.id = Uuid::random();
        request.dormant = dormant;
        return manager->makeWindowController(std::move(request));
    }

    static bool mapped(BrowserWindowController& controller) {
        return spinUntil([&] { return controller.panel().get_mapped(); });
    }

    TemporaryEnvironment environment;
    TestHttpServer server;
    ManualScheduler timers;
    std::unique_ptr<PreferencesStore> preferences = std::make_unique<PreferencesStore>(settingsFilePath());
    ProxyRuntime proxy{noProxyPassword};
    WebsiteSessions sessions{proxy, noProxyPassword};
    DownloadManager downloads;
    std::unique_ptr<AdBlocking> blocking = AdBlocking::inCacheFolder();
    PageIcons pageIcons;
    std::unique_ptr<WebAppStore> store;
    std::unique_ptr<BrowserWindowManager> manager;
};

}  // namespace quenlith::test
