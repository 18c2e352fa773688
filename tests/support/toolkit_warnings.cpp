#include "support/toolkit_warnings.hpp"

#include <atomic>
#include <cstring>

#include <glib.h>

namespace quenlith::test {

namespace {

std::atomic<int> warnings{0};

GLogWriterOutput countingWriter(GLogLevelFlags level, const GLogField* fields, gsize count, gpointer data) {
    if (level & (G_LOG_LEVEL_WARNING | G_LOG_LEVEL_CRITICAL)) {
        for (gsize i = 0; i < count; ++i) {
            if (std::strcmp(fields[i].key, "GLIB_DOMAIN") != 0 || fields[i].length != -1) continue;
            const char* domain = static_cast<const char*>(fields[i].value);
            if (std::strncmp(domain, "Gtk", 3) == 0 || std::strncmp(domain, "Gdk", 3) == 0 ||
                std::strncmp(domain, "GLib", 4) == 0 || std::strncmp(domain, "Atk", 3) == 0)
                ++warnings;
        }
    }
    return g_log_writer_default(level, fields, count, data);
}

}  // namespace

void countToolkitWarnings() {
    g_log_set_writer_func(countingWriter, nullptr, nullptr);
}

int toolkitWarningCount() {
    return warnings.load();
}

}  // namespace quenlith::test
