#pragma once

#include <string>
#include <string_view>

namespace quenlith {

// The key a command's menu item shows (its first key in model/command_keys), written as the
// toolkit writes it there: with the toolkit's own key names in the interface language ("Alt+左"
// where GTK has its Chinese texts, "Alt+Left" where it has none). A tooltip that names a key
// through this names it exactly as the menus do (a list of keys writes it as its other keys, by
// keyListName). Empty for a command without keys.
std::string shownCommandKey(std::string_view action);

// The keys of a browser window's history and tab commands, as the menus show them.
struct BrowserKeys {
    std::string back, forward, previousTab, nextTab;
};
BrowserKeys shownBrowserKeys();

}  // namespace quenlith
