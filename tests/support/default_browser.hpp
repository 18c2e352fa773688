#pragma once

#include <string>
#include <vector>

#include <gio/gio.h>

namespace quenlith::test {

// The desktop's default web browser in the GUI test processes is the same on every machine: a
// stand-in registered for http and https in private XDG folders, which starts through the session
// bus. While no StandInBrowser exists, handing it an address fails (as on a desktop without a
// browser); while one exists, that object receives the addresses. No test starts a real browser.
//
// Registers the stand-in; the test main calls it before the toolkit reads the XDG folders.
void installStandInBrowser();

// The running stand-in: owns the stand-in's name on the session bus until it goes away.
class StandInBrowser {
public:
    StandInBrowser();
    ~StandInBrowser();
    StandInBrowser(const StandInBrowser&) = delete;
    StandInBrowser& operator=(const StandInBrowser&) = delete;

    // Whether it is ready for addresses (it owns its name on the bus).
    bool ready() const { return owned_; }
    // The addresses handed to it, oldest first.
    const std::vector<std::string>& addresses() const { return addresses_; }

private:
    GDBusConnection* bus_ = nullptr;
    unsigned registration_ = 0;
    unsigned owner_ = 0;
    bool owned_ = false;
    std::vector<std::string> addresses_;
};

}  // namespace quenlith::test
