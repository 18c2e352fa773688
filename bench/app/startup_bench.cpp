// Start-up of the application: from starting the process to the first website window's page
// having finished loading (its load event reports back to the local server), against the smallest
// WebKitGTK program that shows the same page, measured alternately in the same run (the one that
// starts first alternating), each start in fresh folders. Both run with the engine's own choice
// of hardware acceleration, as they would on the desktop. Reported: both means in seconds and the
// median of the paired ratios, as the side-by-side start measurement reports it.
// The large-data start is measured the same way against its floor, the one-website start: 1,000
// saved websites (one opening at start) and a library near its size cap.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>
#include <unistd.h>

#include "../model/large_library.hpp"
#include "model/app_paths.hpp"
#include "model/library_file.hpp"
#include "model/profile_persistence.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

std::string buildDirectory() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof(path) - 1);
    if (length <= 0) return ".";
    path[length] = '\0';
    std::string executable(path);
    std::string benchDirectory = executable.substr(0, executable.rfind('/'));
    return benchDirectory.substr(0, benchDirectory.rfind('/'));
}

// One child process; ended with SIGTERM and reaped by the destructor.
class Child {
public:
    explicit Child(const std::vector<std::string>& arguments) {
        std::vector<char*> argv;
        for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        GError* error = nullptr;
        if (!g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DO_NOT_REAP_CHILD, nullptr, nullptr, &pid_, &error)) {
            failure_ = error ? error->message : "cannot start";
            g_clear_error(&error);
            return;
        }
        g_child_watch_add(pid_, [](GPid pid, gint, gpointer done) {
            *static_cast<bool*>(done) = true;
            g_spawn_close_pid(pid);
        }, &exited_);
    }
    ~Child() {
        if (!failure_.empty() || exited_) return;
        kill(pid_, SIGTERM);
        if (!test::spinUntil([&] { return exited_; }, std::chrono::seconds(20))) {
            kill(pid_, SIGKILL);
            test::spinUntil([&] { return exited_; }, std::chrono::seconds(5));
        }
    }
    const std::string& failure() const { return failure_; }
    bool exited() const { return exited_; }

private:
    GPid pid_ = 0;
    bool exited_ = false;
    std::string failure_;
};

struct PageServer {
    test::TestHttpServer server;
    int loads = 0;
    PageServer() {
        server.page("/page",
                    "<!doctype html><html><head><meta charset='utf-8'><title>Start</title></head><body>Start"
                    "<script>addEventListener('load', () => fetch('/loaded'));</script></body></html>");
        server.route("/loaded", [this](const test::TestRequest&) {
            ++loads;
            test::TestResponse response;
            response.contentType = "text/plain";
            response.body = "ok";
            return response;
        });
    }
};

// Seconds from starting the program to the page's load event; none when it did not arrive.
std::optional<double> timeToFirstPage(PageServer& pages, const std::vector<std::string>& arguments,
                                      std::string& failure) {
    int before = pages.loads;
    auto start = Clock::now();
    Child child(arguments);
    if (!child.failure().empty()) {
        failure = child.failure();
        return std::nullopt;
    }
    bool loaded = test::spinUntil([&] { return pages.loads > before || child.exited(); }, std::chrono::seconds(60));
    double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    if (!loaded || pages.loads == before) {
        failure = arguments[0] + " showed no page";
        return std::nullopt;
    }
    return seconds;
}

void BM_StartToFirstWebsitePage(benchmark::State& state) {
    unsetenv("WEBKIT_DISABLE_COMPOSITING_MODE");
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("GDK_BACKEND", "x11", 1);
    const std::string build = buildDirectory();
    const std::string application = build + "/quenlith";
    const std::string baseline = build + "/tests/programs/minimal_web_view/minimal_web_view";
    PageServer pages;
    double applicationTotal = 0, baselineTotal = 0;
    std::vector<double> ratios;
    std::string failure;

    for (auto _ : state) {
        std::optional<double> base, app;
        auto startBaseline = [&] {
            test::TemporaryEnvironment folders;
            base = timeToFirstPage(pages, {baseline, pages.server.url("/page")}, failure);
        };
        auto startApplication = [&] {
            test::TemporaryEnvironment folders;
            WebAppProfile website;
            website.name = "Start";
            website.homeURL = pages.server.url("/page");
            website.launchAtStartup = true;
            if (!ProfilePersistence(defaultProfilesFilePath()).save({website})) failure = "profiles.json not written";
            if (failure.empty()) app = timeToFirstPage(pages, {application}, failure);
        };
        if (ratios.size() % 2 == 0) {
            startBaseline();
            startApplication();
        } else {
            startApplication();
            startBaseline();
        }
        if (!base || !app) {
            state.SkipWithError(failure.c_str());
            return;
        }
        state.SetIterationTime(*app);
        applicationTotal += *app;
        baselineTotal += *base;
        ratios.push_back(*app / *base);
    }
    double n = static_cast<double>(state.iterations());
    state.counters["application_s"] = applicationTotal / n;
    state.counters["baseline_s"] = baselineTotal / n;
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    state.counters["ratio"] = ratios.size() % 2 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
}
BENCHMARK(BM_StartToFirstWebsitePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

// Writes the saved websites of a start whose first website opens `address`: that one alone, or it
// and 999 more with a library near its cap. Empty when written, else what failed.
std::string writeStartData(const std::string& address, bool large) {
    std::vector<WebAppProfile> websites(1);
    websites[0].name = "Start";
    websites[0].homeURL = address;
    websites[0].launchAtStartup = true;
    if (large) {
        static const LibraryDocument library = bench::makeLargeLibrary();
        if (!writeLibraryFile(library, LibraryDocument{}, defaultLibraryFilePath())) return "library.json not written";
        for (int i = 1; i < 1000; ++i) {
            WebAppProfile website;
            website.name = "Website " + std::to_string(i);
            website.homeURL = "http://site" + std::to_string(i) + ".localhost/";
            website.sortOrder = i;
            websites.push_back(std::move(website));
        }
    }
    return ProfilePersistence(defaultProfilesFilePath()).save(websites) ? "" : "profiles.json not written";
}

void BM_LargeDataStartToFirstWebsitePage(benchmark::State& state) {
    unsetenv("WEBKIT_DISABLE_COMPOSITING_MODE");
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("GDK_BACKEND", "x11", 1);
    const std::string application = buildDirectory() + "/quenlith";
    PageServer pages;
    double largeTotal = 0, floorTotal = 0;
    std::vector<double> ratios;
    std::string failure;
    for (auto _ : state) {
        std::optional<double> floor, large;
        auto start = [&](bool withLargeData, std::optional<double>& seconds) {
            test::TemporaryEnvironment folders;
            failure = writeStartData(pages.server.url("/page"), withLargeData);
            if (failure.empty()) seconds = timeToFirstPage(pages, {application}, failure);
        };
        if (ratios.size() % 2 == 0) {
            start(false, floor);
            start(true, large);
        } else {
            start(true, large);
            start(false, floor);
        }
        if (!floor || !large) {
            state.SkipWithError(failure.c_str());
            return;
        }
        state.SetIterationTime(*large);
        largeTotal += *large;
        floorTotal += *floor;
        ratios.push_back(*large / *floor);
    }
    double n = static_cast<double>(state.iterations());
    state.counters["large_data_s"] = largeTotal / n;
    state.counters["one_website_s"] = floorTotal / n;
    std::sort(ratios.begin(), ratios.end());
    const std::size_t middle = ratios.size() / 2;
    state.counters["ratio"] = ratios.size() % 2 ? ratios[middle] : (ratios[middle - 1] + ratios[middle]) / 2;
}
BENCHMARK(BM_LargeDataStartToFirstWebsitePage)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace quenlith
