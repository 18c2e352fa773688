#include "model/command_keys.hpp"

#include <algorithm>
#include <cctype>
#include <utility>

namespace quenlith {

const std::vector<CommandKeys>& commandKeys() {
    // Ctrl stands for Command, Alt for Option. The library opens with Firefox's key for its
    // library window (Ctrl+Alt+L locks the screen in XFCE, KDE Plasma, Cinnamon and MATE); compact
    // mode with Ctrl+Alt+C (Ctrl+Alt+K switches the keyboard layout in KDE Plasma).
    static const std::vector<CommandKeys> keys{
        {"openBrowser", {"<Primary>n"}},
        {"add", {"<Shift><Primary>n"}},
        {"launcher", {"<Primary>o"}},
        {"quickOpen", {"<Primary>k"}},
        {"batchLinks", {"<Shift><Primary>o"}},
        {"readLater", {"<Shift><Primary>d"}},
        {"privateWindow", {"<Alt><Shift><Primary>n"}},
        {"library", {"<Shift><Primary>h"}},
        {"clip", {"<Alt><Primary>s"}},
        {"printPage", {"<Primary>p"}},
        {"reopenTab", {"<Shift><Primary>t"}},
        {"newTab", {"<Primary>t"}},
        {"close", {"<Primary>w"}},
        {"downloads", {"<Alt><Primary>j"}},
        {"find", {"<Primary>f"}},
        {"nextMatch", {"<Primary>g"}},
        {"previousMatch", {"<Shift><Primary>g"}},
        {"address", {"<Primary>l"}},
        {"reload", {"<Primary>r", "F5"}},
        // Escape reaches the focused control first (a find bar, a page's own dialog).
        {"stop", {"Escape", "<Primary>period"}},
        {"back", {"<Alt>Left", "<Primary>bracketleft"}},
        {"forward", {"<Alt>Right", "<Primary>bracketright"}},
        // "+" and "=" share one key on most layouts; both zoom in, as does the keypad's plus.
        {"zoomIn", {"<Primary>plus", "<Primary>equal", "<Primary>KP_Add"}},
        {"zoomOut", {"<Primary>minus", "<Primary>KP_Subtract"}},
        {"zoomReset", {"<Primary>0", "<Primary>KP_0"}},
        {"compact", {"<Alt><Primary>c"}},
        // Shift+Tab arrives as ISO_Left_Tab.
        {"previousTab",
         {"<Primary>Page_Up", "<Shift><Primary>bracketleft", "<Shift><Primary>braceleft", "<Shift><Primary>Tab",
          "<Shift><Primary>ISO_Left_Tab"}},
        {"nextTab",
         {"<Primary>Page_Down", "<Shift><Primary>bracketright", "<Shift><Primary>braceright", "<Primary>Tab"}},
        {"guide", {"<Primary>question", "<Shift><Primary>question"}},
        {"undo", {"<Primary>z"}, true},
        {"redo", {"<Shift><Primary>z"}, true},
        {"cut", {"<Primary>x"}, true},
        {"copy", {"<Primary>c"}, true},
        {"paste", {"<Primary>v"}, true},
        {"selectAll", {"<Primary>a"}, true},
        {"settings", {"<Primary>comma"}},
        {"quit", {"<Primary>q"}},
    };
    return keys;
}

std::vector<std::string_view> commandAccelerators(std::string_view action) {
    for (const CommandKeys& command : commandKeys())
        if (command.action == action) return command.accelerators;
    return {};
}

std::string acceleratorChord(std::string_view accelerator) {
    static constexpr std::pair<std::string_view, std::string_view> kModifiers[] = {
        {"<Primary>", "Ctrl"}, {"<Control>", "Ctrl"}, {"<Ctrl>", "Ctrl"},
        {"<Alt>", "Alt"},      {"<Shift>", "Shift"},  {"<Super>", "Super"}};
    static constexpr std::string_view kOrder[] = {"Ctrl", "Alt", "Shift", "Super"};
    std::vector<std::string_view> held;
    while (accelerator.starts_with('<')) {
        const auto end = accelerator.find('>');
        if (end == std::string_view::npos) break;
        const std::string_view token = accelerator.substr(0, end + 1);
        for (const auto& [written, name] : kModifiers)
            if (token == written) held.push_back(name);
        accelerator.remove_prefix(end + 1);
    }
    std::string chord;
    for (std::string_view name : kOrder)
        if (std::find(held.begin(), held.end(), name) != held.end()) chord.append(name).append("+");
    std::string key(accelerator);
    if (key.size() == 1) key[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])));
    return chord + key;
}

}  // namespace quenlith
