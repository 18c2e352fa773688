#include "model/logging.hpp"

#include <string>

#include <glib.h>

#include "model/app_paths.hpp"
#include "model/typed_userinfo.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

const char* categoryName(LogCategory category) {
    switch (category) {
    case LogCategory::lifecycle: return "lifecycle";
    case LogCategory::browser: return "browser";
    }
    return "lifecycle";
}

// The longest prefix of `text` of at most `limit` bytes that ends on a character boundary.
std::string_view utf8Prefix(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
    return text.substr(0, end);
}

void write(GLogLevelFlags level, LogCategory category, std::string_view message) {
    std::string text(utf8Prefix(message, kMaximumLogLineBytes));
    if (text.size() < message.size()) text += "…";
    const GLogField fields[] = {
        {"GLIB_DOMAIN", kApplicationIdentifier, -1},
        {"QUENLITH_CATEGORY", categoryName(category), -1},
        {"MESSAGE", text.c_str(), -1},
        {"PRIORITY", level == G_LOG_LEVEL_INFO ? "6" : level == G_LOG_LEVEL_WARNING ? "4" : "2", -1},
    };
    g_log_structured_array(level, fields, G_N_ELEMENTS(fields));
}

}  // namespace

std::string quotedForLog(std::string_view value) {
    std::string_view prefix = utf8Prefix(value, kMaximumQuotedLogBytes);
    std::string quoted = "\"" + std::string(prefix) + "\"";
    if (prefix.size() < value.size()) quoted += "… (" + std::to_string(value.size()) + " bytes)";
    return quoted;
}

std::string addressForLog(std::string_view address) {
    if (address.empty()) return quotedForLog(address);
    auto parts = splitUri(address);
    if (!parts || !parts->scheme) return "(no address, " + std::to_string(address.size()) + " bytes)";
    parts->userinfo.reset();
    parts->query.reset();
    parts->fragment.reset();
    auto shown = joinUri(*parts);
    if (!shown) return "(no address, " + std::to_string(address.size()) + " bytes)";
    // What the parser left in the path that reads as a user name and password goes too, from
    // the text as it is logged: cutting it short could change how its end reads.
    return withoutTypedUserinfo(quotedForLog(*shown));
}

void logInfo(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_INFO, category, message); }

void logError(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_WARNING, category, message); }

void logFault(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_CRITICAL, category, message); }

}  // namespace quenlith
