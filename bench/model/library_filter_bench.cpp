// One keystroke in the library window's search: the Bookmarks list over 10,000 saved pages and the
// History list over 50,000 visits, each against a bare case-folded substring scan of the same
// texts in the same process. The ratio is what the window's filter adds (sorting, collections,
// the kept order) on top of looking at every text once.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <unicode/unistr.h>

#include "baseline.hpp"
#include "model/library_filters.hpp"

namespace quenlith {
namespace {

std::u16string folded(const std::string& text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    unicode.foldCase();
    return std::u16string(reinterpret_cast<const char16_t*>(unicode.getBuffer()), static_cast<size_t>(unicode.length()));
}

std::vector<PageClip> bookmarks(int count) {
    const std::string english = "Floating windows keep a page beside your work while you read. ";
    const std::string other = "Ein schwebendes Fenster bleibt neben der Arbeit. 浮动窗口让网页留在手边。 ";
    std::vector<PageClip> clips;
    for (int i = 0; i < count; ++i) {
        PageClip clip;
        clip.id = Uuid::random();
        clip.title = "Saved article " + std::to_string(i) + (i % 9 == 0 ? " über Straßen" : " about browsers");
        clip.address = "https://news.example.com/articles/" + std::to_string(i) + "?ref=home";
        const std::string& paragraph = i % 5 == 0 ? other : english;
        while (clip.text.size() < 600) clip.text += paragraph;
        clip.collection = i % 3 == 0 ? "Research" : "";
        clip.modified = Date{700000000.0 + (i * 7919 % count)};
        if (i % 4 == 0) clip.readingState = ReadingState::unread;
        clips.push_back(std::move(clip));
    }
    return clips;
}

std::vector<HistoryVisit> visits(int count) {
    std::vector<HistoryVisit> history;
    for (int i = 0; i < count; ++i)
        history.push_back({Uuid::random(), "https://visited" + std::to_string(i % 700) + ".example.net/page/" + std::to_string(i),
                           (i % 11 == 0 ? "Tägliche Nachrichten " : "Visited page ") + std::to_string(i),
                           Date{720000000.0 - i}});
    return history;
}

// A query that matches some of the pages, typed in another case than the texts.
const std::string kQuery = "STRASSEN";

void BM_FilterTenThousandBookmarks(benchmark::State& state) {
    const auto clips = bookmarks(10'000);
    auto bareScan = [&] {
        const std::u16string needle = folded(kQuery);
        int found = 0;
        for (const auto& clip : clips)
            for (const std::string* text : {&clip.title, &clip.text, &clip.address, &clip.collection})
                if (folded(*text).find(needle) != std::u16string::npos) {
                    ++found;
                    break;
                }
        benchmark::DoNotOptimize(found);
    };
    const double baseline = bench::medianSeconds(bareScan);
    bench::runAgainstBaseline(state, baseline, [&] {
        auto shown = filteredClips(clips, "", LibraryQuery(kQuery));
        auto names = collectionNames(clips);
        benchmark::DoNotOptimize(shown);
        benchmark::DoNotOptimize(names);
    });
}
BENCHMARK(BM_FilterTenThousandBookmarks)->Unit(benchmark::kMillisecond);

void BM_FilterFiftyThousandVisits(benchmark::State& state) {
    const auto history = visits(50'000);
    const std::string query = "NACHRICHTEN";
    auto bareScan = [&] {
        const std::u16string needle = folded(query);
        int found = 0;
        for (const auto& visit : history)
            if (folded(visit.title).find(needle) != std::u16string::npos ||
                folded(visit.address).find(needle) != std::u16string::npos)
                ++found;
        benchmark::DoNotOptimize(found);
    };
    const double baseline = bench::medianSeconds(bareScan);
    bench::runAgainstBaseline(state, baseline, [&] {
        auto shown = filteredHistory(history, LibraryQuery(query));
        benchmark::DoNotOptimize(shown);
    });
}
BENCHMARK(BM_FilterFiftyThousandVisits)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
