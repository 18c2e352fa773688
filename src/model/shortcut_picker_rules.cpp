#include "model/shortcut_picker_rules.hpp"

#include <algorithm>
#include <utility>

#include "model/app_preferences.hpp"
#include "model/command_keys.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

const std::array<ShortcutModifierToggle, 4>& shortcutModifierToggles() {
    static const std::array<ShortcutModifierToggle, 4> toggles = {{
        {"Ctrl", kCommandModifier},
        {"Alt", kOptionModifier},
        {"Shift", kShiftModifier},
        {"Super", kControlModifier},
    }};
    return toggles;
}

bool isTakenOutsideThePicker(const ShortcutConfiguration& shortcut) {
    // The Ctrl+Alt keys of the table that Linux desktops bind by default: A (KDE Plasma 5: the
    // window that asks for attention), D (XFCE, MATE: show the desktop), F (XFCE: the file
    // manager), K (KDE Plasma 5: the next keyboard layout), L (XFCE, KDE Plasma, Cinnamon, MATE:
    // lock the screen), R, V, X (KDE Plasma 5: the clipboard's actions, its history, actions on or
    // off), T (XFCE, KDE Plasma, Cinnamon, GNOME up to 43: a terminal), and F1 to F12 (the X
    // server's virtual consoles).
    static constexpr std::string_view kDesktops[] = {"A", "D", "F", "K", "L", "R", "T", "V", "X", "F1",
                                                     "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9",
                                                     "F10", "F11", "F12"};
    if (shortcut == kMouseRecoveryShortcut) return true;
    const auto name = shortcutKeyName(shortcut.keyCode);
    if (shortcut.modifiers == (kCommandModifier | kOptionModifier) && name &&
        std::find(std::begin(kDesktops), std::end(kDesktops), *name) != std::end(kDesktops))
        return true;
    // A global shortcut takes the key from the application's own windows.
    const std::string text = shortcut.displayString();
    for (const CommandKeys& command : commandKeys())
        for (std::string_view accelerator : command.accelerators)
            if (acceleratorChord(accelerator) == text) return true;
    return false;
}

ShortcutConfiguration offeredShortcut(std::uint32_t defaultKey,
                                      const std::vector<ShortcutConfiguration>& held) {
    auto isHeld = [&](const ShortcutConfiguration& shortcut) {
        return std::find(held.begin(), held.end(), shortcut) != held.end();
    };
    // The picker's own key first: the desktop and the other bindings only move it on.
    const ShortcutConfiguration own{defaultKey, kDefaultShortcutModifiers};
    const bool ownUsable = !isTakenOutsideThePicker(own);
    if (ownUsable && !isHeld(own)) return own;
    std::optional<ShortcutConfiguration> firstUsable;
    for (const auto& key : shortcutKeyTable()) {
        const ShortcutConfiguration candidate{key.keyCode, kDefaultShortcutModifiers};
        if (isTakenOutsideThePicker(candidate)) continue;
        if (!isHeld(candidate)) return candidate;
        if (!firstUsable) firstUsable = candidate;
    }
    return ownUsable ? own : *firstUsable;
}

std::vector<ShortcutConfiguration> shortcutsHeldElsewhere(const std::vector<WebAppProfile>& websites,
                                                          const AppPreferences& preferences,
                                                          const std::string& bindingName) {
    std::vector<ShortcutConfiguration> held;
    for (const auto& website : websites)
        if (website.globalShortcut && website.id.string() != bindingName)
            held.push_back(*website.globalShortcut);
    const std::pair<const char*, const std::optional<ShortcutConfiguration>*> own[] = {
        {"launcher", &preferences.launcherShortcut},
        {"pin", &preferences.pinShortcut},
        {"compact", &preferences.compactShortcut}};
    for (const auto& [name, shortcut] : own)
        if (*shortcut && bindingName != name) held.push_back(**shortcut);
    return held;
}

std::optional<ShortcutConfiguration> shortcutEnabled(bool on, std::uint32_t defaultKey,
                                                     const std::vector<ShortcutConfiguration>& held) {
    if (!on) return std::nullopt;
    return offeredShortcut(defaultKey, held);
}

std::optional<ShortcutConfiguration> shortcutWithModifier(std::optional<ShortcutConfiguration> value,
                                                          std::uint32_t mask, bool on) {
    if (!value) return std::nullopt;
    value->modifiers = on ? (value->modifiers | mask) : (value->modifiers & ~mask);
    return value;
}

std::optional<ShortcutConfiguration> shortcutWithKey(std::optional<ShortcutConfiguration> value,
                                                     std::uint32_t keyCode) {
    if (!value) return std::nullopt;
    value->keyCode = keyCode;
    return value;
}

bool shortcutHasModifier(const std::optional<ShortcutConfiguration>& value, std::uint32_t mask) {
    return value && (value->modifiers & mask) == mask;
}

std::optional<std::size_t> shortcutKeyRow(const std::optional<ShortcutConfiguration>& value) {
    std::uint32_t keyCode = value ? value->keyCode : kShortcutPickerIdleKey;
    const auto& table = shortcutKeyTable();
    for (std::size_t row = 0; row < table.size(); ++row)
        if (table[row].keyCode == keyCode) return row;
    return std::nullopt;
}

}  // namespace quenlith
