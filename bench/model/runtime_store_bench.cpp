// The runtime snapshot store against what its caller does anyway. update() with an unchanged
// picture (the common case: the window manager pushes after every event) is measured against
// copying the same picture, which building and passing it costs; activity() against a bare parse of
// every tab address it looks at.

#include <benchmark/benchmark.h>

#include <glib.h>

#include <string>
#include <vector>

#include "model/browser_runtime_store.hpp"
#include "model/uri_flags.hpp"

namespace {

using namespace quenlith;

// 20 windows of 10 tabs each, on a mix of hosts.
std::vector<RuntimeWindow> picture() {
    static const char* hosts[] = {"mail.example.com", "www.example.org", "news.example.net",
                                  "docs.example.com", "video.example.tv"};
    std::vector<RuntimeWindow> windows;
    for (int w = 0; w < 20; ++w) {
        RuntimeWindow window;
        window.id = Uuid::random();
        window.sequence = 20 - w;
        window.title = "Window " + std::to_string(w);
        window.profileID = Uuid::random();
        window.state = w % 3 == 0 ? BrowserWindowState::hidden : BrowserWindowState::visible;
        for (int t = 0; t < 10; ++t) {
            RuntimeTab tab;
            tab.id = Uuid::random();
            tab.title = "Page " + std::to_string(t);
            tab.url = std::string("https://") + hosts[(w + t) % 5] + "/path/" + std::to_string(t) +
                      "?q=" + std::to_string(w);
            tab.isSelected = t == 0;
            window.tabs.push_back(tab);
        }
        windows.push_back(window);
    }
    return windows;
}

void CopyPictureBaseline(benchmark::State& state) {
    auto windows = picture();
    for (auto _ : state) {
        auto copy = windows;
        benchmark::DoNotOptimize(copy);
    }
}
BENCHMARK(CopyPictureBaseline);

void UpdateUnchanged(benchmark::State& state) {
    auto windows = picture();
    BrowserRuntimeStore store;
    int published = 0;
    store.signal_changed().connect([&] { ++published; });
    store.update(windows);
    for (auto _ : state) store.update(windows);
    if (published != 1) state.SkipWithError("an unchanged picture was published");
}
BENCHMARK(UpdateUnchanged);

void ParseTabAddressesBaseline(benchmark::State& state) {
    auto windows = picture();
    for (auto _ : state) {
        for (const auto& window : windows)
            for (const auto& tab : window.tabs) {
                GUri* uri = g_uri_parse(tab.url->c_str(), kUriFlags, nullptr);
                benchmark::DoNotOptimize(uri);
                if (uri) g_uri_unref(uri);
            }
    }
}
BENCHMARK(ParseTabAddressesBaseline);

void ActivityOverAllTabs(benchmark::State& state) {
    BrowserRuntimeStore store;
    store.update(picture());
    for (auto _ : state) {
        auto activity = store.activity("https://www.example.com", std::nullopt, true, std::nullopt);
        benchmark::DoNotOptimize(activity);
    }
}
BENCHMARK(ActivityOverAllTabs);

}  // namespace
