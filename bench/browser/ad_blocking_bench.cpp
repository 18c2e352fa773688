// Content blocking: compiling the built-in list with 0, 1, 10 and 100 allowed sites, and starting
// with the list already compiled. Times are reported absolute and as ratios to the compilation
// without allowed sites, measured first in the same process.

#include <benchmark/benchmark.h>

#include <chrono>
#include <functional>
#include <optional>
#include <string>

#include <glib.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

// Compilation of the built-in list without allowed sites, in seconds: the baseline of the ratios.
double baselineSeconds = 0;

// A temporary store, removed when the program ends.
struct TemporaryStore {
    std::string root;
    TemporaryStore() {
        gchar* path = g_dir_make_tmp("quenlith-bench-XXXXXX", nullptr);
        root = path;
        g_free(path);
    }
    ~TemporaryStore() { test::removeTree(root); }
};

std::string storeFolder() {
    static TemporaryStore store;
    return store.root + "/ContentFilters";
}

AdFilterSettings settingsWithAllowedSites(int count) {
    AdFilterSettings settings;
    settings.enabled = true;
    for (int i = 0; i < count; ++i) settings.allowedSites.push_back("site" + std::to_string(i) + ".example");
    return settings.normalized();
}

bool spin(const std::function<bool()>& done) { return test::spinUntil(done, std::chrono::seconds(120)); }

void reportRatio(benchmark::State& state, double totalSeconds) {
    double mean = totalSeconds / static_cast<double>(state.iterations());
    state.counters["seconds"] = mean;
    if (baselineSeconds > 0) state.counters["ratio_to_0_sites"] = mean / baselineSeconds;
}

// Rule text, identifier and compilation, as the first use of new settings does it.
void BM_CompileBuiltInList(benchmark::State& state) {
    const auto& domains = AdBlocking::defaultDomains();
    if (domains.empty()) {
        state.SkipWithError("built-in host list not found");
        return;
    }
    AdFilterSettings settings = settingsWithAllowedSites(static_cast<int>(state.range(0)));
    WebKitContentRuleCompiler compiler(storeFolder());
    double total = 0;
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        auto json = settings.contentRuleListJSON(domains);
        bytes = json->size();
        std::string identifier = AdBlocking::identifierFor(*json);
        std::optional<bool> succeeded;
        compiler.compile(identifier, std::move(*json), [&](Result<ContentRuleListPtr> outcome) { succeeded = outcome.ok(); });
        if (!spin([&] { return succeeded.has_value(); }) || !*succeeded) {
            state.SkipWithError("compilation failed");
            return;
        }
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (state.range(0) == 0) baselineSeconds = total / static_cast<double>(state.iterations());
    state.counters["rules"] = static_cast<double>(domains.size() + 1);
    state.counters["json_MB"] = static_cast<double>(bytes) / 1e6;
    reportRatio(state, total);
}
BENCHMARK(BM_CompileBuiltInList)->ArgName("allowed_sites")->Arg(0)->Arg(1)->Arg(10)->Arg(100)
    ->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

// A new launch with the settings' list in the store: a fresh blocker applies the settings to a
// fresh content manager (rule text, identifier, load, install).
void BM_StartWithCompiledList(benchmark::State& state) {
    const auto& domains = AdBlocking::defaultDomains();
    AdFilterSettings settings = settingsWithAllowedSites(static_cast<int>(state.range(0)));
    {
        // Make sure the list is in the store.
        AdBlocking blocker(std::make_unique<WebKitContentRuleCompiler>(storeFolder()), domains);
        std::optional<bool> succeeded;
        blocker.compiled(settings, [&](Result<ContentRuleListPtr> outcome) { succeeded = outcome.ok(); });
        if (!spin([&] { return succeeded.has_value(); }) || !*succeeded) {
            state.SkipWithError("compilation failed");
            return;
        }
    }
    double total = 0;
    int compilations = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        AdBlocking blocker(std::make_unique<WebKitContentRuleCompiler>(storeFolder()), domains);
        blocker.signal_changed().connect([&] { compilations += blocker.preparing() ? 1 : 0; });
        WebKitUserContentManager* manager = webkit_user_content_manager_new();
        std::optional<bool> succeeded;
        blocker.apply(settings, manager, [&](Status status) { succeeded = status.ok(); });
        bool finished = spin([&] { return succeeded.has_value(); });
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        g_object_unref(manager);
        if (!finished || !*succeeded) {
            state.SkipWithError("loading failed");
            return;
        }
        state.SetIterationTime(seconds);
        total += seconds;
    }
    if (compilations > 0) state.SkipWithError("the stored list was compiled again");
    reportRatio(state, total);
}
BENCHMARK(BM_StartWithCompiledList)->ArgName("allowed_sites")->Arg(0)->Arg(100)
    ->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
