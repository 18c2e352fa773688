#pragma once

#include <vector>

#include "model/app_preferences.hpp"

namespace quenlith {

// What a close request (close button, "close" command) does to a window.
enum class CloseAction {
    hide,     // ordered out; stays registered with its tabs and can be shown again
    release,  // closed and released with its tabs
};

// Only a website's own window (window id = its website's id) on a persistent data store is hidden,
// and only while the close behaviour is "Hide Window"; pop-ups, private, duplicate and page-group
// windows are always released.
CloseAction closeAction(CloseBehavior behavior, bool isOwnWindow, bool isPersistent);

// Where a website window is after a close request: on the screen, minimised (in the taskbar, where
// the person finds it again) or hidden.
enum class WindowPresence { shown, minimized, hidden };

// Whether the launcher opens as a window after a close request. With a tray, its icon brings
// everything back; without one, the person keeps a way back on the screen: once no website window
// is shown or minimised and the launcher is not open, it opens. A window that application links
// brought forward comes back with their application, which is in front: closing it leaves that way
// back (`closedComesBackByLink`), and a launcher would take the focus from that application and
// cover its windows.
bool opensLauncherAfterClose(bool trayAvailable, bool launcherShown,
                             const std::vector<WindowPresence>& windows, bool closedComesBackByLink);

}  // namespace quenlith
