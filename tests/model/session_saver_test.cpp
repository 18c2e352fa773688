#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <sys/stat.h>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/sample_records.hpp"
#include "model/session_saver.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

class SessionSaverTest : public testing::Test {
protected:
    std::string path() const { return home.path("session-v1.json"); }
    ino_t inode() const {
        struct stat info {};
        return ::stat(path().c_str(), &info) == 0 ? info.st_ino : 0;
    }
    // Hands `document` over and waits until its write (if any) has reported back.
    void save(SessionSaver& saver, const BrowserSessionDocument& document) {
        saver.writeLater(document);
        writer.flush();
        ASSERT_TRUE(test::spinUntil([&] { return !saver.busy(); }));
    }

    test::TemporaryDataHome home;
    FileWriter writer;
    std::vector<bool> told;
};

TEST_F(SessionSaverTest, AnUnchangedSnapshotIsNotWrittenAgainUnlessItsWriteFailed) {
    SessionSaver saver(
        BrowserSessionPersistence(path()), [&](const Status& result) { told.push_back(result.ok()); },
        writer);
    BrowserSessionDocument first, second;
    first.windows = {test::makeWindow()};
    second.windows = {test::makeWindow(), test::makeWindow()};

    save(saver, first);
    const ino_t written = inode();
    ASSERT_NE(written, 0u);
    save(saver, first);
    EXPECT_EQ(inode(), written) << "the same snapshot again leaves the file alone";
    EXPECT_FALSE(test::exists(files::backupPath(path()))) << "and makes no backup";
    EXPECT_EQ(told, std::vector<bool>{true});

    {
        test::FileSizeLimit full(16);  // a full disk
        save(saver, second);
    }
    save(saver, second);
    EXPECT_EQ(told, (std::vector<bool>{true, false, true}))
        << "a snapshot whose write failed is written again";
    EXPECT_EQ(*BrowserSessionPersistence(path()).load().value(), second.normalized());

    // Once the files were removed under the writer's hand ("Remove saved session"), the same
    // snapshot is no longer what the file holds: it is written again.
    ASSERT_TRUE(saver.exclusive([](const BrowserSessionPersistence& files) { return files.removeFiles(); }).ok());
    save(saver, second);
    EXPECT_EQ(BrowserSessionPersistence(path()).load().value(), std::optional(second.normalized()));
}

// Titles alone may wait for the next other change; anything else in the snapshot may not.
TEST_F(SessionSaverTest, OnlyAChangeOfTitlesAloneIsToldAsOne) {
    SessionSaver saver(BrowserSessionPersistence(path()), [&](const Status&) {}, writer);
    const BrowserSessionDocument handed = test::makeSession(2, 2);
    EXPECT_FALSE(saver.differsOnlyInTitles(handed)) << "nothing handed over yet";
    save(saver, handed);
    struct Case {
        const char* label;
        std::function<void(BrowserSessionDocument&)> change;
        bool titlesAlone;
    };
    const Case cases[] = {
        {"unchanged", [](auto&) {}, false},
        {"a title", [](auto& d) { d.windows[1].tabs[0].title = "3 unread"; }, true},
        {"two titles", [](auto& d) { d.windows[0].tabs[1].title = d.windows[1].tabs[1].title = "x"; }, true},
        {"a title and an address",
         [](auto& d) {
             d.windows[0].tabs[0].title = "x";
             d.windows[0].tabs[0].address = "https://example.com/next";
         },
         false},
        {"a tab more", [](auto& d) { d.windows[1].tabs.push_back(test::webTab("https://example.com/2")); }, false},
        {"a window hidden", [](auto& d) { d.windows[0].visible = false; }, false},
        {"a frame", [](auto& d) { d.windows[0].frame.x = 40; }, false},
        {"the active window", [](auto& d) { d.activeWindow = d.windows[1].id; }, false},
        {"the selected tab", [](auto& d) { d.windows[0].selected = 1; }, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        BrowserSessionDocument changed = handed;
        c.change(changed);
        EXPECT_EQ(saver.differsOnlyInTitles(changed), c.titlesAlone);
        // A save that may hold titles back hands over everything else.
        EXPECT_EQ(saver.writeLater(changed, true), !c.titlesAlone);
        writer.flush();
        ASSERT_TRUE(test::spinUntil([&] { return !saver.busy(); }));
        EXPECT_EQ(BrowserSessionPersistence(path()).load().value(),
                  std::optional((c.titlesAlone ? handed : changed).normalized()));
        save(saver, handed);
    }

    BrowserSessionDocument retitled = handed;
    retitled.windows[0].tabs[0].title = "x";
    ASSERT_TRUE(saver.exclusive([](const BrowserSessionPersistence& p) { return p.removeFiles(); }));
    EXPECT_FALSE(saver.differsOnlyInTitles(retitled)) << "after the files were removed, everything is written again";
    save(saver, handed);
    ASSERT_TRUE(saver.differsOnlyInTitles(retitled));
    {
        test::FileSizeLimit full(16);
        save(saver, test::makeSession(1, 1));
    }
    EXPECT_FALSE(saver.differsOnlyInTitles(retitled)) << "after a failed write, everything is written again";
}

}  // namespace
}  // namespace quenlith
