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

namespace quenlith {

namespace {

Error lockFailure(const std::string& path, int error) {
    return Error{kDataFolderLockFailed, path + ": " + g_strerror(error)};
}

}  // namespace

Result<DataFolderLock> DataFolderLock::acquire(const std::string& folder) {
    if (auto made = files::createFolder(folder); !made)
        return Error{kDataFolderLockFailed, made.error().message};
    const std::string path = folder + "/" + kFileName;
    // Close-on-exec: a web process or helper started later would otherwise inherit the descriptor
    // and keep the folder held after the application itself has ended. Non-blocking and not
    // through a link, so whatever stands in the file's place cannot stall the start.
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0600);
    if (descriptor < 0) return lockFailure(path, errno);
    DataFolderLock lock(descriptor);
    struct stat info {};
    if (::fstat(descriptor, &info) != 0) return lockFailure(path, errno);
    if (!S_ISREG(info.st_mode)) return lockFailure(path, EINVAL);
    if (::flock(descriptor, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK)
            return Error{
                kDataFolderInUse,
                localizedFormat("Another Quenlith is using the data folder “%@”, so this one ends without "
                                "opening or changing anything. Use the Quenlith that is running, or quit it "
                                "first.",
                                {folder})};
        return lockFailure(path, error);
    }
    return lock;
}

DataFolderLock::DataFolderLock(DataFolderLock&& other) noexcept
    : descriptor_(std::exchange(other.descriptor_, -1)) {}

DataFolderLock& DataFolderLock::operator=(DataFolderLock&& other) noexcept {
    if (this != &other) {
        release();
        descriptor_ = std::exchange(other.descriptor_, -1);
    }
    return *this;
}

DataFolderLock::~DataFolderLock() {
    release();
}

void DataFolderLock::release() {
    // Closing the only descriptor of the open file drops the hold.
    if (descriptor_ >= 0) ::close(std::exchange(descriptor_, -1));
}

}  // namespace quenlith
