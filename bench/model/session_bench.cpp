// Saving a session snapshot of 30 windows with 100 tabs each, against a bare encoding plus one
// durable atomic write of the same bytes in the same process. The save does more on purpose:
// clean-up of every window, a check that the replaced file is a snapshot, and the backup copy.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <glib.h>

#include "baseline.hpp"
#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"

namespace quenlith {
namespace {

BrowserSessionDocument makeSession() {
    BrowserSessionDocument document;
    for (int w = 0; w < 30; ++w) {
        RestorableWindow window;
        window.id = Uuid::random();
        window.savedProfileID = Uuid::random();
        window.frame = CodableRect{40.0 * w, 30.0, 1000, 760, 1u};
        window.selected = 42;
        window.websiteLinks = std::vector<RestorableWebsiteLink>{};
        for (int t = 0; t < 100; ++t) {
            RestorableTab tab;
            tab.address = "https://www.example.com/section/" + std::to_string(w) + "/article-" + std::to_string(t) +
                          "?utm_source=feed&page=2#comments";
            tab.title = "An article with a reasonably long page title, number " + std::to_string(t);
            tab.sleeping = t % 3 == 0;
            if (t % 2 == 0) tab.readingPosition = 0.5;
            window.tabs.push_back(std::move(tab));
            if (t % 10 == 0) window.websiteLinks->push_back({Uuid::random(), t});
        }
        document.windows.push_back(std::move(window));
    }
    document.activeWindow = document.windows[0].id;
    return document;
}

struct Fixture {
    std::string folder;
    BrowserSessionDocument document = makeSession();
    Json tree = Json(document);

    Fixture() {
        char* dir = g_dir_make_tmp("quenlith-session-bench-XXXXXX", nullptr);
        folder = dir;
        g_free(dir);
    }
    ~Fixture() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

void bareEncodeAndWrite() {
    auto text = fixture().tree.dump();
    if (!files::writeFileAtomically(fixture().folder + "/bare.json", text).ok()) std::abort();
}

double baselineSeconds() {
    static const double seconds = bench::medianSeconds(bareEncodeAndWrite, 15);
    return seconds;
}

template <typename Work>
void runAgainstBaseline(benchmark::State& state, Work&& work) {
    bench::runAgainstBaseline(state, baselineSeconds(), work);
}

void BM_BaselineEncodeAndDurableWrite(benchmark::State& state) {
    runAgainstBaseline(state, [] { bareEncodeAndWrite(); });
}

void BM_SaveSession(benchmark::State& state) {
    BrowserSessionPersistence persistence(fixture().folder + "/session-v1.json");
    runAgainstBaseline(state, [&] {
        if (!persistence.save(fixture().document).ok()) state.SkipWithError("saving failed");
    });
    state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(persistence.fileURL()));
}

void BM_LoadSession(benchmark::State& state) {
    BrowserSessionPersistence persistence(fixture().folder + "/load/session-v1.json");
    if (!persistence.save(fixture().document).ok()) state.SkipWithError("saving failed");
    runAgainstBaseline(state, [&] {
        auto loaded = persistence.load();
        if (!loaded.ok() || !*loaded || (*loaded)->windows.size() != 30) state.SkipWithError("loading failed");
        benchmark::DoNotOptimize(loaded);
    });
}

BENCHMARK(BM_BaselineEncodeAndDurableWrite)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveSession)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadSession)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
