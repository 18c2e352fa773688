// The launcher's two costs a person feels: opening it from the tray with 100 saved websites,
// against mapping an empty window of the same size; and filtering 1,000 saved websites on a
// keystroke, against a bare case-folded substring scan of the same texts. Both in the same run.
// Needs a display (run under xvfb-run).

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <gtkmm/main.h>
#include <gtkmm/window.h>
#include <unicode/unistr.h>

#include "../model/baseline.hpp"
#include "app/app_environment.hpp"
#include "app/status_bar_controller.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/start_page_search.hpp"
#include "model/app_paths.hpp"
#include "model/profile_persistence.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {
namespace {

std::vector<WebAppProfile> websites(int count) {
    std::vector<WebAppProfile> profiles;
    for (int i = 0; i < count; ++i) {
        WebAppProfile profile;
        profile.name = "Website Number " + std::to_string(i) + (i % 7 == 0 ? " Straße" : " Example");
        profile.homeURL = "https://site" + std::to_string(i) + ".example.com/start";
        profile.isFavorite = i % 5 == 0;
        profiles.push_back(profile);
    }
    return profiles;
}

std::u16string folded(const std::string& text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(text);
    unicode.foldCase();
    return std::u16string(reinterpret_cast<const char16_t*>(unicode.getBuffer()), static_cast<size_t>(unicode.length()));
}

void BM_FilterThousandWebsites(benchmark::State& state) {
    const auto profiles = websites(1000);
    const std::string query = "STRASSE";
    // The baseline: fold every name and address and look for the folded query, nothing else.
    auto bareScan = [&] {
        const std::u16string needle = folded(query);
        int found = 0;
        for (const auto& profile : profiles)
            if (folded(profile.name).find(needle) != std::u16string::npos ||
                folded(profile.homeURL).find(needle) != std::u16string::npos)
                ++found;
        benchmark::DoNotOptimize(found);
    };
    const double baseline = bench::medianSeconds(bareScan);
    bench::runAgainstBaseline(state, baseline, [&] {
        auto kept = filteredSaved(profiles, query);
        benchmark::DoNotOptimize(kept);
    });
}
BENCHMARK(BM_FilterThousandWebsites)->Unit(benchmark::kMillisecond);

void BM_OpenLauncherWithHundredWebsites(benchmark::State& state) {
    test::TemporaryEnvironment temporary;
    ProfilePersistence(defaultProfilesFilePath()).save(websites(100));
    AppEnvironment environment;
    StatusBarController controller(environment, nullptr);
    LauncherWindow& launcher = controller.launcher();

    // Both count from the request to the first drawing of the window, then close it again.
    bool drawn = false;
    auto watchDrawing = [&](Gtk::Window& window) {
        window.signal_draw().connect([&](const Cairo::RefPtr<Cairo::Context>&) {
            drawn = true;
            return false;
        }, false);
    };
    Gtk::Window empty;
    empty.set_decorated(false);
    empty.set_default_size(kLauncherWidth, kLauncherHeight);
    watchDrawing(empty);
    watchDrawing(launcher);
    auto mapEmpty = [&] {
        drawn = false;
        empty.move(430, 0);
        empty.present();
        test::spinUntil([&] { return drawn; });
        empty.hide();
        test::spinUntil([&] { return !empty.get_mapped(); });
    };
    const double baseline = bench::medianSeconds(mapEmpty);
    bench::runAgainstBaseline(state, baseline, [&] {
        drawn = false;
        controller.toggle(640, 0);
        test::spinUntil([&] { return drawn; });
        controller.toggle(640, 0);
        test::spinUntil([&] { return !launcher.get_mapped(); });
    });
    controller.teardown();
    environment.windows().shutdown();
}
BENCHMARK(BM_OpenLauncherWithHundredWebsites)->Unit(benchmark::kMillisecond)->Iterations(30);

}  // namespace
}  // namespace quenlith

int main(int argc, char** argv) {
    setenv("GDK_BACKEND", "x11", 1);
    setenv("NO_AT_BRIDGE", "1", 0);
    if (!gtk_init_check(&argc, &argv)) return 1;
    Gtk::Main kit(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
