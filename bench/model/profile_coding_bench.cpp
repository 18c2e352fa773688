// Decoding and encoding of 1,000 saved websites as a profiles-like JSON array, against bare
// nlohmann::json parse / dump of the same text in the same process. Each benchmark reports
// `x_baseline`: its time per iteration divided by the baseline's.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {
namespace {

constexpr int kProfileCount = 1000;

std::vector<WebAppProfile> makeProfiles() {
    std::vector<WebAppProfile> profiles;
    profiles.reserve(kProfileCount);
    for (int i = 0; i < kProfileCount; ++i) {
        WebAppProfile profile;
        profile.name = "Website " + std::to_string(i);
        profile.homeURL = "https://site" + std::to_string(i) + ".example/";
        profile.sortOrder = i;
        profile.opacity = 0.5 + (i % 50) / 100.0;
        if (i % 2 == 0) {
            profile.lastURL = profile.homeURL + "some/page?id=" + std::to_string(i * 7);
            profile.iconURL = profile.homeURL + "favicon.ico";
            profile.windowFrame = CodableRect{100.0 + i, 80.0, 480, 720, 1234567u};
            profile.menuBarIconEnabled = i % 4 == 0;
        }
        if (i % 3 == 0) {
            profile.globalShortcut = ShortcutConfiguration{0x28, 0x0900};
            profile.setIsolatedAccount(true);
            profile.accountName = "Account " + std::to_string(i);
            profile.customUserAgent = "Mozilla/5.0 (X11; Linux x86_64) Custom/" + std::to_string(i);
        }
        if (i % 10 == 0) {
            BrowserProxySettings proxy;
            proxy.kind = BrowserProxyKind::socks5;
            proxy.usesAuthentication = true;
            proxy.username = "user";
            proxy.credentialID = Uuid::random().string();
            profile.siteProxy = proxy;
            profile.linkedApplications = std::vector<LinkedApplication>{{"org.gnome.Terminal.desktop", "Terminal"}};
        }
        profile.normalize();
        profiles.push_back(std::move(profile));
    }
    return profiles;
}

const std::string& profilesText() {
    static const std::string text = *encodeJsonText(Json(makeProfiles()), JsonStyle::pretty);
    return text;
}

// Median seconds of `work` over a few runs, after warming up.
template <typename Work>
double medianSeconds(Work&& work) {
    for (int i = 0; i < 3; ++i) work();
    std::vector<double> runs;
    for (int i = 0; i < 31; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        runs.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    std::nth_element(runs.begin(), runs.begin() + runs.size() / 2, runs.end());
    return runs[runs.size() / 2];
}

double baselineParseSeconds() {
    static const double seconds = medianSeconds([] { benchmark::DoNotOptimize(Json::parse(profilesText())); });
    return seconds;
}

double baselineDumpSeconds() {
    static const Json tree = Json::parse(profilesText());
    static const double seconds = medianSeconds([] { benchmark::DoNotOptimize(tree.dump(2)); });
    return seconds;
}

// Runs the loop, timing it, and reports the ratio against `baseline`.
template <typename Work>
void runAgainst(benchmark::State& state, double baseline, Work&& work) {
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) work();
    double perIteration =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / static_cast<double>(state.iterations());
    state.counters["x_baseline"] = perIteration / baseline;
    state.counters["baseline_ms"] = baseline * 1000;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(profilesText().size()));
}

void BM_BaselineParse(benchmark::State& state) {
    const std::string& text = profilesText();
    runAgainst(state, baselineParseSeconds(), [&] { benchmark::DoNotOptimize(Json::parse(text)); });
}

void BM_DecodeProfiles(benchmark::State& state) {
    const std::string& text = profilesText();
    runAgainst(state, baselineParseSeconds(), [&] {
        auto json = parseJsonText(text);
        auto profiles = decodeJson<std::vector<WebAppProfile>>(*json);
        if (!profiles || profiles->size() != kProfileCount) state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(profiles);
    });
}

void BM_DecodeAndNormalizeProfiles(benchmark::State& state) {
    const std::string& text = profilesText();
    runAgainst(state, baselineParseSeconds(), [&] {
        auto profiles = decodeJson<std::vector<WebAppProfile>>(*parseJsonText(text));
        for (auto& profile : *profiles) profile.normalize();
        benchmark::DoNotOptimize(profiles);
    });
}

void BM_BaselineDump(benchmark::State& state) {
    const Json tree = Json::parse(profilesText());
    runAgainst(state, baselineDumpSeconds(), [&] { benchmark::DoNotOptimize(tree.dump(2)); });
}

void BM_EncodeProfiles(benchmark::State& state) {
    const auto profiles = *decodeJson<std::vector<WebAppProfile>>(Json::parse(profilesText()));
    runAgainst(state, baselineDumpSeconds(), [&] {
        auto text = encodeJsonText(Json(profiles), JsonStyle::pretty);
        benchmark::DoNotOptimize(text);
    });
}

BENCHMARK(BM_BaselineParse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndNormalizeProfiles)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BaselineDump)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProfiles)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
