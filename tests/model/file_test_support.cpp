#include "model/file_test_support.hpp"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <glib.h>

#include "model/app_paths.hpp"

namespace quenlith::test {

namespace {
const char* const kVariables[4] = {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME"};
}

TemporaryDataHome::TemporaryDataHome() {
    GError* error = nullptr;
    char* dir = g_dir_make_tmp("quenlith-model-XXXXXX", &error);
    if (!dir) {
        std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("cannot make a temporary folder: " + message);
    }
    root_ = dir;
    g_free(dir);
    const std::string values[4] = {root_ + "/home", root_ + "/data", root_ + "/config", root_ + "/cache"};
    for (int i = 0; i < 4; ++i) {
        const char* old = g_getenv(kVariables[i]);
        had_[i] = old != nullptr;
        if (old) saved_[i] = old;
        std::filesystem::create_directories(values[i]);
        g_setenv(kVariables[i], values[i].c_str(), TRUE);
    }
}

TemporaryDataHome::~TemporaryDataHome() {
    for (int i = 0; i < 4; ++i) {
        if (had_[i])
            g_setenv(kVariables[i], saved_[i].c_str(), TRUE);
        else
            g_unsetenv(kVariables[i]);
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string TemporaryDataHome::dataDirectory() const { return applicationDataDirectory(); }

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeBytes(const std::string& path, const std::string& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool exists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

bool isDirectory(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::is_directory(path, ignored);
}

std::vector<std::string> entriesStartingWith(const std::string& directory, const std::string& prefix) {
    std::vector<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(directory, ignored)) {
        auto name = entry.path().filename().string();
        if (name.rfind(prefix, 0) == 0) names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
}

FileSizeLimit::FileSizeLimit(std::uint64_t bytes) {
    savedHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    struct rlimit limit = saved_;
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) throw std::runtime_error("cannot limit the file size");
}

FileSizeLimit::~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    std::signal(SIGXFSZ, savedHandler_);
}

}  // namespace quenlith::test
