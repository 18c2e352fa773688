#include <gtest/gtest.h>

#include "windows/key_grabber.hpp"

namespace quenlith {

TEST(KeyGrabberRules, ModifiersFollowTheKeyboardsModifierRoles) {
    const ModifierRoles usual, moved{1u << 7, 1u << 5, 1u << 3};  // Alt Mod5, Super Mod3, Num Lock Mod1
    const std::tuple<std::uint32_t, unsigned, unsigned> cases[] = {
        {kCommandModifier, 0x04, 0x04}, {kShiftModifier, 0x01, 0x01}, {kOptionModifier, 0x08, 0x80},
        {kControlModifier, 0x40, 0x20}, {kCommandModifier | kOptionModifier | kShiftModifier | kControlModifier, 0x4d, 0xa5}};
    for (const auto& [modifiers, usualState, movedState] : cases) {
        EXPECT_EQ(xModifierState(modifiers, usual), usualState) << modifiers;
        EXPECT_EQ(xModifierState(modifiers, moved), movedState) << modifiers;
    }
    EXPECT_EQ(lockVariants(moved), (std::array<unsigned, 4>{0, 2, 0x08, 0x0a}));
    // Caps Lock, Num Lock and a held mouse button do not hide a press of Ctrl+Alt.
    EXPECT_EQ(shortcutState(0x0c | 0x02 | 0x10 | 0x100, usual), 0x0cu);
    EXPECT_EQ(shortcutState(0x0c, moved), 0x04u);
}

}  // namespace quenlith
