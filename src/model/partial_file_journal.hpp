#pragma once

// The record of the partial files that downloads make beside the files people choose. A process
// that ends while one fills cannot remove it; the next start reads the record and removes those
// left, and nothing else: only paths of the shape the placement makes, and only the very file
// made there (its device and inode, recorded once it is made), still a regular file of ours.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "model/file_identity.hpp"
#include "model/result.hpp"

namespace quenlith {

// Error code of a journal text that is not one PartialFileJournal wrote.
inline constexpr const char* kPartialFileJournalDamaged = "partialFiles.damaged";

// What a start finds at a path an earlier process recorded.
enum class RecordedFileState {
    ownPartialFile,  // the very file recorded, a regular file of this user, in a folder reached without links
    absent,          // nothing, in a folder that is there
    folderAbsent,    // not even its folder (a drive not attached now, a folder removed)
    somethingElse,   // a link, a folder, a device, a file of another user, another file than the one
                     // recorded (or one never identified), or a folder reached through a link
    unreachable,     // the system would not say (no permission, an input/output error)
};

// What becomes of such a record.
enum class RecordOutcome {
    remove,  // its file goes, then the record
    forget,  // the record goes; whatever is there stays
    keep,    // looked at again at the next start
};

class PartialFileJournal {
public:
    // Reads the text serialized() writes: {"partialFiles": [record, …]}, each record the file's
    // address ("file:///…", as earlier versions wrote every record, and as a record is until its
    // file is made) or {"file": "file:///…", "device": n, "inode": n}. Its paths are the earlier
    // records. Anything else fails with kPartialFileJournalDamaged and the reason.
    static Result<PartialFileJournal> parse(std::string_view text);
    // The text of every record, earlier and current.
    std::string serialized() const;

    // An absolute path without empty, "." or ".." parts whose file name has the partial files'
    // shape (isPartialFileName).
    static bool recordable(std::string_view path);
    // The rule for an earlier record whose path is found in `state`.
    static RecordOutcome decide(std::string_view path, RecordedFileState state);

    // Records a partial file of this process; false (nothing recorded) when not recordable.
    bool record(const std::string& path);
    // The file now made at a recorded `path` of this process is `identity`.
    void identify(const std::string& path, FileIdentity identity);
    // Drops the record of `path`, earlier or current.
    void forget(const std::string& path);
    // Which file the record of `path` names; none until its file was made.
    std::optional<FileIdentity> identityOf(const std::string& path) const;
    // The records read from the text, less those forgotten since.
    const std::set<std::string>& earlier() const { return earlier_; }
    bool empty() const { return earlier_.empty() && current_.empty(); }

private:
    std::set<std::string> earlier_;
    std::set<std::string> current_;
    std::map<std::string, FileIdentity> identities_;
};

}  // namespace quenlith
