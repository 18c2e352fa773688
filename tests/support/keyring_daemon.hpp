#pragma once

#include <memory>
#include <string>

#include "support/background_process.hpp"

namespace quenlith::test {

// A gnome-keyring daemon (Secret Service only) on the current D-Bus session bus, its keyrings in a
// temporary folder, its "login" collection created and unlocked with a test password and used as
// the default collection. Only one can own the Secret Service name on a bus: run keyring tests in
// a private bus (see runInChildProcess with privateBus).
class KeyringDaemon {
public:
    explicit KeyringDaemon(const std::string& password = "quenlith-test-keyring");
    ~KeyringDaemon();
    KeyringDaemon(const KeyringDaemon&) = delete;
    KeyringDaemon& operator=(const KeyringDaemon&) = delete;

    // Locks the default collection, as a screen lock would; unlocking needs a prompt.
    void lockDefaultCollection();
    // Ends the daemon: the bus then has no Secret Service.
    void stop();

private:
    TemporaryFolder folder_{"quenlith-keyring"};
    std::unique_ptr<BackgroundProcess> process_;
};

}  // namespace quenlith::test
