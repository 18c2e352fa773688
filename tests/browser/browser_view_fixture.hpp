#pragma once

// A browser view in a window of its own, with a local web server, temporary folders, recorded
// window-manager callbacks and a hand-stepped timer scheduler.

#include <gtest/gtest.h>
#include <gtkmm/box.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/engine/website_data_store.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/app_paths.hpp"
#include "model/preferences_store.hpp"
#include "support/browser_services.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith::test {

inline std::string htmlPage(const std::string& title, const std::string& body = "") {
    return "<!doctype html><html><head><meta charset='utf-8'><title>" + title + "</title></head><body>" +
           body + "</body></html>";
}

// A stand-in for the window manager's side of a browser view: every callback records what it was
// given.
struct RecordingWindowServices {
    std::vector<std::string> menuBarToggles;
    std::vector<std::pair<std::string, std::string>> visits;
    std::vector<WebAppProfile> profileChanges;
    int stateChanges = 0;
    std::vector<std::string> urlChanges;
    std::vector<std::pair<std::string, std::optional<std::string>>> metadata;
    std::vector<BrowserCommand> commands;
    std::vector<std::optional<std::string>> popupRequests;

    // Callbacks that write into this object, which must outlive the view using them.
    BrowserWindowServices services() {
        BrowserWindowServices s;
        s.makeStartPage = []() -> Gtk::Widget* { return Gtk::manage(new Gtk::Box()); };
        s.onToggleMenuBarIcon = [this](const std::string& address) { menuBarToggles.push_back(address); };
        s.onVisit = [this](const std::string& address, const std::string& title) {
            visits.emplace_back(address, title);
        };
        s.onProfileChange = [this](const WebAppProfile& profile) { profileChanges.push_back(profile); };
        s.onStateChange = [this] { ++stateChanges; };
        s.onURLChange = [this](const std::string& address) { urlChanges.push_back(address); };
        s.onMetadata = [this](const std::string&, const std::string& title, const std::optional<std::string>& icon) {
            metadata.emplace_back(title, icon);
        };
        s.onCommand = [this](BrowserCommand command) { commands.push_back(command); };
        s.onPopup = [this](const WebViewConfiguration&,
                           const std::optional<std::string>& address) -> WebKitWebView* {
            popupRequests.push_back(address);
            return nullptr;
        };
        return s;
    }
};

struct ViewOptions {
    std::optional<std::string> initialURL;
    std::optional<WebViewConfiguration> configuration;
    bool startsDormant = false;
    bool privateWindow = false;
    DownloadManager* downloads = nullptr;
    std::shared_ptr<WebsiteDataStore> store;  // else the shared store, or a private one
};

class BrowserViewFixture : public testing::Test {
protected:
    // A saved website whose home page is `path` on the local server.
    WebAppProfile website(const std::string& path = "/home") {
        WebAppProfile profile;
        profile.name = "Test Site";
        profile.homeURL = server.url(path);
        profile.rememberLastURL = false;
        return profile;
    }

    BrowserViewController& open(WebAppProfile profile, ViewOptions options = {}) {
        auto store = options.store           ? options.store
                     : options.privateWindow ? WebsiteDataStore::nonPersistent()
                                             : sessions.sharedDataStore();
        controller = std::make_unique<BrowserViewController>(
            services.context(*preferences, options.downloads, clock, timers), std::move(profile),
            std::move(store),
            BrowserViewStart{std::move(options.configuration), options.initialURL, options.startsDormant});
        controller->setServices(recorder.services());
        window = std::make_unique<Gtk::Window>();
        window->set_default_size(900, 600);
        window->add(controller->view());
        window->show();
        return *controller;
    }

    BrowserTab& active() {
        BrowserTab* tab = controller->tabs().active();
        EXPECT_NE(tab, nullptr);
        return *tab;
    }

    // Waits until the active tab shows `title` and has stopped loading.
    bool waitForTitle(const std::string& title) {
        bool shown = spinUntil([&] {
            BrowserTab* tab = controller->tabs().active();
            return tab && tab->pageTitle() == title && !tab->isLoading();
        });
        if (!shown && controller->tabs().active())
            ADD_FAILURE() << "the active tab shows \"" << active().pageTitle() << "\" at "
                          << active().address().value_or("(no address)") << " "
                          << active().state().error.value_or("");
        return shown;
    }

    TemporaryEnvironment environment;
    std::unique_ptr<PreferencesStore> preferences = std::make_unique<PreferencesStore>(settingsFilePath());
    BrowserServices services;
    WebsiteSessions& sessions = services.sessions;
    AdBlocking& blocking = *services.blocking;
    PageIcons& pageIcons = services.pageIcons;
    TestHttpServer server;
    RecordingWindowServices recorder;
    ManualScheduler timers;
    ManualClock clock;
    std::unique_ptr<Gtk::Window> window;
    std::unique_ptr<BrowserViewController> controller;
};

}  // namespace quenlith::test
