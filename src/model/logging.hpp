#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlith {

enum class LogCategory { lifecycle, browser };

// Structured log lines under the domain "com.quenlith.Quenlith" with the field QUENLITH_CATEGORY.
// Errors and faults are logged at warning level: GLib's error level aborts the process.
void logInfo(LogCategory category, std::string_view message);
void logError(LogCategory category, std::string_view message);
void logFault(LogCategory category, std::string_view message);

// A value from a file or from outside, quoted for a log line: at most a short prefix (whole UTF-8
// characters), so a huge or hostile value never floods the log or stalls its text conversion.
std::string quotedForLog(std::string_view value);
inline constexpr std::size_t kMaximumQuotedLogBytes = 64;
// An address for a log line, quoted as above: its scheme, host, port and path only. No user name
// or password ever reaches a log, nor the query and fragment, where sign-in tokens and typed
// searches travel; text that is no address is named only by its length.
std::string addressForLog(std::string_view address);
// No log line is longer than this; the rest is cut at a character boundary.
inline constexpr std::size_t kMaximumLogLineBytes = 2048;

}  // namespace quenlith
