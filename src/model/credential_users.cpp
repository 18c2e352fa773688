#include "model/credential_users.hpp"

#include <glib.h>

#include "model/app_paths.hpp"
#include "model/app_preferences.hpp"
#include "model/browser_session.hpp"
#include "model/credential_release.hpp"
#include "model/file_store.hpp"
#include "model/json_text.hpp"
#include "model/library_document.hpp"
#include "model/library_file.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "model/web_app_profile.hpp"
#include "model/web_app_store.hpp"

namespace quenlith {

namespace {

// The text of a JSON value, with any UUID it holds spelled as stored.
std::string textOf(const Json& value) {
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

}  // namespace

SavedCredentialFiles SavedCredentialFiles::current() {
    return {defaultProfilesFilePath(), settingsFilePath(), defaultLibraryFilePath(),
            applicationDataDirectory() + "/session-v1.json"};
}

void CredentialUsers::add(std::string_view credentialID) {
    if (auto uuid = Uuid::parse(credentialID))
        used_.insert(*uuid);
    else
        usedTexts_.emplace(credentialID);
}

void CredentialUsers::addProxy(const std::optional<BrowserProxySettings>& proxy) {
    // Named even with authentication off: switched on again, the settings take it back.
    if (proxy && proxy->credentialID) add(*proxy->credentialID);
}

void CredentialUsers::addWebsites(const std::vector<WebAppProfile>& websites) {
    for (const auto& website : websites) addProxy(website.siteProxy);
}

void CredentialUsers::addWebsiteStore(const WebAppStore& store) {
    addWebsites(store.profiles());
    addWebsites(store.setAsideProfiles());
}

void CredentialUsers::addLibrary(const LibraryDocument& library) {
    for (const auto& session : windowSessionsOf(library)) addProxy(session.proxy);
}

void CredentialUsers::addSession(const BrowserSessionDocument& session) {
    for (const auto& window : session.windows)
        if (window.temporaryProfile) addProxy(window.temporaryProfile->siteProxy);
}

void CredentialUsers::addSettings(const Json& settings) {
    if (!settings.is_object()) return;
    const std::string_view asidePrefix = PreferencesStore::kUnreadablePreferencesPrefix;
    for (const auto& [key, value] : settings.items()) {
        if (key == PreferencesStore::kPreferencesKey) {
            if (auto preferences = decodeJson<AppPreferences>(value))
                addProxy(preferences->proxy);
            else
                addNamedIn(textOf(value));
        } else if (std::string_view(key).starts_with(asidePrefix)) {
            addNamedIn(textOf(value));
        }
    }
}

void CredentialUsers::addNamedIn(std::string_view text) {
    for (const Uuid& credential : uuidsNamedIn(text)) used_.insert(credential);
}

bool CredentialUsers::uses(std::string_view credentialID) const {
    if (auto uuid = Uuid::parse(credentialID)) return used_.contains(*uuid);
    return usedTexts_.contains(credentialID);
}

bool CredentialUsers::addWebsitesFile(const std::string& path) {
    // A record left out for repeating another's id is still the person's.
    auto read = ProfilePersistence(path).loadEveryRecord();
    if (read) addWebsites(*read);
    return read.ok();
}

bool CredentialUsers::addSettingsFile(const std::string& path) {
    auto bytes = files::readWholeFile(path, kSettingsFileSizeCap);
    if (!bytes) return false;
    auto json = parseJsonText(*bytes);
    if (!json || !json->is_object()) return false;
    addSettings(*json);
    return true;
}

bool CredentialUsers::addLibraryFile(const std::string& path) {
    auto read = readLibraryFile(path);
    if (read) addLibrary(*read);
    return read.ok();
}

bool CredentialUsers::addSessionFile(const std::string& path) {
    // As written, not as restored: a window left out of a restore still names its proxy here.
    auto read = usableSessionFile(path);
    if (read) addSession(*read);
    return read.has_value();
}

void CredentialUsers::addRequired(const std::string& path,
                                  bool (CredentialUsers::*decoded)(const std::string&)) {
    auto present = files::probePath(path);
    if (present && !*present) return;
    // Also a link that leads nowhere: settings or websites kept elsewhere, not mounted yet.
    if (!present || !(this->*decoded)(path)) addUnreadable();
}

void CredentialUsers::addCopies(const std::string& path, const std::string& marker, std::uint64_t cap,
                                bool (CredentialUsers::*decoded)(const std::string&)) {
    gchar* folderText = g_path_get_dirname(path.c_str());
    gchar* baseText = g_path_get_basename(path.c_str());
    const std::string folder = folderText, prefix = baseText + marker;
    g_free(folderText);
    g_free(baseText);
    GError* error = nullptr;
    GDir* directory = g_dir_open(folder.c_str(), 0, &error);
    if (!directory) {
        // No folder holds no copies; one that cannot be listed may hold any.
        if (!g_error_matches(error, G_FILE_ERROR, G_FILE_ERROR_NOENT)) addUnreadable();
        g_clear_error(&error);
        return;
    }
    std::vector<std::string> copies;
    while (const char* name = g_dir_read_name(directory)) {
        std::string_view entry = name;
        // The shape the application gives its copies, not the temporary files of writing them.
        if (entry.starts_with(prefix) && Uuid::parse(entry.substr(prefix.size())))
            copies.push_back(folder + "/" + name);
    }
    g_dir_close(directory);
    for (const auto& copy : copies) {
        if ((this->*decoded)(copy)) continue;
        if (auto bytes = files::readWholeFile(copy, cap))
            addNamedIn(*bytes);
        else
            addUnreadable();
    }
}

void CredentialUsers::addSavedFiles(const SavedCredentialFiles& files) {
    // Without a websites file it is a first start, or a data folder that is not there (a disk not
    // mounted yet): whatever the keyring holds may belong to websites that come back.
    if (auto websites = files::probePath(files.websites); websites && !*websites) addUnreadable();
    const struct {
        const std::string& path;
        std::uint64_t cap;
        bool (CredentialUsers::*decoded)(const std::string&);
    } dataFiles[] = {
        {files.websites, kProfilesFileSizeCap, &CredentialUsers::addWebsitesFile},
        {files.library, kLibraryFileSizeCap, &CredentialUsers::addLibraryFile},
        {files.session, kSessionFileSizeCap, &CredentialUsers::addSessionFile},
    };
    for (const auto& file : dataFiles) {
        addRequired(file.path, file.decoded);
        addRequired(files::backupPath(file.path), file.decoded);
        addCopies(file.path, ".recovery-", file.cap, file.decoded);
    }
    addRequired(files.settings, &CredentialUsers::addSettingsFile);
    addCopies(files.settings, ".unreadable-", kSettingsFileSizeCap, &CredentialUsers::addSettingsFile);
}

std::vector<std::string> credentialsOfOurShape(std::vector<std::string> stored) {
    std::erase_if(stored, [](const std::string& credential) { return !Uuid::parse(credential); });
    return stored;
}

std::vector<std::string> unusedCredentials(const std::vector<std::string>& stored,
                                           const CredentialUsers& users) {
    return unusedOf(credentialsOfOurShape(stored), users, {}).value_or(std::vector<std::string>{});
}

}  // namespace quenlith
