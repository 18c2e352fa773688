// The one answer every removal of a proxy password asks: a credential named by a saved file, by its
// backup, by a record set aside for a repeated id, or by what the application holds now stays.
#include "model/credential_release.hpp"

#include <gtest/gtest.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/sample_records.hpp"
#include "model/web_app_store.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

WebAppProfile proxiedWebsite(const std::string& name, const std::string& credential) {
    WebAppProfile website = test::website(name, "https://" + name + ".example");
    website.siteProxy = test::socksProxy();
    website.siteProxy->credentialID = credential;
    return website;
}

std::optional<std::vector<std::string>> unusedAmong(const std::vector<std::string>& candidates,
                                                    const std::function<bool(const std::string&)>& inUseNow) {
    std::optional<std::optional<std::vector<std::string>>> answer;
    findUnusedCredentials(candidates, SavedCredentialFiles::current(), inUseNow,
                          [&](std::optional<std::vector<std::string>> unused) { answer = std::move(unused); });
    EXPECT_FALSE(answer.has_value()) << "answered inside the call, before the files were read";
    EXPECT_TRUE(test::spinUntil([&] { return answer.has_value(); }));
    return answer.value_or(std::vector<std::string>{"no answer"});
}

TEST(CredentialRelease, WhatAFileItsBackupASetAsideRecordOrTheRunningApplicationNamesStays) {
    test::TemporaryEnvironment environment;
    const SavedCredentialFiles files = SavedCredentialFiles::current();
    const std::string live = Uuid::random().string(), backup = Uuid::random().string(),
                      setAside = Uuid::random().string(), global = Uuid::random().string(),
                      running = Uuid::random().string(), unused = Uuid::random().string();
    // The record naming `setAside` repeats the id of the one before it: left out at load.
    WebAppProfile first = proxiedWebsite("mail", live), twin = proxiedWebsite("chat", setAside);
    twin.id = first.id;
    ASSERT_TRUE(ProfilePersistence(files.websites).save({first, twin}));
    ASSERT_TRUE(ProfilePersistence(files::backupPath(files.websites)).save({proxiedWebsite("old", backup)}));
    AppPreferences preferences;
    preferences.proxy = test::socksProxy();
    preferences.proxy->credentialID = global;
    test::writeFile(files.settings, Json{{PreferencesStore::kPreferencesKey, Json(preferences)}}.dump());
    auto runningUses = [&](const std::string& credential) { return credential == running; };

    // Ids the application did not make as UUIDs are compared as spelled.
    const std::vector<std::string> candidates{live,   backup, setAside, global,        running,
                                              unused, unused, "NEW-1",  live.substr(1)};
    EXPECT_EQ(unusedAmong(candidates, runningUses),
              (std::vector<std::string>{unused, "NEW-1", live.substr(1)}));
    EXPECT_EQ(unusedAmong({live}, {}), std::vector<std::string>{}) << "without a running check";

    // The websites file gone (a folder not mounted yet): nothing can be shown unused.
    ASSERT_TRUE(files::removeFileIfPresent(files.websites));
    EXPECT_EQ(unusedAmong({unused}, runningUses), std::nullopt);
    // A backup that cannot be read may name any.
    ASSERT_TRUE(ProfilePersistence(files.websites).save({first}));
    test::writeFile(files::backupPath(files.websites), "{\"version\": 1, \"profiles\": [");
    EXPECT_EQ(unusedAmong({unused}, runningUses), std::nullopt);
    ASSERT_TRUE(files::removeFileIfPresent(files::backupPath(files.websites)));
    EXPECT_EQ(unusedAmong({unused, backup}, runningUses), (std::vector<std::string>{unused, backup}));
}

// What runs counts the same records as the files: a website set aside at load for repeating an
// id still names its password.
TEST(CredentialRelease, TheStoreNamesTheRecordsItSetAsideAsWellAsItsWebsites) {
    test::TemporaryEnvironment environment;
    const std::string live = Uuid::random().string(), setAside = Uuid::random().string();
    WebAppProfile first = proxiedWebsite("mail", live), twin = proxiedWebsite("chat", setAside);
    twin.id = first.id;
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save({first, twin}));
    WebAppStore store;
    ASSERT_EQ(store.setAsideProfiles().size(), 1u);
    CredentialUsers users;
    users.addWebsiteStore(store);
    EXPECT_TRUE(users.uses(live));
    EXPECT_TRUE(users.uses(setAside));
    EXPECT_FALSE(users.uses(Uuid::random().string()));
}

}  // namespace
}  // namespace quenlith
