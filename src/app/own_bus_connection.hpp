#pragma once

#include <functional>
#include <memory>
#include <string>

#include <gio/gio.h>

namespace quenlith {

// A connection of our own to a message bus, beside the application's shared one, and so a bus name
// of its own that goes when the connection closes. It closes when its last holder lets it go.
using OwnBusConnection = std::shared_ptr<GDBusConnection>;

// Opens one to the bus at `address` (the session bus's when empty) on a worker thread, as finding
// the session bus may start a helper; `onOpened` runs on the main loop with it, or with none when it
// could not be opened. A connection `onOpened` does not keep is closed.
void openOwnBusConnection(const std::string& address, std::function<void(OwnBusConnection)> onOpened);

}  // namespace quenlith
