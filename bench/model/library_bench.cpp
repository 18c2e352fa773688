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
#include "large_library.hpp"
#include "model/json_coding.hpp"
#include "model/library_file.hpp"

namespace quenlith {
namespace {

struct Fixture {
    std::string folder;
    std::string path;
    std::string bytes;

    Fixture() {
        char* dir = g_dir_make_tmp("quenlith-library-bench-XXXXXX", nullptr);
        folder = dir;
        g_free(dir);
        path = folder + "/library.json";
        bytes = *encodeLibraryDocument(bench::makeLargeLibrary());
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
