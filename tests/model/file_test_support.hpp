#pragma once

// Display-free test fixtures for the model's file code: a private data folder per test and a way
// to make writes fail for real (tests run as root, so permissions alone stop nothing).

#include <cstdint>
#include <string>
#include <vector>

#include <sys/resource.h>

namespace quenlith::test {

// A fresh temporary folder with HOME and XDG_DATA_HOME / XDG_CONFIG_HOME / XDG_CACHE_HOME pointed
// into it while the object lives; the old values come back and the folder is removed afterwards.
class TemporaryDataHome {
public:
    TemporaryDataHome();
    ~TemporaryDataHome();
    TemporaryDataHome(const TemporaryDataHome&) = delete;
    TemporaryDataHome& operator=(const TemporaryDataHome&) = delete;

    const std::string& root() const { return root_; }
    // The application's folder ($XDG_DATA_HOME/com.quenlith.Quenlith), not created.
    std::string dataDirectory() const;
    // A path inside the application's folder.
    std::string path(const std::string& name) const { return dataDirectory() + "/" + name; }

private:
    std::string root_;
    std::string saved_[4];
    bool had_[4] = {};
};

// Whole-file helpers; readBytes gives "" for a missing file (check existence separately).
std::string readBytes(const std::string& path);
void writeBytes(const std::string& path, const std::string& bytes);
bool exists(const std::string& path);
bool isDirectory(const std::string& path);
// Every entry name in `directory` that starts with `prefix`, sorted.
std::vector<std::string> entriesStartingWith(const std::string& directory, const std::string& prefix);

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

}  // namespace quenlith::test
