#pragma once

#include <functional>
#include <string>

namespace quenlith {

// Called with the system's reason when an address could not be handed to another application.
using LaunchFailed = std::function<void(const std::string& reason)>;

// Hands `uri` to the desktop's default application for it without waiting for that application
// to start. `failed` runs later on the main loop when no application took it, never when one did;
// a caller that may be gone by then captures a liveness token. Without `failed` the failure is
// only logged.
void openWithDefaultApplication(const std::string& uri, LaunchFailed failed = {});

}  // namespace quenlith
