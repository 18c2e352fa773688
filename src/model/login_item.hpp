#pragma once

#include <string>
#include <string_view>

#include "model/result.hpp"

namespace quenlith {

// Where the login item lives: "$XDG_CONFIG_HOME/autostart/com.quenlith.Quenlith.desktop". Desktops
// start every entry of that folder at login; switching the item off deletes the entry, since
// "X-GNOME-Autostart-enabled=false" is not honoured everywhere.
std::string autostartEntryPath();

// One argument of a desktop entry's Exec line: quoted when it holds a character the launcher
// would read as syntax, with the quoting escapes, "%%" for a percent sign, then written as a
// key-file string value (backslashes doubled, line ends as "\n").
std::string execLineArgument(std::string_view argument);

// The autostart entry that starts `executable`.
std::string autostartEntryContents(std::string_view executable);

// The running program's own path, or empty when it cannot be read.
std::string currentExecutablePath();

// The login item of the application: on while its autostart entry exists.
class LoginItem {
public:
    explicit LoginItem(std::string path = autostartEntryPath(), std::string executable = currentExecutablePath());

    bool enabled() const;
    // Writes or deletes the entry. A failure carries "Login item could not be updated: …" with
    // the reason; afterwards enabled() tells the real state.
    Status setEnabled(bool on);

    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string executable_;
};

}  // namespace quenlith
