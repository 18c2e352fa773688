#pragma once

#include <string_view>

namespace quenlith {

enum class LogCategory { lifecycle, browser };

// Structured log lines under the domain "com.quenlith.Quenlith" with the field QUENLITH_CATEGORY.
// Errors and faults are logged at warning level: GLib's error level aborts the process.
void logInfo(LogCategory category, std::string_view message);
void logError(LogCategory category, std::string_view message);
void logFault(LogCategory category, std::string_view message);

}  // namespace quenlith
