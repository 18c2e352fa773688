// Loading a library.json of about 20,000,000 bytes (read, parse, decode, validate) against a bare
// nlohmann::json::parse of the same bytes in the same process: the ratio is what the library's
// own work adds on top of parsing.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include <glib.h>

#include "baseline.hpp"
#include "model/json_coding.hpp"
#include "model/library_file.hpp"

namespace quenlith {
namespace {

// A full library near the cap: 5,000 clips with long excerpts (some non-ASCII), 100 page groups
// of 20 windows with 10 tabs each, 1,000 visits.
LibraryDocument makeLibrary() {
    LibraryDocument document;
    const std::string paragraph =
        "Floating windows keep a page beside your work. Ein schwebendes Fenster bleibt neben der Arbeit. "
        "浮动窗口让网页留在手边。 ";
    for (int i = 0; i < 5000; ++i) {
        PageClip clip;
        clip.id = Uuid::random();
        clip.title = "Saved article number " + std::to_string(i) + " — about floating browsers";
        clip.address = "https://news.example.com/articles/2024/" + std::to_string(i) + "?ref=home&utm_source=app";
        std::string text;
        while (text.size() < 3430) text += paragraph;
        clip.text = text;
        clip.collection = i % 3 == 0 ? "Research" : "";
        clip.modified = Date{700000000.0 + i};
        if (i % 4 == 0) {
            clip.readingState = ReadingState::unread;
            clip.readingPosition = 0.25;
        }
        if (i % 5 == 0) clip.profileID = Uuid::random();
        document.clips.push_back(std::move(clip));
    }
    for (int g = 0; g < 100; ++g) {
        BrowserScene scene;
        scene.id = Uuid::random();
        scene.name = "Group " + std::to_string(g);
        scene.modified = Date{710000000.0 + g};
        for (int w = 0; w < 20; ++w) {
            SceneWindow window;
            window.id = Uuid::random();
            window.name = "Window " + std::to_string(w);
            for (int t = 0; t < 10; ++t)
                window.urls.push_back("https://docs.example.org/guide/" + std::to_string(g) + "/" + std::to_string(t));
            window.selected = 3;
            window.frame = CodableRect{100.0 + w, 80.0, 900, 700, 1u};
            window.opacity = 0.95;
            scene.windows.push_back(std::move(window));
        }
        document.scenes.push_back(std::move(scene));
    }
    for (int v = 0; v < 1000; ++v)
        document.history.push_back(HistoryVisit{Uuid::random(), "https://visited.example.net/page/" + std::to_string(v),
                                                "Visited page " + std::to_string(v), Date{720000000.0 - v}});
    return document;
}

struct Fixture {
    std::string folder;
    std::string path;
    std::string bytes;

    Fixture() {
        char* dir = g_dir_make_tmp("quenlith-library-bench-XXXXXX", nullptr);
        folder = dir;
        g_free(dir);
        path = folder + "/library.json";
        bytes = *encodeLibraryDocument(makeLibrary());
        g_file_set_contents(path.c_str(), bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
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

double baselineSeconds() {
    static const double seconds = bench::medianSeconds([] { benchmark::DoNotOptimize(Json::parse(fixture().bytes)); });
    return seconds;
}

template <typename Work>
void runAgainstBaseline(benchmark::State& state, Work&& work) {
    bench::runAgainstBaseline(state, baselineSeconds(), work);
    state.counters["file_bytes"] = static_cast<double>(fixture().bytes.size());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(fixture().bytes.size()));
}

void BM_BaselineBareParse(benchmark::State& state) {
    runAgainstBaseline(state, [] { benchmark::DoNotOptimize(Json::parse(fixture().bytes)); });
}

// The whole load as the store does it: size check, read, parse, decode, validate.
void BM_LoadLibraryFile(benchmark::State& state) {
    runAgainstBaseline(state, [&] {
        auto document = readLibraryFile(fixture().path);
        if (!document.ok() || document->clips.size() != 5000) state.SkipWithError("loading failed");
        benchmark::DoNotOptimize(document);
    });
}

// The same without the file read, to separate the disk from the decoding.
void BM_DecodeAndValidateInMemory(benchmark::State& state) {
    runAgainstBaseline(state, [&] {
        auto document = decodeLibraryDocument(fixture().bytes, fixture().path);
        if (!document.ok() || !validateLibraryDocument(*document).ok()) state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(document);
    });
}

BENCHMARK(BM_BaselineBareParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadLibraryFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndValidateInMemory)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
