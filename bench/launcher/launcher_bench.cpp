// The costs a person feels with 1,000 saved websites: opening the launcher from the tray (until laid
// out and until painted), one keystroke in its search field, and Quick Open's first keystroke with
// a large library, each against the same with one website in the same run; and filtering 1,000
// websites against a bare case-folded substring scan of the same texts. Needs a display (run under
// xvfb-run).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include <gtk/gtk.h>
#include <gtkmm/main.h>
#include <gtkmm/window.h>
#include <unicode/unistr.h>

#include "../model/baseline.hpp"
#include "../model/large_library.hpp"
#include "app/app_environment.hpp"
#include "app/auxiliary_windows.hpp"
#include "app/status_bar_controller.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "launcher/quick_open_window.hpp"
#include "launcher/start_page_search.hpp"
#include "launcher/website_start_page.hpp"
#include "model/app_paths.hpp"
#include "model/profile_persistence.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {
namespace {

// Websites on hosts under `origin` ("http://localhost:PORT/"), each on a host of its own.
std::vector<WebAppProfile> websites(int count, const std::string& origin = "http://localhost:9/") {
    const std::string scheme = "http://", rest = origin.substr(scheme.size());
    std::vector<WebAppProfile> profiles;
    for (int i = 0; i < count; ++i) {
        WebAppProfile profile;
        profile.id = Uuid::random();
        profile.name = "Website Number " + std::to_string(i) + (i % 7 == 0 ? " Straße" : " Example");
        profile.homeURL = scheme + "site" + std::to_string(i) + "." + rest + "start";
        profile.sortOrder = i;
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

// The launcher and Quick Open of one running application, first with one saved website and no
// saved pages (the floor), then with 1,000 websites and a library of about 18 MB. The websites live
// under "localhost" on a local server, so their icons are asked for there (and not found).
class Probe {
public:
    Probe() {
        ProfilePersistence(defaultProfilesFilePath()).save(websites(1));
        environment_ = std::make_unique<AppEnvironment>();
        controller_ = std::make_unique<StatusBarController>(*environment_, nullptr);
        LauncherWindow& launcher = controller_->launcher();
        launcher.signal_draw().connect(
            [this](const Cairo::RefPtr<Cairo::Context>&) {
                drawStarted_ = true;
                return false;
            },
            false);
        launcher.signal_draw().connect(
            [this, &launcher](const Cairo::RefPtr<Cairo::Context>&) {
                ++paints_;
                if (WebsiteStartPage* page = launcher.view().startPage())
                    paintedTiles_ = page->savedTiles().size();
                return false;
            },
            true);
    }
    ~Probe() {
        controller_->teardown();
        environment_->windows().shutdown();
    }

    AppEnvironment& environment() { return *environment_; }

    // Replaces the websites (the first named `firstName` where one is given) and shows the launcher
    // until it has drawn them all, as after a change of the websites and a first look at them.
    void setWebsites(int count, const std::string& firstName = {}) {
        auto profiles = websites(count, server_.url("/", "localhost"));
        if (!firstName.empty()) profiles.front().name = firstName;
        environment_->store().replaceProfiles(profiles);
        const bool shown = controller_->launcher().get_mapped();
        showLauncher(true);
        test::spinUntil([&] {
            return controller_->launcher().view().startPage()->savedTiles().size() ==
                       static_cast<std::size_t>(count) &&
                   !g_main_context_pending(nullptr);
        });
        showLauncher(shown);
    }
    void setLibrary(const LibraryDocument& document) {
        environment_->library().replaceContents(document);
        test::spinUntil([&] { return !environment_->library().hasPendingSave(); }, std::chrono::seconds(60));
    }

    // Opens the launcher at the tray and closes it again; answers the seconds until its first
    // drawing started (laid out) and until that drawing was done (painted). Before, while it is
    // hidden, a website's window is shown or hidden, as happens between two openings.
    std::pair<double, double> openAndClose() {
        LauncherWindow& launcher = controller_->launcher();
        const WebAppProfile& first = environment_->store().profiles().front();
        environment_->store().setWasVisible(!first.wasVisible, first.id);
        test::spinUntil([&] { return !g_main_context_pending(nullptr); });
        drawStarted_ = false;
        const int paints = paints_;
        const auto start = Clock::now();
        controller_->toggle(640, 0);
        test::spinUntil([&] { return drawStarted_; });
        const auto laidOut = Clock::now();
        test::spinUntil([&] { return paints_ > paints; });
        const auto painted = Clock::now();
        controller_->toggle(640, 0);
        test::spinUntil([&] { return !launcher.get_mapped(); });
        return {seconds(laidOut - start), seconds(painted - start)};
    }

    // With the launcher open: types `text` into its search field (one keystroke from the text
    // before), until the filtered grid is painted.
    double type(const std::string& text) {
        WebsiteStartPage& page = *controller_->launcher().view().startPage();
        const std::size_t expected = filteredSaved(environment_->store().profiles(), text).size();
        const int paints = paints_;
        const auto start = Clock::now();
        page.searchField().set_text(text);
        test::spinUntil([&] { return paints_ > paints && paintedTiles_ == expected; });
        return seconds(Clock::now() - start);
    }
    void showLauncher(bool shown) {
        if (controller_->launcher().get_mapped() != shown) controller_->toggle(640, 0);
        test::spinUntil([&] { return controller_->launcher().get_mapped() == shown && paints_ > 0; });
    }

    // Opens Quick Open, types one letter and closes it; answers the seconds from the letter until
    // its results are drawn.
    double quickOpenFirstKeystroke(const std::string& letter) {
        using Kind = AuxiliaryWindows::Kind;
        AuxiliaryWindows& windows = environment_->auxiliaryWindows();
        windows.showQuickOpen();
        QuickOpenWindow* palette = nullptr;
        test::spinUntil([&] {
            palette = dynamic_cast<QuickOpenWindow*>(windows.window(Kind::quickOpen));
            return palette && palette->get_mapped() && !g_main_context_pending(nullptr);
        });
        bool drawn = false;
        auto watch = palette->signal_draw().connect(
            [&](const Cairo::RefPtr<Cairo::Context>&) {
                drawn = true;
                return false;
            },
            true);
        const auto start = Clock::now();
        palette->searchField().set_text(letter);
        test::spinUntil([&] { return drawn && palette->palette().query() == letter; });
        const double taken = seconds(Clock::now() - start);
        watch.disconnect();
        windows.closeQuickOpen();
        test::spinUntil([&] { return !g_main_context_pending(nullptr); });
        return taken;
    }

private:
    using Clock = std::chrono::steady_clock;
    static double seconds(Clock::duration duration) {
        return std::chrono::duration<double>(duration).count();
    }

    test::TemporaryEnvironment temporary_;
    test::TestHttpServer server_;
    std::unique_ptr<AppEnvironment> environment_;
    std::unique_ptr<StatusBarController> controller_;
    bool drawStarted_ = false;
    int paints_ = 0;
    std::size_t paintedTiles_ = 0;
};

Probe& probe() {
    static Probe made;
    return made;
}

double median(std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
}

// Reports the medians of `measure` after `load` (per iteration) against its median with one website.
template <typename Measure, typename Load>
void againstOneWebsite(benchmark::State& state, Measure&& measure, const std::string& what, Load&& load) {
    constexpr int kFloorRuns = 9;
    probe().setWebsites(1);
    measure();  // warm-up: first tiles, first icons
    std::vector<double> floor;
    for (int i = 0; i < kFloorRuns; ++i) floor.push_back(measure());
    load();
    measure();
    std::vector<double> times;
    for (auto _ : state) times.push_back(measure());
    const double loaded = median(times), one = median(floor);
    state.counters[what + "_ms"] = loaded * 1000;
    state.counters["floor_ms"] = one * 1000;
    state.counters["max_ms"] = *std::max_element(times.begin(), times.end()) * 1000;
    state.counters["x_floor"] = loaded / one;
}

// The same with 1,000 websites.
template <typename Measure>
void againstOneWebsite(benchmark::State& state, Measure&& measure, const std::string& what) {
    againstOneWebsite(state, measure, what, [] { probe().setWebsites(1000); });
}

void BM_LauncherOpenThousandWebsites(benchmark::State& state) {
    againstOneWebsite(
        state, [] { return probe().openAndClose().first; }, "open");
}
BENCHMARK(BM_LauncherOpenThousandWebsites)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_LauncherPaintedThousandWebsites(benchmark::State& state) {
    againstOneWebsite(
        state, [] { return probe().openAndClose().second; }, "painted");
}
BENCHMARK(BM_LauncherPaintedThousandWebsites)->Unit(benchmark::kMillisecond)->Iterations(15);

// One website named by two million characters (from a damaged file or a backup) against one of a
// short name: a name is laid out only as far as it is shown, and widens no window.
void BM_LauncherPaintedTwoMillionCharacterName(benchmark::State& state) {
    againstOneWebsite(
        state, [] { return probe().openAndClose().second; }, "painted",
        [] { probe().setWebsites(1, std::string(2'000'000, 'W')); });
}
BENCHMARK(BM_LauncherPaintedTwoMillionCharacterName)->Unit(benchmark::kMillisecond)->Iterations(15);

// One keystroke that narrows the grid ("5" keeps about a quarter), and one that widens it again.
void keystroke(benchmark::State& state, const std::string& before, const std::string& after) {
    probe().showLauncher(true);
    againstOneWebsite(
        state,
        [&] {
            probe().type(before);
            return probe().type(after);
        },
        "keystroke");
    probe().type("");
    probe().showLauncher(false);
}

void BM_LauncherKeystrokeNarrowingThousandWebsites(benchmark::State& state) {
    keystroke(state, "", "5");
}
BENCHMARK(BM_LauncherKeystrokeNarrowingThousandWebsites)->Unit(benchmark::kMillisecond)->Iterations(15);

void BM_LauncherKeystrokeWideningThousandWebsites(benchmark::State& state) {
    keystroke(state, "5", "");
}
BENCHMARK(BM_LauncherKeystrokeWideningThousandWebsites)->Unit(benchmark::kMillisecond)->Iterations(15);

// Quick Open's first keystroke after it opens, with 1,000 websites and the large library, against
// one website and an empty library. "a" keeps a full page of results.
void BM_QuickOpenFirstKeystrokeLargeData(benchmark::State& state) {
    constexpr int kFloorRuns = 9;
    auto measure = [] { return probe().quickOpenFirstKeystroke("a"); };
    probe().setWebsites(1);
    probe().setLibrary(LibraryDocument{});
    measure();
    std::vector<double> floor;
    for (int i = 0; i < kFloorRuns; ++i) floor.push_back(measure());
    probe().setWebsites(1000);
    probe().setLibrary(bench::makeLargeLibrary());
    measure();
    std::vector<double> times;
    for (auto _ : state) times.push_back(measure());
    const double large = median(times), one = median(floor);
    state.counters["keystroke_ms"] = large * 1000;
    state.counters["floor_ms"] = one * 1000;
    state.counters["max_ms"] = *std::max_element(times.begin(), times.end()) * 1000;
    state.counters["x_floor"] = large / one;
}
BENCHMARK(BM_QuickOpenFirstKeystrokeLargeData)->Unit(benchmark::kMillisecond)->Iterations(15);

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
