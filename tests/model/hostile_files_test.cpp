#include <gtest/gtest.h>

#include <functional>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "model/app_paths.hpp"
#include "model/browser_session.hpp"
#include "model/clock.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/library_file.hpp"
#include "model/library_store.hpp"
#include "model/localization.hpp"
#include "model/localization_testing.hpp"
#include "model/logging.hpp"
#include "model/preferences_store.hpp"
#include "model/sample_records.hpp"
#include "model/scheduler.hpp"
#include "model/web_app_store.hpp"

// Whatever sits in place of a data file (a FIFO, a device, a tree nested past any record, a file
// over its cap, a place the system cannot look into), every reader refuses it at once with its
// usual damaged-file handling and leaves it exactly as it was.
namespace quenlith {
namespace {

enum class Hostile { fifo, deviceLink, danglingLink, deepNesting, overCap, unsearchableFolder };

struct Reader {
    const char* name;
    std::string fileName;
    std::uint64_t cap;
    // Opens the file the way the application does at start; true when it was refused.
    std::function<bool(const std::string& path)> refuses;
    std::string folder = {};  // where the application keeps it, when not a folder of the test's own
};

std::string nested(std::size_t depth, const char* prefix = "{\"version\":1,\"profiles\":") {
    return prefix + std::string(depth, '[') + std::string(depth, ']') + "}";
}

// Puts the hostile thing at `path` (made under `root`); gives the path the reader is handed.
std::string plant(Hostile kind, const std::string& root, const std::string& fileName, std::uint64_t cap) {
    std::string path = root + "/" + fileName;
    switch (kind) {
    case Hostile::fifo: EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0); break;
    case Hostile::deviceLink: EXPECT_EQ(::symlink("/dev/zero", path.c_str()), 0); break;
    // A file kept elsewhere, in a folder not there now: no file is not the same as no settings.
    case Hostile::danglingLink: EXPECT_EQ(::symlink("/nonexistent/kept-elsewhere", path.c_str()), 0); break;
    case Hostile::deepNesting: test::writeBytes(path, nested(100'000)); break;
    case Hostile::overCap: test::writeBytes(path, std::string(cap + 1, ' ')); break;
    case Hostile::unsearchableFolder:
        // A folder that is a link to itself: every look inside fails with ELOOP, even for root.
        EXPECT_EQ(::symlink("loop", (root + "/loop").c_str()), 0);
        return root + "/loop/" + fileName;
    }
    return path;
}

std::string describe(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return "absent";
    if (S_ISFIFO(info.st_mode)) return "fifo";
    if (S_ISLNK(info.st_mode)) return "link";
    return "bytes:" + test::readBytes(path);
}

class HostileFiles : public testing::TestWithParam<Hostile> {
protected:
    test::TemporaryDataHome home;
    ManualScheduler scheduler;
    ManualClock clock{Date{800000000}};

    std::vector<Reader> readers() {
        return {
            {"websites", "profiles.json", kProfilesFileSizeCap,
             [&](const std::string& path) { return !WebAppStore(path, scheduler).writable(); }},
            {"library", "library.json", kLibraryFileSizeCap,
             [&](const std::string& path) { return !LibraryStore(path, scheduler, clock).writable(); }},
            {"session", "session-v1.json", kSessionFileSizeCap,
             [&](const std::string& path) {
                 bool refused = !BrowserSessionPersistence(path).load().ok();
                 // Nor does the next snapshot lose it: a file is kept aside first, anything else stays.
                 (void)BrowserSessionPersistence(path).save(test::makeSession(1, 1));
                 return refused;
             }},
            {"settings", "settings.json", kSettingsFileSizeCap,
             [&](const std::string& path) {
                 // Defaults are used, never taken for the person's choice (they would delete the
                 // saved session), and the first change must not lose what was there: an
                 // unreadable file is kept aside before it is replaced, anything else stays.
                 localization_testing::reset();  // the language is read from settings.json first
                 (void)localizedString("Quit");
                 PreferencesStore store(path);
                 bool defaults = !store.value().restoreWindows && !store.valueIsKnown();
                 store.update([](AppPreferences& value) { value.restoreWindows = true; });
                 return defaults;
             },
             applicationConfigDirectory()},
        };
    }
};

TEST_P(HostileFiles, AreRefusedAtOnceAndLeftAsTheyWere) {
    for (const Reader& reader : readers()) {
        SCOPED_TRACE(reader.name);
        std::string folder = reader.folder.empty() ? home.root() + "/" + reader.name : reader.folder;
        ASSERT_TRUE(files::createFolder(folder).ok());
        std::string path = plant(GetParam(), folder, reader.fileName, reader.cap);
        std::string before = describe(path);
        EXPECT_TRUE(reader.refuses(path));
        scheduler.runDue();
        auto aside = test::entriesStartingWith(folder, reader.fileName + ".unreadable-");
        for (const auto& kept : test::entriesStartingWith(folder, reader.fileName + ".recovery-")) aside.push_back(kept);
        if (aside.empty())
            EXPECT_EQ(describe(path), before) << "the file must stay as it was";
        else
            EXPECT_EQ(describe(folder + "/" + aside.front()), before) << "kept aside byte for byte";
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, HostileFiles,
                         testing::Values(Hostile::fifo, Hostile::deviceLink, Hostile::danglingLink,
                                         Hostile::deepNesting, Hostile::overCap, Hostile::unsearchableFolder));

TEST(HostileFiles, NestingIsRefusedPastTheLimitAndAQuotedValueIsCutToWholeCharacters) {
    EXPECT_EQ(jsonNestingDepth(R"({"a":["[{", {"b":"\"}]"}]})"), 3u) << "brackets in strings do not count";
    EXPECT_TRUE(parseJsonText(nested(kMaximumJsonNesting - 1, "{\"x\":")).has_value());
    std::string error;
    EXPECT_FALSE(parseJsonText(nested(kMaximumJsonNesting, "{\"x\":"), &error).has_value());
    EXPECT_NE(error.find("nested"), std::string::npos);

    std::string huge = std::string(63, 'a') + "中" + std::string(1'000'000, 'b');
    std::string quoted = quotedForLog(huge);
    EXPECT_LT(quoted.size(), 100u);
    EXPECT_EQ(quoted.substr(0, 65), "\"" + std::string(63, 'a') + "\"") << "a character is never split";
    EXPECT_NE(quoted.find("1000066 bytes"), std::string::npos);
    EXPECT_EQ(quotedForLog("Dark"), "\"Dark\"");

    std::string decodeError;
    Json settings = {{"theme", huge}};
    EXPECT_FALSE(decodeJson<AppPreferences>(settings, &decodeError).has_value());
    EXPECT_LT(decodeError.size(), 200u) << "the decoder's message quotes only a prefix";
}

}  // namespace
}  // namespace quenlith
