// The start of the application against its keyring: the time from setting up the data stores of
// three websites with authenticated proxies (which starts reading their passwords) to the moment a
// website without a proxy has its first page requested from the local server. The baseline runs
// without any Secret Service (reads fail at once); the measured run with a Secret Service that owns
// its name and never answers (tests/programs/silent_secret_service). `x_baseline` is the ratio of
// the two; keyring reads that blocked the start made it several seconds.
// Run under a display and a private D-Bus session (scripts/bench.sh does both).

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

#include <gtk/gtk.h>
#include <unistd.h>

#include "browser/engine/proxy_passwords.hpp"
#include "browser/engine/web_view_factory.hpp"
#include "browser/engine/website_sessions.hpp"
#include "model/web_app_profile.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

// Built beside this benchmark in the same build folder.
std::string silentServicePath() {
    char exe[4096] = {};
    ssize_t length = readlink("/proc/self/exe", exe, sizeof exe - 1);
    std::string folder = std::string(exe, length > 0 ? static_cast<size_t>(length) : 0);
    folder = folder.substr(0, folder.rfind('/'));
    return folder + "/../tests/programs/silent_secret_service/silent_secret_service";
}

struct StartFixture {
    StartFixture() {
        g_setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", FALSE);
        g_setenv("NO_AT_BRIDGE", "1", FALSE);
        gtk_init(nullptr, nullptr);
        environment = std::make_unique<test::TemporaryEnvironment>();
        server = std::make_unique<test::TestHttpServer>();
        server->page("/", "<html><body>first page</body></html>");
    }
    std::unique_ptr<test::TemporaryEnvironment> environment;
    std::unique_ptr<test::TestHttpServer> server;
};

StartFixture& startFixture() {
    static StartFixture shared;
    return shared;
}

// Seconds from the first store to the first request of the page; negative when it never came.
double startToFirstRequest() {
    auto& fixture = startFixture();
    ProxyRuntime global(nullptr);
    WebsiteSessions sessions(global, readProxyPassword);
    int before = fixture.server->requestCount("/");
    auto started = Clock::now();
    for (int i = 0; i < 3; ++i) {
        WebAppProfile website;
        BrowserProxySettings proxy;
        proxy.kind = BrowserProxyKind::socks5;
        proxy.port = 1080;
        proxy.username = "user";
        proxy.credentialID = Uuid::random().string();
        proxy.usesAuthentication = true;
        website.siteProxy = proxy;
        website.normalize();
        sessions.dataStore(website);
    }
    auto view = WebViewFactory::makeWebView(sessions.dataStore(WebAppProfile()), std::nullopt, std::nullopt, &sessions);
    webkit_web_view_load_uri(view.get(), fixture.server->url("/").c_str());
    if (!test::spinUntil([&] { return fixture.server->requestCount("/") > before; }, std::chrono::seconds(30)))
        return -1;
    double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    // Lets the page finish before the view goes, so that the next run starts from rest.
    test::spinFor(std::chrono::milliseconds(100));
    return seconds;
}

double baselineSeconds = 0;

void BM_StartToFirstRequest_NoKeyring(benchmark::State& state) {
    startFixture();
    startToFirstRequest();  // warms the network process of the shared store
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        double seconds = startToFirstRequest();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    baselineSeconds = total / runs;
}
BENCHMARK(BM_StartToFirstRequest_NoKeyring)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

void BM_StartToFirstRequest_SilentKeyring(benchmark::State& state) {
    startFixture();
    test::TemporaryFolder folder("quenlith-bench-secrets");
    test::BackgroundProcess service({silentServicePath()}, folder.file("output.txt"));
    if (!test::spinUntil([&] { return service.output().find("ready") != std::string::npos; })) {
        state.SkipWithError(("the silent Secret Service did not start: " + service.output()).c_str());
        return;
    }
    double total = 0;
    int runs = 0;
    for (auto _ : state) {
        double seconds = startToFirstRequest();
        state.SetIterationTime(seconds);
        total += seconds;
        ++runs;
    }
    if (baselineSeconds > 0) state.counters["x_baseline"] = (total / runs) / baselineSeconds;
}
BENCHMARK(BM_StartToFirstRequest_SilentKeyring)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace quenlith
