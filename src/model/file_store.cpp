#include "model/file_store.hpp"

#include <cerrno>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>
#include <glib/gstdio.h>

#include "model/localization.hpp"
#include "model/uuid.hpp"

namespace quenlith::files {

namespace {

std::string displayName(const std::string& path) {
    char* base = g_path_get_basename(path.c_str());
    std::string name = base ? base : path;
    g_free(base);
    return name;
}

std::string systemErrorMessage(int error) { return g_strerror(error); }

Error errorFromGError(const char* code, GError* error) {
    Error result{code, error ? error->message : "unknown error"};
    if (error && error->domain == G_FILE_ERROR && error->code == G_FILE_ERROR_NOENT) result.code = kNoSuchFile;
    g_clear_error(&error);
    return result;
}

}  // namespace

std::string backupPath(const std::string& path) { return path + ".backup"; }

std::string newRecoveryPath(const std::string& path) { return path + ".recovery-" + Uuid::random().string(); }

Status createFolder(const std::string& directory) {
    if (directory.empty()) return success();
    if (g_mkdir_with_parents(directory.c_str(), 0700) != 0) {
        int saved = errno;
        return Error{kFolderFailed, localizedFormat("The folder “%@” could not be created: %@",
                                                    {displayName(directory), systemErrorMessage(saved)})};
    }
    return success();
}

Status createParentFolder(const std::string& filePath) {
    char* directory = g_path_get_dirname(filePath.c_str());
    std::string folder = directory;
    g_free(directory);
    return createFolder(folder);
}

bool pathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

Status writeFileAtomically(const std::string& path, std::string_view bytes) {
    GError* error = nullptr;
    if (!g_file_set_contents_full(path.c_str(), bytes.data(), static_cast<gssize>(bytes.size()),
                                  static_cast<GFileSetContentsFlags>(G_FILE_SET_CONTENTS_CONSISTENT |
                                                                     G_FILE_SET_CONTENTS_DURABLE),
                                  0600, &error))
        return errorFromGError(kWriteFailed, error);
    return success();
}

Result<std::string> readWholeFile(const std::string& path, std::optional<std::uint64_t> cap) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        int saved = errno;
        if (saved == ENOENT) return noSuchFileError(path);
        return Error{kReadFailed, localizedFormat("The file “%@” could not be read: %@",
                                                  {displayName(path), systemErrorMessage(saved)})};
    }
    auto failure = [&](int saved) -> Error {
        ::close(fd);
        return Error{kReadFailed, localizedFormat("The file “%@” could not be read: %@",
                                                  {displayName(path), systemErrorMessage(saved)})};
    };
    auto tooLarge = [&]() -> Error {
        ::close(fd);
        return Error{kTooLarge, localizedFormat("The file “%@” is too large.", {displayName(path)})};
    };

    struct stat info {};
    if (::fstat(fd, &info) != 0) return failure(errno);
    if (S_ISDIR(info.st_mode)) return failure(EISDIR);
    std::string contents;
    if (S_ISREG(info.st_mode) && info.st_size > 0) {
        auto size = static_cast<std::uint64_t>(info.st_size);
        if (cap && size > *cap) return tooLarge();
        contents.reserve(static_cast<std::size_t>(size));
    }
    // Read until the end, but never more than one byte past the cap: a file that grows, or one
    // that reports no size, is still refused without being held whole.
    std::vector<char> buffer(1 << 16);
    for (;;) {
        std::size_t want = buffer.size();
        if (cap) {
            std::uint64_t room = *cap + 1 - std::min<std::uint64_t>(contents.size(), *cap + 1);
            if (room == 0) return tooLarge();
            want = static_cast<std::size_t>(std::min<std::uint64_t>(want, room));
        }
        ssize_t count = ::read(fd, buffer.data(), want);
        if (count < 0) {
            if (errno == EINTR) continue;
            return failure(errno);
        }
        if (count == 0) break;
        contents.append(buffer.data(), static_cast<std::size_t>(count));
        if (cap && contents.size() > *cap) return tooLarge();
    }
    ::close(fd);
    return contents;
}

Status copyFileAtomically(const std::string& source, const std::string& destination) {
    auto bytes = readWholeFile(source);
    if (!bytes) return bytes.error();
    return writeFileAtomically(destination, *bytes);
}

Status removeFileIfPresent(const std::string& path) {
    if (g_remove(path.c_str()) != 0) {
        int saved = errno;
        if (saved == ENOENT) return success();
        return Error{kRemoveFailed, localizedFormat("The file “%@” could not be removed: %@",
                                                    {displayName(path), systemErrorMessage(saved)})};
    }
    return success();
}

void removeStaleTemporaryFiles(const std::string& path) {
    gchar* folderText = g_path_get_dirname(path.c_str());
    gchar* baseText = g_path_get_basename(path.c_str());
    const std::string folder = folderText, prefix = std::string(baseText) + ".";
    g_free(folderText);
    g_free(baseText);
    GDir* directory = g_dir_open(folder.c_str(), 0, nullptr);
    if (!directory) return;
    std::vector<std::string> stale;
    while (const char* name = g_dir_read_name(directory)) {
        std::string_view entry(name);
        if (entry.size() != prefix.size() + 6 || entry.substr(0, prefix.size()) != prefix) continue;
        std::string_view suffix = entry.substr(prefix.size());
        if (suffix == "backup") continue;
        bool temporary = true;
        for (char c : suffix) temporary = temporary && g_ascii_isalnum(c);
        if (temporary) stale.emplace_back(folder + "/" + std::string(entry));
    }
    g_dir_close(directory);
    for (const auto& file : stale)
        if (g_file_test(file.c_str(), G_FILE_TEST_IS_REGULAR)) g_remove(file.c_str());
}

Error noSuchFileError(const std::string& path) {
    return Error{kNoSuchFile, localizedFormat("The file “%@” does not exist.", {displayName(path)})};
}

Error corruptFileError(const std::string& path) {
    return Error{kCorruptFile,
                 localizedFormat("The file “%@” could not be opened because it is damaged or not in the correct format.",
                                 {displayName(path)})};
}

Error unknownReadError(const std::string& path) {
    return Error{kUnknownRead, localizedFormat("The file “%@” could not be opened because its version is not supported.",
                                               {displayName(path)})};
}

Error encodingError(const std::string& path) {
    return Error{kEncodingFailed, localizedFormat("The data for “%@” could not be written because it contains values that cannot be stored.",
                                                  {displayName(path)})};
}

}  // namespace quenlith::files
