#include "browser/engine/website_sessions.hpp"

#include <algorithm>
#include <filesystem>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "browser/engine/proxy_fixture.hpp"
#include "model/app_paths.hpp"
#include "model/browser_runtime_store.hpp"
#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/session_users.hpp"

namespace quenlith {
namespace {

using test::kKeyringText;

BrowserProxySettings proxy(BrowserProxyKind kind, std::int64_t port, std::optional<std::string> credentialID = std::nullopt) {
    return test::proxyAt(kind, port, credentialID ? "user" : "", credentialID);
}

WebAppProfile website(std::optional<Uuid> session = std::nullopt, std::optional<BrowserProxySettings> siteProxy = std::nullopt,
                      bool isolated = false) {
    WebAppProfile profile;
    profile.sessionIdentifier = session;
    profile.isolatedAccount = isolated;
    profile.siteProxy = siteProxy;
    return profile;
}

class WebsiteSessionsTest : public ::testing::Test {
protected:
    test::TemporaryEnvironment environment;
    test::FakeCredentials credentials{{{"ID-OK", "pw"}}};
    ProxyRuntime global{credentials.reader()};
    WebsiteSessions sessions{global, credentials.reader()};
};

TEST_F(WebsiteSessionsTest, WebsitesWithoutOwnSessionShareTheDefaultStoreAndTheGlobalProxy) {
    global.load(proxy(BrowserProxyKind::httpConnect, 3128));
    auto store = sessions.dataStore(website());
    EXPECT_EQ(store, WebsiteDataStore::defaultDataStore());
    EXPECT_EQ(sessions.dataStore(website(Uuid::random())), store) << "an identifier alone is no own session";
    EXPECT_EQ(sessions.route(store), nullptr);
    // The default store takes the global proxy when a view is made on it, and its error.
    sessions.applyProxy(store);
    EXPECT_EQ(store->proxyAddress(), "http://127.0.0.1:3128");
    global.load(proxy(BrowserProxyKind::socks5, 1080, "ID-GONE"));
    EXPECT_EQ(sessions.errorMessage(store), kKeyringText);
    EXPECT_FALSE(sessions.urlSession(website()));
}

TEST_F(WebsiteSessionsTest, TheFirstWebsiteOfASharedSessionDecidesItsProxy) {
    const Uuid session = Uuid::random();
    auto a = website(session, proxy(BrowserProxyKind::socks5, 1080));
    auto b = website(session, proxy(BrowserProxyKind::httpConnect, 3128));
    auto storeA = sessions.dataStore(a);
    auto storeB = sessions.dataStore(b);
    ASSERT_EQ(storeA, storeB);
    EXPECT_EQ(storeA->identifier(), session);
    EXPECT_EQ(sessions.proxyOverride(storeA), a.siteProxy);
    EXPECT_EQ(storeA->proxyAddress(), "socks5://127.0.0.1:1080");

    // Forgetting one website keeps the store, its route and its proxy for the other.
    const ProxyRuntime* route = sessions.route(storeA);
    sessions.forgetSession(Uuid::random());  // an unknown website changes nothing
    sessions.forgetSession(a.id);
    EXPECT_EQ(sessions.dataStore(b), storeA);
    EXPECT_EQ(sessions.route(storeA), route);
    EXPECT_EQ(sessions.proxyOverride(storeA), a.siteProxy);

    // After both are forgotten, the next website of the session brings its own proxy.
    sessions.forgetSession(b.id);
    EXPECT_EQ(sessions.route(storeA), nullptr);
    EXPECT_EQ(sessions.proxyOverride(storeA), std::nullopt);
    storeA = storeB = nullptr;
    auto storeC = sessions.dataStore(b);
    EXPECT_EQ(sessions.proxyOverride(storeC), b.siteProxy);
    EXPECT_EQ(storeC->proxyAddress(), "http://127.0.0.1:3128");
}

TEST_F(WebsiteSessionsTest, AnOwnStoreTakesItsWebsitesProxyOrTheGlobalSettings) {
    global.load(proxy(BrowserProxyKind::socks5, 1080, "ID-OK"));
    auto profile = website(Uuid::random(), std::nullopt, true);
    auto store = sessions.dataStore(profile);
    ASSERT_NE(sessions.route(store), nullptr);
    EXPECT_EQ(sessions.route(store)->settings(), global.settings());
    EXPECT_EQ(sessions.proxyOverride(store), std::nullopt);
    EXPECT_EQ(store->proxyAddress(), "socks5://user:pw@127.0.0.1:1080");
    EXPECT_TRUE(sessions.urlSession(profile));

    // An unreadable password of the website's own proxy refuses its store and sessions only.
    auto broken = website(Uuid::random(), proxy(BrowserProxyKind::httpConnect, 3128, "ID-GONE"));
    auto brokenStore = sessions.dataStore(broken);
    EXPECT_EQ(sessions.errorMessage(brokenStore), kKeyringText);
    EXPECT_TRUE(brokenStore->networkBlocked());
    EXPECT_FALSE(sessions.urlSession(broken));
    EXPECT_EQ(sessions.errorMessage(store), std::nullopt);

    // An icon asked for before the website opened makes no store; the store made later keeps the
    // proxy runtime the icon's session was made with.
    auto iconFirst = website(Uuid::random(), proxy(BrowserProxyKind::socks5, 1081));
    EXPECT_TRUE(sessions.urlSession(iconFirst));
    EXPECT_FALSE(files::pathExists(applicationDataDirectory() + "/WebsiteData/" + iconFirst.sessionIdentifier->string()));
    auto iconFirstStore = sessions.dataStore(iconFirst);
    EXPECT_EQ(iconFirstStore->proxyAddress(), "socks5://127.0.0.1:1081");
    EXPECT_EQ(sessions.proxyOverride(iconFirstStore), iconFirst.siteProxy);

    // The global password was replaced in the keyring since the launch: a store made now goes on
    // with the one read at launch, without reading the keyring again.
    credentials.passwords.clear();
    const auto asked = credentials.asked.size();
    auto later = sessions.dataStore(website(Uuid::random(), std::nullopt, true));
    EXPECT_EQ(later->proxyAddress(), "socks5://user:pw@127.0.0.1:1080");
    EXPECT_EQ(credentials.asked.size(), asked);
}

TEST_F(WebsiteSessionsTest, ARemovedWebsiteProxyLeavesAStoreStillInUseOnTheDesktopProxy) {
    // The global proxy is the desktop's own.
    auto profile = website(Uuid::random(), proxy(BrowserProxyKind::httpConnect, 3128, "ID-GONE"));
    auto store = sessions.dataStore(profile);
    ASSERT_TRUE(store->networkBlocked());

    // The user removes the website's proxy and keeps its independent account: nothing changes
    // until the window manager forgets the website; the window that closes still holds the store
    // while the website is looked up again.
    auto changed = profile;
    changed.siteProxy.reset();
    changed.isolatedAccount = true;
    auto shared = changed;
    shared.isolatedAccount = false;
    EXPECT_EQ(sessions.dataStore(shared), store);
    sessions.forgetSession(profile.id);
    EXPECT_EQ(sessions.dataStore(shared), WebsiteDataStore::defaultDataStore());
    sessions.forgetSession(profile.id);
    auto again = sessions.dataStore(changed);
    ASSERT_EQ(again, store);
    EXPECT_EQ(sessions.errorMessage(again), std::nullopt);
    EXPECT_FALSE(again->networkBlocked());
    EXPECT_EQ(again->proxyAddress(), std::nullopt);

    // And a proxy given back later is applied to it again.
    sessions.forgetSession(changed.id);
    auto proxied = changed;
    proxied.siteProxy = proxy(BrowserProxyKind::socks5, 1080);
    EXPECT_EQ(sessions.dataStore(proxied)->proxyAddress(), "socks5://127.0.0.1:1080");
}

TEST_F(WebsiteSessionsTest, AStoreWhoseFolderCannotBeMadeSaysSo) {
    // A file stands where the stores' folders should be.
    test::writeFile(environment.dataDirectory() + "/WebsiteData", "not a folder");
    auto store = sessions.dataStore(website(Uuid::random(), std::nullopt, true));
    const std::string expected =
        "The folder “" + store->identifier()->string() + "” could not be created: Not a directory";
    EXPECT_EQ(store->errorMessage(), expected);
    EXPECT_EQ(sessions.errorMessage(store), expected);
}

TEST(WebsiteDataStoreTest, AStoreBeingClearedStaysTheOneStoreOfItsFolder) {
    test::TemporaryEnvironment environment;
    const Uuid identifier = Uuid::random();
    int completions = 0;
    std::weak_ptr<WebsiteDataStore> clearing;
    {
        auto store = WebsiteDataStore::forIdentifier(identifier);
        clearing = store;
        store->removeData(WEBKIT_WEBSITE_DATA_COOKIES, [&](Status removed) { completions += removed ? 1 : 100; });
    }
    // Asked for while its data is removed, the folder's store is the one removing it: never a
    // second data manager on the same folder.
    auto again = WebsiteDataStore::forIdentifier(identifier);
    EXPECT_EQ(again, clearing.lock());
    again.reset();
    ASSERT_TRUE(test::spinUntil([&] { return completions > 0; }));
    EXPECT_EQ(completions, 1);
    EXPECT_TRUE(clearing.expired());
}

TEST(WebsiteDataStoreTest, OneStoreObjectPerFolderAndTheIdentifiersOnDisk) {
    test::TemporaryEnvironment environment;
    const Uuid a = Uuid::random(), b = Uuid::random();
    auto first = WebsiteDataStore::forIdentifier(a);
    EXPECT_EQ(WebsiteDataStore::forIdentifier(a), first);
    EXPECT_EQ(first->dataDirectory(), environment.dataDirectory() + "/WebsiteData/" + a.string());
    EXPECT_TRUE(test::fileExists(first->dataDirectory()));
    EXPECT_EQ(first->errorMessage(), std::nullopt);
    WebsiteDataStore::defaultDataStore();
    // Only folders named by an identifier in its own (upper-case) spelling count; files do not.
    std::string lower = Uuid::random().string();
    for (auto& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& name : {b.string() + "/x", std::string("NOT-A-UUID/x"), lower + "/x", Uuid::random().string()})
        test::writeFile(environment.dataDirectory() + "/WebsiteData/" + name, "");
    auto identifiers = WebsiteDataStore::fetchAllDataStoreIdentifiers();
    std::sort(identifiers.begin(), identifiers.end());
    EXPECT_EQ(identifiers, (std::vector<Uuid>{std::min(a, b), std::max(a, b)}));
}

TEST_F(WebsiteSessionsTest, RemovesTheFoldersOfSessionsNothingUsesAndNoneAStoreWasMadeOn) {
    const auto folders = WebsiteDataFolders::current();
    const Uuid unused = Uuid::random(), cacheOnly = Uuid::random(), used = Uuid::random(), saved = Uuid::random(),
               handedOut = Uuid::random(), made = Uuid::random(), later = Uuid::random();
    // Each with a file of its data, and its cache but for the one that has only a cache.
    for (const auto& session : {unused, used, saved, handedOut, made, later})
        test::writeFile(folders.data + "/" + session.string() + "/cookies.sqlite", "cookies");
    for (const auto& session : {unused, cacheOnly, used}) test::writeFile(folders.cache + "/" + session.string() + "/c", "");
    for (const auto& name : {std::string("Default/cookies.sqlite"), std::string("NOT-A-UUID/x")})
        test::writeFile(folders.data + "/" + name, "");
    test::writeFile(folders.cache + "/.removed-" + Uuid::random().string() + "/x", "");  // an interrupted removal's
    // A window of the saved session, a website's store handed out, a store made and let go.
    RestorableWindow window{.id = Uuid::random(), .tabs = {{std::nullopt, "Start", true}}, .frame = {0, 0, 400, 400}};
    window.temporaryProfile = website(saved, std::nullopt, true);
    ASSERT_TRUE(BrowserSessionPersistence(applicationDataDirectory() + "/session-v1.json").save({1, {window}, {}}));
    sessions.dataStore(website(handedOut, std::nullopt, true));
    WebsiteDataStore::forIdentifier(made).reset();

    auto sweep = [&](SessionUsers users) {
        std::optional<std::vector<Uuid>> removed;
        sessions.removeUnusedSessions(std::move(users), SavedSessionFiles::inDataFolder(),
                                      [&](std::vector<Uuid> sessions) { removed = std::move(sessions); });
        EXPECT_TRUE(test::spinUntil([&] { return removed.has_value(); }));
        std::sort(removed->begin(), removed->end());
        return *removed;
    };
    SessionUsers unknown;
    unknown.addUnreadable();
    EXPECT_EQ(sweep(unknown), std::vector<Uuid>{}) << "nothing while a source is unreadable";
    SessionUsers users;
    users.add(used);
    users.add(later);
    EXPECT_EQ(sweep(users), (std::vector<Uuid>{std::min(unused, cacheOnly), std::max(unused, cacheOnly)}));
    auto left = WebsiteDataStore::fetchAllDataStoreIdentifiers();
    std::sort(left.begin(), left.end());
    std::vector<Uuid> kept{used, saved, handedOut, made, later};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(left, kept);
    for (const auto& name : {"Default/cookies.sqlite", "NOT-A-UUID/x"}) EXPECT_TRUE(test::fileExists(folders.data + "/" + name));
    std::vector<std::string> caches;
    for (const auto& entry : std::filesystem::directory_iterator(folders.cache)) caches.push_back(entry.path().filename());
    std::sort(caches.begin(), caches.end());
    std::vector<std::string> keptCaches{used.string(), handedOut.string(), made.string()};  // stores make theirs
    std::sort(keptCaches.begin(), keptCaches.end());
    EXPECT_EQ(caches, keptCaches) << "nor what an earlier removal left";
    // A store asked for once its session went starts with nothing.
    auto again = WebsiteDataStore::forIdentifier(unused);
    EXPECT_FALSE(test::fileExists(again->dataDirectory() + "/cookies.sqlite"));
    users = SessionUsers{};
    users.add(used);
    EXPECT_EQ(sweep(users), std::vector<Uuid>{later}) << "a store made now keeps its folder";
}

// A person's folder linked in place of one of our website data folders (or of "WebsiteData"
// itself) is never narrowed, emptied or written into: the store keeps its data in memory, and the
// sweeps remove only real folders of ours, by names wholly of our shape.
TEST_F(WebsiteSessionsTest, NothingIsRemovedNarrowedOrWrittenThroughALinkInTheWebsiteDataFolders) {
    const auto folders = WebsiteDataFolders::current();
    const std::string mine = environment.root() + "/MyFolder";
    const Uuid linkedData = Uuid::random(), linkedCache = Uuid::random(), lookalike = Uuid::random(),
               real = Uuid::random();
    for (const std::string& name : std::vector<std::string>{"a.txt", "sub/b.txt", "Favicons/own.txt", ".removed-anything/x",
                                                            ".removed-" + lookalike.string() + "/x", lookalike.string() + "/x"})
        test::writeFile(mine + "/" + name, "mine");
    ::chmod(mine.c_str(), 0755);
    auto mineNow = [&] {
        std::vector<std::string> entries;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(mine))
            entries.push_back(entry.path().string().substr(mine.size()));
        std::sort(entries.begin(), entries.end());
        struct stat info {};
        ::stat(mine.c_str(), &info);
        entries.push_back(std::to_string(info.st_mode & 0777));
        return entries;
    };
    const auto before = mineNow();
    std::filesystem::create_directories(folders.data);
    std::filesystem::create_directories(folders.cache);
    ASSERT_EQ(::symlink(mine.c_str(), (folders.data + "/" + linkedData.string()).c_str()), 0);
    ASSERT_EQ(::symlink(mine.c_str(), (folders.cache + "/" + linkedCache.string()).c_str()), 0);
    test::writeFile(folders.data + "/" + linkedCache.string() + "/cookies.sqlite", "ours");
    test::writeFile(folders.data + "/" + real.string() + "/cookies.sqlite", "ours");
    for (const auto& identifier : {linkedData, linkedCache}) {
        auto store = WebsiteDataStore::forIdentifier(identifier);
        EXPECT_TRUE(webkit_website_data_manager_is_ephemeral(store->dataManager())) << "kept in memory only";
        EXPECT_EQ(store->errorMessage(), std::nullopt);
    }
    auto identifiers = WebsiteDataStore::fetchAllDataStoreIdentifiers();
    std::sort(identifiers.begin(), identifiers.end());
    EXPECT_EQ(identifiers, (std::vector<Uuid>{std::min(linkedCache, real), std::max(linkedCache, real)}))
        << "a link is no folder of ours";

    // "WebsiteData" itself a link: nothing in it is ours to remove, whatever its names.
    std::filesystem::remove_all(folders.data);
    ASSERT_EQ(::symlink(mine.c_str(), folders.data.c_str()), 0);
    test::writeFile(folders.cache + "/.removed-" + real.string() + "/x", "an interrupted removal's");
    test::writeFile(folders.cache + "/.removed-" + real.string() + "-copy/x", "a name only like ours");
    std::optional<std::vector<Uuid>> removed;
    sessions.removeUnusedSessions(SessionUsers{}, SavedSessionFiles::inDataFolder(),
                                  [&](std::vector<Uuid> sessions) { removed = std::move(sessions); });
    ASSERT_TRUE(test::spinUntil([&] { return removed.has_value(); }));
    EXPECT_EQ(*removed, std::vector<Uuid>{});
    EXPECT_FALSE(test::fileExists(folders.cache + "/.removed-" + real.string()));
    EXPECT_TRUE(test::fileExists(folders.cache + "/.removed-" + real.string() + "-copy/x"));
    EXPECT_TRUE(test::fileExists(folders.cache + "/" + linkedCache.string()));
    auto data = WebsiteDataStore::forIdentifier(Uuid::random());
    EXPECT_TRUE(webkit_website_data_manager_is_ephemeral(data->dataManager()));
    EXPECT_EQ(mineNow(), before);
}

TEST(WebsiteDataStoreTest, NamesTheEngineDataTypes) {
    EXPECT_EQ(websiteDataTypes({"cookies", "disk-cache"}), WEBKIT_WEBSITE_DATA_COOKIES | WEBKIT_WEBSITE_DATA_DISK_CACHE);
    EXPECT_EQ(websiteDataTypes({"all"}), WEBKIT_WEBSITE_DATA_ALL);
    EXPECT_EQ(websiteDataTypes({"local-storage", "no-such-type"}), WEBKIT_WEBSITE_DATA_LOCAL_STORAGE);
    EXPECT_EQ(websiteDataTypes({}), 0);
}

RuntimeWindow windowShowing(const std::string& url, std::optional<Uuid> session, BrowserWindowState state) {
    RuntimeWindow window;
    window.id = Uuid::random();
    window.state = state;
    window.sessionIdentifier = session;
    window.tabs = {RuntimeTab{.id = Uuid::random(), .title = "", .url = url, .isSelected = true}};
    return window;
}

TEST_F(WebsiteSessionsTest, ActivityIsLookedUpInTheWebsitesOwnStore) {
    const Uuid session = Uuid::random();
    auto shared = website();
    shared.homeURL = "https://www.example.test/";
    auto own = website(session, std::nullopt, true);
    own.homeURL = "example.test";

    BrowserRuntimeStore runtime;
    EXPECT_EQ(activityFor(runtime, shared, sessions), WebsiteActivity::closed);

    // Only a window of the website's own session counts for it...
    runtime.update({windowShowing("https://example.test/inbox", std::nullopt, BrowserWindowState::hidden)});
    EXPECT_EQ(activityFor(runtime, shared, sessions), WebsiteActivity::hidden);
    EXPECT_EQ(activityFor(runtime, own, sessions), WebsiteActivity::closed);

    // ...and only a window of the shared store for a website without one.
    runtime.update({windowShowing("https://mail.example.test/", session, BrowserWindowState::visible)});
    EXPECT_EQ(activityFor(runtime, own, sessions), WebsiteActivity::visible);
    EXPECT_EQ(activityFor(runtime, shared, sessions), WebsiteActivity::closed);

    // A website whose home address is no website address is not running anywhere.
    auto nowhere = website(session, std::nullopt, true);
    nowhere.homeURL = "not an address";
    EXPECT_EQ(activityFor(runtime, nowhere, sessions), WebsiteActivity::closed);
}

}  // namespace
}  // namespace quenlith
