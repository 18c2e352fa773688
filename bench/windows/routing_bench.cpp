// Routing an address against 30 windows of 100 tabs (the address open nowhere, so every tab is
// looked at), against a bare loop over the same tabs comparing addresses already in their
// comparison form. Warm: the comparison forms are remembered from earlier routing, as in the
// running application; cold: every address is parsed again.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "../model/baseline.hpp"
#include "model/address_routing.hpp"
#include "model/deduplication.hpp"

namespace {

using namespace quenlith;

constexpr const char* kWanted = "HTTPS://Docs.Example.com/missing?page=1";

std::vector<RoutingWindow> windows() {
    static const char* hosts[] = {"mail.example.com", "www.example.org", "news.example.net", "docs.example.com",
                                  "video.example.tv"};
    std::vector<RoutingWindow> list;
    for (int w = 0; w < 30; ++w) {
        RoutingWindow window{Uuid::random(), 30 - w, true, {}};
        for (int t = 0; t < 100; ++t)
            window.tabs.push_back(RoutingTab{Uuid::random(),
                                             std::string("https://") + hosts[(w + t) % 5] + "/path/" +
                                                 std::to_string(t) + "?q=" + std::to_string(w),
                                             t == 0});
        list.push_back(std::move(window));
    }
    return list;
}

// What routing cannot do without: one comparison per tab of strings already normalised.
double bareLoopSeconds() {
    static const double seconds = [] {
        auto list = windows();
        std::vector<std::string> forms;
        for (const auto& window : list)
            for (const auto& tab : window.tabs) forms.push_back(deduplicationKey(*tab.address));
        const std::string wanted = deduplicationKey(kWanted);
        return bench::medianSeconds([&] {
            std::size_t found = forms.size();
            for (std::size_t i = 0; i < forms.size(); ++i)
                if (forms[i] == wanted) found = i;
            benchmark::DoNotOptimize(found);
        }, 51);
    }();
    return seconds;
}

void BareLoopBaseline(benchmark::State& state) {
    auto list = windows();
    std::vector<std::string> forms;
    for (const auto& window : list)
        for (const auto& tab : window.tabs) forms.push_back(deduplicationKey(*tab.address));
    const std::string wanted = deduplicationKey(kWanted);
    bench::runAgainstBaseline(state, bareLoopSeconds(), [&] {
        std::size_t found = forms.size();
        for (std::size_t i = 0; i < forms.size(); ++i)
            if (forms[i] == wanted) found = i;
        benchmark::DoNotOptimize(found);
    });
}
BENCHMARK(BareLoopBaseline);

void RouteWarm(benchmark::State& state) {
    auto list = windows();
    AddressComparisonForms forms;
    if (reusableTab(list, kWanted, forms)) state.SkipWithError("the address must be open nowhere");
    bench::runAgainstBaseline(state, bareLoopSeconds(), [&] {
        auto target = reusableTab(list, kWanted, forms);
        benchmark::DoNotOptimize(target);
    });
}
BENCHMARK(RouteWarm);

void RouteCold(benchmark::State& state) {
    auto list = windows();
    bench::runAgainstBaseline(state, bareLoopSeconds(), [&] {
        AddressComparisonForms forms;
        auto target = reusableTab(list, kWanted, forms);
        benchmark::DoNotOptimize(target);
    });
}
BENCHMARK(RouteCold);

}  // namespace
