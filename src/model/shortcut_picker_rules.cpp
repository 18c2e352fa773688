#include "model/shortcut_picker_rules.hpp"

#include <algorithm>
#include <utility>

#include "model/app_preferences.hpp"
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

ShortcutConfiguration offeredShortcut(const std::vector<ShortcutConfiguration>& held) {
    const auto& table = shortcutKeyTable();
    for (const auto& key : table) {
        const ShortcutConfiguration candidate{key.keyCode, kDefaultShortcutModifiers};
        if (candidate != kMouseRecoveryShortcut &&
            std::find(held.begin(), held.end(), candidate) == held.end())
            return candidate;
    }
    return {table.front().keyCode, kDefaultShortcutModifiers};
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

std::optional<ShortcutConfiguration> shortcutEnabled(bool on,
                                                     const std::vector<ShortcutConfiguration>& held) {
    if (!on) return std::nullopt;
    return offeredShortcut(held);
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
