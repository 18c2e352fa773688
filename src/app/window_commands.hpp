#pragma once

#include "launcher/launcher_commands.hpp"

namespace quenlith {

class BrowserWindowManager;

// Fills the launcher's window-manager commands from the manager's operations. Each closure looks
// the manager up through `manager` at call time, so it must outlive the commands.
void bindWindowCommands(LauncherCommands& commands, BrowserWindowManager& manager);

}  // namespace quenlith
