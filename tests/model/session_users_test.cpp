// Which website-data sessions nothing uses any more: a case per kind of user, and the saved files
// that can bring a session back.
#include "model/session_users.hpp"

#include <functional>

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/library_file.hpp"
#include "model/profile_persistence.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

using test::makeClip;
using test::makeSceneWindow;
using test::makeWindow;

WebAppProfile ownSession(const Uuid& session, bool switchedOn) {
    WebAppProfile website = test::website("Mail", "https://mail.example.com");
    website.sessionIdentifier = session;
    website.isolatedAccount = switchedOn;
    return website;
}

PageClip savedPage(const Uuid& session) {
    PageClip clip = makeClip();
    clip.windowSession = WindowSessionReference{session, std::nullopt};
    return clip;
}

// A window of no saved website (the main browser window, another session's window).
RestorableWindow browsingWindow(const Uuid& session) {
    RestorableWindow window = makeWindow(1);
    window.temporaryProfile = ownSession(session, true);
    return window;
}

TEST(SessionUsers, OnlySessionsNothingNamesAreUnused) {
    const std::vector<Uuid> s{Uuid::random(), Uuid::random(), Uuid::random(), Uuid::random()};
    struct Case {
        const char* label;
        std::function<void(SessionUsers&)> users;
        std::vector<Uuid> unused;
    };
    const Case cases[] = {
        {"nothing", [](SessionUsers&) {}, s},
        {"websites' own sessions, switched on or off",
         [&](SessionUsers& u) { u.addWebsites({ownSession(s[0], true), ownSession(s[1], false), test::website("A", "a.com")}); },
         {s[2], s[3]}},
        {"a saved page and a page-group window",
         [&](SessionUsers& u) {
             LibraryDocument library;
             library.clips = {makeClip(), savedPage(s[1])};
             library.scenes = {test::makeScene()};
             library.scenes[0].windows.push_back(makeSceneWindow());
             library.scenes[0].windows[1].windowSession = WindowSessionReference{s[3], std::nullopt};
             u.addLibrary(library);
         },
         {s[0], s[2]}},
        {"a saved window of no website; a website's saved window names no session",
         [&](SessionUsers& u) {
             RestorableWindow website = makeWindow(1);
             website.savedProfileID = s[0];
             u.addSession({1, {website, browsingWindow(s[2])}, std::nullopt});
         },
         {s[0], s[1], s[3]}},
        {"open windows", [&](SessionUsers& u) { u.add(s[1]), u.add(s[1]), u.add(s[3]); }, {s[0], s[2]}},
        {"a source that could not be read",
         [&](SessionUsers& u) {
             u.add(s[0]);
             u.addUnreadable();
         },
         {}},
    };
    for (const auto& c : cases) {
        SessionUsers users;
        c.users(users);
        EXPECT_EQ(unusedSessions(s, users), c.unused) << c.label;
    }
}

TEST(SessionUsers, TheSavedFilesThatCanBringASessionBackUseIt) {
    const std::vector<Uuid> s{Uuid::random(), Uuid::random(), Uuid::random(), Uuid::random(), Uuid::random()};
    // Each row damages one file, or none: an unreadable file may hold any session.
    for (int damaged = -1; damaged < 4; ++damaged) {
        SCOPED_TRACE(damaged);
        test::TemporaryEnvironment environment;
        // In the temporary data folder, never the person's.
        const SavedSessionFiles files = SavedSessionFiles::inDataFolder();
        const std::string backups[] = {files::backupPath(files.websites), files::backupPath(files.library),
                                       files.session, files::backupPath(files.session)};
        // profiles.json and library.json are what the stores hold: those files are not read.
        ASSERT_TRUE(ProfilePersistence(files.websites).save({ownSession(s[0], false)}));
        ASSERT_TRUE(ProfilePersistence(files.websites).save({ownSession(s[4], true)}));  // the first is the backup
        LibraryDocument library;
        library.clips = {savedPage(s[1])};
        test::writeFile(backups[1], *encodeLibraryDocument(library));
        BrowserSessionPersistence session(files.session);
        ASSERT_TRUE(session.save({1, {browsingWindow(s[2])}, std::nullopt}));
        ASSERT_TRUE(session.save({1, {browsingWindow(s[3])}, std::nullopt}));  // the first goes to the backup
        if (damaged >= 0) test::writeFile(backups[damaged], "{\"version\": 1, ");

        SessionUsers users;
        users.addSavedFiles(files);
        EXPECT_EQ(unusedSessions(s, users), damaged >= 0 ? std::vector<Uuid>{} : std::vector<Uuid>{s[4]});
    }
}

// What "Restore Previous" kept of the replaced file may be gone back to: the sessions it names stay,
// read from its text when it is the damaged file the restore replaced.
TEST(SessionUsers, RecoveryCopiesUseTheSessionsTheyName) {
    const std::vector<Uuid> s{Uuid::random(), Uuid::random(), Uuid::random(), Uuid::random(), Uuid::random(),
                              Uuid::random()};
    test::TemporaryEnvironment environment;
    const SavedSessionFiles files = SavedSessionFiles::inDataFolder();
    ASSERT_TRUE(ProfilePersistence(files::newRecoveryPath(files.websites)).save({ownSession(s[0], false)}));
    LibraryDocument library;
    library.clips = {savedPage(s[1])};
    test::writeFile(files::newRecoveryPath(files.library), *encodeLibraryDocument(library));
    ASSERT_TRUE(BrowserSessionPersistence(files::newRecoveryPath(files.session)).save({1, {browsingWindow(s[2])}, std::nullopt}));
    // Cut off right after the session's identifier.
    const std::string damaged = files::newRecoveryPath(files.websites);
    ASSERT_TRUE(ProfilePersistence(damaged).save({ownSession(s[3], true)}));
    const std::string text = test::readFile(damaged);
    test::writeFile(damaged, text.substr(0, text.find(s[3].string()) + 37));
    // Only copies count: not the temporary file of writing one.
    ASSERT_TRUE(ProfilePersistence(files.websites + ".recovery-" + Uuid::random().string() + ".quenlith-partial-Ab3dE9")
                    .save({ownSession(s[4], true)}));

    SessionUsers users;
    users.addSavedFiles(files);
    EXPECT_EQ(unusedSessions(s, users), (std::vector<Uuid>{s[4], s[5]}));

    // A copy that cannot be read at all may name any session.
    ASSERT_EQ(::mkfifo(files::newRecoveryPath(files.library).c_str(), 0600), 0);
    SessionUsers unreadable;
    unreadable.addSavedFiles(files);
    EXPECT_EQ(unusedSessions(s, unreadable), std::vector<Uuid>{});
}

// A website record left out for repeating another's id is still the person's: the copies of
// profiles.json that hold it (its backup, the recovery copy kept before the first write) keep its
// session in use.
TEST(SessionUsers, AWebsiteSetAsideForARepeatedIdKeepsItsSession) {
    const std::vector<Uuid> s{Uuid::random(), Uuid::random(), Uuid::random()};
    for (bool recovery : {false, true}) {
        SCOPED_TRACE(recovery ? "a recovery copy" : "the backup");
        test::TemporaryEnvironment environment;
        const SavedSessionFiles files = SavedSessionFiles::inDataFolder();
        const std::string copy = recovery ? files::newRecoveryPath(files.websites) : files::backupPath(files.websites);
        WebAppProfile first = ownSession(s[0], true), twin = ownSession(s[1], true);
        twin.id = first.id;
        ASSERT_TRUE(ProfilePersistence(copy).save({first, twin}));
        SessionUsers users;
        users.addSavedFiles(files);
        EXPECT_EQ(unusedSessions(s, users), std::vector<Uuid>{s[2]});
    }
}

}  // namespace
}  // namespace quenlith
