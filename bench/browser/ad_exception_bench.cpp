// The per-site ad exception of a browser window: the time from "Allow Ads on This Website" (and
// switching it off again) until the window's page carries the changed rules, as a ratio to a
// reload of the same page without rule changes, measured first in the same process. The window
// blocks a script of ads.localhost on a page of 127.0.0.1 with the built-in list.
//
// Run under a display: xvfb-run -a ./build/bench/browser_bench --benchmark_filter=Exception

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include <gtkmm/main.h>
#include <gtkmm/window.h>
#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/preferences_store.hpp"
#include "support/browser_services.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

double reloadSeconds = 0;  // the baseline of the ratios

struct Window {
    Window() {
        g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
        g_setenv("NO_AT_BRIDGE", "1", FALSE);
        g_setenv("GDK_BACKEND", "x11", TRUE);
        static Gtk::Main kit;
        environment = std::make_unique<test::TemporaryEnvironment>();
        adHost = std::make_unique<test::TestHttpServer>();
        adHost->route("/ad.js", [](const test::TestRequest&) {
            return test::TestResponse{200, "application/javascript", "0;", {{"Cache-Control", "no-store"}}};
        });
        site = std::make_unique<test::TestHttpServer>();
        site->page("/page", "<title>Page</title><script src=\"" + adHost->url("/ad.js", "ads.localhost") + "\"></script><p>text</p>");
        preferences = std::make_unique<PreferencesStore>();
        preferences->update([](AppPreferences& value) {
            value.adFilter = AdFilterSettings{true, true, {}, {"ads.localhost"}};
        });
        WebAppProfile website;
        website.name = "Page";
        website.homeURL = site->url("/page");
        website.rememberLastURL = false;
        services = std::make_unique<test::BrowserServices>();
        browser = std::make_unique<BrowserViewController>(services->context(*preferences), website, nullptr);
        window = std::make_unique<Gtk::Window>();
        window->set_default_size(480, 600);
        window->add(browser->view());
        window->show_all();
        ready = test::spinUntil([&] { return loaded(1) && rulesCarry(false); }, std::chrono::seconds(120));
    }
    BrowserTab& tab() { return *browser->tabs().active(); }
    bool loaded(int requests) { return site->requestCount("/page") >= requests && !tab().isLoading(); }
    // Whether the page's rules are those of the settings with or without the exception.
    bool rulesCarry(bool allowed) {
        auto state =
            services->blocking->entryState(webkit_web_view_get_user_content_manager(tab().webView()));
        return state && state->installedSettings && state->installedSettings->allowedSites.empty() != allowed &&
               state->installedSettings == state->desired;
    }

    std::unique_ptr<test::TemporaryEnvironment> environment;
    std::unique_ptr<test::TestHttpServer> adHost;
    std::unique_ptr<test::TestHttpServer> site;
    std::unique_ptr<PreferencesStore> preferences;
    std::unique_ptr<test::BrowserServices> services;
    std::unique_ptr<BrowserViewController> browser;
    std::unique_ptr<Gtk::Window> window;
    bool ready = false;
};

Window& shared() {
    static Window window;
    return window;
}

void BM_ReloadWithoutRuleChanges(benchmark::State& state) {
    Window& w = shared();
    if (!w.ready) return state.SkipWithError("the page or its rules did not come");
    double total = 0;
    for (auto _ : state) {
        const int next = w.site->requestCount("/page") + 1;
        auto start = Clock::now();
        w.browser->page().reloadActiveTab();
        if (!test::spinUntil([&] { return w.loaded(next); }, std::chrono::seconds(30)))
            return state.SkipWithError("reload did not finish");
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    reloadSeconds = total / static_cast<double>(state.iterations());
    state.counters["seconds"] = reloadSeconds;
}
BENCHMARK(BM_ReloadWithoutRuleChanges)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

// Switches the exception on and off; `fresh` first adds a blocked domain of its own (not timed),
// so every switch needs a list never compiled before, as the first use of an exception does.
void toggleExceptions(benchmark::State& state, bool fresh) {
    Window& w = shared();
    if (!w.ready) return state.SkipWithError("the page or its rules did not come");
    const std::string host = "127.0.0.1";
    double total = 0;
    int round = 0;
    // Both lists compiled once before the cached switches are timed.
    for (bool allowed : {true, false})
        if (!fresh) {
            w.browser->moreMenu().toggleAdsAllowed(host, !allowed);
            test::spinUntil([&] { return w.rulesCarry(allowed); }, std::chrono::seconds(60));
        }
    for (auto _ : state) {
        const bool allowed = !w.rulesCarry(true);
        if (fresh) {
            state.PauseTiming();
            w.preferences->update([&](AppPreferences& value) {
                value.adFilter->blockedDomains.push_back("fresh" + std::to_string(++round) + ".example");
            });
            test::spinUntil([&] { return w.rulesCarry(!allowed); }, std::chrono::seconds(60));
            state.ResumeTiming();
        }
        auto start = Clock::now();
        w.browser->moreMenu().toggleAdsAllowed(host, !allowed);
        if (!test::spinUntil([&] { return w.rulesCarry(allowed); }, std::chrono::seconds(60)))
            return state.SkipWithError("the rules did not reach the page");
        double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        state.SetIterationTime(seconds);
        total += seconds;
    }
    double mean = total / static_cast<double>(state.iterations());
    state.counters["seconds"] = mean;
    if (reloadSeconds > 0) state.counters["ratio_to_reload"] = mean / reloadSeconds;
}

void BM_ToggleExceptionWithCachedRules(benchmark::State& state) { toggleExceptions(state, false); }
BENCHMARK(BM_ToggleExceptionWithCachedRules)->Iterations(20)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_ToggleExceptionWithNewRules(benchmark::State& state) { toggleExceptions(state, true); }
BENCHMARK(BM_ToggleExceptionWithNewRules)->Iterations(4)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quenlith
