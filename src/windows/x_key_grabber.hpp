#pragma once

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "windows/key_grabber.hpp"

typedef struct _GdkDisplay GdkDisplay;
typedef struct _GdkKeymap GdkKeymap;
typedef void GdkXEvent;
typedef union _GdkEvent GdkEvent;

namespace quenlith {

// Key grabs on the X root window of GDK's default display. Each combination is grabbed with its
// four lock states; a refusal (another client holds it) is caught with GDK's X error trap.
// Presses come through a GDK event filter and never reach GDK. When the keyboard mapping changes,
// the modifier roles are read again and the mapping-change report asks for the grabs to be made again.
// Releases every grab and removes its filter when destroyed. Main thread only.
class XKeyGrabber final : public KeyGrabber {
public:
    XKeyGrabber();
    ~XKeyGrabber() override;
    XKeyGrabber(const XKeyGrabber&) = delete;
    XKeyGrabber& operator=(const XKeyGrabber&) = delete;

    int grab(const ShortcutConfiguration& shortcut) override;
    void ungrab(const ShortcutConfiguration& shortcut) override;
    bool holds(const ShortcutConfiguration& shortcut) const override;

private:
    struct Combination {
        int keycode = 0;
        unsigned state = 0;
        // The lock states it was grabbed with: Num Lock may sit on another modifier by the time it
        // is released.
        ModifierRoles roles;
        bool operator==(const Combination& other) const {
            return keycode == other.keycode && state == other.state;
        }
    };
    std::optional<Combination> resolve(const ShortcutConfiguration& shortcut) const;
    void release(const Combination& combination);
    void readModifierRoles();
    static int filter(GdkXEvent* xevent, GdkEvent* event, void* data);
    static void keysChanged(GdkKeymap* keymap, void* data);

    GdkDisplay* display_ = nullptr;
    unsigned long root_ = 0;
    ModifierRoles roles_;
    std::vector<std::pair<ShortcutConfiguration, Combination>> held_;
    unsigned long keysChangedHandler_ = 0;
    // The key of the held combination that is down now: the keyboard repeats a key held down, and
    // each repeat would toggle a window again.
    int keyDown_ = 0;
};

}  // namespace quenlith
