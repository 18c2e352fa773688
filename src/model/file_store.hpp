#pragma once

// The one way the application's JSON files reach the disk: folders made private (0700), files
// written whole through an atomic, durable replace (0600), and reads that refuse an over-large
// file before reading it. profiles.json, library.json and session-v1.json all go through here.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/result.hpp"

namespace quenlith::files {

// Stable error codes of the failures below.
inline constexpr const char* kNoSuchFile = "file.noSuchFile";
inline constexpr const char* kTooLarge = "file.tooLarge";
inline constexpr const char* kReadFailed = "file.read";
inline constexpr const char* kWriteFailed = "file.write";
inline constexpr const char* kFolderFailed = "file.folder";
inline constexpr const char* kRemoveFailed = "file.remove";
inline constexpr const char* kCorruptFile = "file.corrupt";
inline constexpr const char* kUnknownRead = "file.unknownRead";
inline constexpr const char* kEncodingFailed = "file.encoding";

// "<path>.backup": the companion kept beside a file.
std::string backupPath(const std::string& path);
// "<path>.recovery-<UUID>" with a fresh upper-case UUID.
std::string newRecoveryPath(const std::string& path);

// Creates `directory` and any missing parents with mode 0700; an existing folder is fine.
Status createFolder(const std::string& directory);
// Creates the folder that holds `filePath`.
Status createParentFolder(const std::string& filePath);

// True when anything (file, folder, dangling link) exists at `path`.
bool pathExists(const std::string& path);

// Replaces `path` with `bytes` in one step: a temporary file beside it, flushed to disk, then
// renamed over the target, mode 0600. Either the old or the new content is there afterwards,
// never a mixture, even when the process dies midway.
Status writeFileAtomically(const std::string& path, std::string_view bytes);

// Reads a whole file. With a cap, a file larger than `cap` bytes fails with kTooLarge: decided
// from the file's size before reading, and again while reading for files that report none.
// A missing file fails with kNoSuchFile.
Result<std::string> readWholeFile(const std::string& path, std::optional<std::uint64_t> cap = std::nullopt);

// Reads `source` and writes its bytes atomically to `destination`.
Status copyFileAtomically(const std::string& source, const std::string& destination);

// Removes the file at `path`; a missing file is not an error.
Status removeFileIfPresent(const std::string& path);

// Removes the temporary files that an atomic write of `path` leaves beside it when the process
// dies midway ("<name>.XXXXXX": six letters or digits; the backup companion is kept). Called when a
// file is loaded, before anything writes it again in this process.
void removeStaleTemporaryFiles(const std::string& path);

// Errors of our own for conditions the system does not describe, with localised messages.
Error noSuchFileError(const std::string& path);
Error corruptFileError(const std::string& path);
Error unknownReadError(const std::string& path);
// Content that cannot be written as JSON (a non-finite number, text that is not UTF-8).
Error encodingError(const std::string& path);

}  // namespace quenlith::files
