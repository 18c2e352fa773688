#pragma once

// The application's object graph on a temporary folder with a local web server, and the tray's
// launcher on top of it.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_fixture.hpp"
#include "app/status_bar_controller.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/app_paths.hpp"
#include "model/profile_persistence.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith::test {

class LauncherFixture : public testing::Test {
protected:
    WebAppProfile website(const std::string& name, const std::string& path) {
        server.page(path, "<!doctype html><meta charset='utf-8'><title>" + name + "</title>" + name);
        WebAppProfile profile;
        profile.name = name;
        profile.homeURL = server.url(path);
        profile.rememberLastURL = false;
        return profile;
    }

    // Starts the graph on the websites and, with `connection`, the tray items.
    void start(const std::vector<WebAppProfile>& websites, GDBusConnection* connection = nullptr) {
        if (!websites.empty()) {
            ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
        }
        environment = std::make_unique<AppEnvironment>(sessions);
        controller = std::make_unique<StatusBarController>(*environment, connection);
    }

    void TearDown() override {
        if (controller) controller->teardown();
        controller.reset();
        if (environment) environment->windows().shutdown();
        environment.reset();
    }

    TemporaryEnvironment temporary;
    TestHttpServer server;
    ProxyRuntime proxy{noPassword};
    WebsiteSessions sessions{proxy, noPassword};
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<StatusBarController> controller;
};

}  // namespace quenlith::test
