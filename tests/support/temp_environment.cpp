#include "support/temp_environment.hpp"

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <glib.h>

#include "model/app_paths.hpp"

namespace quenlith::test {

TemporaryFolder::TemporaryFolder(const std::string& prefix) {
    GError* error = nullptr;
    char* dir = g_dir_make_tmp((prefix + "-XXXXXX").c_str(), &error);
    if (!dir) {
        std::string message = error ? error->message : "unknown error";
        g_clear_error(&error);
        throw std::runtime_error("cannot make a temporary folder: " + message);
    }
    path_ = dir;
    g_free(dir);
}

TemporaryFolder::~TemporaryFolder() { removeTree(path_); }

TemporaryEnvironment::TemporaryEnvironment() {
    const std::pair<const char*, const char*> folders[] = {
        {"HOME", "/home"}, {"XDG_DATA_HOME", "/data"}, {"XDG_CONFIG_HOME", "/config"}, {"XDG_CACHE_HOME", "/cache"}};
    for (const auto& [name, folder] : folders) {
        std::filesystem::create_directories(root() + folder);
        set(name, root() + folder);
    }
}

TemporaryEnvironment::~TemporaryEnvironment() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
        if (it->second)
            g_setenv(it->first.c_str(), it->second->c_str(), TRUE);
        else
            g_unsetenv(it->first.c_str());
    }
}

void TemporaryEnvironment::set(const std::string& name, const std::optional<std::string>& value) {
    const char* old = g_getenv(name.c_str());
    saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    if (value)
        g_setenv(name.c_str(), value->c_str(), TRUE);
    else
        g_unsetenv(name.c_str());
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
