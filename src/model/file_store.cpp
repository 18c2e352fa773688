#include "model/file_store.hpp"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>
#include <glib/gstdio.h>

#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith::files {

std::string backupPath(const std::string& path) { return path + ".backup"; }

std::string newRecoveryPath(const std::string& path) { return path + kRecoveryCopy + Uuid::random().string(); }

std::vector<std::string> recoveryPaths(const std::string& path) { return copiesAside(path, kRecoveryCopy); }

std::vector<std::string> copiesAside(const std::string& path, std::string_view kind) {
    gchar* folderText = g_path_get_dirname(path.c_str());
    gchar* baseText = g_path_get_basename(path.c_str());
    const std::string folder = folderText, prefix = std::string(baseText) + std::string(kind);
    g_free(folderText);
    g_free(baseText);
    std::vector<std::string> found;
    GDir* directory = g_dir_open(folder.c_str(), 0, nullptr);
    if (!directory) return found;
    while (const char* name = g_dir_read_name(directory)) {
        std::string_view entry = name;
        if (entry.starts_with(prefix) && Uuid::parse(entry.substr(prefix.size())))
            found.push_back(folder + "/" + name);
    }
    g_dir_close(directory);
    std::sort(found.begin(), found.end());
    return found;
}

Status createFolder(const std::string& directory) {
    if (directory.empty()) return success();
    if (g_mkdir_with_parents(directory.c_str(), 0700) != 0) {
        int saved = errno;
        return folderError(directory, saved);
    }
    // A folder made earlier (or by hand) with wider rights is narrowed: the files in it are private.
    // Only through a descriptor of the folder itself: a link there (a folder the person moved
    // elsewhere) is used as it is, and its target keeps its rights.
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return success();
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid() && (info.st_mode & 077) != 0)
        ::fchmod(fd, info.st_mode & 0700);
    ::close(fd);
    return success();
}

Status createParentFolder(const std::string& filePath) {
    char* directory = g_path_get_dirname(filePath.c_str());
    std::string folder = directory;
    g_free(directory);
    return createFolder(folder);
}

Result<bool> probePath(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) return true;
    int saved = errno;
    if (saved == ENOENT) return false;
    // Anything but "no such file" (no search permission, an I/O error) must not pass for absence:
    // a store that took it for an empty file would start editable and overwrite the real one.
    return readError(path, saved);
}

bool pathExists(const std::string& path) {
    auto probed = probePath(path);
    return !probed || *probed;
}

std::string temporaryPathPattern(const std::string& path) { return path + kTemporarySuffix + "XXXXXX"; }

namespace {

std::string folderOf(const std::string& path) {
    char* folder = g_path_get_dirname(path.c_str());
    std::string text = folder;
    g_free(folder);
    return text;
}

struct WriteTarget {
    std::string path;
    int systemError = 0;
    bool notRegular = false;
};

// Where a write of `path` lands: `path` itself, or the file at the end of its chain of symbolic
// links, each relative hop read from the folder of the link that holds it (as the system reads
// it). A missing end is fine: the write creates it. Only a regular file is replaced: a pipe, a
// device or a socket (or a link to one) must not turn into a file, and a folder refuses the
// rename by itself.
WriteTarget writeTarget(const std::string& path) {
    // The system's own limit on the links followed in one lookup.
    constexpr int kMaximumHops = 40;
    std::string current = path;
    for (int hop = 0; hop <= kMaximumHops; ++hop) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno == ENOENT) return {current};
            return {current, errno};
        }
        if (!S_ISLNK(info.st_mode)) {
            bool linked = hop > 0;
            return {current, 0, !S_ISREG(info.st_mode) && (linked || !S_ISDIR(info.st_mode))};
        }
        std::vector<char> text(PATH_MAX + 1);
        ssize_t length = ::readlink(current.c_str(), text.data(), text.size());
        if (length < 0) return {current, errno};
        if (length == 0 || static_cast<std::size_t>(length) >= text.size()) return {current, ENAMETOOLONG};
        std::string next(text.data(), static_cast<std::size_t>(length));
        current = g_path_is_absolute(next.c_str()) ? next : folderOf(current) + "/" + next;
    }
    return {path, ELOOP};
}

}  // namespace

namespace {

// Writes `bytes` to a temporary file beside `target` and renames it over `target`; failures name
// `path`, the file the caller knows.
Status replaceAtomically(const std::string& path, const std::string& target, std::string_view bytes) {
    auto failure = [&](int saved) -> Error { return writeError(path, saved); };
    std::string pattern = temporaryPathPattern(target);
    int fd = g_mkstemp_full(pattern.data(), O_WRONLY | O_CLOEXEC, 0600);
    if (fd < 0) return failure(errno);
    auto abandon = [&](int saved) -> Error {
        ::close(fd);
        ::unlink(pattern.c_str());
        return failure(saved);
    };
    for (std::size_t written = 0; written < bytes.size();) {
        ssize_t count = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (count < 0) {
            if (errno == EINTR) continue;
            return abandon(errno);
        }
        written += static_cast<std::size_t>(count);
    }
    if (::fsync(fd) != 0) return abandon(errno);
    if (::close(fd) != 0) {
        int saved = errno;
        ::unlink(pattern.c_str());
        return failure(saved);
    }
    if (::rename(pattern.c_str(), target.c_str()) != 0) {
        int saved = errno;
        ::unlink(pattern.c_str());
        return failure(saved);
    }
    // The rename itself reaches the disk only with its folder.
    int folderFd = ::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return success();
}

}  // namespace

Status writeFileAtomically(const std::string& path, std::string_view bytes) {
    // The new file takes the target's place in the target's folder; the links on the way stay.
    const WriteTarget target = writeTarget(path);
    if (target.systemError != 0) return writeError(path, target.systemError);
    if (target.notRegular) return notRegularFileError(path, FileTask::write);
    return replaceAtomically(path, target.path, bytes);
}

Status writeOwnFileAtomically(const std::string& path, std::string_view bytes) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0) {
        if (S_ISLNK(info.st_mode)) return Error{kLinkLeftAlone, writeError(path, ELOOP).message};
        if (!S_ISREG(info.st_mode)) return notRegularFileError(path, FileTask::write);
    } else if (errno != ENOENT) {
        return writeError(path, errno);
    }
    // A link put there from now on is replaced by the rename, never written through.
    return replaceAtomically(path, path, bytes);
}

Status writeBackup(const std::string& path, std::string_view bytes) {
    auto written = writeOwnFileAtomically(path, bytes);
    if (!written && written.error().code == kLinkLeftAlone) {
        logError(LogCategory::lifecycle, "The backup " + quotedForLog(path) +
                                             " is a symbolic link: it is left as it is and no backup is written there");
        return success();
    }
    return written;
}

Status copyToBackup(const std::string& path, std::uint64_t cap) {
    auto bytes = readWholeFile(path, cap, FileTask::write);
    if (!bytes) return bytes.error();
    return writeBackup(backupPath(path), *bytes);
}

Result<std::string> readWholeFile(const std::string& path, std::uint64_t cap, FileTask task) {
    RawRead read = readRegularFile(path, cap);
    switch (read.failure) {
    case RawRead::none: return std::move(read.bytes);
    case RawRead::noSuchFile: return noSuchFileError(path, task);
    case RawRead::tooLarge: return tooLargeError(path, task);
    case RawRead::notRegular: return notRegularFileError(path, task);
    case RawRead::system: break;
    }
    return accessError(path, read.systemError, task);
}

Status copyFileAtomically(const std::string& source, const std::string& destination, std::uint64_t cap) {
    auto bytes = readWholeFile(source, cap, FileTask::write);
    if (!bytes) return bytes.error();
    return writeOwnFileAtomically(destination, *bytes);
}

Result<std::string> keepCopyAside(const std::string& path, std::uint64_t cap, std::string_view kind) {
    auto bytes = readWholeFile(path, cap, FileTask::write);
    if (!bytes) return bytes.error();
    for (const auto& copy : copiesAside(path, kind)) {
        auto kept = readWholeFile(copy, cap);
        if (kept && *kept == *bytes) return copy;
    }
    std::string copy = path + std::string(kind) + Uuid::random().string();
    if (auto written = writeOwnFileAtomically(copy, *bytes); !written) return written.error();
    return copy;
}

Result<std::string> moveAside(const std::string& path, std::string_view kind) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) return accessError(path, errno, FileTask::write);
    if (!S_ISREG(info.st_mode)) return notRegularFileError(path, FileTask::write);
    std::string copy = path + std::string(kind) + Uuid::random().string();
    if (::rename(path.c_str(), copy.c_str()) != 0) return writeError(path, errno);
    return copy;
}

Status removeFileIfPresent(const std::string& path) {
    if (g_remove(path.c_str()) != 0) {
        int saved = errno;
        if (saved == ENOENT) return success();
        return removeError(path, saved);
    }
    return success();
}

namespace {

// Removes our temporary files of `base` and of its backup from `folder`.
void removeStaleTemporaryFilesIn(const std::string& folder, const std::string& base) {
    // Only names of our own shape: the file's or its backup's name, our suffix, six characters.
    const std::string own = base + kTemporarySuffix, backup = base + ".backup" + kTemporarySuffix;
    auto isOurs = [&](std::string_view entry) {
        for (const std::string& prefix : {own, backup}) {
            if (entry.size() != prefix.size() + 6 || entry.substr(0, prefix.size()) != prefix) continue;
            bool random = true;
            for (char c : entry.substr(prefix.size())) random = random && g_ascii_isalnum(c);
            if (random) return true;
        }
        return false;
    };
    GDir* directory = g_dir_open(folder.c_str(), 0, nullptr);
    if (!directory) return;
    std::vector<std::string> stale;
    while (const char* name = g_dir_read_name(directory))
        if (isOurs(name)) stale.emplace_back(folder + "/" + name);
    g_dir_close(directory);
    for (const auto& file : stale) {
        struct stat info {};
        if (::lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode)) g_remove(file.c_str());
    }
}

}  // namespace

void removeStaleTemporaryFiles(const std::string& path) {
    gchar* baseText = g_path_get_basename(path.c_str());
    const std::string base = baseText;
    g_free(baseText);
    removeStaleTemporaryFilesIn(folderOf(path), base);
    // A file written through a link leaves its leftovers beside the link's target.
    const WriteTarget target = writeTarget(path);
    if (target.systemError == 0 && target.path != path) {
        gchar* targetBase = g_path_get_basename(target.path.c_str());
        removeStaleTemporaryFilesIn(folderOf(target.path), targetBase);
        g_free(targetBase);
    }
}

}  // namespace quenlith::files
