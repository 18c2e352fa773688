// Restoring a saved session of 10 windows with 5 tabs each, against opening the same 10 websites
// fresh, in the same process: the time from the call to every window mapped. `x_baseline` is the
// restore's time divided by the fresh opening's. Run under a display.

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <vector>

#include <gtkmm/main.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/page_icons.hpp"
#include "browser/engine/proxy_runtime.hpp"
#include "browser/engine/website_sessions.hpp"
#include "browser/page/download_manager.hpp"
#include "model/app_paths.hpp"
#include "model/clock.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/floating_browser_panel.hpp"
#include "windows/session_restore.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_registry.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

SecretCall noPassword(const std::string&, SecretStore::ReadDone done) {
    done(Error{"bench.noPassword", "no password"});
    return {};
}

struct Setup {
    Setup() {
        for (int i = 0; i < 10; ++i) {
            server.page("/site" + std::to_string(i), "<title>Site</title>site");
            WebAppProfile website;
            website.name = "Site " + std::to_string(i);
            website.homeURL = server.url("/site" + std::to_string(i));
            website.rememberLastURL = false;
            websites.push_back(website);
        }
        ProfilePersistence(defaultProfilesFilePath()).save(websites);
        preferences.update([](AppPreferences& p) { p.restoreWindows = true; });
        for (int w = 0; w < 10; ++w) {
            RestorableWindow window{.id = websites[w].id, .savedProfileID = websites[w].id,
                                    .frame = {40.0 + 20 * w, 40.0 + 10 * w, 480, 600, std::nullopt}};
            for (int t = 0; t < 5; ++t)
                window.tabs.push_back({server.url("/site" + std::to_string(w)) + "?tab=" + std::to_string(t), "Tab"});
            document.windows.push_back(window);
        }
    }
    test::TemporaryEnvironment environment;
    test::TestHttpServer server;
    PreferencesStore preferences{settingsFilePath()};
    ProxyRuntime proxy{noPassword};
    WebsiteSessions sessions{proxy, noPassword};
    DownloadManager downloads;
    std::unique_ptr<AdBlocking> blocking = AdBlocking::inCacheFolder();
    PageIcons pageIcons;
    std::vector<WebAppProfile> websites;
    BrowserSessionDocument document;
};

// Seconds from `open` to every window of a new manager mapped.
template <typename Open>
double secondsToMapped(Setup& setup, Open&& open) {
    WebAppStore store(std::nullopt);
    BrowserWindowManager manager(
        store,
        BrowserContext{setup.preferences, setup.sessions, *setup.blocking, setup.pageIcons, &setup.downloads,
                       systemClock(), mainLoopScheduler(), mainLoopScheduler()},
        BrowserSessionPersistence(applicationDataDirectory() + "/session-v1.json"));
    auto started = Clock::now();
    open(manager);
    test::spinUntil(
        [&] {
            if (manager.registry().windows().size() != 10) return false;
            for (const auto& [id, controller] : manager.registry().windows())
                if (!controller->panel().get_mapped()) return false;
            return true;
        },
        std::chrono::seconds(60));
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    for (const auto& [id, controller] : manager.registry().windows()) controller->tearDown();
    return seconds;
}

void BM_Restore10Windows5TabsAgainstOpening10Fresh(benchmark::State& state) {
    static Gtk::Main kit;
    Setup setup;
    double restore = 0, fresh = 0;
    for (auto _ : state) {
        fresh += secondsToMapped(setup, [&](BrowserWindowManager& manager) {
            for (const auto& website : setup.websites)
                manager.makeWindowController(WindowRequest::ownWindow(website)).present(false, false, true);
        });
        BrowserSessionPersistence(applicationDataDirectory() + "/session-v1.json").save(setup.document);
        restore +=
            secondsToMapped(setup, [](BrowserWindowManager& manager) { manager.session().restoreSession(); });
    }
    state.counters["restore_ms"] = restore * 1000 / state.iterations();
    state.counters["fresh_ms"] = fresh * 1000 / state.iterations();
    state.counters["x_baseline"] = restore / fresh;
}
BENCHMARK(BM_Restore10Windows5TabsAgainstOpening10Fresh)->Iterations(5)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
