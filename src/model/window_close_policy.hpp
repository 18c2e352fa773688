#pragma once

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

}  // namespace quenlith
