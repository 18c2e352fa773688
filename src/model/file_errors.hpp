#pragma once

// The failures of the file layer as the person reads them: stable codes and localised messages
// naming the file. Kept apart from the file layer, which the localisation itself reads through.

#include <string>

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
inline constexpr const char* kNotRegularFile = "file.notRegular";

// What was asked of the file when a step failed. A write first reads the file it changes, or
// copies it aside: a failure of such a step is told as the failed write it is.
enum class FileTask { read, write };

// Failures the system describes, with its own words for `systemError` (an errno value).
Error folderError(const std::string& directory, int systemError);
Error readError(const std::string& path, int systemError);
Error writeError(const std::string& path, int systemError);
Error removeError(const std::string& path, int systemError);
// Either of the two above.
Error accessError(const std::string& path, int systemError, FileTask task);
Error tooLargeError(const std::string& path, FileTask task = FileTask::read);
Error notRegularFileError(const std::string& path, FileTask task = FileTask::read);

// Errors of our own for conditions the system does not describe, with localised messages.
Error noSuchFileError(const std::string& path, FileTask task = FileTask::read);
Error corruptFileError(const std::string& path);
Error unknownReadError(const std::string& path);
// Content that cannot be written as JSON (a non-finite number, text that is not UTF-8).
Error encodingError(const std::string& path);

}  // namespace quenlith::files
