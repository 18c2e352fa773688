#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/json_coding.hpp"
#include "model/uuid.hpp"

namespace quenlith {

struct BrowserProxySettings;
struct BrowserSessionDocument;
struct LibraryDocument;
struct WebAppProfile;
class WebAppStore;

// The saved files that may name a proxy credential, each with its backup and the recovery copies
// a restore kept of it; the settings with the copies of unreadable settings kept aside.
struct SavedCredentialFiles {
    std::string websites;  // profiles.json
    std::string settings;  // settings.json
    std::string library;   // library.json
    std::string session;   // session-v1.json

    // The files of the application's data and configuration folders.
    static SavedCredentialFiles current();
};

// The proxy credentials something may still use: those of the saved websites, of the global
// proxy, of the saved pages and page-group windows and of the windows of the saved session. A
// source that could not be read makes every credential one that may be used. Credentials are
// compared as the UUIDs the application makes, in either letter case (any other text exactly).
// A credential named by a file, by its backup or by a record set aside for a repeated id is used.
class CredentialUsers {
public:
    void add(std::string_view credentialID);
    void addProxy(const std::optional<BrowserProxySettings>& proxy);
    void addWebsites(const std::vector<WebAppProfile>& websites);
    // What the store holds now: its websites and the records set aside for a repeated id.
    void addWebsiteStore(const WebAppStore& store);
    void addLibrary(const LibraryDocument& library);
    void addSession(const BrowserSessionDocument& session);
    // The object of the settings file: the global proxy of the preferences; preferences that do
    // not decode, and those kept aside, by every credential their text names.
    void addSettings(const Json& settings);
    // Every credential `text` spells: what a damaged file still names.
    void addNamedIn(std::string_view text);
    // A source that could not be read.
    void addUnreadable() { known_ = false; }
    // Reads the saved files (the disk: off the main thread). The websites, the settings, the
    // library and the session, and their backups, must be read when they are there; a recovery
    // copy, and settings kept aside, are often the damaged file they replaced: one that does not
    // decode uses the credentials its text names. A file that is there and cannot be read, a
    // folder whose copies cannot be listed, and a websites file that is not there at all are
    // sources that could not be read.
    void addSavedFiles(const SavedCredentialFiles& files);

    bool known() const { return known_; }
    bool uses(std::string_view credentialID) const;

private:
    // The copies "<path><marker><UUID>" beside `path`, each decoded (true when it could be), else
    // by the text it holds.
    void addCopies(const std::string& path, const std::string& marker, std::uint64_t cap,
                   bool (CredentialUsers::*decoded)(const std::string&));
    bool addWebsitesFile(const std::string& path);
    bool addSettingsFile(const std::string& path);
    bool addLibraryFile(const std::string& path);
    bool addSessionFile(const std::string& path);
    // A file that must be read when it is there.
    void addRequired(const std::string& path, bool (CredentialUsers::*decoded)(const std::string&));

    std::set<Uuid> used_;
    std::set<std::string, std::less<>> usedTexts_;  // ids of another shape, as spelled
    bool known_ = true;
};

// The stored credential ids of the shape the application makes (a UUID text), in their order:
// any other is no credential the application made, and none it removes.
std::vector<std::string> credentialsOfOurShape(std::vector<std::string> stored);

// The stored credentials that nothing uses, in their order: only credential ids of the shape the
// application makes; none while a source is unreadable.
std::vector<std::string> unusedCredentials(const std::vector<std::string>& stored,
                                           const CredentialUsers& users);

}  // namespace quenlith
