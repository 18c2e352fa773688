#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include <glibmm/main.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/web_test_support.hpp"
#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

ContentRuleListPtr listFor(const std::string& identifier) { return std::make_shared<ContentRuleList>(identifier, nullptr); }

// Compilations wait for the test; the stored lists are a set of identifiers.
struct FakeStore {
    std::map<std::string, ContentRuleCompiler::ListHandler> compiles;
    std::set<std::string> stored;
    int compileCount = 0, loadCount = 0;
};

// Every operation but a compilation finishes on the next main-loop turn.
class FakeCompiler : public ContentRuleCompiler {
public:
    explicit FakeCompiler(std::shared_ptr<FakeStore> store) : s_(std::move(store)) {}
    void compile(const std::string& id, std::string, ListHandler done) override {
        ++s_->compileCount;
        s_->compiles[id] = std::move(done);
    }
    void load(const std::string& id, ListHandler done) override {
        ++s_->loadCount;
        Glib::signal_idle().connect_once([s = s_, id, done] { s->stored.count(id) ? done(listFor(id)) : done(Error{"notFound", ""}); });
    }
    void remove(const std::string& id, StatusHandler done) override {
        Glib::signal_idle().connect_once([s = s_, id, done] { done((s->stored.erase(id), success())); });
    }
    void fetchIdentifiers(IdentifiersHandler done) override {
        Glib::signal_idle().connect_once([s = s_, done] { done({s->stored.begin(), s->stored.end()}); });
    }

private:
    std::shared_ptr<FakeStore> s_;
};

// Every completion of one apply call: "ok" or the error's code.
using Calls = std::shared_ptr<std::vector<std::string>>;
using Codes = std::vector<std::string>;
using ManagerPtr = GObjectPtr<WebKitUserContentManager>;

AdFilterSettings on(std::vector<std::string> allowed = {}) {
    return {.enabled = true, .allowedSites = std::move(allowed), .blockedDomains = {}};
}
ManagerPtr newManager() { return ManagerPtr::adopt(webkit_user_content_manager_new()); }

Calls applyTo(AdBlocking& blocker, const AdFilterSettings& settings, WebKitUserContentManager* manager) {
    auto calls = std::make_shared<Codes>();
    blocker.apply(settings, manager, [calls](Status s) { calls->push_back(s.ok() ? "ok" : s.error().code); });
    return calls;
}

enum class Outcome { list, error, nothing };

class AdBlockingFakeTest : public ::testing::Test {
protected:
    std::vector<std::string> domains{"ads.example", "tracker.example"};
    std::shared_ptr<FakeStore> store;
    std::unique_ptr<AdBlocking> blocker;
    ManagerPtr manager = newManager();
    AdFilterSettings a = on({"a.example"}), b = on({"b.example"});

    void SetUp() override { restart(); }
    void restart() {
        store = std::make_shared<FakeStore>();
        blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store), domains);
    }
    std::string id(const AdFilterSettings& settings) {
        return AdBlocking::identifierFor(*settings.normalized().contentRuleListJSON(domains));
    }
    // Applies `settings` and waits until their compilation is asked for.
    Calls compiling(const AdFilterSettings& settings, WebKitUserContentManager* to = nullptr) {
        auto calls = applyTo(*blocker, settings, to ? to : manager.get());
        EXPECT_TRUE(spinUntil([&] { return store->compiles.count(id(settings)) == 1; }));
        return calls;
    }
    // Ends the compilation of `settings` with a list, an error or neither.
    void finish(const AdFilterSettings& settings, Outcome outcome = Outcome::list) {
        auto done = std::move(store->compiles.at(id(settings)));
        store->compiles.erase(id(settings));
        if (outcome == Outcome::list) store->stored.insert(id(settings));
        if (outcome == Outcome::error) return done(Error{"compileFailed", "bad rules"});
        done(outcome == Outcome::list ? listFor(id(settings)) : ContentRuleListPtr());
    }
    std::string installed(WebKitUserContentManager* to = nullptr) {
        auto state = blocker->entryState(to ? to : manager.get());
        return state && state->installed ? state->installed->identifier() : "";
    }
    bool storeHolds(std::set<std::string> ids) { return spinUntil([&] { return store->stored == ids; }); }
};

TEST_F(AdBlockingFakeTest, TurningOffCompletesAtOnceInstallsNothingAndClearsTheError) {
    compiling(on());
    finish(on(), Outcome::error);
    ASSERT_TRUE(blocker->errorMessage());
    auto retry = compiling(on());
    AdFilterSettings off{.allowedSites = {"B.example", "a.example"}, .blockedDomains = {}};
    EXPECT_EQ(*applyTo(*blocker, off, manager.get()), Codes{"ok"});
    EXPECT_FALSE(blocker->errorMessage());
    finish(on());
    EXPECT_EQ(*retry, Codes{"ok"});
    EXPECT_EQ(installed(), "");
    EXPECT_EQ(blocker->entryState(manager.get())->installedSettings, off.normalized());
    EXPECT_TRUE(blocker->isCached(on()));  // kept for later
    EXPECT_EQ(store->compileCount, 2);
}

TEST_F(AdBlockingFakeTest, EqualSettingsShareOneCompilationAndOneList) {
    auto other = newManager();
    // Unnormalised but equal settings are one value.
    auto first = compiling(on({"Site.example"}));
    auto second = applyTo(*blocker, on({"site.example", "site.example"}), other.get());
    test::spinFor(std::chrono::milliseconds(50));
    EXPECT_EQ(store->compiles.size(), 1u);
    finish(on({"site.example"}));
    EXPECT_EQ(*first, Codes{"ok"});
    EXPECT_EQ(*second, Codes{"ok"});
    EXPECT_EQ(installed(), id(on({"site.example"})));
    EXPECT_EQ(blocker->entryState(manager.get())->installed, blocker->entryState(other.get())->installed);
    // The same settings again complete at once, from memory.
    EXPECT_EQ(*applyTo(*blocker, on({"site.example"}), manager.get()), Codes{"ok"});
    EXPECT_EQ(std::make_pair(store->compileCount, store->loadCount), std::make_pair(1, 1));
}

TEST_F(AdBlockingFakeTest, SwitchingFromAToBWhileACompilesEndsWithB) {
    for (auto [bFirst, outcomeOfA] : {std::pair{false, Outcome::list}, {true, Outcome::list}, {false, Outcome::error}}) {
        SCOPED_TRACE(std::to_string(bFirst) + " " + std::to_string(static_cast<int>(outcomeOfA)));
        restart();
        auto callA = compiling(a);
        auto callB = compiling(b);
        bFirst ? finish(b) : finish(a, outcomeOfA);
        // A's list (or failure) never reaches the manager: B is wanted now.
        EXPECT_EQ(installed(), bFirst ? id(b) : "");
        EXPECT_TRUE(callA->empty());
        EXPECT_TRUE(blocker->preparing() && !blocker->errorMessage());
        bFirst ? finish(a) : finish(b);
        EXPECT_EQ(installed(), id(b));
        EXPECT_EQ(blocker->entryState(manager.get())->installedSettings, b);
        EXPECT_EQ(*callA, Codes{"ok"});
        EXPECT_EQ(*callB, Codes{"ok"});
        EXPECT_FALSE(blocker->preparing());
    }
}

// A page held for the filter goes on once, with the settings in force by then installed, whether
// they changed while it waited, could not be compiled or the blocker went.
TEST_F(AdBlockingFakeTest, ApplyingTheCurrentSettingsFollowsThemUntilInstalledAndGoesOnOnce) {
    struct Row {
        const char* name;
        bool changeMeanwhile;
        Outcome outcome;
        bool blockerGoes;
        const AdFilterSettings* installs;
    };
    for (const Row& row : std::vector<Row>{{"unchanged", false, Outcome::list, false, &a},
                                           {"changed while compiling", true, Outcome::list, false, &b},
                                           {"failed", false, Outcome::error, false, nullptr},
                                           {"blocker gone", true, Outcome::list, true, nullptr}}) {
        SCOPED_TRACE(row.name);
        restart();
        AdFilterSettings wanted = a;
        int asked = 0, wentOn = 0;
        blocker->applyCurrent(
            [&] {
                ++asked;
                return wanted;
            },
            manager.get(), [&] { ++wentOn; });
        ASSERT_TRUE(spinUntil([&] { return store->compiles.count(id(a)) == 1; }));
        if (row.changeMeanwhile) wanted = b;
        if (row.blockerGoes) {
            const int before = asked;
            blocker.reset();
            EXPECT_EQ(wentOn, 1);
            EXPECT_EQ(asked, before) << "the settings are not asked for once the blocker is gone";
            continue;
        }
        finish(a, row.outcome);
        if (row.changeMeanwhile) {
            EXPECT_EQ(wentOn, 0) << "the page waits for the settings wanted now";
            ASSERT_TRUE(spinUntil([&] { return store->compiles.count(id(b)) == 1; }));
            finish(b);
        }
        EXPECT_EQ(wentOn, 1);
        EXPECT_EQ(installed(), row.installs ? id(*row.installs) : "");
    }
}

TEST_F(AdBlockingFakeTest, CacheKeepsAtMostFourListsDroppingTheOldest) {
    auto site = [&](int i) { return on({"site" + std::to_string(i) + ".example"}); };
    for (int i = 0; i < 6; ++i) {
        compiling(site(i));
        finish(site(i));
        EXPECT_EQ(blocker->cachedCount(), std::min(i + 1, 4)) << i;
    }
    for (int i = 0; i < 6; ++i) EXPECT_EQ(blocker->isCached(site(i)), i >= 2) << i;
}

TEST_F(AdBlockingFakeTest, FailuresReportTheMessageAndTheNextCallCompilesAgain) {
    for (auto outcome : {Outcome::error, Outcome::nothing}) {
        restart();
        int changes = 0;
        blocker->signal_changed().connect([&] { ++changes; });
        auto calls = compiling(on());
        finish(on(), outcome);
        EXPECT_EQ(*calls, Codes{outcome == Outcome::error ? "compileFailed" : "invalidValue"});
        EXPECT_EQ(blocker->errorMessage(), localizedString("Ad filtering is unavailable. Retry or turn it off."));
        EXPECT_FALSE(blocker->preparing());
        EXPECT_EQ(changes, 3);  // preparing on, preparing off, error set
        EXPECT_FALSE(blocker->entryState(manager.get())->installedSettings || blocker->entryState(manager.get())->installed);

        auto retry = compiling(on());
        EXPECT_EQ(store->compileCount, 2);
        finish(on());
        EXPECT_EQ(*retry, Codes{"ok"});
        EXPECT_FALSE(blocker->errorMessage());
        EXPECT_EQ(installed(), id(on()));
    }
    // Rule text that cannot be made fails at once, without a compilation.
    blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store), std::vector<std::string>{"bad\xff.example"});
    EXPECT_EQ(applyTo(*blocker, on(), manager.get())->size(), 1u);
    EXPECT_TRUE(blocker->errorMessage() && !blocker->preparing());
    EXPECT_EQ(store->compileCount + store->loadCount, 4);  // unchanged since the retry
}

TEST_F(AdBlockingFakeTest, TheFirstApplyOfALaunchLoadsTheKeptListAndRemovesTheOthers) {
    for (bool enabled : {true, false}) {
        restart();
        store->stored = {id(a), "Quenlith.Ads.v1.0000"};
        int changes = 0;
        blocker->signal_changed().connect([&] { ++changes; });
        auto calls = applyTo(*blocker, enabled ? a : AdFilterSettings{}, manager.get());
        ASSERT_TRUE(spinUntil([&] { return *calls == Codes{"ok"}; }));
        EXPECT_EQ(store->compileCount + changes, 0);  // loading is not shown as preparing
        EXPECT_EQ(installed(), enabled ? id(a) : "");
        EXPECT_TRUE(storeHolds(enabled ? std::set{id(a)} : std::set<std::string>{}));
    }
    EXPECT_EQ(id(a).rfind("Quenlith.Ads.v1.", 0), 0u);
    EXPECT_EQ(AdBlocking::identifierFor("abc").substr(16, 12), "ba7816bf8f01");  // SHA-256 in lower-case hex
}

TEST_F(AdBlockingFakeTest, OnlyTheNewestCompiledListStaysInTheStore) {
    for (bool together : {false, true}) {
        SCOPED_TRACE(together ? "both finish before a clean-up runs" : "one after the other");
        restart();
        store->stored = {"Quenlith.Ads.v1.old"};
        compiling(a);
        if (!together) {
            finish(a);
            EXPECT_TRUE(storeHolds({id(a)}));
        }
        compiling(b);
        if (together) finish(a);
        finish(b);
        ASSERT_EQ(installed(), id(b));
        EXPECT_TRUE(storeHolds({id(b)}));
        test::spinFor(std::chrono::milliseconds(20));
        EXPECT_EQ(store->stored, std::set{id(b)});
        // A is still in memory and installs without a compilation.
        applyTo(*blocker, a, manager.get());
        EXPECT_EQ(installed(), id(a));
        EXPECT_EQ(store->compileCount, 2);
    }
}

using AdBlockingLifetimeTest = AdBlockingFakeTest;
TEST_F(AdBlockingLifetimeTest, EntriesGoWithTheirManagersAndWaitingCallsCompleteOnceWhenTheBlockerGoes) {
    applyTo(*blocker, AdFilterSettings{}, manager.get());
    EXPECT_EQ(blocker->entryCount(), 1u);
    manager.reset();
    EXPECT_EQ(blocker->entryCount(), 0u);
    // A pending call keeps its manager until it completes.
    auto kept = newManager();
    bool finalized = false;
    g_object_weak_ref(G_OBJECT(kept.get()), [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &finalized);
    compiling(on(), kept.get());
    kept.reset();
    EXPECT_FALSE(finalized);
    finish(on());
    EXPECT_TRUE(finalized);
    EXPECT_EQ(blocker->entryCount(), 0u);

    auto other = newManager();
    auto calls = compiling(a, other.get());
    blocker.reset();
    EXPECT_EQ(*calls, Codes{"cancelled"});
    finish(a);  // the engine's late completion finds nobody
    EXPECT_EQ(calls->size(), 1u);
}

std::vector<std::string> storedIdentifiers(WebKitContentRuleCompiler& compiler) {
    std::optional<std::vector<std::string>> identifiers;
    compiler.fetchIdentifiers([&](std::vector<std::string> list) { identifiers = std::move(list); });
    return spinUntil([&] { return identifiers.has_value(); }) ? *identifiers : std::vector<std::string>{"(no answer)"};
}

TEST(AdBlockingRealStore, CompilesInstallsKeepsOnlyTheListInUseLoadsItNextLaunchAndFailsClearly) {
    test::TemporaryEnvironment environment;
    EXPECT_EQ(AdBlocking::storeDirectory(), applicationCacheDirectory() + "/ContentFilters");
    const std::vector<std::string> domains{"ads.example"};
    const AdFilterSettings a = on({"a.example"}), b = on({"b.example"});
    for (const auto& launch : {std::vector<AdFilterSettings>{a, b}, std::vector<AdFilterSettings>{b}}) {
        auto compiler = std::make_unique<WebKitContentRuleCompiler>(AdBlocking::storeDirectory());
        auto& store = *compiler;
        AdBlocking blocker(std::move(compiler), domains);
        int compilations = 0;  // a list loaded from the store is not shown as preparing
        blocker.signal_changed().connect([&] { compilations += blocker.preparing(); });
        auto manager = newManager();
        for (const auto& settings : launch) {
            auto calls = applyTo(blocker, settings, manager.get());
            ASSERT_TRUE(spinUntil([&] { return !calls->empty(); }, std::chrono::seconds(30)));
            ASSERT_EQ(*calls, Codes{"ok"});
            auto state = blocker.entryState(manager.get());
            ASSERT_TRUE(state && state->installed && state->installed->filter());
            EXPECT_STREQ(webkit_user_content_filter_get_identifier(state->installed->filter()),
                         AdBlocking::identifierFor(*settings.contentRuleListJSON(domains)).c_str());
        }
        // The second launch loads B from the store without compiling it.
        EXPECT_EQ(compilations, launch.size() == 2 ? 2 : 0);
        const std::vector<std::string> onlyB{AdBlocking::identifierFor(*b.contentRuleListJSON(domains))};
        EXPECT_TRUE(spinUntil([&] { return storedIdentifiers(store) == onlyB; }));
    }

    // Invalid rules, and an unusable folder, fail with a clear error.
    test::writeFile(environment.root() + "/file", "not a folder");
    const std::string unusable = environment.root() + "/file/ContentFilters";
    for (const std::string& directory : {AdBlocking::storeDirectory(), unusable}) {
        WebKitContentRuleCompiler compiler(directory);
        std::optional<Result<ContentRuleListPtr>> outcome;
        // The engine refuses "|" in an address pattern.
        compiler.compile("Quenlith.Ads.v1.x", R"([{"trigger":{"url-filter":"a|b"},"action":{"type":"block"}}])",
                         [&](Result<ContentRuleListPtr> result) { outcome = std::move(result); });
        ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); })) << directory;
        ASSERT_FALSE(outcome->ok());
        const std::string& message = outcome->error().message;
        EXPECT_TRUE(directory == unusable ? message.find(unusable) != std::string::npos : !message.empty()) << message;
    }
}

// That the engine compiles it, the browser view's ad filter test shows.
TEST(AdBlockingBuiltInList, IsSortedUniqueLowerCaseHosts) {
    test::TemporaryEnvironment environment;
    const std::string text = test::readFile(resourcePath("blocklist/ad-hosts.txt"));
    const auto& domains = AdBlocking::defaultDomains();
    ASSERT_TRUE(domains.size() >= 5000 && domains.size() <= 8000) << domains.size();
    std::string joined;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        const std::string& host = domains[i];
        joined += (i > 0 ? "\n" : "") + host;
        ASSERT_TRUE(!host.empty() && host.size() <= 75 && (i == 0 || domains[i - 1] < host)) << host;
        ASSERT_EQ(host.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789.-"), std::string::npos) << host;
    }
    EXPECT_EQ(joined, text);  // no blank lines, no carriage returns, no final newline
    for (const char* known : {"adnxs.com", "scorecardresearch.com", "criteo.com"})
        EXPECT_TRUE(std::binary_search(domains.begin(), domains.end(), std::string(known))) << known;
}

// Content blocking in a real web view: pages on 127.0.0.1 load resources from a listed host,
// "ads.localhost". A page's script tells whether it loaded; its placeholders tell their display.
std::string pageLoading(const std::string& script) {
    return "<html><head><script src=\"" + script + "\" onload=\"result = 'loaded'\" "
           "onerror=\"result = 'blocked'\"></script></head><body>text</body></html>";
}

class AdBlockingWebTest : public ::testing::Test {
protected:
    test::TemporaryEnvironment environment;
    test::TestHttpServer site;
    test::TestHttpServer adHost;
    AdBlocking blocker{std::make_unique<WebKitContentRuleCompiler>(AdBlocking::storeDirectory()), {"ads.localhost"}};
    ManagerPtr manager = newManager();
    GtkWidget* window = gtk_offscreen_window_new();
    WebKitWebView* view = nullptr;

    void SetUp() override {
        for (const char* path : {"/ad.js", "/own.js"})
            adHost.route(path, [](const test::TestRequest&) {
                return test::TestResponse{200, "application/javascript", "0;", {{"Cache-Control", "no-store"}}};
            });
        site.page("/page.html", pageLoading(adHost.url("/ad.js", "ads.localhost")));
        adHost.page("/own.html", pageLoading("/own.js"));
        site.page("/placeholders.html", R"(<html><body><div id="banner" class="ad-banner">ad</div>
            <ins id="google" class="adsbygoogle" style="display:block">ad</ins>
            <div id="article" class="story">text</div></body></html>
            <script>result = ['banner', 'google', 'article'].map(
                id => getComputedStyle(document.getElementById(id)).display).join()</script>)");
        static WebKitWebContext* context = webkit_web_context_new_ephemeral();
        view = WEBKIT_WEB_VIEW(g_object_new(WEBKIT_TYPE_WEB_VIEW, "web-context", context, "user-content-manager",
                                            manager.get(), nullptr));
        gtk_window_set_default_size(GTK_WINDOW(window), 400, 300);
        gtk_container_add(GTK_CONTAINER(window), GTK_WIDGET(view));
        gtk_widget_show_all(window);
    }
    void TearDown() override { gtk_widget_destroy(window); }

    void applySettings(const AdFilterSettings& settings) {
        std::optional<Status> outcome;
        blocker.apply(settings, manager.get(), [&](Status status) { outcome = status; });
        ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }, std::chrono::seconds(30)));
        ASSERT_TRUE(outcome->ok()) << outcome->error().message;
    }
    // Loads `url` and returns what its page found (a string, without its quotes), once it has.
    std::string load(const std::string& url) {
        auto loaded = test::loadAndWait(view, url);
        if (!loaded.finished || loaded.failed) return "(not loaded) " + loaded.error;
        std::string result;
        spinUntil([&] {
            result = test::evaluate(view, "window.result").value_or("");
            return result.starts_with('"');
        });
        return result.size() > 2 ? result.substr(1, result.size() - 2) : "(no result) " + result;
    }
};

TEST_F(AdBlockingWebTest, BlocksListedHostsAndHidesPlaceholdersAsTheSettingsSay) {
    const AdFilterSettings enabled = on(), off{}, allowed = on({"127.0.0.1"});
    AdFilterSettings shown = on();
    shown.hidePlaceholders = false;
    struct Step {
        const AdFilterSettings& settings;
        std::string page;
        const char* report;
    };
    for (const Step& step : std::vector<Step>{{enabled, site.url("/page.html"), "blocked"},
                                              // A listed host still serves its own pages.
                                              {enabled, adHost.url("/own.html", "ads.localhost"), "loaded"},
                                              {enabled, site.url("/placeholders.html"), "none,none,block"},
                                              {shown, site.url("/placeholders.html"), "block,block,block"},
                                              {allowed, site.url("/page.html"), "loaded"},
                                              {allowed, site.url("/placeholders.html"), "block,block,block"},
                                              {enabled, site.url("/page.html"), "blocked"},
                                              {off, site.url("/page.html"), "loaded"}}) {
        applySettings(step.settings);
        EXPECT_EQ(load(step.page), step.report) << step.page << " enabled " << step.settings.enabled;
    }
    // Blocked requests never reach the listed host.
    EXPECT_EQ(adHost.requestCount("/ad.js"), 2);
    EXPECT_EQ(adHost.requestCount("/own.js"), 1);
}

}  // namespace
}  // namespace quenlith
