// A stand-in tray for the tests: owns org.kde.StatusNotifierWatcher on the session bus, accepts
// item registrations (a bus name or an object path of the caller), the one call the application
// makes of it, and prints one line per registration ("registered <service>") so a test can follow
// along.
#include <cstdio>
#include <string>

#include <gio/gio.h>

namespace {

constexpr const char* kXml = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
  </interface>
</node>)";

void methodCall(GDBusConnection*, const char* sender, const char*, const char*, const char*, GVariant* parameters,
                GDBusMethodInvocation* invocation, gpointer) {
    const char* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    std::string item = service[0] == '/' ? std::string(sender) + service : std::string(service) + "/StatusNotifierItem";
    std::printf("registered %s\n", item.c_str());
    std::fflush(stdout);
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

const GDBusInterfaceVTable kVTable = {methodCall, nullptr, nullptr, {}};

}  // namespace

int main() {
    GError* error = nullptr;
    GDBusConnection* connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!connection) {
        std::fprintf(stderr, "no session bus: %s\n", error->message);
        return 1;
    }
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kXml, nullptr);
    g_dbus_connection_register_object(connection, "/StatusNotifierWatcher", node->interfaces[0], &kVTable,
                                      nullptr, nullptr, nullptr);
    g_bus_own_name_on_connection(
        connection, "org.kde.StatusNotifierWatcher", G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const char*, gpointer) {
            std::printf("watching\n");
            std::fflush(stdout);
        },
        nullptr, nullptr, nullptr);
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
