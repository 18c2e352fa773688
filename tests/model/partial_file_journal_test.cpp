// The record of downloads' partial files: what it reads, which paths it takes, and which recorded
// files a start may remove.
#include "model/partial_file_journal.hpp"

#include <gtest/gtest.h>

#include "model/file_placement.hpp"
#include "model/uuid.hpp"

namespace quenlith {
namespace {

const std::string kName = ".Quenlith-download-E621E1F8-C36C-495A-93FC-0C247A3E6E5F.part";

TEST(PartialFileJournal, ReadsBackWhatItWroteAndNothingElse) {
    // Paths are bytes: a folder name that is not UTF-8 comes back as it was.
    const std::set<std::string> paths{"/home/ana/Downloads/" + kName, "/media/ana/Stick 2/\xff\xfe/" + kName,
                                      "/" + kName};
    PartialFileJournal written;
    for (const auto& path : paths) ASSERT_TRUE(written.record(path)) << path;
    auto read = PartialFileJournal::parse(written.serialized());
    ASSERT_TRUE(read.ok()) << read.error().message;
    EXPECT_EQ(read->earlier(), paths);
    // Earlier and current records are written together; a forgotten one is not.
    read->record("/tmp/" + kName);
    read->forget("/" + kName);
    auto again = PartialFileJournal::parse(read->serialized());
    ASSERT_TRUE(again.ok());
    EXPECT_EQ(again->earlier(), (std::set<std::string>{"/home/ana/Downloads/" + kName,
                                                       "/media/ana/Stick 2/\xff\xfe/" + kName, "/tmp/" + kName}));
    EXPECT_TRUE(PartialFileJournal::parse(R"({"partialFiles": [], "later": 1})").ok()) << "unknown keys pass";

    // A record names its file once made; records of earlier versions (bare addresses) still read,
    // naming none.
    PartialFileJournal identified;
    const std::string made = "/home/ana/Downloads/" + kName, unmade = "/tmp/" + kName;
    identified.record(made);
    identified.record(unmade);
    identified.identify(made, {2049, 18446744073709551615u});
    identified.identify("/elsewhere/" + kName, {1, 2});  // never recorded: nothing to name
    auto withIdentity = PartialFileJournal::parse(identified.serialized());
    ASSERT_TRUE(withIdentity.ok()) << identified.serialized();
    EXPECT_EQ(withIdentity->earlier(), (std::set<std::string>{made, unmade}));
    EXPECT_EQ(withIdentity->identityOf(made), (FileIdentity{2049, 18446744073709551615u}));
    EXPECT_EQ(withIdentity->identityOf(unmade), std::nullopt);
    auto older = PartialFileJournal::parse(R"({"partialFiles": ["file:///home/ana/)" + kName + "\"]}");
    ASSERT_TRUE(older.ok());
    EXPECT_EQ(older->identityOf("/home/ana/" + kName), std::nullopt);

    const std::string uri = "\"file:///home/ana/" + kName + "\"";
    const struct {
        const char* what;
        std::string text;
    } damaged[] = {
        {"nothing", ""},
        {"cut short", R"({"partialFiles": [)" + uri},
        {"a list at the top", "[" + uri + "]"},
        {"no list", "{}"},
        {"a list of another name", R"({"partialfiles": [)" + uri + "]}"},
        {"an object for the list", R"({"partialFiles": {"a": )" + uri + "}}"},
        {"a number in the list", R"({"partialFiles": [1])"},
        {"a null in the list", R"({"partialFiles": [null])"},
        {"a bare path", R"({"partialFiles": ["/home/ana/)" + kName + "\"]}"},
        {"another host", R"({"partialFiles": ["file://elsewhere/home/ana/)" + kName + "\"]}"},
        {"another scheme", R"({"partialFiles": ["https://example.com/)" + kName + "\"]}"},
        {"nested too deep", std::string(200, '[') + std::string(200, ']')},
        {"a record without its inode", R"({"partialFiles": [{"file": )" + uri + R"(, "device": 1}]})"},
        {"a record without its file", R"({"partialFiles": [{"device": 1, "inode": 2}]})"},
        {"a negative inode", R"({"partialFiles": [{"file": )" + uri + R"(, "device": 1, "inode": -2}]})"},
        {"an inode in text", R"({"partialFiles": [{"file": )" + uri + R"(, "device": 1, "inode": "2"}]})"},
        {"a file that is no address", R"({"partialFiles": [{"file": 3, "device": 1, "inode": 2}]})"},
    };
    for (const auto& c : damaged) {
        SCOPED_TRACE(c.what);
        auto parsed = PartialFileJournal::parse(c.text);
        ASSERT_FALSE(parsed.ok());
        EXPECT_EQ(parsed.error().code, kPartialFileJournalDamaged);
        EXPECT_FALSE(parsed.error().message.empty());
    }
}

TEST(PartialFileJournal, TakesOnlyWholePathsOfThePartialFilesShape) {
    const std::string uuid = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    const struct {
        std::string path;
        bool recordable;
    } cases[] = {
        {"/home/ana/Downloads/" + kName, true},
        {"/" + kName, true},
        {partialFileName("/home/ana"), true},
        {"home/ana/" + kName, false},
        {kName, false},
        {"", false},
        {"/home/ana/../bob/" + kName, false},
        {"/home/ana/./" + kName, false},
        {"//home/ana/" + kName, false},
        {"/home/ana//" + kName, false},
        {"/home/ana/" + kName + "/", false},
        {"/home/ana/.Quenlith-download-" + uuid + ".part.txt", false},
        {"/home/ana/Quenlith-download-" + uuid + ".part", false},
        {"/home/ana/Quenlith-download-" + uuid, false},  // the private folder's temporary files
        {"/home/ana/.Quenlith-download-e621e1f8-c36c-495a-93fc-0c247a3e6e5f.part", false},
        {"/home/ana/.Quenlith-download-E621E1F8C36C495A93FC0C247A3E6E5F.part", false},
        {"/home/ana/.Quenlith-download-.part", false},
        {"/home/ana/.quenlith-download-" + uuid + ".part", false},
        {"/home/ana/report.pdf", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(PartialFileJournal::recordable(c.path), c.recordable) << c.path;
        PartialFileJournal journal;
        EXPECT_EQ(journal.record(c.path), c.recordable) << c.path;
        EXPECT_EQ(journal.empty(), !c.recordable) << c.path;
    }
}

TEST(PartialFileJournal, RemovesOnlyARegularFileOfOursStillUnderARecordedName) {
    using State = RecordedFileState;
    using Outcome = RecordOutcome;
    const std::string ours = "/home/ana/" + kName;
    const std::string foreign = "/home/ana/report.pdf";
    const struct {
        std::string path;
        State state;
        Outcome outcome;
    } cases[] = {
        {ours, State::ownPartialFile, Outcome::remove},
        {ours, State::absent, Outcome::forget},
        {ours, State::somethingElse, Outcome::forget},
        {ours, State::folderAbsent, Outcome::keep},
        {ours, State::unreachable, Outcome::keep},
        // A record that names anything else is damage: whatever is there stays.
        {foreign, State::ownPartialFile, Outcome::forget},
        {foreign, State::folderAbsent, Outcome::forget},
        {foreign, State::unreachable, Outcome::forget},
        {"/home/ana/../ana/" + kName, State::ownPartialFile, Outcome::forget},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PartialFileJournal::decide(c.path, c.state), c.outcome)
            << c.path << " state " << static_cast<int>(c.state);
}

}  // namespace
}  // namespace quenlith
