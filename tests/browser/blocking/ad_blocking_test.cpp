#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "model/app_paths.hpp"
#include "model/localization.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

void postToMainLoop(std::function<void()> work) {
    g_idle_add(
        [](gpointer data) -> gboolean {
            std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(data));
            (*work)();
            return G_SOURCE_REMOVE;
        },
        new std::function<void()>(std::move(work)));
}

// A compiler whose compilations finish only when the test says so; the store is a set of
// identifiers; the other operations finish on the next main-loop turn.
struct FakeStore {
    struct Pending {
        std::string identifier;
        std::string json;
        ContentRuleCompiler::ListHandler done;
    };
    std::vector<Pending> compiles;
    std::set<std::string> stored;
    int compileCount = 0;
    int loadCount = 0;

    std::size_t indexOf(const std::string& identifier) const {
        for (std::size_t i = 0; i < compiles.size(); ++i)
            if (compiles[i].identifier == identifier) return i;
        return compiles.size();
    }
    // Completes the pending compilation of `identifier`: with a list, an error, or neither.
    enum class Outcome { list, error, nothing };
    void finish(const std::string& identifier, Outcome outcome = Outcome::list) {
        std::size_t index = indexOf(identifier);
        ASSERT_LT(index, compiles.size()) << "no compilation pending for " << identifier;
        Pending pending = std::move(compiles[index]);
        compiles.erase(compiles.begin() + static_cast<std::ptrdiff_t>(index));
        switch (outcome) {
        case Outcome::list:
            stored.insert(pending.identifier);
            pending.done(ContentRuleListPtr(std::make_shared<ContentRuleList>(pending.identifier, nullptr)));
            break;
        case Outcome::error:
            pending.done(Error{"compileFailed", "bad rules"});
            break;
        case Outcome::nothing:
            pending.done(ContentRuleListPtr());
            break;
        }
    }
};

class FakeCompiler : public ContentRuleCompiler {
public:
    explicit FakeCompiler(std::shared_ptr<FakeStore> store) : store_(std::move(store)) {}
    void compile(const std::string& identifier, std::string json, ListHandler done) override {
        ++store_->compileCount;
        store_->compiles.push_back({identifier, std::move(json), std::move(done)});
    }
    void load(const std::string& identifier, ListHandler done) override {
        ++store_->loadCount;
        auto store = store_;
        postToMainLoop([store, identifier, done = std::move(done)] {
            if (store->stored.count(identifier))
                done(ContentRuleListPtr(std::make_shared<ContentRuleList>(identifier, nullptr)));
            else
                done(Error{"notFound", "no such list"});
        });
    }
    void remove(const std::string& identifier, StatusHandler done) override {
        auto store = store_;
        postToMainLoop([store, identifier, done = std::move(done)] {
            store->stored.erase(identifier);
            done(success());
        });
    }
    void fetchIdentifiers(IdentifiersHandler done) override {
        auto store = store_;
        postToMainLoop([store, done = std::move(done)] { done({store->stored.begin(), store->stored.end()}); });
    }

private:
    std::shared_ptr<FakeStore> store_;
};

struct CallRecord {
    int calls = 0;
    std::optional<Error> error;
};

AdBlocking::ApplyHandler recorder(const std::shared_ptr<CallRecord>& record) {
    return [record](Status status) {
        ++record->calls;
        record->error = status.ok() ? std::nullopt : std::optional<Error>(status.error());
    };
}

AdFilterSettings enabledWith(std::vector<std::string> allowed = {}) {
    AdFilterSettings settings;
    settings.enabled = true;
    settings.allowedSites = std::move(allowed);
    return settings;
}

GObjectPtr<WebKitUserContentManager> newManager() {
    return GObjectPtr<WebKitUserContentManager>::adopt(webkit_user_content_manager_new());
}

class AdBlockingFakeTest : public ::testing::Test {
protected:
    std::vector<std::string> domains{"ads.example", "tracker.example"};
    std::shared_ptr<FakeStore> store = std::make_shared<FakeStore>();
    std::unique_ptr<AdBlocking> blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store), domains);

    std::string identifierOf(const AdFilterSettings& settings) {
        return AdBlocking::identifierFor(*settings.normalized().contentRuleListJSON(domains));
    }
    bool waitForCompile(const AdFilterSettings& settings) {
        std::string identifier = identifierOf(settings);
        return spinUntil([&] { return store->indexOf(identifier) < store->compiles.size(); });
    }
    std::string installedIdentifier(WebKitUserContentManager* manager) {
        auto state = blocker->entryState(manager);
        return state && state->installed ? state->installed->identifier() : "";
    }
};

TEST_F(AdBlockingFakeTest, IdentifierIsPrefixAndSha256OfTheText) {
    EXPECT_EQ(AdBlocking::identifierFor("abc"),
              "Quenlith.Ads.v1.ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(AdBlocking::identifierFor(""),
              "Quenlith.Ads.v1.e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
}

TEST_F(AdBlockingFakeTest, DisabledSettingsOnAFreshManagerCompileNothingAndClearTheError) {
    // Leave an error behind first.
    auto failing = newManager();
    blocker->apply(enabledWith(), failing.get());
    ASSERT_TRUE(waitForCompile(enabledWith()));
    store->finish(identifierOf(enabledWith()), FakeStore::Outcome::error);
    ASSERT_TRUE(blocker->errorMessage().has_value());

    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    AdFilterSettings disabled;
    disabled.allowedSites = {"B.example", "a.example"};
    blocker->apply(disabled, manager.get(), recorder(record));
    EXPECT_EQ(record->calls, 1);  // returned at once
    EXPECT_FALSE(record->error);
    auto state = blocker->entryState(manager.get());
    ASSERT_TRUE(state);
    EXPECT_EQ(state->installedSettings, disabled.normalized());
    EXPECT_FALSE(state->installed);
    EXPECT_FALSE(blocker->errorMessage().has_value());
    EXPECT_EQ(store->compileCount, 1);
}

TEST_F(AdBlockingFakeTest, SameSettingsTwiceCompileOnceAndTheSecondCallReturnsAtOnce) {
    auto manager = newManager();
    auto first = std::make_shared<CallRecord>();
    blocker->apply(enabledWith(), manager.get(), recorder(first));
    ASSERT_TRUE(waitForCompile(enabledWith()));
    EXPECT_TRUE(blocker->preparing());
    store->finish(identifierOf(enabledWith()));
    EXPECT_EQ(first->calls, 1);
    EXPECT_FALSE(first->error);
    EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(enabledWith()));
    EXPECT_FALSE(blocker->preparing());

    auto second = std::make_shared<CallRecord>();
    blocker->apply(enabledWith(), manager.get(), recorder(second));
    EXPECT_EQ(second->calls, 1);
    EXPECT_EQ(store->compileCount, 1);
    EXPECT_EQ(store->loadCount, 1);
}

TEST_F(AdBlockingFakeTest, TwoManagersShareOneCompilationAndOneList) {
    auto one = newManager(), two = newManager();
    auto recordOne = std::make_shared<CallRecord>(), recordTwo = std::make_shared<CallRecord>();
    // Unnormalised but equal settings are one value.
    blocker->apply(enabledWith({"Site.example"}), one.get(), recorder(recordOne));
    blocker->apply(enabledWith({"site.example", "site.example"}), two.get(), recorder(recordTwo));
    ASSERT_TRUE(waitForCompile(enabledWith({"site.example"})));
    test::spinFor(std::chrono::milliseconds(50));
    EXPECT_EQ(store->compiles.size(), 1u);
    store->finish(identifierOf(enabledWith({"site.example"})));
    EXPECT_EQ(recordOne->calls, 1);
    EXPECT_EQ(recordTwo->calls, 1);
    EXPECT_EQ(store->compileCount, 1);
    auto a = blocker->entryState(one.get()), b = blocker->entryState(two.get());
    ASSERT_TRUE(a && b && a->installed);
    EXPECT_EQ(a->installed, b->installed);
}

TEST_F(AdBlockingFakeTest, SwitchingFromAToBWhileACompilesEndsWithB) {
    for (bool bFirst : {false, true}) {
        SCOPED_TRACE(bFirst ? "B finishes first" : "A finishes first");
        store = std::make_shared<FakeStore>();
        blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store), domains);
        AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
        auto manager = newManager();
        auto recordA = std::make_shared<CallRecord>(), recordB = std::make_shared<CallRecord>();
        blocker->apply(a, manager.get(), recorder(recordA));
        ASSERT_TRUE(waitForCompile(a));
        blocker->apply(b, manager.get(), recorder(recordB));
        ASSERT_TRUE(waitForCompile(b));
        if (bFirst) {
            store->finish(identifierOf(b));
            EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(b));
            store->finish(identifierOf(a));
        } else {
            store->finish(identifierOf(a));
            // A's list is never put on the manager: B is wanted now.
            EXPECT_EQ(installedIdentifier(manager.get()), "");
            EXPECT_EQ(recordA->calls, 0);
            store->finish(identifierOf(b));
        }
        EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(b));
        EXPECT_EQ(blocker->entryState(manager.get())->installedSettings, b);
        EXPECT_EQ(recordA->calls, 1);
        EXPECT_EQ(recordB->calls, 1);
        EXPECT_FALSE(recordA->error);
        EXPECT_FALSE(blocker->preparing());
    }
}

TEST_F(AdBlockingFakeTest, TurningOffDuringACompilationLeavesNothingInstalled) {
    auto manager = newManager();
    auto first = std::make_shared<CallRecord>(), second = std::make_shared<CallRecord>();
    blocker->apply(enabledWith(), manager.get(), recorder(first));
    ASSERT_TRUE(waitForCompile(enabledWith()));
    blocker->apply(AdFilterSettings{}, manager.get(), recorder(second));
    EXPECT_EQ(second->calls, 1);
    store->finish(identifierOf(enabledWith()));
    EXPECT_EQ(first->calls, 1);
    EXPECT_FALSE(first->error);
    auto state = blocker->entryState(manager.get());
    EXPECT_FALSE(state->installed);
    EXPECT_EQ(state->installedSettings, AdFilterSettings{});
    // The compiled list is still kept for later.
    EXPECT_TRUE(blocker->isCached(enabledWith()));
}

TEST_F(AdBlockingFakeTest, CacheKeepsAtMostFourListsIncludingTheNewest) {
    auto manager = newManager();
    for (int i = 0; i < 6; ++i) {
        AdFilterSettings settings = enabledWith({"site" + std::to_string(i) + ".example"});
        blocker->apply(settings, manager.get());
        ASSERT_TRUE(waitForCompile(settings));
        store->finish(identifierOf(settings));
        EXPECT_TRUE(blocker->isCached(settings)) << i;
        EXPECT_EQ(blocker->cachedCount(), std::min(i + 1, 4)) << i;
    }
    // The oldest went first.
    EXPECT_FALSE(blocker->isCached(enabledWith({"site0.example"})));
    EXPECT_FALSE(blocker->isCached(enabledWith({"site1.example"})));
    EXPECT_TRUE(blocker->isCached(enabledWith({"site2.example"})));
}

TEST_F(AdBlockingFakeTest, FailuresReportTheMessageAndTheNextCallCompilesAgain) {
    for (auto outcome : {FakeStore::Outcome::error, FakeStore::Outcome::nothing}) {
        store = std::make_shared<FakeStore>();
        blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store), domains);
        int changes = 0;
        blocker->signal_changed().connect([&] { ++changes; });
        auto manager = newManager();
        auto record = std::make_shared<CallRecord>();
        blocker->apply(enabledWith(), manager.get(), recorder(record));
        ASSERT_TRUE(waitForCompile(enabledWith()));
        store->finish(identifierOf(enabledWith()), outcome);
        EXPECT_EQ(record->calls, 1);
        ASSERT_TRUE(record->error);
        EXPECT_EQ(record->error->code, outcome == FakeStore::Outcome::error ? "compileFailed" : "invalidValue");
        EXPECT_EQ(blocker->errorMessage(), localizedString("Ad filtering is unavailable. Retry or turn it off."));
        EXPECT_FALSE(blocker->preparing());
        EXPECT_EQ(changes, 3);  // preparing on, preparing off, error set
        auto state = blocker->entryState(manager.get());
        EXPECT_FALSE(state->installed);
        EXPECT_FALSE(state->installedSettings);
        EXPECT_EQ(blocker->cachedCount(), 0u);

        auto retry = std::make_shared<CallRecord>();
        blocker->apply(enabledWith(), manager.get(), recorder(retry));
        ASSERT_TRUE(waitForCompile(enabledWith()));
        EXPECT_EQ(store->compileCount, 2);
        store->finish(identifierOf(enabledWith()));
        EXPECT_FALSE(retry->error);
        EXPECT_FALSE(blocker->errorMessage());
        EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(enabledWith()));
    }
}

TEST_F(AdBlockingFakeTest, AFailureForSettingsNoLongerWantedIsDropped) {
    auto manager = newManager();
    AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
    auto record = std::make_shared<CallRecord>();
    blocker->apply(a, manager.get(), recorder(record));
    ASSERT_TRUE(waitForCompile(a));
    blocker->apply(b, manager.get());
    ASSERT_TRUE(waitForCompile(b));
    store->finish(identifierOf(a), FakeStore::Outcome::error);
    EXPECT_FALSE(blocker->errorMessage());
    EXPECT_EQ(record->calls, 0);
    store->finish(identifierOf(b));
    EXPECT_EQ(record->calls, 1);
    EXPECT_FALSE(record->error);
}

TEST_F(AdBlockingFakeTest, PreparingStaysOnWhileAnyCompilationRuns) {
    auto one = newManager(), two = newManager();
    AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
    blocker->apply(a, one.get());
    blocker->apply(b, two.get());
    ASSERT_TRUE(waitForCompile(a) && waitForCompile(b));
    EXPECT_TRUE(blocker->preparing());
    store->finish(identifierOf(a));
    EXPECT_TRUE(blocker->preparing());
    store->finish(identifierOf(b));
    EXPECT_FALSE(blocker->preparing());
}

TEST_F(AdBlockingFakeTest, AListKeptFromAnEarlierLaunchIsLoadedAndOthersAreRemoved) {
    AdFilterSettings settings = enabledWith({"kept.example"});
    store->stored = {identifierOf(settings), "Quenlith.Ads.v1.0000", "Quenlith.Ads.v1.1111"};
    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    int changes = 0;
    blocker->signal_changed().connect([&] { ++changes; });
    blocker->apply(settings, manager.get(), recorder(record));
    ASSERT_TRUE(spinUntil([&] { return record->calls == 1; }));
    EXPECT_FALSE(record->error);
    EXPECT_EQ(store->compileCount, 0);
    EXPECT_EQ(changes, 0);  // loading is not shown as preparing
    EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(settings));
    EXPECT_TRUE(spinUntil([&] { return store->stored == std::set<std::string>{identifierOf(settings)}; }));
}

TEST_F(AdBlockingFakeTest, StartingWithBlockingOffClearsTheStore) {
    store->stored = {"Quenlith.Ads.v1.0000", "Quenlith.Ads.v1.1111"};
    auto manager = newManager();
    blocker->apply(AdFilterSettings{}, manager.get());
    EXPECT_TRUE(spinUntil([&] { return store->stored.empty(); }));
    EXPECT_EQ(store->loadCount + store->compileCount, 0);
}

TEST_F(AdBlockingFakeTest, OnlyTheNewestCompiledListStaysInTheStore) {
    store->stored = {"Quenlith.Ads.v1.old"};
    auto manager = newManager();
    AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
    blocker->apply(a, manager.get());
    ASSERT_TRUE(waitForCompile(a));
    store->finish(identifierOf(a));
    EXPECT_TRUE(spinUntil([&] { return store->stored == std::set<std::string>{identifierOf(a)}; }));
    blocker->apply(b, manager.get());
    ASSERT_TRUE(waitForCompile(b));
    store->finish(identifierOf(b));
    EXPECT_TRUE(spinUntil([&] { return store->stored == std::set<std::string>{identifierOf(b)}; }));
    // A is still in memory and installs without a compilation.
    blocker->apply(a, manager.get());
    EXPECT_EQ(installedIdentifier(manager.get()), identifierOf(a));
    EXPECT_EQ(store->compileCount, 2);
}

TEST_F(AdBlockingFakeTest, TheNewestListStaysStoredWhenTwoCompilationsFinishTogether) {
    auto manager = newManager();
    AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
    blocker->apply(a, manager.get());
    ASSERT_TRUE(waitForCompile(a));
    blocker->apply(b, manager.get());
    ASSERT_TRUE(waitForCompile(b));
    // Both finish before either clean-up of the store has run.
    store->finish(identifierOf(a));
    store->finish(identifierOf(b));
    ASSERT_EQ(installedIdentifier(manager.get()), identifierOf(b));
    EXPECT_TRUE(spinUntil([&] { return store->stored == std::set<std::string>{identifierOf(b)}; }));
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    EXPECT_EQ(store->stored, std::set<std::string>{identifierOf(b)});
}

TEST_F(AdBlockingFakeTest, EntriesVanishWithTheirManagers) {
    auto manager = newManager();
    blocker->apply(AdFilterSettings{}, manager.get());
    EXPECT_EQ(blocker->entryCount(), 1u);
    manager.reset();
    EXPECT_EQ(blocker->entryCount(), 0u);

    // A pending call keeps its manager until it completes.
    auto kept = newManager();
    GObject* raw = G_OBJECT(kept.get());
    bool finalized = false;
    g_object_weak_ref(raw, [](gpointer flag, GObject*) { *static_cast<bool*>(flag) = true; }, &finalized);
    blocker->apply(enabledWith(), kept.get());
    kept.reset();
    EXPECT_FALSE(finalized);
    ASSERT_TRUE(waitForCompile(enabledWith()));
    store->finish(identifierOf(enabledWith()));
    EXPECT_TRUE(finalized);
    EXPECT_EQ(blocker->entryCount(), 0u);
}

TEST_F(AdBlockingFakeTest, RuleTextFailureFailsTheCallWithoutCompiling) {
    blocker = std::make_unique<AdBlocking>(std::make_unique<FakeCompiler>(store),
                                           std::vector<std::string>{std::string("bad\xff.example")});
    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    blocker->apply(enabledWith(), manager.get(), recorder(record));
    EXPECT_EQ(record->calls, 1);
    EXPECT_TRUE(record->error);
    EXPECT_TRUE(blocker->errorMessage());
    EXPECT_FALSE(blocker->preparing());
    EXPECT_EQ(store->loadCount + store->compileCount, 0);
}

TEST_F(AdBlockingFakeTest, DestroyingTheBlockerCompletesWaitingCallsOnce) {
    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    blocker->apply(enabledWith(), manager.get(), recorder(record));
    ASSERT_TRUE(waitForCompile(enabledWith()));
    blocker.reset();
    EXPECT_EQ(record->calls, 1);
    EXPECT_TRUE(record->error);
    // The engine's late completion finds nobody.
    store->finish(identifierOf(enabledWith()));
    EXPECT_EQ(record->calls, 1);
}

// A real compiler that counts what it is asked to do.
class CountingCompiler : public ContentRuleCompiler {
public:
    CountingCompiler(std::unique_ptr<ContentRuleCompiler> inner, int* compiles) : inner_(std::move(inner)), compiles_(compiles) {}
    void compile(const std::string& identifier, std::string json, ListHandler done) override {
        ++*compiles_;
        inner_->compile(identifier, std::move(json), std::move(done));
    }
    void load(const std::string& identifier, ListHandler done) override { inner_->load(identifier, std::move(done)); }
    void remove(const std::string& identifier, StatusHandler done) override { inner_->remove(identifier, std::move(done)); }
    void fetchIdentifiers(IdentifiersHandler done) override { inner_->fetchIdentifiers(std::move(done)); }

private:
    std::unique_ptr<ContentRuleCompiler> inner_;
    int* compiles_;
};

std::vector<std::string> storedIdentifiers(const std::string& directory) {
    WebKitContentRuleCompiler compiler(directory);
    std::optional<std::vector<std::string>> identifiers;
    compiler.fetchIdentifiers([&](std::vector<std::string> list) { identifiers = std::move(list); });
    EXPECT_TRUE(spinUntil([&] { return identifiers.has_value(); }));
    auto result = identifiers.value_or(std::vector<std::string>{});
    std::sort(result.begin(), result.end());
    return result;
}

TEST(AdBlockingRealStore, CompilesInstallsKeepsOnlyTheListInUseAndLoadsItNextLaunch) {
    test::TemporaryEnvironment environment;
    const std::string directory = AdBlocking::storeDirectory();
    EXPECT_EQ(directory, applicationCacheDirectory() + "/ContentFilters");
    std::vector<std::string> domains{"ads.example", "tracker.example"};
    AdFilterSettings a = enabledWith({"a.example"}), b = enabledWith({"b.example"});
    std::string idB = AdBlocking::identifierFor(*b.contentRuleListJSON(domains));

    int compiles = 0;
    {
        AdBlocking blocker(std::make_unique<CountingCompiler>(std::make_unique<WebKitContentRuleCompiler>(directory), &compiles), domains);
        auto manager = newManager();
        for (const auto& settings : {a, b}) {
            auto record = std::make_shared<CallRecord>();
            blocker.apply(settings, manager.get(), recorder(record));
            ASSERT_TRUE(spinUntil([&] { return record->calls == 1; }, std::chrono::seconds(30)));
            ASSERT_FALSE(record->error) << record->error->message;
            auto state = blocker.entryState(manager.get());
            ASSERT_TRUE(state && state->installed && state->installed->filter());
            EXPECT_STREQ(webkit_user_content_filter_get_identifier(state->installed->filter()),
                         AdBlocking::identifierFor(*settings.contentRuleListJSON(domains)).c_str());
        }
        EXPECT_EQ(compiles, 2);
        EXPECT_TRUE(spinUntil([&] { return storedIdentifiers(directory) == std::vector<std::string>{idB}; }));
    }
    // The next launch loads B from the store without compiling it.
    AdBlocking blocker(std::make_unique<CountingCompiler>(std::make_unique<WebKitContentRuleCompiler>(directory), &compiles), domains);
    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    bool sawPreparing = false;
    blocker.signal_changed().connect([&] { sawPreparing = sawPreparing || blocker.preparing(); });
    blocker.apply(b, manager.get(), recorder(record));
    ASSERT_TRUE(spinUntil([&] { return record->calls == 1; }));
    EXPECT_FALSE(record->error);
    EXPECT_EQ(compiles, 2);
    EXPECT_FALSE(sawPreparing);
    ASSERT_TRUE(blocker.entryState(manager.get())->installed->filter());
}

TEST(AdBlockingRealStore, InvalidRulesFailWithTheEnginesError) {
    test::TemporaryEnvironment environment;
    WebKitContentRuleCompiler compiler(AdBlocking::storeDirectory());
    std::optional<Result<ContentRuleListPtr>> outcome;
    compiler.compile("Quenlith.Ads.v1.invalid", R"([{"trigger":{"url-filter":"a|b"},"action":{"type":"block"}}])",
                     [&](Result<ContentRuleListPtr> result) { outcome = std::move(result); });
    ASSERT_TRUE(spinUntil([&] { return outcome.has_value(); }));
    ASSERT_FALSE(outcome->ok());
    EXPECT_FALSE(outcome->error().message.empty());
}

TEST(AdBlockingBuiltInList, HasTheStatedProperties) {
    const std::string text = test::readFile(resourcePath("blocklist/ad-hosts.txt"));
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_EQ(text.find("\n\n"), std::string::npos);
    EXPECT_EQ(text.find('\r'), std::string::npos);

    const auto& domains = AdBlocking::defaultDomains();
    EXPECT_GE(domains.size(), 5000u);
    EXPECT_LE(domains.size(), 8000u);
    std::size_t bytes = 0;
    for (std::size_t i = 0; i < domains.size(); ++i) {
        const std::string& host = domains[i];
        bytes += host.size() + (i > 0 ? 1 : 0);
        ASSERT_FALSE(host.empty());
        ASSERT_LE(host.size(), 75u) << host;
        ASSERT_TRUE(std::all_of(host.begin(), host.end(), [](char c) {
            return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-';
        })) << host;
        if (i > 0) {
            ASSERT_LT(domains[i - 1], host) << "not sorted or not unique";
        }
    }
    EXPECT_EQ(bytes, text.size());
    for (const char* known : {"adnxs.com", "scorecardresearch.com", "criteo.com"}) {
        EXPECT_TRUE(std::binary_search(domains.begin(), domains.end(), std::string(known))) << known;
    }
}

TEST(AdBlockingBuiltInList, CompilesInTheEngine) {
    test::TemporaryEnvironment environment;
    AdBlocking blocker(std::make_unique<WebKitContentRuleCompiler>(AdBlocking::storeDirectory()), AdBlocking::defaultDomains());
    auto manager = newManager();
    auto record = std::make_shared<CallRecord>();
    AdFilterSettings settings = enabledWith({"example.com"});
    settings.blockedDomains = {"extra.example"};
    blocker.apply(settings, manager.get(), recorder(record));
    ASSERT_TRUE(spinUntil([&] { return record->calls == 1; }, std::chrono::seconds(60)));
    EXPECT_FALSE(record->error) << record->error->message;
    EXPECT_FALSE(blocker.errorMessage());
}

}  // namespace
}  // namespace quenlith
