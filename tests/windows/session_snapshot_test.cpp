// Session recovery of the window manager: the debounced snapshot with its backup, the launch
// restore, the removal when restoring is off, and an unreadable session file left untouched.
#include <gtest/gtest.h>

#include "browser/view/browser_tab.hpp"
#include "model/file_store.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"
#include "windows/window_manager_fixture.hpp"

namespace quenlith {
namespace {

using test::spinUntil;
using namespace std::chrono_literals;

class SessionSnapshotTest : public test::WindowManagerFixture {
protected:
    std::string path() const { return manager->sessionPersistence.fileURL(); }
    std::string contents(const std::string& file) const {
        auto bytes = files::readWholeFile(file, 1 << 24);
        return bytes ? *bytes : "";
    }
    void restoring(bool on) {
        preferences->update([on](AppPreferences& p) { p.restoreWindows = on; });
    }
    // Waits until the writer thread has told its result.
    void settled() { ASSERT_TRUE(spinUntil([&] { return !manager->snapshotWriting(); })); }
};

TEST_F(SessionSnapshotTest, TwoChangesHalfASecondApartGiveOneWriteAfterTheSecondAndKeepTheBackup) {
    auto alpha = website("Alpha", "/alpha");
    alpha.launchAtStartup = true;
    restoring(true);
    start({alpha});
    manager->restoreSession();
    timers.advance(5s);  // the websites' visibility flags are saved and announced meanwhile
    settled();
    const std::string first = contents(path());
    ASSERT_NE(first.find(alpha.id.string()), std::string::npos);

    manager->openPrivateWindow();
    timers.advance(500ms);
    manager->window(alpha.id)->browser().addTab(server.url("/alpha"));
    manager->publishState();
    timers.advance(699ms);
    settled();
    EXPECT_EQ(contents(path()), first) << "nothing is written before 0.7 s of quiet";
    timers.advance(1ms);
    settled();
    auto saved = manager->sessionPersistence.load();
    ASSERT_TRUE(saved && *saved);
    ASSERT_EQ((*saved)->windows.size(), 1u) << "the private window is never saved";
    EXPECT_EQ((*saved)->windows[0].tabs.size(), 2u);
    EXPECT_EQ(contents(files::backupPath(path())), first) << "one write: the backup is the first snapshot";
    EXPECT_EQ(manager->continuityError(), std::nullopt);
}

TEST_F(SessionSnapshotTest, RestoresEachWindowAsSavedAndSkipsWindowsOfDeletedWebsites) {
    auto alpha = website("Alpha", "/alpha");
    auto gone = website("Gone", "/gone");
    restoring(true);
    start({alpha});
    RestorableWindow shown{.id = alpha.id, .savedProfileID = alpha.id,
                           .tabs = {{server.url("/alpha"), "Alpha"}, {server.url("/two"), "Two", false, true}},
                           .selected = 0, .frame = {100, 120, 500, 400, std::nullopt}};
    RestorableWindow hidden{.id = Uuid::random(), .temporaryProfile = website("Ad hoc", "/adhoc"),
                            .tabs = {{server.url("/adhoc"), "Ad hoc", false, true}},
                            .frame = {600, 80, 420, 300, std::nullopt}, .visible = false};
    hidden.temporaryProfile->id = Uuid::random();
    hidden.temporaryProfile->isolatedAccount = false;  // as the window's copy says it
    RestorableWindow deleted{.id = gone.id, .savedProfileID = gone.id, .tabs = {{server.url("/gone"), "Gone"}},
                             .frame = {0, 0, 400, 400, std::nullopt}};
    BrowserSessionDocument document{1, {shown, hidden, deleted}, hidden.id};
    ASSERT_TRUE(manager->sessionPersistence.save(document));

    manager->restoreSession();
    EXPECT_EQ(manager->windows().size(), 2u);
    EXPECT_EQ(manager->lastActiveID, hidden.id);
    ASSERT_TRUE(mapped(*manager->window(alpha.id)));
    EXPECT_FALSE(manager->window(hidden.id)->panel().get_visible());
    EXPECT_TRUE(spinUntil([&] { return manager->window(alpha.id)->panel().frame() == Rect{100, 120, 500, 400}; }));
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/alpha") == 1; })) << "the selected tab wakes";
    EXPECT_EQ(server.requestCount("/two") + server.requestCount("/adhoc"), 0) << "the others sleep";
    ASSERT_TRUE(spinUntil([&] { return manager->window(alpha.id)->browser().activeTab()->pageTitle() == "Alpha"; }));

    // What is restored is written back as it was read.
    manager->writeSnapshot(true);
    auto again = manager->sessionPersistence.load();
    ASSERT_TRUE(again && *again);
    BrowserSessionDocument expected{1, {shown, hidden}, hidden.id};
    expected = expected.normalized();
    for (auto& window : (*again)->windows) window.frame.displayID.reset();
    EXPECT_EQ(Json(**again).dump(), Json(expected).dump());
}

TEST_F(SessionSnapshotTest, RestoringOffDeletesBothFilesAndOpensOnlyLaunchAtStartWebsites) {
    auto launched = website("Launched", "/launched");
    launched.launchAtStartup = true;
    auto wasShown = website("Shown", "/shown");
    wasShown.wasVisible = true;
    start({launched, wasShown});
    RestorableWindow saved{.id = wasShown.id, .savedProfileID = wasShown.id, .tabs = {{server.url("/shown"), "S"}},
                           .frame = {0, 0, 400, 400, std::nullopt}};
    ASSERT_TRUE(manager->sessionPersistence.save({1, {saved}, {}}));
    ASSERT_TRUE(manager->sessionPersistence.save({1, {saved}, {}}));
    ASSERT_TRUE(files::pathExists(files::backupPath(path())));

    manager->restoreSession();
    EXPECT_FALSE(files::pathExists(path()));
    EXPECT_FALSE(files::pathExists(files::backupPath(path())));
    EXPECT_NE(manager->window(launched.id), nullptr);
    EXPECT_EQ(manager->windows().size(), 1u);
}

TEST_F(SessionSnapshotTest, AnUnreadableSessionIsNeverOverwrittenUntilRemoved) {
    auto alpha = website("Alpha", "/alpha");
    alpha.launchAtStartup = true;
    restoring(true);
    start({alpha});
    ASSERT_TRUE(files::writeFileAtomically(path(), "{\"version\": 1, \"windows\": ["));
    manager->restoreSession();
    EXPECT_EQ(manager->continuityError(),
              localizedString("The saved session could not be read. Existing website settings are intact."));
    EXPECT_NE(manager->window(alpha.id), nullptr) << "launch-at-start websites still open";
    manager->publishState();
    timers.advance(5s);
    manager->shutdown();
    EXPECT_EQ(contents(path()), "{\"version\": 1, \"windows\": [");
}

TEST_F(SessionSnapshotTest, ResetMakesTheSessionWritableAgain) {
    restoring(true);
    start();
    ASSERT_TRUE(files::createParentFolder(path()));
    ASSERT_TRUE(files::writeFileAtomically(path(), "not json"));
    manager->restoreSession();
    ASSERT_FALSE(manager->sessionWritable());
    manager->removeSavedSession();
    EXPECT_TRUE(manager->sessionWritable());
    EXPECT_EQ(manager->continuityError(), std::nullopt);
    manager->showBrowser();
    timers.advance(BrowserWindowManager::kSnapshotDelay);
    settled();
    auto saved = manager->sessionPersistence.load();
    ASSERT_TRUE(saved && *saved);
    EXPECT_TRUE((*saved)->windows.at(0).isMainBrowser);
}

}  // namespace
}  // namespace quenlith
