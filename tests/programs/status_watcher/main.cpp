// A stand-in tray for the tests: owns org.kde.StatusNotifierWatcher on the session bus, accepts
// item registrations (a bus name or an object path of the caller), lists them in
// RegisteredStatusNotifierItems, and prints one line per registration ("registered <service>") so
// a test can follow along.
#include <cstdio>
#include <string>
#include <vector>

#include <gio/gio.h>

namespace {

constexpr const char* kXml = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
    <signal name="StatusNotifierHostRegistered"/>
  </interface>
</node>)";

std::vector<std::string> items;  // "<bus name><object path>"

void methodCall(GDBusConnection* connection, const char* sender, const char*, const char*, const char* method,
                GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    const char* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    if (std::string(method) == "RegisterStatusNotifierItem") {
        std::string item = service[0] == '/' ? std::string(sender) + service : std::string(service) + "/StatusNotifierItem";
        items.push_back(item);
        g_dbus_connection_emit_signal(connection, nullptr, "/StatusNotifierWatcher", "org.kde.StatusNotifierWatcher",
                                      "StatusNotifierItemRegistered", g_variant_new("(s)", item.c_str()), nullptr);
        std::printf("registered %s\n", item.c_str());
        std::fflush(stdout);
    }
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* getProperty(GDBusConnection*, const char*, const char*, const char*, const char* name, GError**, gpointer) {
    std::string property = name;
    if (property == "IsStatusNotifierHostRegistered") return g_variant_new_boolean(TRUE);
    if (property == "ProtocolVersion") return g_variant_new_int32(0);
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("as"));
    for (const auto& item : items) g_variant_builder_add(&builder, "s", item.c_str());
    return g_variant_builder_end(&builder);
}

const GDBusInterfaceVTable kVTable = {methodCall, getProperty, nullptr, {}};

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
