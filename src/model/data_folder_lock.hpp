#pragma once

#include <string>

#include "model/result.hpp"

namespace quenlith {

// Error codes of DataFolderLock::acquire.
inline constexpr const char* kDataFolderInUse = "dataFolder.inUse";
inline constexpr const char* kDataFolderLockFailed = "dataFolder.lockFailed";

// An exclusive hold on the application's data folder for as long as the object lives (in the
// application: the whole process). Two instances on one folder would each write profiles.json,
// library.json and the session over the other's. The hold is an flock on the folder itself and
// one on a file inside it, so the kernel drops it when the process ends, however it ends: a crash
// never leaves the folder held. Either alone excludes a second holder: the folder's stands when
// something unusable has taken the file's place, the file's on file systems that lock only
// files opened for writing. Move-only.
class DataFolderLock {
public:
    static constexpr const char* kFileName = "instance.lock";

    // Makes the folder (0700) and the lock file (0600) when missing and takes the hold without
    // waiting. Fails with kDataFolderInUse (the localised sentence naming the folder) when
    // another process holds it, and with kDataFolderLockFailed (a localised sentence naming the
    // folder and the system's reason) when no hold can be taken at all: a folder that cannot be
    // made or opened, a file system without locks.
    static Result<DataFolderLock> acquire(const std::string& folder);

    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;
    ~DataFolderLock();

private:
    DataFolderLock() = default;
    void release();

    int folder_ = -1;
    int file_ = -1;
};

}  // namespace quenlith
