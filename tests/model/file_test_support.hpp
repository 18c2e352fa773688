#pragma once

// Display-free test fixtures for the model's file code: a private data folder per test and a way
// to make writes fail for real (tests run as root, so permissions alone stop nothing).

#include <cstdint>
#include <string>
#include <vector>

#include <sys/resource.h>

#include "support/temp_environment.hpp"

namespace quenlith::test {

// A private data folder per test: the shared temporary environment.
using TemporaryDataHome = TemporaryEnvironment;

// Whole-file helpers; readBytes gives "" for a missing file (check existence separately).
inline std::string readBytes(const std::string& path) { return readFile(path); }
inline void writeBytes(const std::string& path, const std::string& bytes) { writeFile(path, bytes); }
inline bool exists(const std::string& path) { return fileExists(path); }
bool isDirectory(const std::string& path);
// Every entry name in `directory` that starts with `prefix`, sorted.
std::vector<std::string> entriesStartingWith(const std::string& directory, const std::string& prefix);

// The temporary environment with every language variable cleared and LANG set to `lang`; the
// text lookup resolves again on both sides.
class LanguageEnvironment : public TemporaryEnvironment {
public:
    explicit LanguageEnvironment(const std::string& lang = "C.UTF-8");
    ~LanguageEnvironment();
};

// While alive, no file of this process may grow past `bytes`: writes beyond it fail with EFBIG
// (SIGXFSZ is ignored meanwhile). Applies to root as well, like a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(std::uint64_t bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    struct rlimit saved_ {};
    void (*savedHandler_)(int) = nullptr;
};

// A file system of `bytes` (tmpfs) mounted on a fresh folder while alive, so that a write can run
// out of room for real. Mounting needs root; where it is refused, mounted() is false and
// refusal() says why.
class SmallFileSystem {
public:
    explicit SmallFileSystem(std::uint64_t bytes);
    ~SmallFileSystem();
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& refusal() const { return refusal_; }
    const std::string& path() const { return folder_.path(); }

private:
    TemporaryFolder folder_{"quenlith-small-fs"};
    bool mounted_ = false;
    std::string refusal_;
};

// While alive, the calling thread obeys file permissions even as root: a folder without write
// permission refuses new files, as it does for the person running the application.
class PermissionsEnforced {
public:
    PermissionsEnforced();
    ~PermissionsEnforced();
    PermissionsEnforced(const PermissionsEnforced&) = delete;
    PermissionsEnforced& operator=(const PermissionsEnforced&) = delete;

private:
    std::uint32_t savedEffective_[2] = {};
};

}  // namespace quenlith::test
