#pragma once

// Timing against a baseline measured in the same process: the baseline's median over several
// runs, and each benchmark's time per iteration as a multiple of it ("x_baseline").

#include <algorithm>
#include <chrono>
#include <vector>

#include <benchmark/benchmark.h>

namespace quenlith::bench {

// The median duration of `runs` calls of `work`, after one warm-up call.
template <typename Work>
double medianSeconds(Work&& work, int runs = 9) {
    work();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        times.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(times.begin(), times.begin() + times.size() / 2, times.end());
    return times[times.size() / 2];
}

// Runs `work` once per iteration and reports its time against `baselineSeconds`.
template <typename Work>
void runAgainstBaseline(benchmark::State& state, double baselineSeconds, Work&& work) {
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) work();
    double perIteration = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                          static_cast<double>(state.iterations());
    state.counters["x_baseline"] = perIteration / baselineSeconds;
    state.counters["baseline_ms"] = baselineSeconds * 1000;
}

}  // namespace quenlith::bench
