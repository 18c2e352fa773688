// The file contract every store of user data keeps, run against each store through a small
// adapter: a missing file is an empty store, the second write keeps the first as the backup, a
// failed write leaves both files and the data, an unreadable file makes the store read-only until
// a restore (which keeps a recovery copy), and observers hear of changes after the operation.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <memory>
#include <string>

#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/library_store.hpp"
#include "model/sample_records.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using test::readBytes;

// Each adapter names the store's file and messages, opens the store, makes one change that is
// written (the n-th adds item n) and tells whether it was, counts the items and lets pending timers
// run (`settle`). A store that writes later (after a quiet period or on another thread) waits in
// change() for that write and reports its outcome.
struct WebsitesAdapter {
    using Store = WebAppStore;
    static constexpr const char* kFile = "profiles.json";
    static constexpr const char* kReadOnlyMessage =
        "Your saved websites could not be read. The original file and backup are preserved. Restore a valid "
        "profiles.json before making changes.";
    static constexpr const char* kOtherVersion = R"({"version":2,"profiles":[]})";
    static constexpr const char* kNumberOutOfRange = R"({"version":1,"profiles":[],"extra":1e400})";

    std::unique_ptr<Store> open() { return std::make_unique<Store>(std::nullopt, scheduler, writer); }
    bool change(Store& store, int n) {
        // Written without waiting: the write and its answer are waited for here.
        if (!store.upsert(test::website("W" + std::to_string(n), "https://w" + std::to_string(n) + ".example")))
            return false;
        writer.flush();
        return test::spinUntil([&] { return !store.hasPendingSave(); }) && !store.errorMessage();
    }
    static std::size_t items(const Store& store) { return store.profiles().size(); }
    void settle() { scheduler.advance(std::chrono::seconds(1)); }

    ManualScheduler scheduler;
    FileWriter writer;
};

struct LibraryAdapter {
    using Store = LibraryStore;
    static constexpr const char* kFile = "library.json";
    static constexpr const char* kReadOnlyMessage =
        "The data file could not be read. Restore the previous backup before editing.";
    static constexpr const char* kOtherVersion = R"({"version":2,"clips":[],"scenes":[],"history":[]})";
    static constexpr const char* kNumberOutOfRange = R"({"version":1,"clips":[],"scenes":[],"history":[],"x":1e400})";

    std::unique_ptr<Store> open() { return std::make_unique<Store>(std::nullopt, scheduler, clock); }
    bool change(Store& store, int n) { return store.save(test::makeClip("https://c" + std::to_string(n) + ".example/")); }
    static std::size_t items(const Store& store) { return store.document().clips.size(); }
    void settle() { scheduler.advance(std::chrono::seconds(1)); }

    ManualScheduler scheduler;
    ManualClock clock{Date{800000000}};
};

template <typename Adapter>
class StoreContract : public testing::Test {
protected:
    std::string file() const { return home.path(Adapter::kFile); }
    std::string backup() const { return file() + ".backup"; }
    std::vector<std::string> companions(const std::string& suffix = "") const {
        return test::entriesStartingWith(home.dataDirectory(), std::string(Adapter::kFile) + suffix);
    }
    // A store whose file holds items 1 and 2 and whose backup holds item 1.
    std::unique_ptr<typename Adapter::Store> storeWithBackup() {
        auto store = adapter.open();
        EXPECT_TRUE(adapter.change(*store, 1) && adapter.change(*store, 2));
        return store;
    }

    test::TemporaryEnvironment home;
    Adapter adapter;
};

using Adapters = testing::Types<WebsitesAdapter, LibraryAdapter>;
TYPED_TEST_SUITE(StoreContract, Adapters);

TYPED_TEST(StoreContract, MissingFileIsEmptyAndTheSecondWriteKeepsTheFirstAsBackup) {
    auto store = this->adapter.open();
    EXPECT_TRUE(store->writable());
    EXPECT_EQ(TypeParam::items(*store), 0u);
    EXPECT_FALSE(test::exists(this->home.dataDirectory())) << "opening writes nothing";

    ASSERT_TRUE(this->adapter.change(*store, 1));
    EXPECT_FALSE(test::exists(this->backup())) << "nothing to keep before the first write";
    std::string first = readBytes(this->file());
    ASSERT_TRUE(this->adapter.change(*store, 2));
    EXPECT_EQ(readBytes(this->backup()), first);
    EXPECT_EQ(TypeParam::items(*this->adapter.open()), 2u) << "read back whole";
}

TYPED_TEST(StoreContract, FailedWriteLeavesBothFilesAndTheDataAndTheNextChangeTriesAgain) {
    auto store = this->storeWithBackup();
    std::string file = readBytes(this->file()), backup = readBytes(this->backup());
    {
        test::FileSizeLimit limit(16);  // a full disk
        EXPECT_FALSE(this->adapter.change(*store, 3));
    }
    this->adapter.settle();
    EXPECT_EQ(TypeParam::items(*store), 2u);
    ASSERT_TRUE(store->errorMessage());
    EXPECT_NE(store->errorMessage(), TypeParam::kReadOnlyMessage);
    EXPECT_TRUE(store->writable());
    EXPECT_EQ(readBytes(this->file()), file);
    EXPECT_EQ(readBytes(this->backup()), backup);
    EXPECT_EQ(this->companions(), (std::vector<std::string>{TypeParam::kFile, std::string(TypeParam::kFile) + ".backup"}))
        << "no temporary file is left";

    ASSERT_TRUE(this->adapter.change(*store, 3));
    EXPECT_FALSE(store->errorMessage()) << "a successful change clears the message";
    EXPECT_EQ(TypeParam::items(*this->adapter.open()), 3u);

    ASSERT_TRUE(files::removeFileIfPresent(this->backup()).ok());
    ASSERT_TRUE(files::createFolder(this->backup()).ok());
    file = readBytes(this->file());
    EXPECT_FALSE(this->adapter.change(*store, 4)) << "a folder in place of the backup stops the write";
    EXPECT_EQ(readBytes(this->file()), file);
    EXPECT_EQ(TypeParam::items(*store), 3u);
}

TYPED_TEST(StoreContract, UnreadableFileMakesTheStoreReadOnlyUntilARestore) {
    this->storeWithBackup();
    std::string backup = readBytes(this->backup());
    for (const std::string damaged : {TypeParam::kOtherVersion, TypeParam::kNumberOutOfRange, "{ cut off"}) {
        test::writeBytes(this->file(), damaged);
        auto store = this->adapter.open();
        EXPECT_FALSE(store->writable()) << damaged;
        EXPECT_EQ(store->errorMessage(), TypeParam::kReadOnlyMessage);
        EXPECT_EQ(TypeParam::items(*store), 0u);
        EXPECT_FALSE(this->adapter.change(*store, 3));
        EXPECT_EQ(store->errorMessage(), TypeParam::kReadOnlyMessage);
        this->adapter.settle();
        EXPECT_EQ(readBytes(this->file()), damaged) << "nothing is written while read-only";
        EXPECT_EQ(this->companions().size(), 2u + this->companions(".recovery-").size());

        auto before = this->companions(".recovery-");
        ASSERT_TRUE(store->restorePrevious());
        EXPECT_TRUE(store->writable());
        EXPECT_FALSE(store->errorMessage());
        EXPECT_EQ(TypeParam::items(*store), 1u);
        EXPECT_EQ(TypeParam::items(*this->adapter.open()), 1u);
        EXPECT_EQ(readBytes(this->backup()), backup) << "the backup is left as it was";
        auto recoveries = this->companions(".recovery-");
        ASSERT_EQ(recoveries.size(), before.size() + 1) << "a new recovery copy on every restore";
        std::vector<std::string> added;
        std::set_difference(recoveries.begin(), recoveries.end(), before.begin(), before.end(), std::back_inserter(added));
        EXPECT_EQ(readBytes(this->home.path(added.at(0))), damaged) << "kept byte for byte";
        EXPECT_TRUE(this->adapter.change(*store, 3));
        test::writeBytes(this->backup(), backup);
    }
}

TYPED_TEST(StoreContract, FailedRestoreKeepsTheState) {
    auto store = this->adapter.open();
    ASSERT_TRUE(this->adapter.change(*store, 1));
    std::string file = readBytes(this->file());
    EXPECT_FALSE(store->restorePrevious()) << "no backup";
    ASSERT_TRUE(store->errorMessage());
    EXPECT_NE(store->errorMessage()->find(std::string(TypeParam::kFile) + ".backup"), std::string::npos);
    for (const std::string invalid : {TypeParam::kOtherVersion, TypeParam::kNumberOutOfRange}) {
        test::writeBytes(this->backup(), invalid);
        EXPECT_FALSE(store->restorePrevious()) << invalid;
        EXPECT_TRUE(store->writable());
    }
    EXPECT_EQ(TypeParam::items(*store), 1u);
    EXPECT_EQ(readBytes(this->file()), file);
    EXPECT_TRUE(this->companions(".recovery-").empty());
}

TYPED_TEST(StoreContract, ObserversHearOfChangesAfterTheOperationOnce) {
    auto store = this->adapter.open();
    int heard = 0;
    std::size_t seen = 0;
    store->signal_changed().connect([&] {
        ++heard;
        seen = TypeParam::items(*store);
    });
    ASSERT_TRUE(this->adapter.change(*store, 1));
    ASSERT_TRUE(this->adapter.change(*store, 2));
    EXPECT_EQ(heard, 0) << "never inside the operation";
    this->adapter.scheduler.runDue();
    EXPECT_EQ(heard, 1) << "once for several changes in one turn";
    EXPECT_EQ(seen, 2u);
    store->clearErrorMessage();
    this->adapter.scheduler.runDue();
    EXPECT_EQ(heard, 1) << "no change, no notification";
    {
        test::FileSizeLimit limit(16);
        EXPECT_FALSE(this->adapter.change(*store, 3));
    }
    this->adapter.scheduler.runDue();
    EXPECT_EQ(heard, 2) << "a new error message is told as well";

    store->signal_changed().connect([] { ADD_FAILURE() << "a destroyed store must not notify"; });
    ASSERT_TRUE(this->adapter.change(*store, 3));
    store.reset();
    this->adapter.settle();
}

}  // namespace
}  // namespace quenlith
