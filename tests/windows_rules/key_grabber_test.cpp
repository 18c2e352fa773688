#include <gtest/gtest.h>

#include "windows/key_grabber.hpp"

namespace quenlith {
namespace {

TEST(KeyGrabberRules, ModifiersFollowTheKeyboardsModifierRoles) {
    const ModifierRoles usual;
    const ModifierRoles moved{1u << 7, 1u << 5, 1u << 3};  // Alt on Mod5, Super on Mod3, Num Lock on Mod1
    struct Case {
        std::uint32_t modifiers;
        unsigned usualState;
        unsigned movedState;
    };
    const Case cases[] = {
        {kCommandModifier, 1u << 2, 1u << 2},
        {kShiftModifier, 1u << 0, 1u << 0},
        {kOptionModifier, 1u << 3, 1u << 7},
        {kControlModifier, 1u << 6, 1u << 5},
        {kCommandModifier | kOptionModifier | kShiftModifier | kControlModifier, 0x4d, 0xa5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(xModifierState(c.modifiers, usual), c.usualState) << c.modifiers;
        EXPECT_EQ(xModifierState(c.modifiers, moved), c.movedState) << c.modifiers;
    }
    EXPECT_EQ(lockVariants(moved), (std::array<unsigned, 4>{0, 2, 1u << 3, 2 | (1u << 3)}));
    // Caps Lock, Num Lock and a held mouse button do not hide a press of Ctrl+Alt.
    const unsigned ctrlAlt = xModifierState(kCommandModifier | kOptionModifier, usual);
    EXPECT_EQ(shortcutState(ctrlAlt | 2 | (1u << 4) | (1u << 8), usual), ctrlAlt);
    EXPECT_EQ(shortcutState(ctrlAlt | (1u << 3), moved), 1u << 2);
}

}  // namespace
}  // namespace quenlith
