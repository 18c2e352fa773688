#include "support/temp_environment.hpp"

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

TemporaryEnvironment::TemporaryEnvironment() {
    GError* error = nullptr;
    char* dir = g_dir_make_tmp("quenlith-test-XXXXXX", &error);
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

TemporaryEnvironment::~TemporaryEnvironment() {
    for (int i = 0; i < 4; ++i) {
        if (had_[i])
            g_setenv(kVariables[i], saved_[i].c_str(), TRUE);
        else
            g_unsetenv(kVariables[i]);
    }
    removeTree(root_);
}

std::string TemporaryEnvironment::dataDirectory() const { return applicationDataDirectory(); }

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::string& path, const std::string& contents) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    if (!out) throw std::runtime_error("cannot write " + path);
}

bool fileExists(const std::string& path) {
    std::error_code ignored;
    return std::filesystem::exists(std::filesystem::symlink_status(path, ignored));
}

void removeTree(const std::string& path) {
    std::error_code ignored;
    std::filesystem::permissions(path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path, ignored);
}

}  // namespace quenlith::test
