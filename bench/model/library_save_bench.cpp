// Page loads that record visits in an 18 MB library, seen from the main loop: the loop ticks every
// millisecond for two seconds while a visit is recorded every 150 ms, and the longest gap between
// two ticks is the worst stall. The baseline is the same loop without visits, run in the same
// process. Reported: both longest gaps, the stall the visits add on top of the baseline, and how
// long after the last visit its write had reached library.json. The recorded path (the store's
// delayed background save) runs against the immediate transaction every visit used before.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <glib.h>

#include "large_library.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"

namespace quenlith {
namespace {

constexpr auto kRunLength = std::chrono::milliseconds(2000);
constexpr auto kVisitInterval = std::chrono::milliseconds(150);

struct Folder {
    std::string path;
    Folder() {
        char* made = g_dir_make_tmp("quenlith-library-save-bench-XXXXXX", nullptr);
        path = made;
        g_free(made);
        std::string bytes = *encodeLibraryDocument(bench::makeLargeLibrary());
        g_file_set_contents((path + "/library.json").c_str(), bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
    }
    ~Folder() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

Folder& folder() {
    static Folder instance;
    return instance;
}

struct LoopRun {
    double longestGapMs = 0;
    // From the last visit until its write had finished; 0 without visits.
    double savedAfterMs = 0;
    // The longest time one visit took inside the caller.
    double longestVisitMs = 0;
};

struct LoopState {
    GMainLoop* loop;
    gint64 lastTick;
    gint64 longestGap = 0;
    gint64 lastVisit = 0;
    gint64 longestVisit = 0;
    int visits = 0;
    std::function<void(int)> visit;
};

gboolean tick(gpointer data) {
    auto* state = static_cast<LoopState*>(data);
    gint64 now = g_get_monotonic_time();
    state->longestGap = std::max(state->longestGap, now - state->lastTick);
    state->lastTick = now;
    return G_SOURCE_CONTINUE;
}

gboolean recordOne(gpointer data) {
    auto* state = static_cast<LoopState*>(data);
    gint64 start = g_get_monotonic_time();
    state->visit(state->visits++);
    state->lastVisit = g_get_monotonic_time();
    state->longestVisit = std::max(state->longestVisit, state->lastVisit - start);
    return G_SOURCE_CONTINUE;
}

gboolean stop(gpointer data) {
    g_main_loop_quit(static_cast<LoopState*>(data)->loop);
    return G_SOURCE_REMOVE;
}

// Runs the default main loop for kRunLength; `visit` (when set) is called every kVisitInterval.
LoopRun runLoop(const std::function<void(int)>& visit, LibraryStore* store) {
    LoopState state{g_main_loop_new(nullptr, FALSE), g_get_monotonic_time(), 0, 0, 0, 0, visit};
    guint ticks = g_timeout_add(1, tick, &state);
    guint visits = visit ? g_timeout_add(static_cast<guint>(kVisitInterval.count()), recordOne, &state) : 0;
    g_timeout_add(static_cast<guint>(kRunLength.count()), stop, &state);
    g_main_loop_run(state.loop);
    g_source_remove(ticks);
    if (visits) g_source_remove(visits);
    g_main_loop_unref(state.loop);

    LoopRun run{static_cast<double>(state.longestGap) / 1000.0, 0, static_cast<double>(state.longestVisit) / 1000.0};
    if (store && state.visits > 0) {
        while (store->hasPendingSave()) g_main_context_iteration(nullptr, TRUE);
        run.savedAfterMs = static_cast<double>(g_get_monotonic_time() - state.lastVisit) / 1000.0;
    }
    return run;
}

double baselineGapMs() {
    static const double gap = [] {
        double longest = 0;
        for (int i = 0; i < 3; ++i) longest = std::max(longest, runLoop(nullptr, nullptr).longestGapMs);
        return longest;
    }();
    return gap;
}

std::string address(int visit) { return "https://news.example.com/story/" + std::to_string(visit); }

void report(benchmark::State& state, double longestGapMs, double savedAfterMs, double longestVisitMs) {
    state.counters["longest_gap_ms"] = longestGapMs;
    state.counters["baseline_gap_ms"] = baselineGapMs();
    state.counters["added_stall_ms"] = std::max(0.0, longestGapMs - baselineGapMs());
    state.counters["x_baseline"] = longestGapMs / baselineGapMs();
    state.counters["saved_after_ms"] = savedAfterMs;
    state.counters["longest_visit_ms"] = longestVisitMs;
}

void BM_MainLoopWithoutVisits(benchmark::State& state) {
    double longest = 0;
    for (auto _ : state) longest = std::max(longest, runLoop(nullptr, nullptr).longestGapMs);
    report(state, longest, 0, 0);
}

// The path a finished page load takes now: the store records the visit and saves later, off the
// main thread. Checks afterwards that library.json holds the last visit.
void BM_MainLoopRecordingVisits(benchmark::State& state) {
    double longest = 0, savedAfter = 0, longestVisit = 0;
    for (auto _ : state) {
        LibraryStore store(folder().path + "/library.json", mainLoopScheduler());
        int last = -1;
        LoopRun run = runLoop(
            [&](int visit) {
                store.recordVisit(address(visit), "Story", systemClock().now());
                last = visit;
            },
            &store);
        longest = std::max(longest, run.longestGapMs);
        savedAfter = std::max(savedAfter, run.savedAfterMs);
        longestVisit = std::max(longestVisit, run.longestVisitMs);
        state.PauseTiming();
        auto onDisk = readLibraryFile(store.fileURL());
        if (!onDisk.ok() || onDisk->history.empty() || onDisk->history.front().address != address(last))
            state.SkipWithError("library.json does not hold the last visit");
        state.ResumeTiming();
    }
    report(state, longest, savedAfter, longestVisit);
}

// Before: every visit was one immediate transaction, encoded and written on the main thread.
void BM_MainLoopWritingEachVisitAtOnce(benchmark::State& state) {
    double longest = 0, longestVisit = 0;
    for (auto _ : state) {
        LibraryStore store(folder().path + "/library.json", mainLoopScheduler());
        LoopRun run = runLoop(
            [&](int visit) {
                Date now = systemClock().now();
                store.update([&](LibraryDocument& document) { document.recordVisit(address(visit), "Story", now); });
            },
            &store);
        longest = std::max(longest, run.longestGapMs);
        longestVisit = std::max(longestVisit, run.longestVisitMs);
    }
    report(state, longest, 0, longestVisit);
}

BENCHMARK(BM_MainLoopWithoutVisits)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainLoopRecordingVisits)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MainLoopWritingEachVisitAtOnce)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
