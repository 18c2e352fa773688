#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/shortcut_configuration.hpp"

namespace quenlith {

struct AppPreferences;
struct WebAppProfile;

// What the shortcut picker writes into its optional shortcut. The picker checks nothing: the
// form that embeds it validates the shortcut when it stores it.

// Modifiers of a shortcut that is switched on: Alt+Ctrl.
inline constexpr std::uint32_t kDefaultShortcutModifiers = kOptionModifier | kCommandModifier;
// The key the key picker shows while there is no shortcut: K.
inline constexpr std::uint32_t kShortcutPickerIdleKey = 40;
// The key each picker starts a shortcut switched on from, before anything takes it: the
// launcher's B, always on top's I, compact mode's K, a website's K.
inline constexpr std::uint32_t kLauncherShortcutKey = 11;
inline constexpr std::uint32_t kPinShortcutKey = 34;
inline constexpr std::uint32_t kCompactShortcutKey = 40;
inline constexpr std::uint32_t kWebsiteShortcutKey = 40;

// One modifier toggle: its label on this desktop and its stored mask.
struct ShortcutModifierToggle {
    std::string_view label;
    std::uint32_t mask;
};
// The toggles in the order the shortcut's text names them: Ctrl, Alt, Shift, Super.
const std::array<ShortcutModifierToggle, 4>& shortcutModifierToggles();

// The fixed shortcut that restores mouse control (Ctrl+Alt+P): never offered to a picker.
inline constexpr ShortcutConfiguration kMouseRecoveryShortcut{35, kOptionModifier | kCommandModifier};

// Whether the combination is taken before any binding of the application: the mouse recovery
// shortcut, a Ctrl+Alt key a Linux desktop binds by default, a key of the application's windows.
bool isTakenOutsideThePicker(const ShortcutConfiguration& shortcut);
// What a picker offers when it is switched on: Alt+Ctrl with its own `defaultKey`, unless that
// combination is taken outside the picker or one of `held` (the application's other bindings)
// takes it; then with the first key of the table whose combination neither takes. When `held`
// takes them all (Save then says why): the own key, or the first key not taken outside the
// picker where a desktop takes the own one.
ShortcutConfiguration offeredShortcut(std::uint32_t defaultKey,
                                      const std::vector<ShortcutConfiguration>& held);
// The global shortcuts of the application's bindings other than `bindingName` ("launcher", "pin",
// "compact", or a website's id text): the ones a picker of that binding must not offer.
std::vector<ShortcutConfiguration> shortcutsHeldElsewhere(const std::vector<WebAppProfile>& websites,
                                                          const AppPreferences& preferences,
                                                          const std::string& bindingName);
// Switched on: always a fresh offered shortcut; switched off: none.
std::optional<ShortcutConfiguration> shortcutEnabled(bool on, std::uint32_t defaultKey,
                                                     const std::vector<ShortcutConfiguration>& held);
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
