// The application's default keys against the keys Linux desktops take for themselves by default.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "model/command_keys.hpp"
#include "model/menu_validation.hpp"
#include "model/shortcut_picker_rules.hpp"

namespace quenlith {
namespace {

struct TakenKey {
    const char* desktop;
    const char* chord;
    const char* what;
};

// The default global bindings of the desktops with a modifier and a key the application could use
// (their schemas and default key files: org.gnome.desktop.wm.keybindings,
// org.gnome.settings-daemon.plugins.media-keys and org.gnome.shell.keybindings; KWin's, the
// session's, the keyboard layout switcher's, Klipper's and KRunner's shortcuts; XFCE's
// xfce4-keyboard-shortcuts.xml; org.cinnamon.desktop.keybindings; org.mate.Marco and MATE's media
// keys), and the X server's own. Keys xfwm4 binds only while it moves a window (Escape, the arrows)
// are left out.
const TakenKey kTaken[] = {
    {"X server", "Ctrl+Alt+F1", "switch to virtual console 1"},
    {"X server", "Ctrl+Alt+F2", "switch to virtual console 2"},
    {"X server", "Ctrl+Alt+F3", "switch to virtual console 3"},
    {"X server", "Ctrl+Alt+F4", "switch to virtual console 4"},
    {"X server", "Ctrl+Alt+F5", "switch to virtual console 5"},
    {"X server", "Ctrl+Alt+F6", "switch to virtual console 6"},
    {"X server", "Ctrl+Alt+F7", "switch to virtual console 7"},
    {"X server", "Ctrl+Alt+F8", "switch to virtual console 8"},
    {"X server", "Ctrl+Alt+F9", "switch to virtual console 9"},
    {"X server", "Ctrl+Alt+F10", "switch to virtual console 10"},
    {"X server", "Ctrl+Alt+F11", "switch to virtual console 11"},
    {"X server", "Ctrl+Alt+F12", "switch to virtual console 12"},
    {"GNOME", "Ctrl+Alt+Left", "switch to the workspace on the left"},
    {"GNOME", "Ctrl+Alt+Right", "switch to the workspace on the right"},
    {"GNOME", "Ctrl+Alt+Up", "switch to the workspace above"},
    {"GNOME", "Ctrl+Alt+Down", "switch to the workspace below"},
    {"GNOME", "Ctrl+Alt+Shift+Left", "move the window one workspace to the left"},
    {"GNOME", "Ctrl+Alt+Shift+Right", "move the window one workspace to the right"},
    {"GNOME", "Ctrl+Alt+Shift+Up", "move the window one workspace up"},
    {"GNOME", "Ctrl+Alt+Shift+Down", "move the window one workspace down"},
    {"GNOME", "Ctrl+Alt+Tab", "switch system controls"},
    {"GNOME", "Ctrl+Alt+Shift+Tab", "switch system controls backwards"},
    {"GNOME", "Ctrl+Alt+Escape", "cycle system controls"},
    {"GNOME", "Ctrl+Alt+Delete", "log out"},
    {"GNOME", "Ctrl+Alt+T", "terminal (up to GNOME 43, and Ubuntu's)"},
    {"GNOME", "Ctrl+Alt+Shift+R", "record the screen"},
    {"GNOME", "Alt+F1", "applications menu"},
    {"GNOME", "Alt+F2", "run a command"},
    {"GNOME", "Alt+F4", "close the window"},
    {"GNOME", "Alt+F5", "restore the window"},
    {"GNOME", "Alt+F6", "switch windows of the application"},
    {"GNOME", "Alt+F7", "move the window"},
    {"GNOME", "Alt+F8", "resize the window"},
    {"GNOME", "Alt+F10", "maximise the window"},
    {"GNOME", "Alt+Tab", "switch applications"},
    {"GNOME", "Alt+Escape", "switch windows directly"},
    {"GNOME", "Alt+space", "window menu"},
    {"GNOME", "Super+L", "lock the screen"},
    {"GNOME", "Super+Alt+S", "screen reader"},
    {"GNOME", "Super+space", "next input source"},
    {"GNOME", "Super+Page_Up", "switch to the workspace on the left"},
    {"GNOME", "Shift+Print", "screenshot of an area"},
    {"KDE Plasma", "Ctrl+Alt+L", "lock the session (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+K", "switch to the next keyboard layout (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+T", "Konsole"},
    {"KDE Plasma", "Ctrl+Alt+A", "activate the window demanding attention (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+V", "Klipper's history (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+R", "Klipper's actions on the clipboard (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+X", "Klipper's actions on or off (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+Escape", "kill a window (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Alt+Delete", "log out"},
    {"KDE Plasma", "Ctrl+Alt+Shift+Delete", "log out without confirmation"},
    {"KDE Plasma", "Ctrl+Alt+Shift+Page_Up", "restart without confirmation"},
    {"KDE Plasma", "Ctrl+Alt+Shift+Page_Down", "shut down without confirmation"},
    {"KDE Plasma", "Ctrl+F1", "switch to desktop 1"},
    {"KDE Plasma", "Ctrl+F2", "switch to desktop 2"},
    {"KDE Plasma", "Ctrl+F3", "switch to desktop 3"},
    {"KDE Plasma", "Ctrl+F4", "switch to desktop 4"},
    {"KDE Plasma", "Ctrl+F7", "present the application's windows (Plasma 5)"},
    {"KDE Plasma", "Ctrl+F8", "desktop grid (Plasma 5)"},
    {"KDE Plasma", "Ctrl+F9", "present the desktop's windows (Plasma 5)"},
    {"KDE Plasma", "Ctrl+F10", "present all windows (Plasma 5)"},
    {"KDE Plasma", "Ctrl+F12", "peek at the desktop (Plasma 5)"},
    {"KDE Plasma", "Ctrl+Escape", "system activity (Plasma 5)"},
    {"KDE Plasma", "Alt+F1", "application launcher"},
    {"KDE Plasma", "Alt+F2", "KRunner"},
    {"KDE Plasma", "Alt+space", "KRunner"},
    {"KDE Plasma", "Alt+F3", "window operations menu"},
    {"KDE Plasma", "Alt+F4", "close the window"},
    {"KDE Plasma", "Alt+Tab", "walk through windows"},
    {"KDE Plasma", "Alt+Shift+F12", "suspend compositing"},
    {"KDE Plasma", "Super+L", "lock the session"},
    {"KDE Plasma", "Super+D", "show the desktop"},
    {"KDE Plasma", "Super+Alt+K", "switch to the next keyboard layout (Plasma 6)"},
    {"KDE Plasma", "Super+V", "Klipper's history (Plasma 6)"},
    {"KDE Plasma", "Super+Ctrl+Escape", "kill a window (Plasma 6)"},
    {"XFCE", "Ctrl+Alt+L", "lock the screen (xflock4)"},
    {"XFCE", "Ctrl+Alt+T", "terminal"},
    {"XFCE", "Ctrl+Alt+F", "file manager"},
    {"XFCE", "Ctrl+Alt+D", "show the desktop"},
    {"XFCE", "Ctrl+Alt+Delete", "log out"},
    {"XFCE", "Ctrl+Alt+Escape", "xkill"},
    {"XFCE", "Ctrl+Alt+Left", "switch to the workspace on the left"},
    {"XFCE", "Ctrl+Alt+Right", "switch to the workspace on the right"},
    {"XFCE", "Ctrl+Alt+Up", "switch to the workspace above"},
    {"XFCE", "Ctrl+Alt+Down", "switch to the workspace below"},
    {"XFCE", "Ctrl+Alt+Home", "move the window to the previous workspace"},
    {"XFCE", "Ctrl+Alt+End", "move the window to the next workspace"},
    {"XFCE", "Ctrl+Alt+KP_1", "move the window to workspace 1"},
    {"XFCE", "Ctrl+Alt+KP_2", "move the window to workspace 2"},
    {"XFCE", "Ctrl+Alt+KP_3", "move the window to workspace 3"},
    {"XFCE", "Ctrl+Alt+KP_4", "move the window to workspace 4"},
    {"XFCE", "Ctrl+Alt+KP_5", "move the window to workspace 5"},
    {"XFCE", "Ctrl+Alt+KP_6", "move the window to workspace 6"},
    {"XFCE", "Ctrl+Alt+KP_7", "move the window to workspace 7"},
    {"XFCE", "Ctrl+Alt+KP_8", "move the window to workspace 8"},
    {"XFCE", "Ctrl+Alt+KP_9", "move the window to workspace 9"},
    {"XFCE", "Ctrl+Alt+Shift+Left", "move the window one workspace to the left"},
    {"XFCE", "Ctrl+Alt+Shift+Right", "move the window one workspace to the right"},
    {"XFCE", "Ctrl+Alt+Shift+Up", "move the window one workspace up"},
    {"XFCE", "Ctrl+F1", "switch to workspace 1"},
    {"XFCE", "Ctrl+F2", "switch to workspace 2"},
    {"XFCE", "Ctrl+F3", "switch to workspace 3"},
    {"XFCE", "Ctrl+F4", "switch to workspace 4"},
    {"XFCE", "Ctrl+F5", "switch to workspace 5"},
    {"XFCE", "Ctrl+F6", "switch to workspace 6"},
    {"XFCE", "Ctrl+F7", "switch to workspace 7"},
    {"XFCE", "Ctrl+F8", "switch to workspace 8"},
    {"XFCE", "Ctrl+F9", "switch to workspace 9"},
    {"XFCE", "Ctrl+F10", "switch to workspace 10"},
    {"XFCE", "Ctrl+F11", "switch to workspace 11"},
    {"XFCE", "Ctrl+F12", "switch to workspace 12"},
    {"XFCE", "Ctrl+Escape", "desktop menu"},
    {"XFCE", "Ctrl+Shift+Escape", "task manager"},
    {"XFCE", "Alt+F1", "applications menu"},
    {"XFCE", "Alt+F2", "application finder"},
    {"XFCE", "Alt+F3", "application finder"},
    {"XFCE", "Alt+F4", "close the window"},
    {"XFCE", "Alt+F6", "stick the window"},
    {"XFCE", "Alt+F11", "full screen"},
    {"XFCE", "Alt+F12", "keep the window above"},
    {"XFCE", "Alt+Insert", "add a workspace"},
    {"XFCE", "Alt+Delete", "remove a workspace"},
    {"XFCE", "Alt+Tab", "cycle windows"},
    {"XFCE", "Alt+space", "window menu"},
    {"XFCE", "Alt+Shift+Page_Up", "raise the window"},
    {"XFCE", "Super+E", "file manager"},
    {"XFCE", "Super+P", "display settings"},
    {"XFCE", "Super+R", "application finder"},
    {"XFCE", "Super+Tab", "switch windows of the application"},
    {"Cinnamon", "Ctrl+Alt+L", "lock the screen"},
    {"Cinnamon", "Ctrl+Alt+T", "terminal"},
    {"Cinnamon", "Ctrl+Alt+Delete", "log out"},
    {"Cinnamon", "Ctrl+Alt+End", "shut down"},
    {"Cinnamon", "Ctrl+Alt+Escape", "restart Cinnamon"},
    {"Cinnamon", "Ctrl+Alt+Left", "switch to the workspace on the left"},
    {"Cinnamon", "Ctrl+Alt+Right", "switch to the workspace on the right"},
    {"Cinnamon", "Ctrl+Alt+Up", "show all workspaces"},
    {"Cinnamon", "Ctrl+Alt+Down", "show the workspace's windows"},
    {"Cinnamon", "Ctrl+Alt+Shift+Left", "move the window one workspace to the left"},
    {"Cinnamon", "Ctrl+Alt+Shift+Right", "move the window one workspace to the right"},
    {"Cinnamon", "Ctrl+Alt+Shift+Up", "move the window one workspace up"},
    {"Cinnamon", "Ctrl+Alt+Shift+Down", "move the window one workspace down"},
    {"Cinnamon", "Ctrl+Alt+Tab", "switch system controls"},
    {"Cinnamon", "Ctrl+Alt+Shift+R", "record the screen"},
    {"Cinnamon", "Ctrl+Alt+Print", "copy a screenshot of the window"},
    {"Cinnamon", "Ctrl+Print", "copy a screenshot"},
    {"Cinnamon", "Ctrl+Shift+Print", "copy a screenshot of an area"},
    {"Cinnamon", "Alt+F1", "switch to the workspace above"},
    {"Cinnamon", "Alt+F2", "run a command"},
    {"Cinnamon", "Alt+F4", "close the window"},
    {"Cinnamon", "Alt+F10", "maximise the window"},
    {"Cinnamon", "Alt+Tab", "switch windows"},
    {"Cinnamon", "Alt+space", "window menu"},
    {"Cinnamon", "Super+D", "show the desktop"},
    {"Cinnamon", "Super+E", "home folder"},
    {"Cinnamon", "Super+L", "Looking Glass"},
    {"Cinnamon", "Super+P", "switch monitor configurations"},
    {"MATE", "Ctrl+Alt+L", "lock the screen"},
    {"MATE", "Ctrl+Alt+D", "show the desktop"},
    {"MATE", "Ctrl+Alt+Delete", "shut down"},
    {"MATE", "Ctrl+Alt+Left", "switch to the workspace on the left"},
    {"MATE", "Ctrl+Alt+Right", "switch to the workspace on the right"},
    {"MATE", "Ctrl+Alt+Up", "switch to the workspace above"},
    {"MATE", "Ctrl+Alt+Down", "switch to the workspace below"},
    {"MATE", "Ctrl+Alt+Shift+Left", "move the window one workspace to the left"},
    {"MATE", "Ctrl+Alt+Shift+Right", "move the window one workspace to the right"},
    {"MATE", "Ctrl+Alt+Shift+Up", "move the window one workspace up"},
    {"MATE", "Ctrl+Alt+Shift+Down", "move the window one workspace down"},
    {"MATE", "Ctrl+Alt+Tab", "switch between panels and the desktop"},
    {"MATE", "Ctrl+Alt+Escape", "cycle panels and the desktop"},
    {"MATE", "Alt+F1", "main menu"},
    {"MATE", "Alt+F2", "run application"},
    {"MATE", "Alt+F4", "close the window"},
    {"MATE", "Alt+F5", "restore the window"},
    {"MATE", "Alt+F6", "switch windows of the application"},
    {"MATE", "Alt+F7", "move the window"},
    {"MATE", "Alt+F8", "resize the window"},
    {"MATE", "Alt+F9", "minimise the window"},
    {"MATE", "Alt+F10", "maximise the window"},
    {"MATE", "Alt+Tab", "switch windows"},
    {"MATE", "Alt+Escape", "switch windows directly"},
    {"MATE", "Alt+space", "window menu"},
    {"MATE", "Alt+Print", "screenshot of the window"},
};

struct DefaultKey {
    std::string chord;
    std::string whose;
};

// Every key the application uses without being told: the commands' keys in its windows, the mouse
// recovery shortcut, and the keys the shortcut pickers offer as one binding after another is
// switched on.
std::vector<DefaultKey> defaultKeys() {
    std::vector<DefaultKey> keys;
    for (const CommandKeys& command : commandKeys())
        for (std::string_view accelerator : command.accelerators)
            keys.push_back({acceleratorChord(accelerator), "app." + std::string(command.action)});
    keys.push_back({kMouseRecoveryShortcut.displayString(), "mouse control recovery"});
    // Each picker's first offer, then those of a website's picker as one website after another
    // is given a key.
    for (std::uint32_t own :
         {kLauncherShortcutKey, kPinShortcutKey, kCompactShortcutKey, kWebsiteShortcutKey})
        keys.push_back({offeredShortcut(own, {}).displayString(), "offered by a shortcut picker"});
    std::vector<ShortcutConfiguration> held;
    for (ShortcutConfiguration offered = offeredShortcut(kWebsiteShortcutKey, held);
         std::find(held.begin(), held.end(), offered) == held.end();
         offered = offeredShortcut(kWebsiteShortcutKey, held)) {
        held.push_back(offered);
        keys.push_back({offered.displayString(), "offered by a shortcut picker"});
    }
    return keys;
}

TEST(CommandKeys, NoDefaultKeyIsOneALinuxDesktopTakes) {
    const auto keys = defaultKeys();
    for (const DefaultKey& key : keys)
        for (const TakenKey& taken : kTaken)
            EXPECT_NE(key.chord, taken.chord) << key.whose << ": " << taken.desktop << " takes " << key.chord
                                              << " (" << taken.what << ")";
    // The pickers still offer most of their keys, one after another.
    EXPECT_GE(std::count_if(keys.begin(), keys.end(),
                            [](const DefaultKey& key) { return key.whose == "offered by a shortcut picker"; }),
              20);
}

// A key the pickers offer as a global shortcut would take the key from the windows' command.
TEST(CommandKeys, NoOfferedGlobalShortcutIsAKeyOfTheWindows) {
    std::vector<std::string> windowKeys;
    for (const CommandKeys& command : commandKeys())
        for (std::string_view accelerator : command.accelerators) windowKeys.push_back(acceleratorChord(accelerator));
    for (const DefaultKey& key : defaultKeys()) {
        if (key.whose != "offered by a shortcut picker") continue;
        EXPECT_EQ(std::count(windowKeys.begin(), windowKeys.end(), key.chord), 0) << key.chord;
    }
}

// Linux browsers' keys come first, where the menus show them; the others stay as alternatives.
TEST(CommandKeys, TheBrowsersKeysAreTheShownOnes) {
    const struct {
        MenuAction action;
        const char* shown;
        const char* alternative;
    } cases[] = {
        {MenuAction::back, "Alt+Left", "Ctrl+bracketleft"},
        {MenuAction::forward, "Alt+Right", "Ctrl+bracketright"},
        {MenuAction::previousTab, "Ctrl+Page_Up", "Ctrl+Shift+bracketleft"},
        {MenuAction::nextTab, "Ctrl+Page_Down", "Ctrl+Shift+bracketright"},
        {MenuAction::stop, "Escape", "Ctrl+period"},
        {MenuAction::reload, "Ctrl+R", "F5"},
        {MenuAction::library, "Ctrl+Shift+H", nullptr},
        {MenuAction::compact, "Ctrl+Alt+C", nullptr},
    };
    for (const auto& [action, shown, alternative] : cases) {
        std::vector<std::string> chords;
        for (std::string_view accelerator : commandAccelerators(menuActionName(action)))
            chords.push_back(acceleratorChord(accelerator));
        ASSERT_FALSE(chords.empty()) << menuActionName(action);
        EXPECT_EQ(chords.front(), shown);
        if (alternative) {
            EXPECT_EQ(std::count(chords.begin(), chords.end(), alternative), 1) << alternative;
        }
    }
    EXPECT_TRUE(commandAccelerators("arrangeLeft").empty());
}

// An accelerator reads as the same combination written by a global shortcut.
TEST(CommandKeys, AnAcceleratorReadsAsAKeyChordOfThisDesktop) {
    const struct {
        const char* accelerator;
        const char* chord;
    } cases[] = {
        {"<Alt><Primary>l", "Ctrl+Alt+L"},
        {"<Control><Alt>l", "Ctrl+Alt+L"},
        {"<Alt><Shift><Primary>n", "Ctrl+Alt+Shift+N"},
        {"<Super><Ctrl>x", "Ctrl+Super+X"},
        {"<Shift><Primary>bracketleft", "Ctrl+Shift+bracketleft"},
        {"<Primary>Page_Up", "Ctrl+Page_Up"},
        {"<Primary>0", "Ctrl+0"},
        {"F5", "F5"},
        {"Escape", "Escape"},
    };
    for (const auto& [accelerator, chord] : cases) EXPECT_EQ(acceleratorChord(accelerator), chord) << accelerator;
    EXPECT_EQ(acceleratorChord("<Alt><Primary>p"), kMouseRecoveryShortcut.displayString());
}

}  // namespace
}  // namespace quenlith
