#pragma once

#include <string>

#include "model/result.hpp"

namespace quenlith {

// Error codes of DataFolderLock::acquire.
inline constexpr const char* kDataFolderInUse = "dataFolder.inUse";
inline constexpr const char* kDataFolderLockFailed = "dataFolder.lockFailed";

// An exclusive hold on the application's data folder for as long as the object lives (in the
// application: the whole process). Two instances on one folder would each write profiles.json,
// library.json and the session over the other's. The hold is an flock on a file inside the
// folder, so the kernel drops it when the process ends, however it ends: a crash never leaves
// the folder held. Move-only.
class DataFolderLock {
public:
    static constexpr const char* kFileName = "instance.lock";

    // Makes the folder (0700) and the lock file (0600) when missing and takes the hold without
    // waiting. Fails with kDataFolderInUse (the localised sentence naming the folder) when
    // another process holds it, and with kDataFolderLockFailed (the system's reason) when no hold
    // can be taken at all: a folder that cannot be written, a file system without locks.
    static Result<DataFolderLock> acquire(const std::string& folder);

    DataFolderLock(DataFolderLock&& other) noexcept;
    DataFolderLock& operator=(DataFolderLock&& other) noexcept;
    DataFolderLock(const DataFolderLock&) = delete;
    DataFolderLock& operator=(const DataFolderLock&) = delete;
    ~DataFolderLock();

private:
    explicit DataFolderLock(int descriptor) : descriptor_(descriptor) {}
    void release();

    int descriptor_ = -1;
};

}  // namespace quenlith
