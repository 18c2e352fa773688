// One keystroke of Quick Open over a large set of sources (500 tabs, 200 websites, 10,000 saved
// pages, 50,000 visits), against a bare case-folded substring scan of the same titles and
// addresses: the ratio is the cost of gathering, ordering and filtering on top of the scan.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "model/quick_open.hpp"
#include "model/search_folding.hpp"

namespace {

using namespace quenlith;

struct Sources {
    std::vector<RuntimeWindow> windows;
    std::vector<WebAppProfile> websites;
    std::vector<PageClip> clips;
    std::vector<BrowserScene> scenes;
    std::vector<HistoryVisit> history;
    std::vector<std::string> texts;  // every title and address, for the bare scan
};

const Sources& sources() {
    static const Sources made = [] {
        Sources s;
        for (int w = 0; w < 50; ++w) {
            RuntimeWindow window;
            window.id = Uuid::random();
            for (int t = 0; t < 10; ++t) {
                RuntimeTab tab;
                tab.id = Uuid::random();
                tab.title = "Open page " + std::to_string(w * 10 + t) + " · Dashboard";
                tab.url = "https://app.example.com/project/" + std::to_string(w) + "/item/" + std::to_string(t);
                window.tabs.push_back(tab);
            }
            s.windows.push_back(window);
        }
        for (int i = 0; i < 200; ++i) {
            WebAppProfile website;
            website.id = Uuid::random();
            website.name = "Website " + std::to_string(i);
            website.homeURL = "https://site" + std::to_string(i) + ".example.org/";
            website.sortOrder = 200 - i;
            s.websites.push_back(website);
        }
        for (int i = 0; i < 10000; ++i) {
            PageClip clip;
            clip.id = Uuid::random();
            clip.title = (i % 10 == 0 ? "Über schwebende Fenster, Teil " : "Saved article about floating windows, part ") +
                         std::to_string(i);
            clip.address = "https://news.example.com/articles/2024/" + std::to_string(i) + "?ref=home";
            clip.modified = Date{700000000.0 + (i * 7919) % 10000};
            if (i % 3 == 0) clip.readingState = ReadingState::unread;
            s.clips.push_back(clip);
        }
        for (int i = 0; i < 50000; ++i) {
            HistoryVisit visit;
            visit.id = Uuid::random();
            visit.title = (i % 10 == 0 ? "浮动窗口 网页 " : "Visited documentation page ") + std::to_string(i);
            visit.address = "https://docs.example.net/guide/section-" + std::to_string(i);
            visit.date = Date{710000000.0 - i};
            s.history.push_back(visit);
        }
        for (const auto& window : s.windows)
            for (const auto& tab : window.tabs) s.texts.insert(s.texts.end(), {tab.title, *tab.url});
        for (const auto& website : s.websites) s.texts.insert(s.texts.end(), {website.name, website.homeURL});
        for (const auto& clip : s.clips) s.texts.insert(s.texts.end(), {clip.title, clip.address});
        for (const auto& visit : s.history) s.texts.insert(s.texts.end(), {visit.title, visit.address});
        return s;
    }();
    return made;
}

// The query matches nothing, so every candidate is looked at: the worst keystroke.
constexpr const char* kQuery = "zebra";

void bareScan() {
    CaseFolder folder;
    const std::string word = folder.folded(kQuery);
    std::size_t found = 0;
    for (const auto& text : sources().texts) found += folder.fold(text).find(word) != std::string_view::npos;
    benchmark::DoNotOptimize(found);
}

void search(const char* query) {
    const Sources& s = sources();
    auto results = quickOpenResults(query, s.windows, s.websites, s.clips, s.scenes, s.history, true);
    benchmark::DoNotOptimize(results);
}

void BM_BareCaseFoldedScan(benchmark::State& state) {
    for (auto _ : state) bareScan();
}
BENCHMARK(BM_BareCaseFoldedScan)->Unit(benchmark::kMillisecond);

void BM_QuickOpenKeystroke(benchmark::State& state) {
    for (auto _ : state) search(kQuery);
}
BENCHMARK(BM_QuickOpenKeystroke)->Unit(benchmark::kMillisecond);

// A two-word query that first matches in the history: the search must pass every other source.
void BM_QuickOpenTwoWords(benchmark::State& state) {
    for (auto _ : state) search("documentation 4999");
}
BENCHMARK(BM_QuickOpenTwoWords)->Unit(benchmark::kMillisecond);

// Both in alternation, so the reported ratio compares them under the same conditions.
void BM_QuickOpenToBareScanRatio(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Clock::duration bare{}, searched{};
    for (auto _ : state) {
        auto start = Clock::now();
        bareScan();
        auto middle = Clock::now();
        search(kQuery);
        auto end = Clock::now();
        bare += middle - start;
        searched += end - middle;
    }
    state.counters["ratio"] =
        bare.count() > 0 ? static_cast<double>(searched.count()) / static_cast<double>(bare.count()) : 0;
    state.counters["search_ms"] =
        std::chrono::duration<double, std::milli>(searched).count() / static_cast<double>(state.iterations());
}
BENCHMARK(BM_QuickOpenToBareScanRatio)->Unit(benchmark::kMillisecond);

}  // namespace
