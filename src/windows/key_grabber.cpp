#include "windows/key_grabber.hpp"

namespace quenlith {

namespace {
constexpr unsigned kShift = 1u << 0;
constexpr unsigned kLock = 1u << 1;
constexpr unsigned kControl = 1u << 2;
}  // namespace

unsigned xModifierState(std::uint32_t modifiers, const ModifierRoles& roles) {
    unsigned state = 0;
    if (modifiers & kCommandModifier) state |= kControl;
    if (modifiers & kShiftModifier) state |= kShift;
    if (modifiers & kOptionModifier) state |= roles.alt;
    if (modifiers & kControlModifier) state |= roles.super;
    return state;
}

std::array<unsigned, 4> lockVariants(const ModifierRoles& roles) {
    return {0u, kLock, roles.numLock, kLock | roles.numLock};
}

unsigned shortcutState(unsigned state, const ModifierRoles& roles) {
    return state & (kShift | kControl | roles.alt | roles.super);
}

}  // namespace quenlith
