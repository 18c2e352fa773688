#include "model/window_close_policy.hpp"

#include <algorithm>

namespace quenlith {

CloseAction closeAction(CloseBehavior behavior, bool isOwnWindow, bool isPersistent) {
    if (behavior != CloseBehavior::release && isOwnWindow && isPersistent) return CloseAction::hide;
    return CloseAction::release;
}

bool opensLauncherAfterClose(bool trayAvailable, bool launcherShown,
                             const std::vector<WindowPresence>& windows, bool closedComesBackByLink) {
    if (trayAvailable || launcherShown || closedComesBackByLink) return false;
    return std::none_of(windows.begin(), windows.end(),
                        [](WindowPresence presence) { return presence != WindowPresence::hidden; });
}

}  // namespace quenlith
