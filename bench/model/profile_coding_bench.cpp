// Decoding and encoding of 1,000 saved websites as a profiles-like JSON array, against bare
// nlohmann::json parse / dump of the same text in the same process.

#include <benchmark/benchmark.h>

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

// Each iteration runs the baseline and then the work, timing both, so that load from other
// processes falls on both alike. The reported time is the work's; `x_baseline` is work / baseline.
template <typename Baseline, typename Work>
void runAgainst(benchmark::State& state, Baseline&& baseline, Work&& work) {
    using Clock = std::chrono::steady_clock;
    double baselineSeconds = 0, workSeconds = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        baseline();
        auto middle = Clock::now();
        work();
        auto end = Clock::now();
        double seconds = std::chrono::duration<double>(end - middle).count();
        baselineSeconds += std::chrono::duration<double>(middle - start).count();
        workSeconds += seconds;
        state.SetIterationTime(seconds);
    }
    auto iterations = static_cast<double>(state.iterations());
    state.counters["x_baseline"] = workSeconds / baselineSeconds;
    state.counters["baseline_ms"] = baselineSeconds * 1000 / iterations;
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(profilesText().size()));
}

void parseBaseline(const std::string& text) { benchmark::DoNotOptimize(Json::parse(text)); }

// Against parse: parsing the text and decoding 1,000 records.
void BM_DecodeProfiles(benchmark::State& state) {
    const std::string& text = profilesText();
    runAgainst(state, [&] { parseBaseline(text); }, [&] {
        auto json = parseJsonText(text);
        auto profiles = decodeJson<std::vector<WebAppProfile>>(*json);
        if (!profiles || profiles->size() != kProfileCount) state.SkipWithError("decoding failed");
        benchmark::DoNotOptimize(profiles);
    });
}

// Against parse: what the website file does on load (parse, decode, normalise each record).
void BM_DecodeAndNormalizeProfiles(benchmark::State& state) {
    const std::string& text = profilesText();
    runAgainst(state, [&] { parseBaseline(text); }, [&] {
        auto profiles = decodeJson<std::vector<WebAppProfile>>(*parseJsonText(text));
        for (auto& profile : *profiles) profile.normalize();
        benchmark::DoNotOptimize(profiles);
    });
}

// Against dump: building the JSON of 1,000 records and writing it pretty-printed.
void BM_EncodeProfiles(benchmark::State& state) {
    const Json tree = Json::parse(profilesText());
    const auto profiles = *decodeJson<std::vector<WebAppProfile>>(tree);
    runAgainst(state, [&] { benchmark::DoNotOptimize(tree.dump(2)); }, [&] {
        auto text = encodeJsonText(Json(profiles), JsonStyle::pretty);
        benchmark::DoNotOptimize(text);
    });
}

BENCHMARK(BM_DecodeProfiles)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeAndNormalizeProfiles)->UseManualTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EncodeProfiles)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
