#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/shortcut_configuration.hpp"

namespace quenlith {

// What the shortcut picker writes into its optional shortcut. The picker checks nothing: the
// form that embeds it validates the shortcut when it stores it.

// Modifiers of a shortcut that is switched on: Alt+Ctrl.
inline constexpr std::uint32_t kDefaultShortcutModifiers = kOptionModifier | kCommandModifier;
// The key the key picker shows while there is no shortcut: K.
inline constexpr std::uint32_t kShortcutPickerIdleKey = 40;

// One modifier toggle: its label on this desktop and its stored mask.
struct ShortcutModifierToggle {
    std::string_view label;
    std::uint32_t mask;
};
// The toggles in the order the shortcut's text names them: Ctrl, Alt, Shift, Super.
const std::array<ShortcutModifierToggle, 4>& shortcutModifierToggles();

// Switched on: always a fresh shortcut of `defaultKey` with Alt+Ctrl; switched off: none.
std::optional<ShortcutConfiguration> shortcutEnabled(bool on, std::uint32_t defaultKey);
// Adds or removes one modifier; no shortcut stays none.
std::optional<ShortcutConfiguration> shortcutWithModifier(std::optional<ShortcutConfiguration> value,
                                                          std::uint32_t mask, bool on);
// Takes another key and keeps the modifiers; no shortcut stays none.
std::optional<ShortcutConfiguration> shortcutWithKey(std::optional<ShortcutConfiguration> value,
                                                     std::uint32_t keyCode);
// Whether a toggle shows on: a shortcut is set and has the mask.
bool shortcutHasModifier(const std::optional<ShortcutConfiguration>& value, std::uint32_t mask);
// The key-table row the key picker selects: K's without a shortcut, none for a key outside it.
std::optional<std::size_t> shortcutKeyRow(const std::optional<ShortcutConfiguration>& value);

}  // namespace quenlith
