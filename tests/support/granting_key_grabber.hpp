#pragma once

#include <unordered_set>

#include "windows/key_grabber.hpp"

namespace quenlith::test {

// Grants every combination. X key grabs belong to the whole display, which parallel test processes
// share: a test that needs its shortcuts (the rescue key for click-through) brings this one.
class GrantingKeyGrabber : public KeyGrabber {
public:
    int grab(const ShortcutConfiguration& shortcut) override { return held_.insert(shortcut), 0; }
    void ungrab(const ShortcutConfiguration& shortcut) override { held_.erase(shortcut); }
    bool holds(const ShortcutConfiguration& shortcut) const override { return held_.contains(shortcut); }

private:
    std::unordered_set<ShortcutConfiguration> held_;
};

}  // namespace quenlith::test
