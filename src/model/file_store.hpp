#pragma once

// The one way the application's JSON files reach the disk: folders made private (0700), files
// written whole through an atomic, durable replace (0600), and reads that refuse an over-large
// file before reading it. profiles.json, library.json and session-v1.json all go through here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/file_errors.hpp"
#include "model/raw_file.hpp"
#include "model/result.hpp"

namespace quenlith::files {

// Our temporary files are "<name>.quenlith-partial-XXXXXX": a shape no user file is likely to
// have, so clearing the leftovers of an interrupted write never touches anything else.
inline constexpr const char* kTemporarySuffix = ".quenlith-partial-";

// "<path>.backup": the companion kept beside a file.
std::string backupPath(const std::string& path);
// "<path>.recovery-<UUID>" with a fresh upper-case UUID.
std::string newRecoveryPath(const std::string& path);
// The recovery copies beside `path` (names of that shape, not the temporary files of writing
// them), sorted; none when its folder cannot be listed.
std::vector<std::string> recoveryPaths(const std::string& path);

// The kinds of copy a file is kept aside as before it is replaced: "<path><kind><UUID>".
inline constexpr const char* kRecoveryCopy = ".recovery-";
inline constexpr const char* kUnreadableCopy = ".unreadable-";
// The copies of that kind beside `path`, sorted; none when its folder cannot be listed.
std::vector<std::string> copiesAside(const std::string& path, std::string_view kind);
// Keeps the bytes of `path` (at most `cap`) beside it as a copy of that kind with a new UUID, unless
// such a copy holds those bytes already (a damaged file met again at the next start is not copied
// again); gives the copy's path. Fails when `path` cannot be read or the copy cannot be written.
Result<std::string> keepCopyAside(const std::string& path, std::uint64_t cap, std::string_view kind);
// Keeps a file that cannot be copied (over its cap, unreadable) aside by renaming it to a copy of
// that kind with a new UUID; gives the copy's path. Only a regular file moves: a link, a pipe or a
// folder stays where it is and fails with kNotRegularFile.
Result<std::string> moveAside(const std::string& path, std::string_view kind);

// Creates `directory` and any missing parents with mode 0700; an existing folder of ours is fine,
// and loses any group or other rights it had. A symbolic link at `directory` (a data folder the
// person moved to another disk) is used as it is: its target's rights are never changed. A folder
// that must be ours alone is opened with openOwnFolder (model/own_folder.hpp) instead.
Status createFolder(const std::string& directory);
// Creates the folder that holds `filePath`.
Status createParentFolder(const std::string& filePath);

// Whether anything (file, folder, dangling link) is at `path`: false only when the system says
// there is no such file; any other failure (no search permission) is an error.
Result<bool> probePath(const std::string& path);
// True unless `path` is known to be absent: an unreadable place counts as present, so the reader
// that follows reports the error instead of the caller starting empty.
bool pathExists(const std::string& path);

// Replaces `path` with `bytes` in one step: a temporary file beside it (kTemporarySuffix),
// flushed to disk, then renamed over the target, mode 0600. Either the old or the new content is
// there afterwards, never a mixture, even when the process dies midway. When `path` is a symbolic
// link (or a chain of them), the file at its end is replaced in that file's own folder (and
// created when missing) while the links stay; a loop fails, and so does an end that is not a
// regular file (a pipe or a device in the file's place stays as it is).
Status writeFileAtomically(const std::string& path, std::string_view bytes);

// Error code of a write refused because its name is a symbolic link.
inline constexpr const char* kLinkLeftAlone = "file.linkLeftAlone";
// The same for a file that is ours alone (a backup, a copy kept aside): a symbolic link at `path`
// is left as it is and fails with kLinkLeftAlone; nothing is written through it.
Status writeOwnFileAtomically(const std::string& path, std::string_view bytes);
// Writes the backup `path` (backupPath of a file) with writeOwnFileAtomically. A link there is
// left alone and told in the log, and counts as done: the file it accompanies is still written.
Status writeBackup(const std::string& path, std::string_view bytes);
// Reads `path` (at most `cap` bytes) and writes its bytes as its backup with writeBackup; a
// failure to read `path` is told as a failed write of it.
Status copyToBackup(const std::string& path, std::uint64_t cap);

// Reads a whole regular file of at most `cap` bytes; a larger one fails with kTooLarge, decided
// from its size before reading and again while reading (never more than cap + 1 bytes are held).
// A missing file fails with kNoSuchFile; a FIFO, device or socket with kNotRegularFile, without
// blocking. Read as the first step of a write, a failure is told as that write's.
Result<std::string> readWholeFile(const std::string& path, std::uint64_t cap, FileTask task = FileTask::read);

// Reads `source` (at most `cap` bytes) and writes its bytes atomically to `destination`, a copy of
// ours alone (writeOwnFileAtomically). Callers keep a copy of a file they are about to replace: a
// failure to read `source` is told as a failed write of it.
Status copyFileAtomically(const std::string& source, const std::string& destination, std::uint64_t cap);

// Removes the file at `path`; a missing file is not an error.
Status removeFileIfPresent(const std::string& path);

// Removes the temporary files that an atomic write of `path` or of its backup leaves beside it
// (or beside the target of the link at `path`) when the process dies midway (our own shape only).
// Called when a file is loaded, before anything writes it again in this process.
void removeStaleTemporaryFiles(const std::string& path);

}  // namespace quenlith::files
