#pragma once

#include <string>

#include <gio/gio.h>

#include "app/own_bus_connection.hpp"

namespace quenlith {

// A menu libdbusmenu exports (always on the shared session connection) shown on another connection
// at the same path: each call is passed on to the menu and answered with its reply, and each of its
// signals is sent again. A call under way keeps the connection open until it is answered, so a
// click that removes the item still gets its reply. Main thread only.
class DbusmenuRelay {
public:
    DbusmenuRelay(OwnBusConnection connection, GDBusConnection* menuConnection, std::string path);
    ~DbusmenuRelay();
    DbusmenuRelay(const DbusmenuRelay&) = delete;
    DbusmenuRelay& operator=(const DbusmenuRelay&) = delete;

    bool exported() const { return registrationID_ != 0; }

    // Part of the D-Bus vtable and subscription; not for callers.
    void call(const char* interface, const char* method, GVariant* parameters,
              GDBusMethodInvocation* invocation);
    void repeat(const char* interface, const char* member, GVariant* parameters);

private:
    OwnBusConnection connection_;
    GDBusConnection* menuConnection_;
    std::string path_;
    unsigned registrationID_ = 0;
    unsigned subscriptionID_ = 0;
};

}  // namespace quenlith
