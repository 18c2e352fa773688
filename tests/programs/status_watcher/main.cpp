// A stand-in tray for the tests: owns org.kde.StatusNotifierWatcher on the session bus, accepts
// item registrations (a bus name or an object path of the caller) and keeps them as the desktops'
// watchers do: an item stays listed until the bus name it was registered from goes. It lists them
// in RegisteredStatusNotifierItems and prints one line per change ("registered <item>", "dropped
// <item>") so a test can follow along.
#include <cstdio>
#include <map>
#include <string>

#include <gio/gio.h>

namespace {

constexpr const char* kPath = "/StatusNotifierWatcher";
constexpr const char* kInterface = "org.kde.StatusNotifierWatcher";

constexpr const char* kXml = R"(<node>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg name="service" type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <signal name="StatusNotifierItemRegistered"><arg type="s"/></signal>
    <signal name="StatusNotifierItemUnregistered"><arg type="s"/></signal>
  </interface>
</node>)";

// Each item ("<bus name><object path>") and the bus name it lives by.
std::map<std::string, std::string> items;

void changed(GDBusConnection* connection, const char* what, const char* signal, const std::string& item) {
    std::printf("%s %s\n", what, item.c_str());
    std::fflush(stdout);
    g_dbus_connection_emit_signal(connection, nullptr, kPath, kInterface, signal,
                                  g_variant_new("(s)", item.c_str()), nullptr);
}

void methodCall(GDBusConnection* connection, const char* sender, const char*, const char*, const char*,
                GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    const char* service = nullptr;
    g_variant_get(parameters, "(&s)", &service);
    const std::string name = service[0] == '/' ? sender : service;
    const std::string item = service[0] == '/' ? name + service : name + "/StatusNotifierItem";
    items[item] = name;
    changed(connection, "registered", "StatusNotifierItemRegistered", item);
    g_dbus_method_invocation_return_value(invocation, nullptr);
}

GVariant* getProperty(GDBusConnection*, const char*, const char*, const char*, const char*, GError**,
                      gpointer) {
    GVariantBuilder listed;
    g_variant_builder_init(&listed, G_VARIANT_TYPE("as"));
    for (const auto& [item, name] : items) g_variant_builder_add(&listed, "s", item.c_str());
    return g_variant_builder_end(&listed);
}

// A bus name gone takes its items with it; an object removed from a connection that stays does not.
void nameOwnerChanged(GDBusConnection* connection, const char*, const char*, const char*, const char*,
                      GVariant* parameters, gpointer) {
    const char *name = nullptr, *newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, nullptr, &newOwner);
    if (*newOwner) return;
    for (auto it = items.begin(); it != items.end();) {
        if (it->second != name) {
            ++it;
            continue;
        }
        const std::string item = it->first;
        it = items.erase(it);
        changed(connection, "dropped", "StatusNotifierItemUnregistered", item);
    }
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
    g_dbus_connection_register_object(connection, kPath, node->interfaces[0], &kVTable, nullptr, nullptr,
                                      nullptr);
    g_dbus_connection_signal_subscribe(connection, "org.freedesktop.DBus", "org.freedesktop.DBus",
                                       "NameOwnerChanged", "/org/freedesktop/DBus", nullptr,
                                       G_DBUS_SIGNAL_FLAGS_NONE, nameOwnerChanged, nullptr, nullptr);
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
