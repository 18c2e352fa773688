#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "model/app_paths.hpp"
#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_writer.hpp"
#include "model/library_file.hpp"
#include "model/file_test_support.hpp"
#include "model/profile_persistence.hpp"
#include "model/settings_file.hpp"

namespace quenlith {
namespace {

using test::TemporaryDataHome;

mode_t modeOf(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777;
}

TEST(FileStore, FoldersArePrivateAndFilesOwnerOnly) {
    TemporaryDataHome home;
    std::string folder = home.dataDirectory();
    ASSERT_TRUE(files::createParentFolder(folder + "/profiles.json").ok());
    EXPECT_EQ(modeOf(folder), 0700u);
    ASSERT_TRUE(files::writeFileAtomically(folder + "/profiles.json", "{}").ok());
    EXPECT_EQ(modeOf(folder + "/profiles.json"), 0600u);
    // Replacing a file that someone made world-readable puts the private mode back.
    ::chmod((folder + "/profiles.json").c_str(), 0644);
    ASSERT_TRUE(files::writeFileAtomically(folder + "/profiles.json", "[]").ok());
    EXPECT_EQ(modeOf(folder + "/profiles.json"), 0600u);
    EXPECT_EQ(test::readBytes(folder + "/profiles.json"), "[]");
    ::chmod(folder.c_str(), 0755);
    ASSERT_TRUE(files::createFolder(folder).ok()) << "an existing folder is fine";
    EXPECT_EQ(modeOf(folder), 0700u) << "and made private";
}

// The bytes read, or the error's code.
std::string readResult(const std::string& path, std::uint64_t cap) {
    auto read = files::readWholeFile(path, cap);
    return read.ok() ? *read : read.error().code;
}

TEST(FileStore, ReadsUpToTheCapExactlyAndTellsFailuresApart) {
    TemporaryDataHome home;
    std::string path = home.root() + "/blob";
    test::writeBytes(path, std::string(1000, 'x'));
    EXPECT_EQ(readResult(path, 1000), std::string(1000, 'x'));
    EXPECT_EQ(readResult(path, 999), files::kTooLarge);
    // A /proc file reports a size of 0 but has content: the cap still holds, exactly, while reading.
    std::string whole = readResult("/proc/self/cmdline", 1u << 20);
    ASSERT_GT(whole.size(), 20u);
    EXPECT_EQ(readResult("/proc/self/cmdline", whole.size()), whole);
    EXPECT_EQ(readResult("/proc/self/cmdline", whole.size() - 1), files::kTooLarge);

    auto missing = files::readWholeFile(home.root() + "/nothing", 10);
    ASSERT_FALSE(missing.ok());
    EXPECT_EQ(missing.error().code, files::kNoSuchFile);
    EXPECT_NE(missing.error().message.find("nothing"), std::string::npos);
    EXPECT_EQ(readResult(home.root(), 10), files::kReadFailed);
}

TEST(FileStore, FailedWriteLeavesTheOldFileWholeAndTheNextLoadSweepsLeftovers) {
    TemporaryDataHome home;
    std::string path = home.root() + "/file.json";
    test::writeBytes(path, "old content");
    {
        test::FileSizeLimit limit(4);
        auto status = files::writeFileAtomically(path, "new content that does not fit");
        ASSERT_FALSE(status.ok());
        EXPECT_EQ(status.error().code, files::kWriteFailed);
    }
    EXPECT_EQ(test::readBytes(path), "old content");
    EXPECT_EQ(test::entriesStartingWith(home.root(), "file.json"), std::vector<std::string>{"file.json"})
        << "no temporary file is left behind";

    // A folder in the file's place cannot be replaced either.
    std::string blocked = home.root() + "/blocked.json";
    ASSERT_TRUE(files::createFolder(blocked).ok());
    EXPECT_FALSE(files::writeFileAtomically(blocked, "x").ok());
    EXPECT_TRUE(test::isDirectory(blocked));

    path = home.root() + "/profiles.json";
    // What a write of the file or of its backup killed midway leaves, and neighbours that must
    // stay, the user's own look-alikes among them.
    const std::vector<std::string> stale = {"profiles.json.quenlith-partial-Ab3dE9",
                                            "profiles.json.backup.quenlith-partial-000000"};
    const std::vector<std::string> kept = {
        "profiles.json",           "profiles.json.backup",   "profiles.json.recovery-E621E1F8-C36C-495A-93FC-0C247A3E6E5F",
        "profiles.json.Ab3dE9",    "profiles.json.before",   "profiles.json.myCopy",
        "profiles.json.quenlith-partial-Ab3dE", "profiles.json.quenlith-partial-Ab-dE9",
        "library.json.quenlith-partial-Ab3dE9", "profiles.jsonquenlith-partial-Ab3dE9",
    };
    for (const auto& name : stale) test::writeBytes(home.root() + "/" + name, "{");
    for (const auto& name : kept) test::writeBytes(home.root() + "/" + name, "{}");

    files::removeStaleTemporaryFiles(path);
    for (const auto& name : stale) EXPECT_FALSE(test::exists(home.root() + "/" + name)) << name;
    for (const auto& name : kept) EXPECT_TRUE(test::exists(home.root() + "/" + name)) << name;
}

// A write that fails says so, whichever of its steps failed: reading the file it changes, keeping
// a copy of it, or replacing it.
TEST(FileStore, AFailedWriteIsToldAsAFailedWrite) {
    struct Case {
        const char* name;
        std::function<void(const std::string& folder)> prepare;
        std::function<Status(const std::string& folder)> write;
        std::string message;
    };
    auto updateSettings = [](const std::string& folder) {
        return SettingsFile(folder + "/settings.json").update([](Json& object) { object["key"] = 1; });
    };
    auto saveWebsites = [](const std::string& folder) {
        return ProfilePersistence(folder + "/profiles.json").save({});
    };
    auto replace = [](const std::string& name) {
        return [name](const std::string& folder) { return files::writeFileAtomically(folder + "/" + name, "{}"); };
    };
    const std::vector<Case> cases = {
        {"settings that are a folder",
         [](const std::string& folder) { ASSERT_TRUE(files::createFolder(folder + "/settings.json").ok()); },
         updateSettings, "The file \u201Csettings.json\u201D could not be written: Is a directory"},
        {"settings too large to read",
         [](const std::string& folder) {
             test::writeBytes(folder + "/settings.json", "{}" + std::string(kSettingsFileSizeCap, ' '));
         },
         updateSettings, "The file \u201Csettings.json\u201D could not be written because it is too large."},
        {"settings that are a pipe",
         [](const std::string& folder) { ASSERT_EQ(::mkfifo((folder + "/settings.json").c_str(), 0600), 0); },
         updateSettings,
         "The file \u201Csettings.json\u201D could not be written because it is not a regular file."},
        {"websites whose file cannot be read to keep its backup",
         [](const std::string& folder) {
             test::writeBytes(folder + "/profiles.json", "[]");
             ::chmod((folder + "/profiles.json").c_str(), 0);
         },
         saveWebsites, "The file \u201Cprofiles.json\u201D could not be written: Permission denied"},
        {"a folder in the file's place",
         [](const std::string& folder) { ASSERT_TRUE(files::createFolder(folder + "/blocked.json").ok()); },
         replace("blocked.json"), "The file \u201Cblocked.json\u201D could not be written: Is a directory"},
        {"a pipe in the file's place",
         [](const std::string& folder) { ASSERT_EQ(::mkfifo((folder + "/piped.json").c_str(), 0600), 0); },
         replace("piped.json"),
         "The file \u201Cpiped.json\u201D could not be written because it is not a regular file."},
        {"a link to a pipe",
         [](const std::string& folder) {
             ASSERT_EQ(::mkfifo((folder + "/pipe").c_str(), 0600), 0);
             ASSERT_EQ(::symlink("pipe", (folder + "/linked.json").c_str()), 0);
         },
         replace("linked.json"),
         "The file \u201Clinked.json\u201D could not be written because it is not a regular file."},
        {"a folder that takes no new file",
         [](const std::string& folder) { ::chmod(folder.c_str(), 0500); }, replace("new.json"),
         "The file \u201Cnew.json\u201D could not be written: Permission denied"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryFolder root;
        const std::string folder = root.file("data");
        ASSERT_TRUE(files::createFolder(folder).ok());
        row.prepare(folder);
        Status written = success();
        {
            test::PermissionsEnforced permissions;
            written = row.write(folder);
        }
        ::chmod(folder.c_str(), 0700);
        ASSERT_FALSE(written.ok());
        EXPECT_EQ(written.error().message, row.message);
    }
}

std::string octal(unsigned mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%o", mode);
    return text;
}

// Every entry under `root` with what it is: a link's text, a file's bytes and mode, a FIFO.
std::map<std::string, std::string> snapshot(const std::string& root) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) {
        std::string path = entry.path().string(), name = path.substr(root.size() + 1);
        struct stat info {};
        ::lstat(path.c_str(), &info);
        if (S_ISLNK(info.st_mode))
            entries[name] = "link:" + std::filesystem::read_symlink(path).string();
        else if (S_ISREG(info.st_mode))
            entries[name] = "file " + octal(info.st_mode & 0777) + ": " + test::readBytes(path);
        else
            entries[name] = S_ISDIR(info.st_mode) ? "folder" : "other";
    }
    return entries;
}

// A data file may be a symbolic link (into a synced folder, say): the write replaces the file at
// the end of the chain, in that file's own folder, and every link stays as it was.
TEST(FileStore, WritesGoThroughLinksAndLeaveThemInPlace) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string>> links;  // path → text; "/" starts at the root
        std::string lands;                                       // where the bytes go; "" = refused
    };
    const std::vector<Case> cases = {
        {"absolute link", {{"data/f.json", "/elsewhere/real.json"}}, "elsewhere/real.json"},
        {"relative link, read from the link's folder",
         {{"data/f.json", "../elsewhere/real.json"}},
         "elsewhere/real.json"},
        {"chain, each hop from its own folder",
         {{"data/f.json", "/hop/one.json"},
          {"hop/one.json", "two.json"},
          {"hop/two.json", "../elsewhere/real.json"}},
         "elsewhere/real.json"},
        {"dangling link creates its target",
         {{"data/f.json", "../elsewhere/new.json"}},
         "elsewhere/new.json"},
        {"target in a read-only folder", {{"data/f.json", "../locked/real.json"}}, ""},
        {"loop", {{"data/f.json", "g.json"}, {"data/g.json", "f.json"}}, ""},
        {"target is no regular file", {{"data/f.json", "../elsewhere/pipe"}}, ""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryFolder folder;
        const std::string root = folder.path();
        for (const char* name : {"data", "elsewhere", "hop", "locked"})
            ASSERT_TRUE(files::createFolder(root + "/" + name).ok());
        test::writeBytes(root + "/elsewhere/real.json", "old");
        test::writeBytes(root + "/locked/real.json", "old");
        ASSERT_EQ(::mkfifo((root + "/elsewhere/pipe").c_str(), 0600), 0);
        for (const auto& [path, text] : row.links) {
            std::string target = text[0] == '/' ? root + text : text;
            ASSERT_EQ(::symlink(target.c_str(), (root + "/" + path).c_str()), 0);
        }
        ::chmod((root + "/locked").c_str(), 0500);
        auto expected = snapshot(root);
        if (!row.lands.empty()) expected[row.lands] = "file 600: new";

        Status written = success();
        {
            test::PermissionsEnforced permissions;
            written = files::writeFileAtomically(root + "/data/f.json", "new");
        }
        EXPECT_EQ(written.ok(), !row.lands.empty());
        EXPECT_EQ(snapshot(root), expected)
            << "only the target changes; no link and no temporary file is left";
        ::chmod((root + "/locked").c_str(), 0700);
    }

    // Leftovers of an interrupted write through a link are beside its target, and swept from there.
    test::TemporaryFolder folder;
    test::writeBytes(folder.file("elsewhere/real.json"), "old");
    test::writeBytes(folder.file("elsewhere/real.json.quenlith-partial-Ab3dE9"), "{");
    ASSERT_TRUE(files::createFolder(folder.file("data")).ok());
    ASSERT_EQ(::symlink("../elsewhere/real.json", folder.file("data/f.json").c_str()), 0);
    files::removeStaleTemporaryFiles(folder.file("data/f.json"));
    EXPECT_EQ(test::entriesStartingWith(folder.file("elsewhere"), "real.json"),
              std::vector<std::string>{"real.json"});
}

// A backup is ours alone: a link a person put at its name is left as it is, its target keeps its
// bytes and mode, and the file the backup accompanies is still written. Folders are likewise
// narrowed only when they are no link.
TEST(FileStore, BackupsAndFoldersNeverChangeWhatALinkLeadsTo) {
    struct Case {
        const char* name;
        std::string file;
        std::function<Status(const std::string& path)> save;  // run twice: the second keeps a backup
    };
    const std::vector<Case> cases = {
        {"websites", "profiles.json", [](const std::string& path) { return ProfilePersistence(path).save({}); }},
        {"session", "session-v1.json",
         [](const std::string& path) { return BrowserSessionPersistence(path).save(BrowserSessionDocument{}); }},
        {"library", "library.json",
         [](const std::string& path) { return writeLibraryFile(LibraryDocument{}, LibraryDocument{}, path); }},
        {"a file kept with its backup", "other.json",
         [](const std::string& path) { return replaceKeepingBackup(path, "{}", 1000); }},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        test::TemporaryFolder folder;
        const std::string root = folder.path(), path = root + "/data/" + row.file;
        test::writeBytes(root + "/mine/notes.json", "the person's own");
        ::chmod((root + "/mine/notes.json").c_str(), 0644);
        ::chmod((root + "/mine").c_str(), 0755);
        ASSERT_TRUE(files::createFolder(root + "/data").ok());
        ASSERT_EQ(::symlink((root + "/mine/notes.json").c_str(), files::backupPath(path).c_str()), 0);
        const auto mine = snapshot(root + "/mine");
        for (int time = 0; time < 2; ++time) {
            auto saved = row.save(path);
            ASSERT_TRUE(saved.ok()) << saved.error().message;
        }
        EXPECT_EQ(snapshot(root + "/mine"), mine);
        EXPECT_EQ(modeOf(root + "/mine"), 0755u);
        EXPECT_EQ(snapshot(root + "/data")[row.file + ".backup"], "link:" + root + "/mine/notes.json");
        EXPECT_TRUE(files::readWholeFile(path, 1'000'000).ok());
    }

    test::TemporaryFolder folder;
    test::writeBytes(folder.file("mine/a.txt"), "x");
    ::chmod(folder.file("mine").c_str(), 0755);
    // A folder moved elsewhere and linked keeps working, with its rights as they are.
    ASSERT_EQ(::symlink(folder.file("mine").c_str(), folder.file("linked").c_str()), 0);
    ASSERT_TRUE(files::createFolder(folder.file("linked")).ok());
    ASSERT_TRUE(files::createParentFolder(folder.file("linked/profiles.json")).ok());
    EXPECT_EQ(modeOf(folder.file("mine")), 0755u);
    // A copy written under a link's name is refused, the link left.
    EXPECT_EQ(files::writeOwnFileAtomically(folder.file("linked"), "y").error().code, files::kLinkLeftAlone);
    // A file that cannot be copied is moved aside whole; a link stays where it is.
    test::writeBytes(folder.file("big.json"), "too large to copy");
    auto moved = files::moveAside(folder.file("big.json"), files::kUnreadableCopy);
    ASSERT_TRUE(moved.ok());
    EXPECT_EQ(test::readBytes(*moved), "too large to copy");
    EXPECT_EQ(files::copiesAside(folder.file("big.json"), files::kUnreadableCopy), std::vector<std::string>{*moved});
    EXPECT_FALSE(files::moveAside(folder.file("linked"), files::kUnreadableCopy).ok());
    EXPECT_TRUE(test::isDirectory(folder.file("linked")));
    EXPECT_EQ(test::readBytes(folder.file("mine/a.txt")), "x");
}

}  // namespace
}  // namespace quenlith
