#include <gtest/gtest.h>

#include <string>

#include "model/file_store.hpp"
#include "model/sample_records.hpp"
#include "model/file_test_support.hpp"
#include "model/json_coding.hpp"
#include "model/profile_document.hpp"
#include "model/isolated_text.hpp"
#include "model/profile_persistence.hpp"

namespace quenlith {
namespace {

using test::readBytes;

const char* const kIdA = "AAAAAAAA-0000-4000-8000-000000000001";
const char* const kIdB = "BBBBBBBB-0000-4000-8000-000000000002";
const char* const kIdC = "CCCCCCCC-0000-4000-8000-000000000003";

// A stored record as JSON with every required key.
Json storedRecord(const std::string& id, std::int64_t sortOrder, const std::string& name = "Site") {
    WebAppProfile profile;
    profile.id = *Uuid::parse(id);
    profile.name = name;
    profile.homeURL = "https://example.com";
    profile.sortOrder = sortOrder;
    return Json(profile);
}

class ProfilePersistenceTest : public testing::Test {
protected:
    std::string path() const { return home.path("profiles.json"); }
    void writeFile(const Json& json) { test::writeBytes(path(), json.dump()); }

    test::TemporaryDataHome home;
    ProfilePersistence persistence{home.path("profiles.json")};
};

// The file contract (missing file, damaged file, failed writes) is checked with every store.
TEST_F(ProfilePersistenceTest, RefusesOtherVersionsAndDocumentsWithOneBadRecord) {
    EXPECT_EQ(defaultProfilesFilePath(), path());
    for (int version : {0, 2}) {
        writeFile(Json{{"version", version}, {"profiles", Json::array()}});
        EXPECT_EQ(persistence.load().error().code, files::kUnknownRead) << version;
    }
    for (const Json& document : {Json{{"version", 1}}, Json{{"version", 1}, {"profiles", "x"}},
                                 Json{{"version", "1"}, {"profiles", Json::array()}}}) {
        writeFile(document);
        EXPECT_FALSE(persistence.load().ok()) << document.dump();
    }
    // One bad record refuses the whole file; the message names the record and its field.
    Json missingKey = storedRecord(kIdB, 1, "Mail");
    missingKey.erase("wasVisible");
    writeFile(Json{{"version", 1}, {"profiles", {storedRecord(kIdA, 0), missingKey}}});
    auto refused = persistence.load();
    ASSERT_FALSE(refused.ok());
    EXPECT_EQ(refused.error().code, kProfileRecordUnreadable);
    EXPECT_EQ(refused.error().message, "Website 2 (\u201cMail\u201d) has no valid \u201cwasVisible\u201d.");
    // A name of any length is named by its beginning.
    missingKey["name"] = std::string(1'000'000, 'n');
    writeFile(Json{{"version", 1}, {"profiles", {storedRecord(kIdA, 0), missingKey}}});
    EXPECT_EQ(persistence.load().error().message, "Website 2 (\u201c" + std::string(kShownTitleCharacters, 'n') +
                                                      "\u2026\u201d) has no valid \u201cwasVisible\u201d.");
    writeFile(Json{{"version", 1}, {"profiles", Json::array()}, {"extra", true}});
    EXPECT_TRUE(persistence.load()->empty());
}

TEST_F(ProfilePersistenceTest, DropsRepeatedIdsNormalisesAndSortsStably) {
    Json first = storedRecord(kIdA, 5, "First A");
    first["opacity"] = 7;
    writeFile(Json{{"version", 1},
                   {"profiles", {first, storedRecord(kIdB, 2, "B"), storedRecord(kIdC, 2, "C"),
                                 storedRecord(kIdA, 0, "Second A")}}});
    std::string bytes = readBytes(path());
    auto loaded = persistence.load();
    ASSERT_TRUE(loaded.ok());
    first["opacity"] = 1.0;  // normalised on reading; sort orders are left as they are
    const std::vector<Json> read(loaded->begin(), loaded->end()),
        expected = {storedRecord(kIdB, 2, "B"), storedRecord(kIdC, 2, "C"), first};
    EXPECT_EQ(read, expected) << "the first record with an id wins";
    EXPECT_EQ(readBytes(path()), bytes) << "the file keeps its values until the next save";
}

TEST_F(ProfilePersistenceTest, SavesPrettySortedAndKeepsThePreviousFileAsBackup) {
    WebAppProfile a;
    a.name = "A";
    a.siteProxy = BrowserProxySettings{};
    ASSERT_TRUE(persistence.save({a}).ok()) << "the folder is created";
    EXPECT_FALSE(test::exists(path() + ".backup")) << "the first save writes no backup";

    std::string first = readBytes(path());
    auto json = Json::parse(first);
    EXPECT_EQ(first, json.dump(2)) << "pretty-printed with keys sorted at every level";
    EXPECT_EQ(json["version"], 1);

    WebAppProfile b;
    b.name = "B";
    ASSERT_TRUE(persistence.save({b, a}).ok());
    EXPECT_EQ(readBytes(path() + ".backup"), first);
    auto loaded = persistence.load();
    ASSERT_TRUE(loaded.ok());
    ASSERT_EQ(loaded->size(), 2u);
    EXPECT_EQ((*loaded)[0], b) << "saved in the order given";

    // A save with nothing new still refreshes the backup.
    std::string second = readBytes(path());
    ASSERT_TRUE(persistence.save({b, a}).ok());
    EXPECT_EQ(readBytes(path() + ".backup"), second);
}

TEST_F(ProfilePersistenceTest, UnreadableCurrentFileStopsTheSave) {
    ASSERT_TRUE(files::createFolder(path()).ok());  // something that exists but cannot be read
    test::writeBytes(path() + ".backup", "old backup");
    EXPECT_FALSE(persistence.save({WebAppProfile{}}).ok());
    EXPECT_TRUE(test::isDirectory(path()));
    EXPECT_EQ(readBytes(path() + ".backup"), "old backup");
}

}  // namespace
}  // namespace quenlith
