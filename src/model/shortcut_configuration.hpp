#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

namespace quenlith {

// Modifier bits as stored (the classic virtual-key masks). On this desktop Command is Ctrl,
// Option is Alt, Shift is Shift and Control is Super.
inline constexpr std::uint32_t kCommandModifier = 0x0100;
inline constexpr std::uint32_t kShiftModifier = 0x0200;
inline constexpr std::uint32_t kOptionModifier = 0x0800;
inline constexpr std::uint32_t kControlModifier = 0x1000;

// One row of the key table shared by the shortcut pickers and the key grabber.
struct ShortcutKey {
    std::string_view name;
    std::uint32_t keyCode;
};

// The 48 keys a global shortcut may use, in picker order: A-Z, 0-9, F1-F12.
const std::array<ShortcutKey, 48>& shortcutKeyTable();
// The name of a key code in the table, or nothing.
std::optional<std::string_view> shortcutKeyName(std::uint32_t keyCode);

// A global shortcut: a virtual key code and a modifier mask, both unsigned 32-bit.
struct ShortcutConfiguration {
    std::uint32_t keyCode = 0;
    std::uint32_t modifiers = 0;

    // At least one of Command, Option or Control, and a key of the table.
    bool isValid() const;
    // "Ctrl+Alt+Shift+Super+K" with only the modifiers that are set; "?" for an unknown key.
    std::string displayString() const;

    bool operator==(const ShortcutConfiguration&) const = default;
};

void to_json(nlohmann::json& json, const ShortcutConfiguration& shortcut);
void from_json(const nlohmann::json& json, ShortcutConfiguration& shortcut);

}  // namespace quenlith

template <>
struct std::hash<quenlith::ShortcutConfiguration> {
    std::size_t operator()(const quenlith::ShortcutConfiguration& shortcut) const noexcept {
        return std::hash<std::uint64_t>()((static_cast<std::uint64_t>(shortcut.keyCode) << 32) | shortcut.modifiers);
    }
};
