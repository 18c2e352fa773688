// Folders of ours below a folder a person may have moved and linked: made, opened, emptied and
// narrowed only when reached without a link in our own names.
#include "model/own_folder.hpp"

#include <filesystem>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/file_test_support.hpp"

namespace quenlith {
namespace {

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::lstat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

class OwnFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(mine + "/a.txt", "report");
        test::writeFile(mine + "/sub/b.txt", "photo");
        test::writeFile(mine + "/Favicons/own.txt", "mine");
        ::chmod(mine.c_str(), 0755);
        std::filesystem::create_directories(base);
    }
    // The person's folder as it was made.
    void expectMineUntouched() {
        EXPECT_EQ(test::readFile(mine + "/a.txt"), "report");
        EXPECT_EQ(test::readFile(mine + "/sub/b.txt"), "photo");
        EXPECT_EQ(test::readFile(mine + "/Favicons/own.txt"), "mine");
        EXPECT_EQ(test::entriesStartingWith(mine, ""), (std::vector<std::string>{"Favicons", "a.txt", "sub"}));
        EXPECT_EQ(modeOf(mine), 0755u);
    }

    test::TemporaryFolder root;
    const std::string mine = root.file("MyFiles");
    const std::string base = root.file("app");
};

TEST_F(OwnFolderTest, OpensOnlyARealFolderOfOursAndNeverChangesWhatALinkLeadsTo) {
    struct Case {
        const char* what;
        std::function<void()> before;
        std::string relative;
        const char* code;  // nullptr: opened
    };
    const Case cases[] = {
        {"missing: made", nullptr, "WebsiteData/Default", nullptr},
        {"a real folder with wider rights: narrowed",
         [&] {
             std::filesystem::create_directories(base + "/WebsiteData/Default");
             ::chmod((base + "/WebsiteData/Default").c_str(), 0755);
         },
         "WebsiteData/Default", nullptr},
        {"a link in its own name", [&] { ASSERT_EQ(::symlink(mine.c_str(), (base + "/Downloads").c_str()), 0); },
         "Downloads", files::kLinkedFolder},
        {"a link on the way",
         [&] { ASSERT_EQ(::symlink(mine.c_str(), (base + "/WebsiteData").c_str()), 0); }, "WebsiteData/Default",
         files::kLinkedFolder},
        {"a link to a link", [&] {
             ASSERT_EQ(::symlink(mine.c_str(), root.file("hop").c_str()), 0);
             ASSERT_EQ(::symlink(root.file("hop").c_str(), (base + "/Downloads").c_str()), 0);
         },
         "Downloads", files::kLinkedFolder},
        {"a dangling link", [&] { ASSERT_EQ(::symlink(root.file("none").c_str(), (base + "/Downloads").c_str()), 0); },
         "Downloads", files::kLinkedFolder},
        {"a file in its place", [&] { test::writeFile(base + "/Downloads", "x"); }, "Downloads", files::kNotOwnFolder},
        {"a step up to the person's folder", nullptr, "../MyFiles", files::kNotOwnFolder},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(base);
        std::filesystem::create_directories(base);
        if (c.before) c.before();
        auto opened = files::openOwnFolder(base, c.relative);
        if (!c.code) {
            ASSERT_TRUE(opened.ok()) << opened.error().message;
            EXPECT_EQ(modeOf(base + "/" + c.relative), 0700u);
            EXPECT_TRUE(test::isDirectory(base + "/" + c.relative));
        } else {
            ASSERT_FALSE(opened.ok());
            EXPECT_EQ(opened.error().code, c.code);
            EXPECT_FALSE(test::fileExists(root.file("none"))) << "nothing made at a dangling link's end";
        }
        // Opened without making, a missing folder is not made.
        EXPECT_FALSE(files::openOwnFolder(base, "Other", files::MissingFolder::failure).ok());
        EXPECT_FALSE(test::fileExists(base + "/Other"));
        expectMineUntouched();
    }

    // A link higher up, the whole folder moved to another disk: followed, and our folders made there.
    const std::string moved = root.file("disk/app");
    std::filesystem::create_directories(moved);
    std::filesystem::remove_all(base);
    ASSERT_EQ(::symlink(moved.c_str(), base.c_str()), 0);
    auto below = files::openOwnFolder(base, "WebsiteData/Default");
    ASSERT_TRUE(below.ok()) << below.error().message;
    EXPECT_TRUE(test::isDirectory(moved + "/WebsiteData/Default"));
}

TEST_F(OwnFolderTest, RemovingInAFolderOfOursRemovesLinksNotWhatTheyLeadTo) {
    const std::string ours = base + "/Downloads";
    test::writeFile(ours + "/left", "a finished download never moved");
    test::writeFile(ours + "/inner/deeper/file", "x");
    ASSERT_EQ(::symlink(mine.c_str(), (ours + "/folder-link").c_str()), 0);
    ASSERT_EQ(::symlink((mine + "/a.txt").c_str(), (ours + "/file-link").c_str()), 0);
    ASSERT_EQ(::symlink(mine.c_str(), (ours + "/inner/Favicons").c_str()), 0);
    auto folder = files::openOwnFolder(base, "Downloads");
    ASSERT_TRUE(folder.ok());
    // A link in the place of a folder to remove whole goes itself.
    EXPECT_TRUE(files::removeEntry(folder->get(), "folder-link"));
    EXPECT_EQ(files::removeContents(folder->get()), 6u);  // left, file-link, file, deeper, Favicons, inner
    EXPECT_EQ(test::entriesStartingWith(ours, ""), std::vector<std::string>{});
    EXPECT_TRUE(files::removeEntry(folder->get(), "never-there"));
    expectMineUntouched();
}

}  // namespace
}  // namespace quenlith
