#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quenlith {

// The keys of the application's commands inside its windows, as GTK accelerators (Ctrl written
// <Primary>), by action name ("newTab" for app.newTab). A command's first key is the one its menu
// item shows: where Linux browsers have a key for the command (Alt+Left, Ctrl+Page Down, Escape
// to stop), that one comes first and the others stay as alternatives. No key is one that a Linux
// desktop takes for itself by default, as the desktop would have it before the window.
struct CommandKeys {
    std::string_view action;
    std::vector<std::string_view> accelerators;
    // The focused entry or page handles the key itself (Ctrl+C): the menu only shows it.
    bool shownOnly = false;
};

// Every command that has keys: the menu's commands, the editing commands, "settings" and "quit".
const std::vector<CommandKeys>& commandKeys();
// The keys of one command, the shown one first; none for a command without keys.
std::vector<std::string_view> commandAccelerators(std::string_view action);

// An accelerator written as a key chord of this desktop, as a global shortcut's text is
// ("<Alt><Primary>l" is "Ctrl+Alt+L"): the modifiers in the order Ctrl, Alt, Shift, Super, then
// the key, a letter in upper case, any other key by its name ("Page_Up", "bracketleft").
std::string acceleratorChord(std::string_view accelerator);

}  // namespace quenlith
