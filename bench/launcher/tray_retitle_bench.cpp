// What the tray costs the main loop when one website's page retitles itself (a mail page's unread
// counter), with 50 websites in the tray against the same with only that website there. The new
// title reaches the tray as it does in the application, through a new snapshot of the windows, and
// the time runs until the main loop has nothing left to do. The 50 websites stay saved and iconed,
// and the same ones open, in both cases, so only the tray's share differs: once with only the mail
// website open, once with all 50 open. Needs a display and a session bus (run under xvfb-run and
// dbus-run-session).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <glib.h>

#include "../model/baseline.hpp"
#include "app/app_environment.hpp"
#include "app/status_bar_controller.hpp"
#include "app/status_website_item.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "model/app_paths.hpp"
#include "model/profile_persistence.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "support/test_images.hpp"
#include "windows/browser_window_manager.hpp"
#include "windows/runtime_publisher.hpp"

namespace quenlith {
namespace {

constexpr int kWebsites = 50;

// The application with its tray on the session bus, a stand-in tray host registering its items, and
// websites with icons of their own on hosts under "localhost" of a local server.
class TrayProbe {
public:
    explicit TrayProbe(int open) : open_(open), bus_(g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr)) {
        server_.route("/favicon.ico", [](const test::TestRequest&) {
            test::TestResponse response;
            response.contentType = "image/png";
            response.body = test::blackPng(32, 32);
            return response;
        });
        watcher_ = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{QUENLITH_STATUS_WATCHER}, temporary_.root() + "/watcher.log");
        ready_ = test::spinUntil([&] { return watcher_->output().find("watching") != std::string::npos; });
        for (int i = 0; i < kWebsites; ++i) {
            WebAppProfile profile;
            profile.id = Uuid::random();
            profile.name = i == 0 ? "Mail" : "Website Number " + std::to_string(i);
            profile.homeURL = server_.url("/start", "site" + std::to_string(i) + ".localhost");
            profile.sortOrder = i;
            profile.menuBarIconEnabled = true;
            websites_.push_back(profile);
            windowIDs_.push_back(Uuid::random());
        }
        ProfilePersistence(defaultProfilesFilePath()).save(websites_);
        environment_ = std::make_unique<AppEnvironment>();
        controller_ = std::make_unique<StatusBarController>(*environment_, bus_);
        // Every item registered and drawn from its website's own icon.
        ready_ = ready_ && test::spinUntil([&] {
                     const auto& items = controller_->websiteItems();
                     if (items.size() != websites_.size()) return false;
                     for (const auto& [id, item] : items)
                         if (!item->item().registered() ||
                             !environment_->icons().image(FaviconLoader::key(item->profile())))
                             return false;
                     return !g_main_context_pending(nullptr);
                 });
    }
    ~TrayProbe() {
        controller_->teardown();
        environment_->windows().shutdown();
        if (bus_) g_object_unref(bus_);
    }
    TrayProbe(const TrayProbe&) = delete;
    TrayProbe& operator=(const TrayProbe&) = delete;

    bool ready() const { return ready_; }

    // Puts the first `count` websites in the tray (Mail first), every one open as before.
    bool keepInTray(int count) {
        auto profiles = websites_;
        for (int i = 0; i < kWebsites; ++i) profiles[i].menuBarIconEnabled = i < count;
        environment_->store().replaceProfiles(profiles);
        // Each item opens a bus connection of its own on a worker thread: measured once all are in the tray.
        const bool settled = test::spinUntil([&] {
            if (controller_->websiteItems().size() != static_cast<std::size_t>(count)) return false;
            for (const auto& [id, item] : controller_->websiteItems())
                if (!item->item().registered()) return false;
            return !environment_->store().hasPendingSave() && !g_main_context_pending(nullptr);
        });
        publish();
        return settled && settle();
    }

    // Mail's page takes its next title; answers the seconds until the main loop is idle again.
    double retitle() {
        ++unread_;
        const auto start = std::chrono::steady_clock::now();
        publish();
        while (g_main_context_iteration(nullptr, FALSE)) {
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }

private:
    // The windows as the application publishes them: Mail in view, the other open ones tucked at
    // an edge.
    void publish() {
        std::vector<RuntimeWindow> windows;
        for (int i = 0; i < open_; ++i) {
            RuntimeWindow window;
            window.id = windowIDs_[i];
            window.sequence = i + 1;
            window.profileID = websites_[i].id;
            window.state = i == 0 ? BrowserWindowState::visible : BrowserWindowState::tucked;
            RuntimeTab tab;
            tab.id = windowIDs_[i];
            tab.title = i == 0 ? "Inbox (" + std::to_string(unread_) + ")" : websites_[i].name;
            tab.url = websites_[i].homeURL;
            tab.isSelected = true;
            window.title = tab.title;
            window.tabs.push_back(tab);
            windows.push_back(window);
        }
        environment_->windows().publisher().runtime().update(std::move(windows));
    }
    bool settle() {
        return test::spinUntil([] { return !g_main_context_pending(nullptr); });
    }

    const int open_;
    test::TemporaryEnvironment temporary_;
    test::TestHttpServer server_;
    GDBusConnection* bus_;
    std::unique_ptr<test::BackgroundProcess> watcher_;
    std::vector<WebAppProfile> websites_;
    std::vector<Uuid> windowIDs_;
    std::unique_ptr<AppEnvironment> environment_;
    std::unique_ptr<StatusBarController> controller_;
    int unread_ = 0;
    bool ready_ = false;
};

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// The argument is the number of websites open.
void BM_TrayRetitleOneOfFiftyWebsites(benchmark::State& state) {
    TrayProbe probe(static_cast<int>(state.range(0)));
    if (!probe.ready() || !probe.keepInTray(1)) {
        state.SkipWithError("the tray's items did not come up");
        return;
    }
    const double baseline = bench::medianSeconds([&] { probe.retitle(); }, 31);
    if (!probe.keepInTray(kWebsites)) {
        state.SkipWithError("the tray's items did not come up");
        return;
    }
    probe.retitle();
    std::vector<double> times;
    for (auto _ : state) times.push_back(probe.retitle());
    const double loaded = median(times);
    state.counters["retitle_ms"] = loaded * 1000;
    state.counters["baseline_ms"] = baseline * 1000;
    state.counters["max_ms"] = *std::max_element(times.begin(), times.end()) * 1000;
    state.counters["x_baseline"] = loaded / baseline;
}
BENCHMARK(BM_TrayRetitleOneOfFiftyWebsites)
    ->ArgName("open")
    ->Arg(1)
    ->Arg(kWebsites)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(31);

}  // namespace
}  // namespace quenlith
