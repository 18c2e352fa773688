#pragma once

#include <chrono>
#include <functional>

namespace quenlith::test {

// Spins the default GLib main context until `condition` holds or `timeout` passes; returns whether
// the condition held. Tests wait this way, never with fixed sleeps.
bool spinUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Spins the main context for `duration` (for checking that something does *not* happen).
void spinFor(std::chrono::milliseconds duration);

}  // namespace quenlith::test
