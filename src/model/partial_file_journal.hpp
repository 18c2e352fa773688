#pragma once

// The record of the partial files that downloads make beside the files people choose. A process
// that ends while one fills cannot remove it; the next start reads the record and removes those
// left, and nothing else: only paths of the shape the placement makes, and only a regular file of
// ours still there under such a name.

#include <set>
#include <string>
#include <string_view>

#include "model/result.hpp"

namespace quenlith {

// Error code of a journal text that is not one PartialFileJournal wrote.
inline constexpr const char* kPartialFileJournalDamaged = "partialFiles.damaged";

// What a start finds at a path an earlier process recorded.
enum class RecordedFileState {
    ownPartialFile,  // a regular file of this user
    absent,          // nothing, in a folder that is there
    folderAbsent,    // not even its folder (a drive not attached now, a folder removed)
    somethingElse,   // a link, a folder, a device, or a file of another user
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
    // Reads the text serialized() writes: {"partialFiles": ["file:///…", …]}. Its paths are the
    // earlier records. Anything else fails with kPartialFileJournalDamaged and the reason.
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
    // Drops the record of `path`, earlier or current.
    void forget(const std::string& path);
    // The records read from the text, less those forgotten since.
    const std::set<std::string>& earlier() const { return earlier_; }
    bool empty() const { return earlier_.empty() && current_.empty(); }

private:
    std::set<std::string> earlier_;
    std::set<std::string> current_;
};

}  // namespace quenlith
