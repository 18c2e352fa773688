// Backup export and import of 1,000 websites and a large library, against a bare nlohmann::json
// parse and pretty dump of the same backup text in the same process.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/json_coding.hpp"
#include "model/transfer_document.hpp"

namespace quenlith {
namespace {

std::vector<WebAppProfile> makeWebsites() {
    std::vector<WebAppProfile> websites;
    for (int i = 0; i < 1000; ++i) {
        WebAppProfile website;
        website.name = "Website " + std::to_string(i);
        website.homeURL = "https://site" + std::to_string(i) + ".example/";
        website.lastURL = website.homeURL + "page?id=" + std::to_string(i);
        website.sortOrder = i;
        if (i % 3 == 0) website.setIsolatedAccount(true);
        if (i % 10 == 0) website.globalShortcut = ShortcutConfiguration{0x28, 0x0900};
        websites.push_back(std::move(website));
    }
    return websites;
}

// Bookmarks with a short excerpt each; `count` beyond the library's cap still exports.
LibraryDocument makeLibrary(int count) {
    LibraryDocument library;
    for (int i = 0; i < count; ++i) {
        PageClip clip;
        clip.id = Uuid::random();
        clip.title = "Bookmark " + std::to_string(i) + " — 浮动窗口";
        clip.address = "https://news.example.com/articles/" + std::to_string(i);
        clip.text = "A short excerpt of the page, kept with the bookmark.";
        clip.modified = Date{700000000.0 + i};
        library.clips.push_back(std::move(clip));
    }
    return library;
}

// Each iteration times the baseline and then the work, so that load from other processes falls
// on both alike; `x_baseline` is work / baseline.
template <typename Baseline, typename Work>
void runAgainst(benchmark::State& state, Baseline&& baseline, Work&& work) {
    using Clock = std::chrono::steady_clock;
    double baselineSeconds = 0, workSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        baseline();
        auto middle = Clock::now();
        work();
        double seconds = std::chrono::duration<double>(Clock::now() - middle).count();
        baselineSeconds += std::chrono::duration<double>(middle - start).count();
        workSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    state.counters["x_baseline"] = workSeconds / baselineSeconds;
    state.counters["baseline_ms"] = baselineSeconds * 1000 / static_cast<double>(state.iterations());
}

void parseAndDump(const std::string& text) {
    benchmark::DoNotOptimize(Json::parse(text).dump(2));
}

// Building the document (stripping every website and clip) and writing it pretty-printed.
void BM_ExportBackup(benchmark::State& state) {
    const auto websites = makeWebsites();
    const auto library = makeLibrary(static_cast<int>(state.range(0)));
    const std::string text = *encodeTransferDocument(TransferDocument(websites, library));
    runAgainst(
        state, [&] { parseAndDump(text); },
        [&] { benchmark::DoNotOptimize(encodeTransferDocument(TransferDocument(websites, library))); });
}

// Decoding and checking the file, then merging everything into an empty installation (every
// website and bookmark is new, the most work the duplicate rules can cause).
void BM_ImportBackup(benchmark::State& state) {
    const std::string text = *encodeTransferDocument(
        TransferDocument(makeWebsites(), makeLibrary(static_cast<int>(state.range(0)))));
    runAgainst(
        state, [&] { parseAndDump(text); },
        [&] {
            auto document = TransferDocument::fromData(text, "Quenlith-backup.json");
            if (!document) return state.SkipWithError(document.error().message.c_str());
            auto websites = document->mergeWebsites({});
            auto library = document->mergeLibrary({});
            if (!validateLibraryDocument(library)) state.SkipWithError("merged library refused");
            benchmark::DoNotOptimize(websites);
            benchmark::DoNotOptimize(library);
        });
}

// 10,000 bookmarks export; a library holds at most 5,000, so an import of 10,000 is refused by
// the checks and the import is measured at the largest library a backup may carry.
BENCHMARK(BM_ExportBackup)->Arg(10'000)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ImportBackup)
    ->Arg(static_cast<int>(kMaximumClips))
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
