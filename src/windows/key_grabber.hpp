#pragma once

#include <array>
#include <cstdint>
#include <functional>

#include "model/shortcut_configuration.hpp"

namespace quenlith {

// Grabs key combinations for the whole desktop, so that they reach this application whichever
// window has the focus. The X implementation sits beside it (XKeyGrabber); tests bring a fake.
class KeyGrabber {
public:
    virtual ~KeyGrabber() = default;

    // Takes the combination; 0 when it is ours now, else the X error that refused it (BadAccess
    // when another client holds it).
    virtual int grab(const ShortcutConfiguration& shortcut) = 0;
    // Releases a combination taken by grab(); nothing for one this grabber does not hold.
    virtual void ungrab(const ShortcutConfiguration& shortcut) = 0;
    // Whether this grabber holds a combination that the shortcut's keys produce now.
    virtual bool holds(const ShortcutConfiguration& shortcut) const = 0;

    using PressReport = std::function<void(const ShortcutConfiguration& shortcut, std::uint32_t time)>;
    // Where the grabber reports: every press of a held combination, with the X server time of the
    // press; and a change of the keyboard mapping, after which the same shortcuts may be other keys,
    // so every combination must be taken again. Empty reports go nowhere.
    void setReports(PressReport onPress, std::function<void()> onMappingChange) {
        onPress_ = std::move(onPress);
        onMappingChange_ = std::move(onMappingChange);
    }

protected:
    // For the grabber: tells of a press or of a new keyboard mapping.
    void reportPress(const ShortcutConfiguration& shortcut, std::uint32_t time) const {
        if (onPress_) onPress_(shortcut, time);
    }
    void reportMappingChange() const {
        if (onMappingChange_) onMappingChange_();
    }

private:
    PressReport onPress_;
    std::function<void()> onMappingChange_;
};

// The X modifier bits (Mod1 to Mod5) that carry Alt, Super and Num Lock on this keyboard.
struct ModifierRoles {
    unsigned alt = 1u << 3;      // Mod1
    unsigned super = 1u << 6;    // Mod4
    unsigned numLock = 1u << 4;  // Mod2
};

// The X modifier state of a stored modifier mask: Command = Ctrl, Option = Alt, Shift = Shift,
// Control = Super.
unsigned xModifierState(std::uint32_t modifiers, const ModifierRoles& roles);
// The four lock states a grab must cover so that Caps Lock and Num Lock do not hide a press:
// none, Lock, Num Lock, both.
std::array<unsigned, 4> lockVariants(const ModifierRoles& roles);
// A press's modifier state without the lock bits and without the bits no shortcut uses (mouse
// buttons, Scroll Lock and the like), comparable with xModifierState.
unsigned shortcutState(unsigned state, const ModifierRoles& roles);

}  // namespace quenlith
