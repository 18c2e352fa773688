#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/uuid.hpp"

namespace quenlith {

struct BrowserSessionDocument;
struct LibraryDocument;
struct WebAppProfile;

// The saved files that can bring a session back in place of what the stores hold: the backups of
// profiles.json and library.json (a restore puts them back), session-v1.json and its backup, and
// the recovery copies a restore kept of each (the person may go back to one).
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
    // Every session whose identifier `text` spells: what a damaged file still names.
    void addNamedIn(std::string_view text);
    // Reads the saved files (the disk: off the main thread); one that is there and cannot be read
    // is a source that could not be read. A recovery copy is often the damaged file a restore
    // replaced: one that does not decode uses the sessions its text names.
    void addSavedFiles(const SavedSessionFiles& files);

    bool known() const { return known_; }
    bool uses(const Uuid& session) const { return used_.contains(session); }

private:
    // The websites of a profiles.json-shaped file, those set aside for a repeated id among them;
    // false when it cannot be read.
    bool addWebsitesFile(const std::string& path);
    // Each recovery copy of `path`: decoded (true when it could be), else by the text it holds.
    void addRecoveryCopies(const std::string& path, std::uint64_t cap,
                           const std::function<bool(const std::string&)>& decoded);

    std::set<Uuid> used_;
    bool known_ = true;
};

// The sessions of `onDisk` that nothing uses, in their order: none while a source is unreadable.
std::vector<Uuid> unusedSessions(const std::vector<Uuid>& onDisk, const SessionUsers& users);

}  // namespace quenlith
