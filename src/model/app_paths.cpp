#include "model/app_paths.hpp"

#include <glib.h>

namespace quenlith {

namespace {

std::string homeDirectory() {
    const char* home = g_getenv("HOME");
    if (home && *home) return home;
    return g_get_home_dir();
}

// An XDG base folder: the variable when set to an absolute path, else HOME plus the fallback.
std::string xdgDirectory(const char* variable, const char* fallback) {
    const char* value = g_getenv(variable);
    if (value && g_path_is_absolute(value)) return value;
    return homeDirectory() + "/" + fallback;
}

}  // namespace

std::string applicationDataDirectory() {
    return xdgDirectory("XDG_DATA_HOME", ".local/share") + "/" + kApplicationIdentifier;
}

std::string applicationConfigDirectory() {
    return xdgDirectory("XDG_CONFIG_HOME", ".config") + "/" + kApplicationIdentifier;
}

std::string settingsFilePath() { return applicationConfigDirectory() + "/settings.json"; }

std::string applicationCacheDirectory() {
    return xdgDirectory("XDG_CACHE_HOME", ".cache") + "/" + kApplicationIdentifier;
}

std::string resourceDirectory() {
    const char* value = g_getenv("QUENLITH_RESOURCE_DIR");
    if (value && *value) return value;
    return QUENLITH_RESOURCE_DIR;
}

std::string resourcePath(const std::string& relative) { return resourceDirectory() + "/" + relative; }

}  // namespace quenlith
