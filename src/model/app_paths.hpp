#pragma once

#include <cstdint>
#include <string>

namespace quenlith {

// The application's identifier: folder names, D-Bus name, keyring schema prefix, log domain.
inline constexpr const char* kApplicationIdentifier = "com.quenlith.Quenlith";

// Folders are read from the environment on every call (tests point XDG_* at temporary folders).
// $XDG_DATA_HOME/com.quenlith.Quenlith: profiles.json, library.json, session-v1.json, web data.
std::string applicationDataDirectory();
// $XDG_CONFIG_HOME/com.quenlith.Quenlith: settings.json (preferences, interface language).
std::string applicationConfigDirectory();
std::string settingsFilePath();
// Far more than any settings the application writes; a larger settings file is refused unread.
inline constexpr std::uint64_t kSettingsFileSizeCap = 1'000'000;
// $XDG_CACHE_HOME/com.quenlith.Quenlith: compiled content filters and other rebuildable data.
std::string applicationCacheDirectory();

// Read-only resources (catalogs, host list, scripts, icons); QUENLITH_RESOURCE_DIR overrides.
std::string resourceDirectory();
std::string resourcePath(const std::string& relative);

}  // namespace quenlith
