#include "model/own_folder.hpp"

#include <cerrno>
#include <cstring>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>

#include "model/file_errors.hpp"
#include "model/file_store.hpp"

namespace quenlith::files {

namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// The folders the engine and the stores make are never this deep; a deeper tree is left where it ends.
constexpr int kDeepestFolder = 16;

std::vector<std::string> partsOf(std::string_view path) {
    std::vector<std::string> parts;
    while (!path.empty()) {
        const auto end = path.find('/');
        const std::string_view part = path.substr(0, end);
        if (!part.empty() && part != ".") parts.emplace_back(part);
        if (end == std::string_view::npos) break;
        path.remove_prefix(end + 1);
    }
    return parts;
}

Error notOwn(const std::string& path, int systemError) {
    Error error = folderError(path, systemError);
    error.code = systemError == ELOOP ? kLinkedFolder : kNotOwnFolder;
    return error;
}

// Opens `name` in `parent` without following a link: the descriptor, or -errno. ELOOP for a link
// whichever way the system words it.
int openPart(int parent, const std::string& name) {
    const int fd = ::openat(parent, name.c_str(), kFolderFlags);
    if (fd >= 0) return fd;
    const int saved = errno;
    struct stat info {};
    if ((saved == ENOTDIR || saved == ELOOP) && ::fstatat(parent, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0)
        return S_ISLNK(info.st_mode) ? -ELOOP : -ENOTDIR;
    return -saved;
}

std::size_t removeContentsAt(int folder, int depth);

bool removeEntryAt(int folder, const std::string& name, int depth, std::size_t* removed) {
    if (::unlinkat(folder, name.c_str(), 0) == 0) {
        ++*removed;
        return true;
    }
    if (errno == ENOENT) return true;
    if (errno != EISDIR || depth >= kDeepestFolder) return false;
    const int inner = ::openat(folder, name.c_str(), kFolderFlags);
    if (inner < 0) return false;
    *removed += removeContentsAt(inner, depth + 1);
    ::close(inner);
    if (::unlinkat(folder, name.c_str(), AT_REMOVEDIR) == 0) {
        ++*removed;
        return true;
    }
    return errno == ENOENT;
}

std::size_t removeContentsAt(int folder, int depth) {
    const int listing = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listing < 0) return 0;
    DIR* entries = ::fdopendir(listing);
    if (!entries) {
        ::close(listing);
        return 0;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(entries))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) names.emplace_back(entry->d_name);
    ::closedir(entries);
    std::size_t removed = 0;
    for (const std::string& name : names) removeEntryAt(folder, name, depth, &removed);
    return removed;
}

}  // namespace

FolderHandle::~FolderHandle() {
    if (fd_ >= 0) ::close(fd_);
}

FolderHandle& FolderHandle::operator=(FolderHandle&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.release();
    }
    return *this;
}

Result<FolderHandle> openOwnFolder(const std::string& base, const std::string& relative, MissingFolder missing,
                                   int* systemError) {
    const std::string path = base + "/" + relative;
    auto fail = [&](int saved, bool taken) -> Error {
        if (systemError) *systemError = saved;
        return taken ? notOwn(path, saved) : folderError(path, saved);
    };
    if (missing == MissingFolder::made) {
        if (g_mkdir_with_parents(base.c_str(), 0700) != 0) return fail(errno, false);
        createFolder(base);  // narrowed when it is no link
    }
    FolderHandle current(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) return fail(errno, false);
    for (const std::string& part : partsOf(relative)) {
        // A step up would leave the base without any link, to a folder that is not ours to change.
        if (part == "..") return fail(EINVAL, true);
        int fd = openPart(current.get(), part);
        if (fd == -ENOENT && missing == MissingFolder::made) {
            if (::mkdirat(current.get(), part.c_str(), 0700) != 0 && errno != EEXIST) return fail(errno, false);
            fd = openPart(current.get(), part);
        }
        if (fd < 0) return fail(-fd, fd == -ELOOP || fd == -ENOTDIR);
        current = FolderHandle(fd);
        struct stat info {};
        if (::fstat(current.get(), &info) != 0) return fail(errno, false);
        if (info.st_uid != ::geteuid()) return fail(EPERM, true);
        // Ours, reached without a link: the files in it are private.
        if (missing == MissingFolder::made && (info.st_mode & 077) != 0) ::fchmod(current.get(), info.st_mode & 0700);
    }
    if (systemError) *systemError = 0;
    return current;
}

FolderHandle openFolderWithoutLinks(const std::string& absolute, int* systemError) {
    auto fail = [&](int saved) {
        *systemError = saved;
        return FolderHandle();
    };
    if (absolute.empty() || absolute.front() != '/') return fail(EINVAL);
    FolderHandle current(::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!current) return fail(errno);
    for (const std::string& part : partsOf(absolute)) {
        if (part == "..") return fail(EINVAL);
        const int fd = openPart(current.get(), part);
        if (fd < 0) return fail(-fd);
        current = FolderHandle(fd);
    }
    *systemError = 0;
    return current;
}

std::size_t removeContents(int folder) { return removeContentsAt(folder, 0); }

bool removeEntry(int folder, const std::string& name) {
    std::size_t removed = 0;
    return removeEntryAt(folder, name, 0, &removed);
}

}  // namespace quenlith::files
