#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>

#include "model/debounced_save.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/json_coding.hpp"
#include "model/profile_persistence.hpp"
#include "model/sample_records.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"
#include "support/waiting_caller_watch.hpp"

namespace quenlith {
namespace {

using namespace std::chrono_literals;
using test::readBytes;

using test::website;

std::vector<std::string> names(const std::vector<WebAppProfile>& profiles) {
    std::vector<std::string> out;
    for (const auto& p : profiles) out.push_back(p.name);
    return out;
}

// `profile` with its own data store `session`, which other websites may share.
WebAppProfile inStore(WebAppProfile profile, Uuid session) {
    profile.isolatedAccount = true;
    profile.sessionIdentifier = session;
    return profile;
}

class WebAppStoreTest : public testing::Test {
protected:
    std::string path() const { return home.path("profiles.json"); }
    std::string backup() const { return path() + ".backup"; }

    std::unique_ptr<WebAppStore> openStore() {
        return std::make_unique<WebAppStore>(std::nullopt, scheduler, writer);
    }

    // A store holding the given websites, saved once (so profiles.json exists, without backup).
    std::unique_ptr<WebAppStore> storeWith(std::vector<WebAppProfile> profiles) {
        for (std::size_t i = 0; i < profiles.size(); ++i) profiles[i].sortOrder = static_cast<std::int64_t>(i);
        EXPECT_TRUE(ProfilePersistence(path()).save(profiles).ok());
        return openStore();
    }

    // The file once the writes handed over have run.
    std::vector<WebAppProfile> onDisk() {
        writer.flush();
        auto loaded = ProfilePersistence(path()).load();
        EXPECT_TRUE(loaded.ok());
        return loaded.ok() ? *loaded : std::vector<WebAppProfile>{};
    }

    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    FileWriter writer;
    WebAppProfile a = website("A", "https://a.example"), b = website("B", "https://b.example");
    WebAppProfile c = website("C", "https://c.example"), d = website("D", "https://d.example");
};

TEST_F(WebAppStoreTest, SetterBurstGivesOneDelayedSave) {
    auto store = storeWith({a});
    std::string original = readBytes(path());

    store->setWasVisible(true, a.id);
    scheduler.advance(200ms);
    store->setWindowFrame(CodableRect{1, 2, 500, 400, 3u}, a.id);
    scheduler.advance(100ms);
    store->setIconURL("https://a.example/icon.png", a.id);
    EXPECT_EQ(scheduler.pendingCount(), 2u + 1u)
        << "one delayed save (its quiet time and its ceiling) plus the idle notification";
    scheduler.advance(399ms);
    EXPECT_EQ(readBytes(path()), original) << "nothing written before the quiet period ends";
    {
        FileWriter::Hold hold(writer);
        scheduler.advance(1ms);
        EXPECT_EQ(hold.waitForHeldWrite(), path()) << "the save is handed to the writer";
        EXPECT_EQ(readBytes(path()), original) << "the main thread does not write the file itself";
        EXPECT_TRUE(store->hasPendingSave());
    }
    ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
    a.wasVisible = true;
    a.windowFrame = CodableRect{1, 2, 500, 400, 3u};
    a.iconURL = "https://a.example/icon.png";
    EXPECT_EQ(onDisk(), std::vector<WebAppProfile>{a});
    EXPECT_EQ(readBytes(backup()), original) << "no intermediate save happened";
    EXPECT_FALSE(store->hasPendingSave());
}

// A window moved every 0.3 s: its frames are on disk no later than the ceiling, not once it stops.
TEST_F(WebAppStoreTest, SettersThatKeepComingAreWrittenWithinTheCeiling) {
    auto store = storeWith({a});
    const auto step = 300ms;
    for (auto waited = 0ms; waited < kSaveCeiling; waited += step) {
        store->setWindowFrame(CodableRect{static_cast<double>(waited.count()), 2, 500, 400, std::nullopt}, a.id);
        scheduler.advance(step);
    }
    EXPECT_EQ(onDisk()[0].windowFrame, (CodableRect{2700, 2, 500, 400, std::nullopt}));
}

TEST_F(WebAppStoreTest, DelayedSaveEndsWithADirectSaveOrTheStore) {
    auto store = storeWith({a});
    auto before = store->profiles();
    store->setMenuBarIcon(true, Uuid::random());
    store->toggleFavorite(Uuid::random());
    EXPECT_FALSE(store->hasPendingSave()) << "unknown ids change nothing";
    EXPECT_EQ(store->profiles(), before);

    store->toggleFavorite(a.id);
    ASSERT_TRUE(store->hasPendingSave());
    ASSERT_TRUE(store->save());
    EXPECT_FALSE(store->hasPendingSave());
    EXPECT_FALSE(onDisk()[0].isFavorite);
    std::string bytes = readBytes(path());
    store->setWasVisible(true, a.id);
    store.reset();
    scheduler.advance(1s);
    EXPECT_EQ(readBytes(path()), bytes) << "a destroyed store runs no delayed save";
}

TEST_F(WebAppStoreTest, SetterRulesAndNormalisation) {
    auto store = storeWith({a});
    store->toggleMenuBarIcon(a.id);
    EXPECT_EQ(store->profile(a.id)->menuBarIconEnabled, true) << "absent counts as off";
    store->toggleMenuBarIcon(a.id);
    EXPECT_EQ(store->profile(a.id)->menuBarIconEnabled, false);
    store->setMenuBarIcon(true, a.id);
    store->hideMenuBarIcon(a.id);
    EXPECT_EQ(store->profile(a.id)->menuBarIconEnabled, false);
    store->setWindowFrame(CodableRect{0, 0, 100, 100, std::nullopt}, a.id);
    EXPECT_FALSE(store->profile(a.id)->windowFrame) << "normalised after the change";
    store->update(a.id, [](WebAppProfile& p) { p.opacity = 0.1; });
    EXPECT_EQ(store->profile(a.id)->opacity, 0.35);
}

TEST_F(WebAppStoreTest, UnchangedSaveTouchesNoFile) {
    auto store = storeWith({a});
    std::string bytes = readBytes(path());
    EXPECT_TRUE(store->save());
    EXPECT_EQ(readBytes(path()), bytes);
    EXPECT_FALSE(test::exists(backup())) << "the backup is not refreshed either";

    ASSERT_TRUE(files::removeFileIfPresent(path()).ok());
    EXPECT_TRUE(store->save()) << "unchanged, but no file: written";
    EXPECT_TRUE(test::exists(path()));

    auto fresh = WebAppStore(home.path("other/profiles.json"), scheduler);
    EXPECT_TRUE(fresh.save());
    EXPECT_TRUE(test::exists(home.path("other/profiles.json"))) << "an empty list is written when no file exists";
}

// The file contract (both files kept, message, retry) is checked for every store elsewhere.
TEST_F(WebAppStoreTest, FailedSaveRollsBackPendingChangesToo) {
    auto store = storeWith({a});
    auto saved = store->profiles();
    store->toggleFavorite(a.id);  // pending change, undone by the rollback as well
    std::vector<std::string> told;
    store->signal_saveFailed().connect(
        [&](const SaveFailureNotice& notice) { told.push_back(notice.message); });
    {
        test::FileSizeLimit limit(32);
        EXPECT_TRUE(store->upsert(c)) << "handed to the writer; the failure is told later";
        EXPECT_EQ(store->profiles().size(), 2u) << "read at once as changed";
        writer.flush();
    }
    ASSERT_TRUE(test::spinUntil([&] { return !told.empty(); }));
    EXPECT_EQ(told, std::vector<std::string>{*store->errorMessage()}) << "told once";
    EXPECT_EQ(store->profiles(), saved);
    EXPECT_EQ(store->errorMessage()->rfind("Could not save your websites: ", 0), 0u) << *store->errorMessage();
    EXPECT_GT(store->errorMessage()->size(), std::string("Could not save your websites: ").size());
    EXPECT_FALSE(store->hasPendingSave());
}

// A change's report learns how the write that carried it went, a newer write carrying it too;
// a report that tells the failure itself keeps the general failure signal quiet.
TEST_F(WebAppStoreTest, AnUpsertsReportLearnsHowTheWriteCarryingItWent) {
    auto store = storeWith({a});
    int signalled = 0;
    store->signal_saveFailed().connect([&](const SaveFailureNotice&) { ++signalled; });
    std::vector<std::optional<std::string>> reported;
    auto report = [&](bool tellsItself) {
        return [&reported, tellsItself](const std::optional<std::string>& failure) {
            reported.push_back(failure);
            return tellsItself;
        };
    };
    for (bool tellsItself : {true, false}) {
        reported.clear();
        {
            test::FileSizeLimit full(32);
            ASSERT_TRUE(store->upsert(c, report(tellsItself)));
            writer.flush();
        }
        ASSERT_TRUE(test::spinUntil([&] { return !reported.empty(); }));
        EXPECT_EQ(reported, std::vector{store->errorMessage()});
        EXPECT_TRUE(store->errorMessage().has_value());
        EXPECT_EQ(signalled, tellsItself ? 0 : 1) << "told once, by the report or the signal";
        store->clearErrorMessage();
    }

    reported.clear();
    {
        FileWriter::Hold hold(writer);
        ASSERT_TRUE(store->upsert(c, report(true)));
        ASSERT_EQ(hold.waitForHeldWrite(), path());
        ASSERT_TRUE(store->upsert(d, report(true)));
        test::FileSizeLimit full(32);
        ASSERT_EQ(hold.runHeldWrite(), path()) << "the first write fails; the second carries both";
    }
    ASSERT_TRUE(test::spinUntil([&] { return reported.size() == 2; }));
    EXPECT_EQ(reported, (std::vector<std::optional<std::string>>{std::nullopt, std::nullopt}));
    EXPECT_EQ(names(onDisk()), (std::vector<std::string>{"A", "C", "D"}));
    EXPECT_EQ(signalled, 1);
}

// A report asked for after any change learns how the write carrying the changes so far went: the
// delayed save still waiting (not a write already on its way without them), or at once when
// nothing is to be written.
TEST_F(WebAppStoreTest, AReportLearnsHowTheWriteCarryingTheChangesSoFarWent) {
    auto store = storeWith({a});
    int signalled = 0;
    store->signal_saveFailed().connect([&](const SaveFailureNotice&) { ++signalled; });
    using Reports = std::vector<std::optional<std::string>>;
    Reports reported;
    auto report = [&reported](const std::optional<std::string>& failure) {
        reported.push_back(failure);
        return true;
    };

    store->whenWritten(report);
    EXPECT_EQ(reported, Reports{std::nullopt}) << "nothing on its way";

    reported.clear();
    store->toggleFavorite(a.id);
    store->toggleFavorite(a.id);
    store->whenWritten(report);
    EXPECT_TRUE(reported.empty()) << "its save still waits";
    scheduler.advance(WebAppStore::kSaveDelay);
    EXPECT_FALSE(store->hasPendingSave()) << "undone before its save: nothing to write";
    EXPECT_EQ(reported, Reports{std::nullopt});

    reported.clear();
    const auto saved = store->profiles();
    {
        FileWriter::Hold hold(writer);
        ASSERT_TRUE(store->upsert(b));
        ASSERT_EQ(hold.waitForHeldWrite(), path());
        store->toggleFavorite(a.id);
        store->whenWritten(report);
        EXPECT_EQ(hold.runHeldWrite(), std::nullopt);
    }
    ASSERT_TRUE(test::spinUntil([&] { return !writer.busy(path()); }));
    EXPECT_TRUE(reported.empty()) << "the write in flight did not carry the change";
    {
        test::FileSizeLimit full(32);
        scheduler.advance(WebAppStore::kSaveDelay);
        writer.flush();
    }
    ASSERT_TRUE(test::spinUntil([&] { return !reported.empty(); }));
    EXPECT_EQ(reported, Reports{store->errorMessage()});
    EXPECT_TRUE(store->errorMessage().has_value());
    EXPECT_EQ(signalled, 0) << "the report told it";
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(store->profile(a.id)->isFavorite, a.isFavorite) << "rolled back";
}

// Which changes the person asked for (every failed write of them is told, titled for the website)
// and which a window keeps by itself (a failed write of them is told once until a write succeeds,
// titled for the window's state). profiles.json is a folder meanwhile: every write fails.
TEST_F(WebAppStoreTest, EveryFailedWriteOfAnAskedChangeIsToldAndOfAWindowsOwnStateOnce) {
    using Change = std::function<void(WebAppStore&)>;
    const CodableRect frame{10, 20, 640, 480, std::nullopt};
    const SuggestedWebsite suggestion = SuggestedWebsite::all().front();
    const struct {
        const char* name;
        Change change;
        bool asked;
    } cases[] = {
        {"visibility", [&](WebAppStore& s) { s.setWasVisible(true, a.id); }, false},
        {"frame", [&](WebAppStore& s) { s.setWindowFrame(frame, a.id); }, false},
        {"icon", [&](WebAppStore& s) { s.setIconURL("https://a.example/icon.png", a.id); }, false},
        {"last page",
         [&](WebAppStore& s) {
             s.update(a.id, [](WebAppProfile& p) { p.lastURL = "https://a.example/page"; },
                      WebsiteChange::keptByWindow);
         },
         false},
        {"favourite", [&](WebAppStore& s) { s.toggleFavorite(a.id); }, true},
        {"tray icon", [&](WebAppStore& s) { s.toggleMenuBarIcon(a.id); }, true},
        {"tray icon on", [&](WebAppStore& s) { s.setMenuBarIcon(true, a.id); }, true},
        {"tray icon off", [&](WebAppStore& s) { s.hideMenuBarIcon(b.id); }, true},
        {"an edit", [&](WebAppStore& s) { s.update(a.id, [](WebAppProfile& p) { p.opacity = 0.5; }); }, true},
        {"upsert", [&](WebAppStore& s) { s.upsert(c); }, true},
        {"show in tray",
         [&](WebAppStore& s) {
             s.profileForOpening(true, "https://a.example/", "A", std::nullopt, {}, std::nullopt);
         },
         true},
        {"a suggestion", [&](WebAppStore& s) { s.add(suggestion, {}); }, true},
        {"deletion", [&](WebAppStore& s) { s.deleteProfile(a.id); }, true},
        {"start-page move", [&](WebAppStore& s) { s.move(b.id, -1); }, true},
        {"settings move", [&](WebAppStore& s) { s.reposition(b.id, -1); }, true},
        {"a window's frame with a favourite still waiting",
         [&](WebAppStore& s) {
             s.toggleFavorite(a.id);
             s.setWindowFrame(frame, a.id);
         },
         true},
    };
    b.menuBarIconEnabled = true;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(files::removeFileIfPresent(path()));
        auto store = storeWith({a, b});
        const auto saved = store->profiles();
        std::vector<SaveFailureNotice> told;
        store->signal_saveFailed().connect([&](const SaveFailureNotice& notice) { told.push_back(notice); });
        // Changes the websites and waits until the write carrying the change has reported.
        auto tryOnce = [&] {
            row.change(*store);
            ASSERT_NE(store->profiles(), saved) << "no change made";
            bool reported = false;
            store->whenWritten([&](const std::optional<std::string>&) { return !(reported = true); });
            scheduler.advance(WebAppStore::kSaveDelay);
            ASSERT_TRUE(test::spinUntil([&] { return reported; }));
        };

        ASSERT_TRUE(files::removeFileIfPresent(path()));
        ASSERT_EQ(::mkdir(path().c_str(), 0700), 0);
        for (int attempt = 0; attempt < 3; ++attempt) tryOnce();
        ASSERT_TRUE(store->errorMessage());
        const SaveFailureNotice notice{row.asked ? "Could not save website" : "Could not save window state",
                                       *store->errorMessage()};
        EXPECT_EQ(told, std::vector<SaveFailureNotice>(row.asked ? 3 : 1, notice));
        EXPECT_EQ(store->profiles(), saved) << "taken back";

        store.reset();
        ASSERT_EQ(::rmdir(path().c_str()), 0);
    }
}

// A window's own state that cannot be written is news again once a write got through.
TEST_F(WebAppStoreTest, AWindowsOwnStateIsToldAgainAfterAWriteGotThrough) {
    auto store = storeWith({a});
    std::vector<std::string> titles;
    store->signal_saveFailed().connect(
        [&](const SaveFailureNotice& notice) { titles.push_back(notice.title); });
    auto show = [&](bool visible, bool writable) {
        if (!writable) {
            ASSERT_TRUE(files::removeFileIfPresent(path()));
            ASSERT_EQ(::mkdir(path().c_str(), 0700), 0);
        }
        store->setWasVisible(visible, a.id);
        scheduler.advance(WebAppStore::kSaveDelay);
        ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
        if (!writable) {
            ASSERT_EQ(::rmdir(path().c_str()), 0);
        }
    };
    show(true, false);
    show(true, false);
    EXPECT_EQ(titles, std::vector<std::string>{"Could not save window state"});
    show(true, true);
    EXPECT_TRUE(onDisk().front().wasVisible);
    show(false, false);
    EXPECT_EQ(titles, std::vector<std::string>(2, "Could not save window state"));
}

TEST_F(WebAppStoreTest, AFailedDelayedSaveRollsBackWhenItsWriteReportsBack) {
    auto store = storeWith({a});
    auto saved = store->profiles();
    std::string bytes = readBytes(path());
    store->toggleFavorite(a.id);
    {
        test::FileSizeLimit limit(32);
        scheduler.advance(WebAppStore::kSaveDelay);
        writer.flush();
    }
    ASSERT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
    EXPECT_EQ(store->profiles(), saved);
    EXPECT_EQ(store->errorMessage().value_or("").rfind("Could not save your websites: ", 0), 0u);
    EXPECT_EQ(readBytes(path()), bytes);
}

// A reader of the file (a backup's load, another program) may run while a write is in flight:
// only the store's own start takes partial files for leftovers of an interrupted write.
TEST_F(WebAppStoreTest, OnlyTheStoresStartClearsPartialFilesOfItsWrites) {
    storeWith({a}).reset();
    const std::vector<std::string> partial = {path() + files::kTemporarySuffix + "Ab3dE9",
                                              backup() + files::kTemporarySuffix + "x0Y1z2"};
    for (const auto& file : partial) test::writeBytes(file, "{");
    ASSERT_TRUE(ProfilePersistence(path()).load().ok());
    ASSERT_TRUE(ProfilePersistence(path()).save({a, b}).ok());
    for (const auto& file : partial) EXPECT_TRUE(test::exists(file)) << "a reader or writer removed " << file;
    auto store = openStore();
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"A", "B"}));
    for (const auto& file : partial) EXPECT_FALSE(test::exists(file)) << "the store kept " << file;
}

TEST_F(WebAppStoreTest, UpsertAppendsOrReplacesInPlace) {
    auto store = storeWith({a, b});
    c.name = "  C  ";
    c.sortOrder = 42;
    ASSERT_TRUE(store->upsert(c));
    EXPECT_EQ(store->profiles()[2].sortOrder, 2) << "appended with the previous count";
    EXPECT_EQ(store->profiles()[2].name, "C") << "normalised";

    a.name = "A2";
    a.sortOrder = 9;
    ASSERT_TRUE(store->upsert(a));
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"A2", "B", "C"}));
    EXPECT_EQ(store->profiles()[0].sortOrder, 9) << "the whole record, with its own sortOrder";
    EXPECT_EQ(names(onDisk()), (std::vector<std::string>{"B", "C", "A2"})) << "saved at once";
}

// Edits from the editor, the window's live settings and the lists: none waits for the disk, and
// the ones handed over while a write is in flight are written together.
TEST_F(WebAppStoreTest, ChangesDoNotWaitForTheDiskAndABurstIsWrittenTwice) {
    auto store = storeWith({a, b});
    FileWriter::Hold hold(writer);
    test::WaitingCallerWatch watch(hold);
    c.name = "C";
    EXPECT_TRUE(store->upsert(c));
    EXPECT_EQ(hold.waitForHeldWrite(std::chrono::seconds(2)), path()) << "the first write is in flight";
    for (int step = 1; step <= 20; ++step) {
        a.opacity = 1.0 - step * 0.02;
        EXPECT_TRUE(store->upsert(a));
    }
    store->move(b.id, -1);
    store->reposition(c.id, -2);
    EXPECT_TRUE(store->deleteProfile(a.id));
    EXPECT_FALSE(watch.stop()) << "a change waited for the disk";
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"C", "B"})) << "read at once as changed";

    int writes = 1;
    while (hold.runHeldWrite()) ++writes;
    EXPECT_EQ(writes, 2) << "the one in flight, then every change handed over meanwhile";
    hold.release();
    EXPECT_EQ(onDisk(), store->profiles()) << "the newest list is the one written last";
    EXPECT_TRUE(test::spinUntil([&] { return !store->hasPendingSave(); }));
    EXPECT_FALSE(store->errorMessage());
}

TEST_F(WebAppStoreTest, SharedDataStoreKeepsOneProxy) {
    Uuid session = Uuid::random();
    a = inStore(a, session);
    b = inStore(b, session);
    auto shared = website("Shared", "https://s.example");
    auto store = storeWith({a, b, shared});

    auto proxy = test::socksProxy();
    a.siteProxy = proxy;
    ASSERT_TRUE(store->upsert(a));
    EXPECT_EQ(store->profile(b.id)->siteProxy, proxy);
    EXPECT_FALSE(store->profile(shared.id)->siteProxy);

    auto changed = proxy;
    changed.credentialID = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    b.siteProxy = changed;
    ASSERT_TRUE(store->upsert(b));
    EXPECT_EQ(store->profile(a.id)->siteProxy, changed) << "a changed credential id counts";

    b.siteProxy.reset();
    ASSERT_TRUE(store->upsert(b));
    EXPECT_FALSE(store->profile(a.id)->siteProxy) << "a removed proxy is removed from all";
    EXPECT_EQ(onDisk()[0].siteProxy, std::nullopt);

    // Joining a data store copies nothing to the websites already there.
    auto joining = inStore(*store->profile(shared.id), session);
    joining.siteProxy = proxy;
    ASSERT_TRUE(store->upsert(joining));
    EXPECT_FALSE(store->profile(a.id)->siteProxy);
}

TEST_F(WebAppStoreTest, ProfileMatchingPrefersTheWindowsOwnWebsite) {
    Uuid session = Uuid::random();
    auto own = inStore(website("Own", "https://www.mail.example/inbox"), session);
    auto exact = inStore(website("Exact", "https://mail.example/settings"), session);
    auto sharedRoot = website("Shared root", "https://news.example/");
    auto sharedOwn = website("Shared own", "https://news.example/world");
    auto broken = website("Broken", "not a website");
    auto store = storeWith({own, exact, sharedRoot, sharedOwn, broken});

    struct Case {
        const char* url;
        std::optional<Uuid> window;
        std::optional<WebAppProfile> windowRecord;
        std::optional<Uuid> expected;
    };
    const Case cases[] = {
        {"https://mail.example/settings", own.id, std::nullopt, own.id},  // own store: the window's website first
        {"https://news.example", sharedOwn.id, std::nullopt, sharedRoot.id},  // shared: an exact address first
        {"https://news.example/sport", sharedOwn.id, std::nullopt, sharedOwn.id},  // then the window's own
        {"https://news.example/sport", std::nullopt, std::nullopt, sharedRoot.id},  // then a root-path website
        {"https://news.example/sport", broken.id, std::nullopt, sharedRoot.id},  // bad own home
        {"https://mail.example/", std::nullopt, std::nullopt, std::nullopt},  // other stores are not looked at
        {"http://news.example/sport", std::nullopt, std::nullopt, std::nullopt},  // another scheme, another site
        {"https://news.example:8443/", std::nullopt, std::nullopt, std::nullopt},
        {"https://mail.example/settings", std::nullopt, own, exact.id},  // the window's record decides the store
    };
    for (const auto& c : cases) {
        auto found = store->profileMatching(c.url, c.window, c.windowRecord);
        EXPECT_EQ(found ? std::optional(found->id) : std::nullopt, c.expected) << c.url;
    }
}

TEST_F(WebAppStoreTest, AddSuggestionReusesAnExistingWebsite) {
    auto saved = website("Mine", "https://WWW.Wikipedia.org/");
    auto withAccount = website("Work", "https://github.com");
    withAccount.accountName = "Work";
    auto store = storeWith({withAccount, saved});
    AppPreferences preferences;
    preferences.defaultOpacity = 0.8;
    preferences.defaultCompact = true;

    auto wikipedia = *SuggestedWebsite::matching("https://www.wikipedia.org");
    ASSERT_TRUE(store->add(wikipedia, preferences));
    ASSERT_EQ(store->profiles().size(), 2u);
    EXPECT_EQ(store->profile(saved.id)->menuBarIconEnabled, true);

    auto github = *SuggestedWebsite::matching("https://github.com");
    ASSERT_TRUE(store->add(github, preferences));
    ASSERT_EQ(store->profiles().size(), 3u) << "a website with an account name is not reused";
    const auto& added = store->profiles().back();
    ASSERT_TRUE(added.sessionIdentifier) << "isolateNewWindows absent reads as on";
    WebAppProfile expected = website(github.name, github.address);
    expected.id = added.id;
    expected.sortOrder = 2;
    expected.opacity = 0.8;
    expected.compactMode = true;
    expected.menuBarIconEnabled = expected.isolatedAccount = true;
    expected.sessionIdentifier = added.sessionIdentifier;
    EXPECT_EQ(added, expected);
}

TEST_F(WebAppStoreTest, ProfileForOpening) {
    auto store = storeWith({a});
    std::string bytes = readBytes(path());
    AppPreferences preferences;

    EXPECT_FALSE(store->profileForOpening(true, "https://a.example/login?token=x", "Sign in", a.id, preferences, std::nullopt));
    EXPECT_TRUE(store->profileForOpening(false, "https://unknown.example/", "", std::nullopt, preferences, std::nullopt));
    EXPECT_EQ(readBytes(path()), bytes) << "nothing saved";
    EXPECT_EQ(store->profiles().size(), 1u);

    ASSERT_TRUE(store->profileForOpening(true, "https://a.example/deep/page", "Deep", a.id, preferences, std::nullopt));
    EXPECT_EQ(store->profiles().size(), 1u);
    EXPECT_EQ(store->profile(a.id)->menuBarIconEnabled, true);

    ASSERT_TRUE(store->profileForOpening(true, "https://blog.example/post", "  \n", std::nullopt, preferences, std::nullopt));
    ASSERT_EQ(store->profiles().size(), 2u);
    EXPECT_EQ(store->profiles()[1].name, "blog.example") << "a blank title names the website after the host";
    EXPECT_EQ(store->profiles()[1].homeURL, "https://blog.example/post");
    EXPECT_EQ(store->profiles()[1].menuBarIconEnabled, true);

    // A built-in suggestion's host gives its address and name.
    ASSERT_TRUE(store->profileForOpening(true, "https://github.com/some/repo", "Repo", std::nullopt, preferences, std::nullopt));
    EXPECT_EQ(store->profiles()[2].homeURL, "https://github.com");
    EXPECT_EQ(store->profiles()[2].name, "GitHub");

    // The window's own record gives its live settings and data store.
    auto windowRecord = inStore(website("Window", "https://private.example"), Uuid::random());
    windowRecord.accountName = "Me";
    windowRecord.siteProxy = test::socksProxy();
    windowRecord.zoomLevel = 1.5;
    ASSERT_TRUE(store->profileForOpening(true, "https://shop.example/", "Shop", std::nullopt, preferences, windowRecord));
    WebAppProfile expected = windowRecord;
    expected.id = store->profiles().back().id;
    expected.name = "Shop";
    expected.homeURL = "https://shop.example/";
    expected.sortOrder = 3;
    expected.menuBarIconEnabled = true;
    expected.trackerBlockingEnabled = expected.edgeTuckEnabled = expected.keepAwakeEnabled = false;
    EXPECT_EQ(store->profiles().back(), expected);
    ASSERT_TRUE(store->profileForOpening(false, "https://shop.example/", "Shop", std::nullopt, preferences, windowRecord));
    EXPECT_EQ(store->profiles().back().menuBarIconEnabled, false);
}

TEST_F(WebAppStoreTest, MoveStaysWithinTheFavouriteGroup) {
    auto f1 = website("F1", "https://f1.example"), n1 = website("N1", "https://n1.example", false);
    auto f2 = website("F2", "https://f2.example"), n2 = website("N2", "https://n2.example", false);
    auto store = storeWith({f1, n1, f2, n2});
    std::string bytes = readBytes(path());
    store->move(f1.id, -1);
    EXPECT_EQ(readBytes(path()), bytes) << "the first favourite cannot move up";
    store->move(n2.id, -5);
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"F1", "N2", "F2", "N1"})) << "swapped within its group";
    store->move(f1.id, 1);
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"F2", "N2", "F1", "N1"}));
    EXPECT_EQ(names(onDisk()), names(store->profiles()));
    for (std::size_t i = 0; i < store->profiles().size(); ++i)
        EXPECT_EQ(store->profiles()[i].sortOrder, static_cast<std::int64_t>(i));
}

TEST_F(WebAppStoreTest, RepositionOverTheWholeListDeleteAndReplaceRenumber) {
    auto store = storeWith({a, b, c, d});
    store->reposition(b.id, 10);
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"A", "C", "D", "B"}));
    store->reposition(d.id, -10);
    EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"D", "A", "C", "B"}));
    EXPECT_EQ(names(onDisk()), names(store->profiles()));

    store->update(c.id, [](WebAppProfile& p) { p.sortOrder = 17; });
    EXPECT_TRUE(store->deleteProfile(Uuid::random()));
    EXPECT_EQ(store->profiles()[2].sortOrder, 2);
    ASSERT_TRUE(store->deleteProfile(a.id));
    EXPECT_EQ(names(onDisk()), (std::vector<std::string>{"D", "C", "B"}));
    EXPECT_EQ(onDisk()[1].sortOrder, 1);

    c.sortOrder = a.sortOrder = 9;
    ASSERT_TRUE(store->replaceProfiles({c, a}));
    EXPECT_EQ(onDisk()[1].sortOrder, 1) << "a whole new list is renumbered too";
}

// A whole list that cannot be written is not taken, and the person's edits made before it come back
// and are saved later; clearing addresses that cannot be written says so and leaves the file.
TEST_F(WebAppStoreTest, FailedReplacementKeepsEarlierEditsAndFailedClearingSaysSo) {
    a.lastURL = "https://a.example/read";
    auto store = storeWith({a, b});
    const std::string before = readBytes(path());
    store->toggleFavorite(b.id);
    const auto edited = store->profiles();
    {
        test::FileSizeLimit limit(32);
        EXPECT_FALSE(store->replaceProfiles({c}));
        EXPECT_EQ(store->profiles(), edited);
        EXPECT_TRUE(store->hasPendingSave());
        EXPECT_FALSE(store->clearLastURLs());
        EXPECT_TRUE(store->errorMessage().has_value());
    }
    EXPECT_EQ(readBytes(path()), before);
    EXPECT_EQ(store->profiles()[0].lastURL, a.lastURL) << "nothing was cleared";
}

// Whatever made the file unreadable, and whether or not a backup is there, the person reads the one
// fixed sentence (the record at fault goes to the log), and nothing is written.
TEST_F(WebAppStoreTest, ReadOnlyStoreSaysTheFixedSentenceAndRefusesEveryEdit) {
    Json record = Json(website("Mail", "https://mail.example"));
    record.erase("homeURL");
    const struct {
        const char* what;
        std::string damaged;
        bool backedUp;
    } files[] = {
        {"a record at fault, no backup", Json{{"version", 1}, {"profiles", {record}}}.dump(), false},
        {"a record at fault, backed up", Json{{"version", 1}, {"profiles", {record}}}.dump(), true},
        {"no JSON, backed up", "{\"version\": 1, \"profiles\": [", true},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.what);
        test::writeBytes(path(), file.damaged);
        if (file.backedUp)
            test::writeBytes(backup(), "an earlier copy");
        else
            ::unlink(backup().c_str());
        auto store = openStore();
        EXPECT_FALSE(store->writable());
        EXPECT_EQ(store->errorMessage(),
                  "Your saved websites could not be read. The original file and backup are preserved. Restore a "
                  "valid profiles.json before making changes.");
    }
    const std::string damaged = readBytes(path());
    auto store = openStore();
    ASSERT_FALSE(store->writable());
    AppPreferences preferences;
    EXPECT_FALSE(store->upsert(b));
    EXPECT_FALSE(store->deleteProfile(a.id));
    EXPECT_FALSE(store->clearLastURLs());
    EXPECT_FALSE(store->save());
    EXPECT_FALSE(store->add(SuggestedWebsite::all()[0], preferences));
    EXPECT_FALSE(store->profileForOpening(true, "https://c.example/", "C", std::nullopt, preferences, std::nullopt));
    store->move(a.id, 1);
    store->reposition(a.id, 1);
    store->setWasVisible(true, a.id);
    EXPECT_FALSE(store->hasPendingSave());
    scheduler.advance(1s);
    EXPECT_EQ(readBytes(path()), damaged);
}

TEST_F(WebAppStoreTest, ClearLastURLsReachesBothFiles) {
    a.lastURL = "https://a.example/secret-page";
    b.lastURL = "https://b.example/other";
    auto store = storeWith({a, b});
    store->update(a.id, [](WebAppProfile& p) { p.lastURL = "https://a.example/newer"; });
    ASSERT_TRUE(store->save());  // the backup now holds addresses too
    ASSERT_NE(readBytes(backup()).find("lastURL"), std::string::npos);

    ASSERT_TRUE(store->clearLastURLs());
    EXPECT_EQ(readBytes(path()).find("lastURL"), std::string::npos);
    EXPECT_EQ(readBytes(backup()).find("lastURL"), std::string::npos);
    auto backupRecords = ProfilePersistence(backup()).load();
    ASSERT_TRUE(backupRecords.ok());
    EXPECT_EQ(backupRecords->size(), 2u);
    for (const auto& p : store->profiles()) EXPECT_FALSE(p.lastURL);

    auto fresh = WebAppStore(home.path("fresh/profiles.json"), scheduler);
    EXPECT_TRUE(fresh.clearLastURLs()) << "without a backup";
}

// A record that repeats an earlier record's id is left out, but never lost: before the first write
// that leaves it out, whichever write that is, the file as read is kept as a recovery copy; later
// writes make none, nor does a store that writes nothing, nor one that set nothing aside.
TEST_F(WebAppStoreTest, ARecordSetAsideForARepeatedIdIsKeptInARecoveryCopyBeforeTheFirstWrite) {
    WebAppProfile twin = inStore(website("Twin", "https://twin.example"), Uuid::random());
    twin.id = a.id;
    b.lastURL = "https://b.example/page";  // so that clearing the last addresses writes
    const std::pair<const char*, std::function<void(WebAppStore&)>> firstWrites[] = {
        {"a setter's delayed save",
         [&](WebAppStore& store) {
             store.setWasVisible(true, b.id);
             scheduler.advance(WebAppStore::kSaveDelay);
         }},
        {"an upsert", [&](WebAppStore& store) { EXPECT_TRUE(store.upsert(c)); }},
        {"a deletion", [&](WebAppStore& store) { EXPECT_TRUE(store.deleteProfile(b.id)); }},
        {"a waited save",
         [&](WebAppStore& store) {
             store.setWasVisible(true, b.id);
             EXPECT_TRUE(store.save());
         }},
        {"clearing the last addresses", [&](WebAppStore& store) { EXPECT_TRUE(store.clearLastURLs()); }},
        {"replacing the list", [&](WebAppStore& store) { EXPECT_TRUE(store.replaceProfiles({a, c})); }},
        {"restoring the backup",
         [&](WebAppStore& store) {
             ASSERT_TRUE(ProfilePersistence(backup()).save({d}));
             EXPECT_TRUE(store.restorePrevious());
         }},
    };
    for (const auto& [label, write] : firstWrites) {
        SCOPED_TRACE(label);
        ASSERT_TRUE(ProfilePersistence(path()).save({a, b, twin}));
        const std::string asRead = readBytes(path());
        {
            auto store = openStore();
            EXPECT_EQ(names(store->profiles()), (std::vector<std::string>{"A", "B"}));
            EXPECT_EQ(names(store->setAsideProfiles()), std::vector<std::string>{"Twin"});
            writer.flush();
            EXPECT_TRUE(files::recoveryPaths(path()).empty()) << "nothing is copied before a write";
            write(*store);
            writer.flush();
            auto copies = files::recoveryPaths(path());
            ASSERT_EQ(copies.size(), 1u);
            EXPECT_EQ(readBytes(copies[0]), asRead);
            store->setWindowFrame(CodableRect{1, 2, 500, 400, 3u}, a.id);
            scheduler.advance(WebAppStore::kSaveDelay);
            EXPECT_TRUE(store->save());
            EXPECT_EQ(files::recoveryPaths(path()), copies) << "later writes copy nothing";
        }
        for (const auto& copy : files::recoveryPaths(path())) ASSERT_TRUE(files::removeFileIfPresent(copy));
        ASSERT_TRUE(files::removeFileIfPresent(backup()));
    }

    // Asked for at start, the copy is made before any write and named; the first write makes no
    // second one.
    ASSERT_TRUE(ProfilePersistence(path()).save({a, b, twin}));
    const std::string asRead = readBytes(path());
    {
        auto store = openStore();
        std::optional<Result<std::string>> kept;
        store->keepSetAsideCopy([&](const Result<std::string>& place) { kept = place; });
        ASSERT_TRUE(test::spinUntil([&] { return kept.has_value(); }));
        ASSERT_TRUE(kept->ok());
        EXPECT_EQ(files::recoveryPaths(path()), std::vector<std::string>{kept->value()});
        EXPECT_EQ(readBytes(kept->value()), asRead);
        EXPECT_EQ(readBytes(path()), asRead);
        EXPECT_TRUE(store->upsert(c));
        store->keepSetAsideCopy({});  // asked again, by nobody who listens: still the one copy
        writer.flush();
        ASSERT_TRUE(test::spinUntil([&] { return !writer.busy(path() + files::kRecoveryCopy); }));
        EXPECT_EQ(files::recoveryPaths(path()), std::vector<std::string>{kept->value()});
    }
    for (const auto& copy : files::recoveryPaths(path())) ASSERT_TRUE(files::removeFileIfPresent(copy));

    // Nothing set aside: no copy, whatever is written.
    auto store = storeWith({a, b});
    store->keepSetAsideCopy({});
    EXPECT_TRUE(store->upsert(c));
    writer.flush();
    EXPECT_TRUE(files::recoveryPaths(path()).empty());
    EXPECT_TRUE(store->setAsideProfiles().empty());
}

}  // namespace
}  // namespace quenlith
