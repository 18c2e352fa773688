#pragma once

#include <set>
#include <string>
#include <vector>

#include "model/uuid.hpp"

namespace quenlith {

struct BrowserSessionDocument;
struct LibraryDocument;
struct WebAppProfile;

// The saved files that can bring a session back in place of what the stores hold: the backups of
// profiles.json and library.json (a restore puts them back), session-v1.json and its backup.
struct SavedSessionFiles {
    std::string websites;  // profiles.json
    std::string library;   // library.json
    std::string session;   // session-v1.json

    // The files of the application's data folder.
    static SavedSessionFiles inDataFolder();
};

// The website-data sessions something may still use: those named by the saved websites (their
// own session, switched on or not), the saved pages and page-group windows, the windows of the
// saved session and the open windows. A source that could not be read makes every session one
// that may be used.
class SessionUsers {
public:
    void addWebsites(const std::vector<WebAppProfile>& websites);
    void addLibrary(const LibraryDocument& library);
    void addSession(const BrowserSessionDocument& session);
    void add(const Uuid& session) { used_.insert(session); }
    // A source that could not be read.
    void addUnreadable() { known_ = false; }
    // Reads the saved files (the disk: off the main thread); one that is there and cannot be read
    // is a source that could not be read.
    void addSavedFiles(const SavedSessionFiles& files);

    bool known() const { return known_; }
    bool uses(const Uuid& session) const { return used_.contains(session); }

private:
    std::set<Uuid> used_;
    bool known_ = true;
};

// The sessions of `onDisk` that nothing uses, in their order: none while a source is unreadable.
std::vector<Uuid> unusedSessions(const std::vector<Uuid>& onDisk, const SessionUsers& users);

}  // namespace quenlith
