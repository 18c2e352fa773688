#include "model/shortcut_picker_rules.hpp"

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

std::optional<ShortcutConfiguration> shortcutEnabled(bool on, std::uint32_t defaultKey) {
    if (!on) return std::nullopt;
    return ShortcutConfiguration{defaultKey, kDefaultShortcutModifiers};
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
