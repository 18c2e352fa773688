#include "model/login_item.hpp"

#include <cerrno>

#include <glib.h>
#include <glib/gstdio.h>

#include "model/file_store.hpp"
#include "model/localization.hpp"

namespace quenlith {

namespace {

// Characters that make the launcher read an argument as more than one word or as shell syntax.
constexpr std::string_view kReserved = " \t\n\"'\\><~|&;$*?#()`";
// Characters that need a backslash inside a quoted argument.
constexpr std::string_view kEscapedInQuotes = "\"`$\\";

Error loginItemError(const std::string& reason) {
    return Error{"loginItem.io", localizedFormat("The autostart entry could not be updated: %@", {reason})};
}

}  // namespace

std::string autostartEntryPath() {
    return std::string(g_get_user_config_dir()) + "/autostart/com.quenlith.Quenlith.desktop";
}

std::string execLineArgument(std::string_view argument) {
    const bool quoted = argument.empty() || argument.find_first_of(kReserved) != std::string_view::npos;
    // The Exec rules first: quoting and its escapes, and field codes kept literal.
    std::string exec;
    if (quoted) exec += '"';
    for (char c : argument) {
        if (quoted && kEscapedInQuotes.find(c) != std::string_view::npos) exec += '\\';
        exec += c;
        if (c == '%') exec += '%';
    }
    if (quoted) exec += '"';
    // Then the key file's own string escapes, which a reader undoes before the Exec rules.
    std::string value;
    for (char c : exec) {
        switch (c) {
            case '\\': value += "\\\\"; break;
            case '\n': value += "\\n"; break;
            case '\r': value += "\\r"; break;
            case '\t': value += "\\t"; break;
            default: value += c;
        }
    }
    return value;
}

std::string autostartEntryContents(std::string_view executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=Quenlith\n"
           "Icon=com.quenlith.Quenlith\n"
           "Exec=" + execLineArgument(executable) + "\n"
           "Terminal=false\n"
           "X-GNOME-Autostart-enabled=true\n";
}

std::string currentExecutablePath() {
    gchar* target = g_file_read_link("/proc/self/exe", nullptr);
    std::string path = target ? target : "";
    g_free(target);
    return path;
}

LoginItem::LoginItem(std::string path, std::string executable)
    : path_(std::move(path)), executable_(std::move(executable)) {}

bool LoginItem::enabled() const {
    // A place that cannot be looked at holds no entry a desktop could start.
    auto present = files::probePath(path_);
    return present && *present;
}

Status LoginItem::setEnabled(bool on) {
    if (!on) {
        auto removed = files::removeFileIfPresent(path_);
        return removed ? removed : Status(loginItemError(removed.error().message));
    }
    // A desktop entry is UTF-8 text: a path that is not cannot be written into one faithfully.
    if (executable_.empty() || !g_utf8_validate(executable_.data(), static_cast<gssize>(executable_.size()), nullptr))
        return loginItemError(localizedString("The application's own path could not be read."));
    // The autostart folder is the desktop's: made when missing, its rights left alone otherwise.
    gchar* folder = g_path_get_dirname(path_.c_str());
    const bool made = g_mkdir_with_parents(folder, 0700) == 0;
    g_free(folder);
    if (!made) return loginItemError(g_strerror(errno));
    auto written = files::writeFileAtomically(path_, autostartEntryContents(executable_));
    return written ? written : Status(loginItemError(written.error().message));
}

}  // namespace quenlith
