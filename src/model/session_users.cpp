#include "model/session_users.hpp"

#include "model/app_paths.hpp"
#include "model/browser_session.hpp"
#include "model/file_store.hpp"
#include "model/library_document.hpp"
#include "model/library_file.hpp"
#include "model/profile_persistence.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

SavedSessionFiles SavedSessionFiles::inDataFolder() {
    return {defaultProfilesFilePath(), defaultLibraryFilePath(), applicationDataDirectory() + "/session-v1.json"};
}

void SessionUsers::addWebsites(const std::vector<WebAppProfile>& websites) {
    // Switched off, an own session is still the website's: switching on returns to it.
    for (const auto& website : websites)
        if (website.sessionIdentifier) add(*website.sessionIdentifier);
}

void SessionUsers::addLibrary(const LibraryDocument& library) {
    for (const auto& session : windowSessionsOf(library)) add(session.identifier);
}

void SessionUsers::addSession(const BrowserSessionDocument& session) {
    // A website's window uses the website's session; the others carry their record.
    for (const auto& window : session.windows)
        if (window.temporaryProfile && window.temporaryProfile->sessionIdentifier)
            add(*window.temporaryProfile->sessionIdentifier);
}

void SessionUsers::addNamedIn(std::string_view text) {
    for (const Uuid& session : uuidsNamedIn(text)) add(session);
}

bool SessionUsers::addWebsitesFile(const std::string& path) {
    // A record left out for repeating another's id is still the person's.
    auto read = ProfilePersistence(path).loadEveryRecord();
    if (read) addWebsites(*read);
    return read.ok();
}

void SessionUsers::addSavedFiles(const SavedSessionFiles& files) {
    const std::string websites = files::backupPath(files.websites);
    if (files::pathExists(websites) && !addWebsitesFile(websites)) addUnreadable();
    const std::string library = files::backupPath(files.library);
    if (files::pathExists(library)) {
        if (auto read = readLibraryFile(library))
            addLibrary(*read);
        else
            addUnreadable();
    }
    // Each of the two: a restore reads the file, else its backup.
    for (const auto& session : {files.session, files::backupPath(files.session)}) {
        if (!files::pathExists(session)) continue;
        if (auto read = usableSessionFile(session))
            addSession(read->normalized());
        else
            addUnreadable();
    }
    addRecoveryCopies(files.websites, kProfilesFileSizeCap,
                      [this](const std::string& copy) { return addWebsitesFile(copy); });
    addRecoveryCopies(files.library, kLibraryFileSizeCap, [this](const std::string& copy) {
        auto read = readLibraryFile(copy);
        if (read) addLibrary(*read);
        return read.ok();
    });
    addRecoveryCopies(files.session, kSessionFileSizeCap, [this](const std::string& copy) {
        auto read = usableSessionFile(copy);
        if (read) addSession(read->normalized());
        return read.has_value();
    });
}

void SessionUsers::addRecoveryCopies(const std::string& path, std::uint64_t cap,
                                     const std::function<bool(const std::string&)>& decoded) {
    for (const auto& copy : files::recoveryPaths(path)) {
        if (decoded(copy)) continue;
        if (auto bytes = files::readWholeFile(copy, cap))
            addNamedIn(*bytes);
        else
            addUnreadable();
    }
}

std::vector<Uuid> unusedSessions(const std::vector<Uuid>& onDisk, const SessionUsers& users) {
    std::vector<Uuid> unused;
    if (!users.known()) return unused;
    for (const auto& session : onDisk)
        if (!users.uses(session)) unused.push_back(session);
    return unused;
}

}  // namespace quenlith
