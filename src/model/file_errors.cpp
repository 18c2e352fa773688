#include "model/file_errors.hpp"

#include <cerrno>

#include <glib.h>

#include "model/localization.hpp"

namespace quenlith::files {

namespace {

std::string displayName(const std::string& path) {
    char* base = g_path_get_basename(path.c_str());
    std::string name = base ? base : path;
    g_free(base);
    return name;
}

std::string systemErrorMessage(int error) {
    return g_strerror(error);
}

}  // namespace

Error folderError(const std::string& directory, int systemError) {
    return Error{kFolderFailed, localizedFormat("The folder “%@” could not be created: %@",
                                                {displayName(directory), systemErrorMessage(systemError)})};
}

Error readError(const std::string& path, int systemError) {
    return Error{kReadFailed, localizedFormat("The file “%@” could not be read: %@",
                                              {displayName(path), systemErrorMessage(systemError)})};
}

Error writeError(const std::string& path, int systemError) {
    return Error{kWriteFailed, localizedFormat("The file “%@” could not be written: %@",
                                               {displayName(path), systemErrorMessage(systemError)})};
}

Error removeError(const std::string& path, int systemError) {
    return Error{kRemoveFailed, localizedFormat("The file “%@” could not be removed: %@",
                                                {displayName(path), systemErrorMessage(systemError)})};
}

Error accessError(const std::string& path, int systemError, FileTask task) {
    return task == FileTask::write ? writeError(path, systemError) : readError(path, systemError);
}

Error tooLargeError(const std::string& path, FileTask task) {
    if (task == FileTask::write)
        return Error{kTooLarge, localizedFormat("The file “%@” could not be written because it is too large.",
                                                {displayName(path)})};
    return Error{kTooLarge, localizedFormat("The file “%@” is too large.", {displayName(path)})};
}

Error notRegularFileError(const std::string& path, FileTask task) {
    if (task == FileTask::write)
        return Error{kNotRegularFile,
                     localizedFormat("The file “%@” could not be written because it is not a regular file.",
                                     {displayName(path)})};
    return Error{kNotRegularFile,
                 localizedFormat("The file “%@” is not a regular file.", {displayName(path)})};
}

Error noSuchFileError(const std::string& path, FileTask task) {
    // A write may well find no file to change; the code tells the caller, the words a failed write.
    if (task == FileTask::write) return Error{kNoSuchFile, writeError(path, ENOENT).message};
    return Error{kNoSuchFile, localizedFormat("The file “%@” does not exist.", {displayName(path)})};
}

Error corruptFileError(const std::string& path) {
    return Error{kCorruptFile,
                 localizedFormat(
                     "The file “%@” could not be opened because it is damaged or not in the correct format.",
                     {displayName(path)})};
}

Error unknownReadError(const std::string& path) {
    return Error{kUnknownRead,
                 localizedFormat("The file “%@” could not be opened because its version is not supported.",
                                 {displayName(path)})};
}

Error encodingError(const std::string& path) {
    return Error{
        kEncodingFailed,
        localizedFormat(
            "The data for “%@” could not be written because it contains values that cannot be stored.",
            {displayName(path)})};
}

}  // namespace quenlith::files
