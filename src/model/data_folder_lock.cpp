#include "model/data_folder_lock.hpp"

#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <glib.h>

#include "model/file_store.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"

namespace quenlith {

namespace {

Error folderInUse(const std::string& folder) {
    return Error{kDataFolderInUse,
                 localizedFormat("Another Quenlith is using the data folder “%@”, so this one ends without "
                                 "opening or changing anything. Use the Quenlith that is running, or quit it "
                                 "first.",
                                 {folder})};
}

Error lockFailure(const std::string& folder, int error) {
    return Error{kDataFolderLockFailed,
                 localizedFormat("The data folder “%@” cannot be locked (%@), so Quenlith ends without opening "
                                 "or changing anything: another Quenlith could be using it.",
                                 {folder, g_strerror(error)})};
}

// Takes the hold on an open descriptor without waiting: 0, or the system's reason.
int hold(int descriptor) {
    return ::flock(descriptor, LOCK_EX | LOCK_NB) == 0 ? 0 : errno;
}

void closeDescriptor(int& descriptor) {
    if (descriptor >= 0) ::close(std::exchange(descriptor, -1));
}

// The lock file in the folder, opened (made when missing), or -1 with errno set. Whatever else
// stands in its place is left unopened: a FIFO or a device could stall or act on being opened,
// and a link or a folder would lead somewhere else. Close-on-exec: a web process or helper
// started later would otherwise inherit the descriptor and keep the folder held after the
// application itself has ended.
int openLockFile(int folder) {
    struct stat info {};
    const bool present = ::fstatat(folder, DataFolderLock::kFileName, &info, AT_SYMLINK_NOFOLLOW) == 0;
    if (present && !S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : S_ISLNK(info.st_mode) ? ELOOP : EINVAL;
        return -1;
    }
    int descriptor = ::openat(folder, DataFolderLock::kFileName,
                              O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (descriptor < 0) return -1;
    // Something put in the file's place between the look and the opening.
    if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(descriptor);
        errno = EINVAL;
        return -1;
    }
    return descriptor;
}

}  // namespace

Result<DataFolderLock> DataFolderLock::acquire(const std::string& folder) {
    if (auto made = files::createFolder(folder); !made)
        return Error{kDataFolderLockFailed, made.error().message};
    DataFolderLock lock;
    // Read-only is enough to lock a folder; a link to the folder is followed, as every file in it
    // is written through it.
    lock.folder_ = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (lock.folder_ < 0) return lockFailure(folder, errno);
    const int folderError = hold(lock.folder_);
    if (folderError == EWOULDBLOCK) return folderInUse(folder);

    lock.file_ = openLockFile(lock.folder_);
    const int fileError = lock.file_ < 0 ? errno : hold(lock.file_);
    if (fileError == EWOULDBLOCK) return folderInUse(folder);
    if (folderError != 0 && fileError != 0) return lockFailure(folder, fileError);
    if (folderError != 0) closeDescriptor(lock.folder_);
    if (fileError != 0) {
        closeDescriptor(lock.file_);
        logInfo(LogCategory::lifecycle, std::string("The data folder's lock file cannot be used (") +
                                            g_strerror(fileError) + "); the folder itself is held");
    }
    return lock;
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : folder_(std::exchange(other.folder_, -1)), file_(std::exchange(other.file_, -1)) {}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        release();
        folder_ = std::exchange(other.folder_, -1);
        file_ = std::exchange(other.file_, -1);
    }
    return *this;
}

DataFolderLock::~DataFolderLock() {
    release();
}

void DataFolderLock::release() {
    // Closing the only descriptor of an open file drops its hold.
    closeDescriptor(folder_);
    closeDescriptor(file_);
}

}  // namespace quenlith
