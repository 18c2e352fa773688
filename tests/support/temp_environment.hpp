#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace quenlith::test {

// A temporary folder removed with everything in it when the object goes away.
class TemporaryFolder {
public:
    explicit TemporaryFolder(const std::string& prefix = "quenlith-test");
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A fresh temporary folder with HOME and XDG_DATA_HOME / XDG_CONFIG_HOME / XDG_CACHE_HOME pointed
// into it for the lifetime of the object. Any other variable may be changed through set(); every
// previous value comes back and the folder is removed afterwards.
class TemporaryEnvironment {
public:
    TemporaryEnvironment();
    ~TemporaryEnvironment();
    TemporaryEnvironment(const TemporaryEnvironment&) = delete;
    TemporaryEnvironment& operator=(const TemporaryEnvironment&) = delete;

    const std::string& root() const { return folder_.path(); }
    std::string dataDirectory() const;  // the application's data folder (not created)
    // A path inside the application's data folder.
    std::string path(const std::string& name) const { return dataDirectory() + "/" + name; }
    // Sets (or, with no value, removes) an environment variable until this object goes.
    void set(const std::string& name, const std::optional<std::string>& value);

private:
    TemporaryFolder folder_;
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;  // in order of change
};

// Reads a whole file; empty when it cannot be read (check existence separately).
std::string readFile(const std::string& path);
// Writes a whole file, creating its folder; throws when it cannot.
void writeFile(const std::string& path, const std::string& contents);
// True for any entry at `path`, a dangling link included.
bool fileExists(const std::string& path);
void removeTree(const std::string& path);

}  // namespace quenlith::test
