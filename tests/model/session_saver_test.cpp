#include <gtest/gtest.h>

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

}  // namespace
}  // namespace quenlith
