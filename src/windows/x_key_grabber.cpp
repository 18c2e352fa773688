#include "windows/x_key_grabber.hpp"

#include <algorithm>
#include <string>
#include <utility>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>
#include <gdk/gdk.h>
#include <gdk/gdkx.h>

namespace quenlith {

namespace {

Display* xDisplay(GdkDisplay* display) {
    return display ? GDK_DISPLAY_XDISPLAY(display) : nullptr;
}

}  // namespace

XKeyGrabber::XKeyGrabber() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display || !GDK_IS_X11_DISPLAY(display)) return;
    display_ = display;
    root_ = DefaultRootWindow(xDisplay(display_));
    readModifierRoles();
    gdk_window_add_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&XKeyGrabber::filter), this);
    keysChangedHandler_ = g_signal_connect(gdk_keymap_get_for_display(display_), "keys-changed",
                                           G_CALLBACK(&XKeyGrabber::keysChanged), this);
}

XKeyGrabber::~XKeyGrabber() {
    if (!display_) return;
    g_signal_handler_disconnect(gdk_keymap_get_for_display(display_), keysChangedHandler_);
    gdk_window_remove_filter(nullptr, reinterpret_cast<GdkFilterFunc>(&XKeyGrabber::filter), this);
    gdk_x11_display_error_trap_push(display_);
    for (const auto& [shortcut, combination] : held_) release(combination);
    gdk_x11_display_error_trap_pop_ignored(display_);
    gdk_display_flush(display_);
}

void XKeyGrabber::readModifierRoles() {
    Display* x = xDisplay(display_);
    ModifierRoles roles{0, 0, 0};
    XModifierKeymap* map = XGetModifierMapping(x);
    if (map) {
        // Mod1 to Mod5 are rows 3 to 7 of the map.
        for (int row = 3; row < 8; ++row) {
            for (int column = 0; column < map->max_keypermod; ++column) {
                KeyCode code = map->modifiermap[row * map->max_keypermod + column];
                if (!code) continue;
                for (int level = 0; level < 2; ++level) {
                    KeySym sym = XkbKeycodeToKeysym(x, code, 0, level);
                    if ((sym == XK_Alt_L || sym == XK_Alt_R) && !roles.alt) roles.alt = 1u << row;
                    if ((sym == XK_Super_L || sym == XK_Super_R) && !roles.super) roles.super = 1u << row;
                    if (sym == XK_Num_Lock && !roles.numLock) roles.numLock = 1u << row;
                }
            }
        }
        XFreeModifiermap(map);
    }
    const ModifierRoles usual;
    roles_.alt = roles.alt ? roles.alt : usual.alt;
    roles_.super = roles.super ? roles.super : usual.super;
    roles_.numLock = roles.numLock ? roles.numLock : usual.numLock;
}

std::optional<XKeyGrabber::Combination> XKeyGrabber::resolve(const ShortcutConfiguration& shortcut) const {
    auto name = shortcutKeyName(shortcut.keyCode);
    if (!display_ || !name) return std::nullopt;
    KeySym sym = XStringToKeysym(std::string(*name).c_str());
    KeyCode code = sym == NoSymbol ? 0 : XKeysymToKeycode(xDisplay(display_), sym);
    if (!code) return std::nullopt;
    return Combination{code, xModifierState(shortcut.modifiers, roles_), roles_};
}

int XKeyGrabber::grab(const ShortcutConfiguration& shortcut) {
    auto combination = resolve(shortcut);
    if (!combination) return BadValue;
    if (holds(shortcut)) return Success;
    Display* x = xDisplay(display_);
    gdk_x11_display_error_trap_push(display_);
    for (unsigned locks : lockVariants(roles_))
        XGrabKey(x, combination->keycode, combination->state | locks, root_, False, GrabModeAsync,
                 GrabModeAsync);
    int error = gdk_x11_display_error_trap_pop(display_);
    if (error != Success) {
        // A lock state someone else holds leaves the others half taken: give them back.
        gdk_x11_display_error_trap_push(display_);
        release(*combination);
        gdk_x11_display_error_trap_pop_ignored(display_);
        return error;
    }
    held_.emplace_back(shortcut, *combination);
    return Success;
}

void XKeyGrabber::ungrab(const ShortcutConfiguration& shortcut) {
    // The combination as it was grabbed: after a mapping change the keys may differ.
    auto entry =
        std::find_if(held_.begin(), held_.end(), [&](const auto& held) { return held.first == shortcut; });
    if (entry == held_.end()) return;
    const Combination combination = entry->second;
    held_.erase(entry);
    gdk_x11_display_error_trap_push(display_);
    release(combination);
    gdk_x11_display_error_trap_pop_ignored(display_);
}

bool XKeyGrabber::holds(const ShortcutConfiguration& shortcut) const {
    auto combination = resolve(shortcut);
    return combination && std::any_of(held_.begin(), held_.end(),
                                      [&](const auto& held) { return held.second == *combination; });
}

void XKeyGrabber::release(const Combination& combination) {
    for (unsigned locks : lockVariants(combination.roles))
        XUngrabKey(xDisplay(display_), combination.keycode, combination.state | locks, root_);
}

int XKeyGrabber::filter(GdkXEvent* xevent, GdkEvent*, void* data) {
    auto* self = static_cast<XKeyGrabber*>(data);
    auto* event = static_cast<XEvent*>(xevent);
    if ((event->type != KeyPress && event->type != KeyRelease) || event->xkey.window != self->root_)
        return GDK_FILTER_CONTINUE;
    const int keycode = static_cast<int>(event->xkey.keycode);
    if (event->type == KeyRelease) {
        // The modifiers may be let go first, so a release is matched by its key alone. Without
        // detectable auto-repeat a repeat is a release and a press with the same time.
        if (keycode != self->keyDown_) return GDK_FILTER_CONTINUE;
        XEvent next;
        const bool repeats = XPending(event->xkey.display) &&
                             (XPeekEvent(event->xkey.display, &next), true) && next.type == KeyPress &&
                             next.xkey.time == event->xkey.time &&
                             static_cast<int>(next.xkey.keycode) == keycode;
        if (!repeats) self->keyDown_ = 0;
        return GDK_FILTER_REMOVE;
    }
    const Combination pressed{keycode, shortcutState(event->xkey.state, self->roles_), self->roles_};
    auto held = std::find_if(self->held_.begin(), self->held_.end(),
                             [&](const auto& entry) { return entry.second == pressed; });
    if (held == self->held_.end()) return GDK_FILTER_CONTINUE;
    if (std::exchange(self->keyDown_, keycode) == keycode) return GDK_FILTER_REMOVE;  // a repeat
    // A copy: the press may release the combination.
    const ShortcutConfiguration shortcut = held->first;
    self->reportPress(shortcut, static_cast<std::uint32_t>(event->xkey.time));
    return GDK_FILTER_REMOVE;
}

void XKeyGrabber::keysChanged(GdkKeymap*, void* data) {
    auto* self = static_cast<XKeyGrabber*>(data);
    self->readModifierRoles();
    self->reportMappingChange();
}

}  // namespace quenlith
