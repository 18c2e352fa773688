#include <gtest/gtest.h>

#include <set>
#include <string>
#include <unordered_set>

#include "model/json_coding.hpp"
#include "model/shortcut_configuration.hpp"

namespace quenlith {
namespace {

constexpr std::uint32_t kAll = kCommandModifier | kShiftModifier | kOptionModifier | kControlModifier;

TEST(ShortcutConfiguration, ValidityNeedsAStrongModifierAndAKeyOfTheTable) {
    struct Case {
        std::uint32_t keyCode, modifiers;
        bool valid;
    };
    const Case cases[] = {
        {0x00, kShiftModifier, false},                     // Shift-A
        {0x00, 0, false},                                  // A alone
        {0x31, kCommandModifier, false},                   // Command-Space: Space is not in the table
        {0x6F, kControlModifier, true},                    // Control-F12
        {0x28, kOptionModifier, true},                     // Option-K
        {0x1D, kCommandModifier | kShiftModifier, true},   // Command-Shift-0
        {0x00, kShiftModifier | 0x0001 | 0x0080, false},   // unrelated bits do not count
        {0x00, kCommandModifier | 0x0001 | 0x0080, true},  // nor do they hurt
        {0x7F, kAll, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ((ShortcutConfiguration{c.keyCode, c.modifiers}.isValid()), c.valid)
            << std::hex << c.keyCode << " " << c.modifiers;
}

TEST(ShortcutConfiguration, DisplayStringUsesDesktopNamesInFixedOrder) {
    EXPECT_EQ((ShortcutConfiguration{0x00, kAll}.displayString()), "Ctrl+Alt+Shift+Super+A");
    EXPECT_EQ((ShortcutConfiguration{0x31, kCommandModifier}.displayString()), "Ctrl+?");
    EXPECT_EQ((ShortcutConfiguration{0x6F, kControlModifier}.displayString()), "Super+F12");
    EXPECT_EQ((ShortcutConfiguration{0x28, kShiftModifier | kOptionModifier}.displayString()), "Alt+Shift+K");
    EXPECT_EQ((ShortcutConfiguration{0x19, 0}.displayString()), "9");
    EXPECT_EQ((ShortcutConfiguration{0x12, 0x0001}.displayString()), "1");
}

TEST(ShortcutConfiguration, KeyTableHasFortyEightDistinctKeysAndHashingTakesBothFields) {
    std::set<std::uint32_t> codes;
    std::set<std::string_view> names;
    for (const auto& key : shortcutKeyTable()) {
        codes.insert(key.keyCode);
        names.insert(key.name);
        EXPECT_EQ(shortcutKeyName(key.keyCode), key.name);
    }
    EXPECT_EQ(codes.size(), 48u);
    EXPECT_EQ(names.size(), 48u);
    std::unordered_set<ShortcutConfiguration> set{{0x00, kCommandModifier}, {0x00, kOptionModifier},
                                                  {0x0B, kCommandModifier}, {0x00, kCommandModifier}};
    EXPECT_EQ(set.size(), 3u);
}

}  // namespace
}  // namespace quenlith
