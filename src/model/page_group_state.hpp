#pragma once

// What the window manager remembers of page groups while the application runs: which open window
// each saved window of a group was opened in, and Page Group Focus. Not saved: after a restart
// every group opens new windows.

#include <map>
#include <optional>
#include <set>

#include "model/uuid.hpp"

namespace quenlith {

class PageGroupState {
public:
    // The window a group's saved window was opened in, while that window is still registered.
    std::optional<Uuid> openedWindow(const Uuid& groupID, const Uuid& sceneWindowID,
                                     const std::set<Uuid>& registered) const;
    // Records the window a group's saved window now lives in.
    void recordWindow(const Uuid& groupID, const Uuid& sceneWindowID, const Uuid& windowID);
    // The window ids a group was opened in (some may be closed by now).
    std::set<Uuid> windowsOf(const Uuid& groupID) const;

    const std::optional<Uuid>& focusedScene() const { return focusedScene_; }
    const std::set<Uuid>& beforeFocus() const { return beforeFocus_; }

    // Focus is about to begin on a group: the windows on screen are remembered, unless another
    // group is already in focus (then what was on screen before the first focus stays).
    void focusBegins(const std::set<Uuid>& onScreen);
    // The group is open: every registered window that is not one of its windows is put away.
    std::set<Uuid> focusOn(const Uuid& groupID, const std::set<Uuid>& registered);

    struct FocusEnd {
        std::set<Uuid> putAway;  // the focused group's windows that were not on screen before
        std::set<Uuid> present;  // the windows on screen before the focus that still exist
    };
    // Ends the focus; none when no group is in focus.
    std::optional<FocusEnd> endFocus(const std::set<Uuid>& registered);

private:
    std::map<Uuid, std::map<Uuid, Uuid>> sessions_;
    std::optional<Uuid> focusedScene_;
    std::set<Uuid> beforeFocus_;
};

}  // namespace quenlith
