// Which proxy passwords in the keyring nothing names any more: a case per kind of record that names
// one, and a case per saved file that may.
#include "model/credential_users.hpp"

#include <functional>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/library_file.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

using test::makeClip;
using test::makeSceneWindow;
using test::makeWindow;

BrowserProxySettings proxyNaming(const std::string& credential, bool authenticates = true) {
    BrowserProxySettings proxy = test::socksProxy();
    proxy.credentialID = credential;
    proxy.usesAuthentication = authenticates;
    return proxy;
}

WebAppProfile proxiedWebsite(const std::string& credential, bool authenticates = true) {
    WebAppProfile website = test::website("Mail", "https://mail.example.com");
    website.siteProxy = proxyNaming(credential, authenticates);
    return website;
}

WindowSessionReference sessionWithProxy(const std::string& credential) {
    return WindowSessionReference{Uuid::random(), proxyNaming(credential)};
}

Json settingsWithGlobalProxy(const std::string& credential) {
    AppPreferences preferences;
    preferences.proxy = proxyNaming(credential);
    return Json{{PreferencesStore::kPreferencesKey, Json(preferences)}};
}

// A websites file whose websites use no proxy.
void plainWebsites(const SavedCredentialFiles& files) {
    ASSERT_TRUE(ProfilePersistence(files.websites).save({test::website("Plain", "https://plain.example")}));
}

std::vector<std::string> credentials(std::size_t count) {
    std::vector<std::string> made;
    for (std::size_t i = 0; i < count; ++i) made.push_back(Uuid::random().string());
    return made;
}

TEST(CredentialUsers, OnlyCredentialsNothingNamesAreUnused) {
    const std::vector<std::string> c = credentials(4);
    // Items the application did not make (no UUID for an account) are never its to remove.
    std::vector<std::string> stored = c;
    stored.push_back("made-by-hand");
    struct Case {
        const char* label;
        std::function<void(CredentialUsers&)> users;
        std::vector<std::string> unused;
    };
    const Case cases[] = {
        {"nothing", [](CredentialUsers&) {}, c},
        {"websites' proxies, authenticating or not; a website without one",
         [&](CredentialUsers& u) {
             u.addWebsites(
                 {proxiedWebsite(c[0]), proxiedWebsite(c[2], false), test::website("A", "https://a.com")});
         },
         {c[1], c[3]}},
        {"the global proxy",
         [&](CredentialUsers& u) { u.addSettings(settingsWithGlobalProxy(c[1])); },
         {c[0], c[2], c[3]}},
        {"preferences that do not decode name what their text names",
         [&](CredentialUsers& u) {
             Json settings = settingsWithGlobalProxy(c[1]);
             settings[PreferencesStore::kPreferencesKey]["theme"] = 42;
             u.addSettings(settings);
         },
         {c[0], c[2], c[3]}},
        {"preferences kept aside; other keys name nothing",
         [&](CredentialUsers& u) {
             Json settings = Json::object();
             settings[std::string(PreferencesStore::kUnreadablePreferencesPrefix) + Uuid::random().string()] =
                 settingsWithGlobalProxy(c[2])[PreferencesStore::kPreferencesKey];
             settings["interfaceLanguage"] = c[3];
             u.addSettings(settings);
         },
         {c[0], c[1], c[3]}},
        {"a saved page and a page-group window",
         [&](CredentialUsers& u) {
             LibraryDocument library;
             library.clips = {makeClip(), makeClip()};
             library.clips[1].windowSession = sessionWithProxy(c[1]);
             library.scenes = {test::makeScene()};
             library.scenes[0].windows.push_back(makeSceneWindow());
             library.scenes[0].windows[1].windowSession = sessionWithProxy(c[3]);
             u.addLibrary(library);
         },
         {c[0], c[2]}},
        {"a saved window of no website; a website's saved window names none itself",
         [&](CredentialUsers& u) {
             RestorableWindow website = makeWindow(1), browsing = makeWindow(1);
             website.savedProfileID = Uuid::random();
             browsing.temporaryProfile = proxiedWebsite(c[2]);
             u.addSession({1, {website, browsing}, std::nullopt});
         },
         {c[0], c[1], c[3]}},
        {"a name in lower case, and the text of a damaged file",
         [&](CredentialUsers& u) {
             std::string lower = c[0];
             for (char& letter : lower)
                 letter = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
             u.add(lower);
             u.addNamedIn("{\"credentialID\":\"" + c[3] + "\",\"cut off here");
         },
         {c[1], c[2]}},
        {"a source that could not be read",
         [&](CredentialUsers& u) {
             u.add(c[0]);
             u.addUnreadable();
         },
         {}},
    };
    for (const auto& row : cases) {
        CredentialUsers users;
        row.users(users);
        EXPECT_EQ(unusedCredentials(stored, users), row.unused) << row.label;
    }
}

// Each saved file that names a credential keeps it; each that is there and cannot be read keeps
// every one.
TEST(CredentialUsers, TheSavedFilesKeepWhatTheyName) {
    auto writeWebsites = [](const std::string& path, const std::string& credential) {
        ASSERT_TRUE(ProfilePersistence(path).save({proxiedWebsite(credential)}));
    };
    // The record naming it repeats an earlier record's id: left out of the list, not forgotten.
    auto writeRepeatedId = [](const std::string& path, const std::string& credential) {
        WebAppProfile first = test::website("Plain", "https://plain.example"), twin = proxiedWebsite(credential);
        twin.id = first.id;
        ASSERT_TRUE(ProfilePersistence(path).save({first, twin}));
    };
    auto writeLibrary = [](const std::string& path, const std::string& credential) {
        LibraryDocument library;
        library.clips = {makeClip()};
        library.clips[0].windowSession = sessionWithProxy(credential);
        test::writeFile(path, *encodeLibraryDocument(library));
    };
    auto writeSession = [](const std::string& path, const std::string& credential) {
        RestorableWindow window = makeWindow(1);
        window.temporaryProfile = proxiedWebsite(credential);
        ASSERT_TRUE(BrowserSessionPersistence(path).save({1, {window}, std::nullopt}));
    };
    auto writeSettings = [](const std::string& path, const std::string& credential) {
        test::writeFile(path, settingsWithGlobalProxy(credential).dump());
    };
    using Write = std::function<void(const std::string&, const std::string&)>;
    // The file cut off right after the credential's id: the damaged file a restore replaced.
    auto damaged = [](const Write& write) {
        return [write](const std::string& path, const std::string& credential) {
            write(path, credential);
            const std::string text = test::readFile(path);
            test::writeFile(path, text.substr(0, text.find(credential) + credential.size() + 1));
        };
    };
    auto garbage = [](const std::string& path, const std::string&) {
        test::writeFile(path, "{\"version\": 1, ");
    };
    auto nowhere = [](const std::string& path, const std::string&) {
        ASSERT_EQ(::symlink("/nonexistent/quenlith/elsewhere.json", path.c_str()), 0);
    };
    auto pipe = [](const std::string& path, const std::string&) {
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
    };

    using Where = std::function<std::string(const SavedCredentialFiles&)>;
    const Where websites = [](const SavedCredentialFiles& f) { return f.websites; };
    const Where settings = [](const SavedCredentialFiles& f) { return f.settings; };
    const Where library = [](const SavedCredentialFiles& f) { return f.library; };
    const Where session = [](const SavedCredentialFiles& f) { return f.session; };
    auto backup = [](const Where& of) -> Where {
        return [of](const SavedCredentialFiles& f) { return files::backupPath(of(f)); };
    };
    auto recovery = [](const Where& of) -> Where {
        return [of](const SavedCredentialFiles& f) { return files::newRecoveryPath(of(f)); };
    };
    const Where settingsAside = [](const SavedCredentialFiles& f) {
        return f.settings + ".unreadable-" + Uuid::random().string();
    };

    struct Case {
        const char* label;
        Where path;
        Write write;
        bool readable = true;  // false: no credential may go
    };
    const Case cases[] = {
        {"profiles.json", websites, writeWebsites},
        {"its backup", backup(websites), writeWebsites},
        {"its recovery copy", recovery(websites), writeWebsites},
        {"its recovery copy, damaged", recovery(websites), damaged(writeWebsites)},
        {"profiles.json, in a record repeating another's id", websites, writeRepeatedId},
        {"its recovery copy, in a record repeating another's id", recovery(websites), writeRepeatedId},
        {"the global proxy in settings.json", settings, writeSettings},
        {"settings kept aside as unreadable", settingsAside, damaged(writeSettings)},
        {"library.json", library, writeLibrary},
        {"its backup", backup(library), writeLibrary},
        {"its recovery copy, damaged", recovery(library), damaged(writeLibrary)},
        {"session-v1.json", session, writeSession},
        {"its backup", backup(session), writeSession},
        {"its recovery copy, damaged", recovery(session), damaged(writeSession)},
        {"profiles.json not there: a first start, or a data folder not mounted yet", websites,
         [](const std::string&, const std::string&) {}, false},
        {"profiles.json damaged", websites, damaged(writeWebsites), false},
        {"profiles.json a pipe", websites, pipe, false},
        {"profiles.json a link to nowhere", websites, nowhere, false},
        {"the backup of profiles.json damaged", backup(websites), garbage, false},
        {"settings.json damaged", settings, damaged(writeSettings), false},
        {"settings.json a link to nowhere", settings, nowhere, false},
        {"library.json damaged", library, garbage, false},
        {"session-v1.json damaged", session, garbage, false},
        {"a recovery copy that cannot be read", recovery(library), pipe, false},
        {"settings kept aside that cannot be read", settingsAside, pipe, false},
    };
    for (const auto& row : cases) {
        test::TemporaryEnvironment environment;
        const SavedCredentialFiles files = SavedCredentialFiles::current();
        const std::string path = row.path(files);
        SCOPED_TRACE(std::string(row.label) + ": " + path.substr(path.rfind('/') + 1));
        ASSERT_TRUE(files::createFolder(applicationDataDirectory()));
        ASSERT_TRUE(files::createFolder(applicationConfigDirectory()));
        const std::vector<std::string> c = credentials(2);
        if (path != files.websites) plainWebsites(files);
        row.write(path, c[0]);
        // Not the temporary file of writing a copy, nor a file of another name.
        writeWebsites(files.websites + ".recovery-" + Uuid::random().string() + ".quenlith-partial-Ab3dE9",
                      c[1]);
        writeWebsites(files.websites + ".old", c[1]);

        CredentialUsers users;
        users.addSavedFiles(files);
        EXPECT_EQ(unusedCredentials(c, users),
                  row.readable ? std::vector<std::string>{c[1]} : std::vector<std::string>{});
    }
}

// A folder whose copies cannot be listed may hold a copy that names any credential.
TEST(CredentialUsers, AFolderThatCannotBeListedKeepsEveryCredential) {
    test::TemporaryEnvironment environment;
    const SavedCredentialFiles files = SavedCredentialFiles::current();
    plainWebsites(files);
    ASSERT_TRUE(files::createFolder(applicationConfigDirectory()));
    ASSERT_EQ(::chmod(applicationConfigDirectory().c_str(), 0300), 0);  // search, no listing
    const std::vector<std::string> c = credentials(1);
    {
        test::PermissionsEnforced asThePerson;
        CredentialUsers users;
        users.addSavedFiles(files);
        EXPECT_EQ(unusedCredentials(c, users), std::vector<std::string>{});
    }
    ASSERT_EQ(::chmod(applicationConfigDirectory().c_str(), 0700), 0);
    CredentialUsers users;
    users.addSavedFiles(files);
    EXPECT_EQ(unusedCredentials(c, users), c) << "listed, the folder holds nothing that names it";
}

}  // namespace
}  // namespace quenlith
