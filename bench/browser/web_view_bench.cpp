// Web views made by the factory against bare engine views in the same process:
// - the time from making a view to the end of its first load of a small local page, and
// - the proportional set size (PSS, /proc/<pid>/smaps_rollup) of this process and of the engine's
//   network and web processes with one and with five loaded views.
// Each factory benchmark reports `x_baseline`: its figure divided by the bare views' figure.
// Run under a display (scripts/bench.sh uses Xvfb).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <unistd.h>

#include "browser/engine/web_view_factory.hpp"
#include "process_tree.hpp"
#include "browser/engine/website_sessions.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

// What every benchmark shares: a display, fresh data folders, a local page.
struct Fixture {
    Fixture() {
        g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
        g_setenv("NO_AT_BRIDGE", "1", FALSE);
        g_setenv("GDK_BACKEND", "x11", TRUE);
        gtk_init(nullptr, nullptr);
        environment = std::make_unique<test::TemporaryEnvironment>();
        server = std::make_unique<test::TestHttpServer>();
        server->page("/", "<html><head><title>Small</title></head><body><h1>Small page</h1>"
                          "<p>A few words of text for the first load.</p></body></html>");
    }
    std::unique_ptr<test::TemporaryEnvironment> environment;
    std::unique_ptr<test::TestHttpServer> server;
    ProxyRuntime global{nullptr};
    WebsiteSessions sessions{global, nullptr};
};

Fixture& fixture() {
    static Fixture shared;
    return shared;
}

void onLoadChanged(WebKitWebView*, WebKitLoadEvent event, gpointer done) {
    if (event == WEBKIT_LOAD_FINISHED) *static_cast<bool*>(done) = true;
}

bool loadAndWait(WebKitWebView* view, const std::string& uri) {
    bool done = false;
    gulong handler = g_signal_connect(view, "load-changed", G_CALLBACK(onLoadChanged), &done);
    webkit_web_view_load_uri(view, uri.c_str());
    bool finished = test::spinUntil([&] { return done; }, std::chrono::seconds(30));
    g_signal_handler_disconnect(view, handler);
    return finished;
}

GObjectPtr<WebKitWebView> factoryView() {
    return WebViewFactory::makeWebView(nullptr, std::nullopt, std::nullopt, &fixture().sessions);
}

GObjectPtr<WebKitWebView> bareView() {
    return GObjectPtr<WebKitWebView>::adopt(WEBKIT_WEB_VIEW(g_object_ref_sink(webkit_web_view_new())));
}

// Seconds from making a view to the end of its first load, averaged over `count` views.
double firstLoadSeconds(GObjectPtr<WebKitWebView> (*make)(), int count) {
    const std::string uri = fixture().server->url("/");
    double total = 0;
    for (int i = 0; i < count; ++i) {
        auto started = Clock::now();
        auto view = make();
        if (!loadAndWait(view.get(), uri)) return -1;
        total += std::chrono::duration<double>(Clock::now() - started).count();
    }
    return total / count;
}

std::string programOf(pid_t pid) {
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
    std::string program;
    std::getline(cmdline, program, '\0');
    return program.substr(program.rfind('/') + 1);
}

std::vector<pid_t> processesNamed(const std::string& name) {
    std::vector<pid_t> found;
    for (pid_t pid : bench::descendants(getpid()))
        if (programOf(pid) == name) found.push_back(pid);
    return found;
}


bool contains(const std::vector<pid_t>& pids, pid_t pid) { return std::find(pids.begin(), pids.end(), pid) != pids.end(); }

// One way of making views, with the network process that serves them (each context has its own).
struct ViewKind {
    GObjectPtr<WebKitWebView> (*make)();
    std::vector<pid_t> networkProcesses;

    // Loads one view once so that the kind's network process runs, and finds that process.
    void warmUp() {
        auto before = processesNamed("WebKitNetworkProcess");
        {
            auto view = make();
            loadAndWait(view.get(), fixture().server->url("/"));
        }
        for (pid_t pid : processesNamed("WebKitNetworkProcess"))
            if (!contains(before, pid)) networkProcesses.push_back(pid);
    }

    // PSS of this process, the kind's network process and the web processes of `count` loaded
    // views of this kind; the views are released afterwards and their processes waited for.
    double pssWithViews(int count) {
        auto before = processesNamed("WebKitWebProcess");
        std::vector<GObjectPtr<WebKitWebView>> views;
        for (int i = 0; i < count; ++i) {
            views.push_back(make());
            loadAndWait(views.back().get(), fixture().server->url("/"));
        }
        double pss = bench::pssOf(getpid());
        for (pid_t pid : networkProcesses) pss += bench::pssOf(pid);
        std::vector<pid_t> added;
        for (pid_t pid : processesNamed("WebKitWebProcess"))
            if (!contains(before, pid)) added.push_back(pid);
        for (pid_t pid : added) pss += bench::pssOf(pid);
        views.clear();
        test::spinUntil([&] {
            for (pid_t pid : processesNamed("WebKitWebProcess"))
                if (contains(added, pid)) return false;
            return true;
        }, std::chrono::seconds(10));
        return pss;
    }
};

ViewKind& factoryKind() {
    static ViewKind kind{factoryView, {}};
    return kind;
}

ViewKind& bareKind() {
    static ViewKind kind{bareView, {}};
    return kind;
}

void BM_FirstLoad_Bare(benchmark::State& state) {
    fixture();
    for (auto _ : state) state.SetIterationTime(firstLoadSeconds(bareView, 1));
}
BENCHMARK(BM_FirstLoad_Bare)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FirstLoad_Factory(benchmark::State& state) {
    fixture();
    double factory = 0, bare = 0;
    for (auto _ : state) {
        double seconds = firstLoadSeconds(factoryView, 1);
        state.SetIterationTime(seconds);
        factory += seconds;
        // The baseline, interleaved so that both see the same machine load.
        state.PauseTiming();
        bare += firstLoadSeconds(bareView, 1);
        state.ResumeTiming();
    }
    state.counters["x_baseline"] = factory / bare;
}
BENCHMARK(BM_FirstLoad_Factory)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

void memoryBenchmark(benchmark::State& state, int count) {
    fixture();
    if (factoryKind().networkProcesses.empty()) factoryKind().warmUp();
    if (bareKind().networkProcesses.empty()) bareKind().warmUp();
    double factory = 0, bare = 0;
    for (auto _ : state) {
        bare = bareKind().pssWithViews(count);
        factory = factoryKind().pssWithViews(count);
    }
    state.counters["pss_MB"] = factory / 1e6;
    state.counters["baseline_pss_MB"] = bare / 1e6;
    state.counters["x_baseline"] = factory / bare;
}

void BM_Memory_OneView(benchmark::State& state) { memoryBenchmark(state, 1); }
BENCHMARK(BM_Memory_OneView)->Iterations(1)->Unit(benchmark::kMillisecond);

void BM_Memory_FiveViews(benchmark::State& state) { memoryBenchmark(state, 5); }
BENCHMARK(BM_Memory_FiveViews)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
