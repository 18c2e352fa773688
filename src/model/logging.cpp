#include "model/logging.hpp"

#include <string>

#include <glib.h>

#include "model/app_paths.hpp"

namespace quenlith {

namespace {

const char* categoryName(LogCategory category) {
    switch (category) {
    case LogCategory::lifecycle: return "lifecycle";
    case LogCategory::browser: return "browser";
    }
    return "lifecycle";
}

void write(GLogLevelFlags level, LogCategory category, std::string_view message) {
    std::string text(message);
    const GLogField fields[] = {
        {"GLIB_DOMAIN", kApplicationIdentifier, -1},
        {"QUENLITH_CATEGORY", categoryName(category), -1},
        {"MESSAGE", text.c_str(), -1},
        {"PRIORITY", level == G_LOG_LEVEL_INFO ? "6" : level == G_LOG_LEVEL_WARNING ? "4" : "2", -1},
    };
    g_log_structured_array(level, fields, G_N_ELEMENTS(fields));
}

}  // namespace

void logInfo(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_INFO, category, message); }

void logError(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_WARNING, category, message); }

void logFault(LogCategory category, std::string_view message) { write(G_LOG_LEVEL_CRITICAL, category, message); }

}  // namespace quenlith
