#include "app/dbusmenu_relay.hpp"

#include <memory>

#include "model/logging.hpp"

namespace quenlith {

namespace {

// A menu answers at once; a call it leaves unanswered keeps the connection no longer than this.
constexpr int kReplyTimeoutMs = 5000;

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="com.canonical.dbusmenu">
    <property name="Version" type="u" access="read"/>
    <property name="TextDirection" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="IconThemePath" type="as" access="read"/>
    <method name="GetLayout">
      <arg type="i" name="parentId" direction="in"/><arg type="i" name="recursionDepth" direction="in"/>
      <arg type="as" name="propertyNames" direction="in"/>
      <arg type="u" name="revision" direction="out"/><arg type="(ia{sv}av)" name="layout" direction="out"/>
    </method>
    <method name="GetGroupProperties">
      <arg type="ai" name="ids" direction="in"/><arg type="as" name="propertyNames" direction="in"/>
      <arg type="a(ia{sv})" name="properties" direction="out"/>
    </method>
    <method name="GetProperty">
      <arg type="i" name="id" direction="in"/><arg type="s" name="name" direction="in"/>
      <arg type="v" name="value" direction="out"/>
    </method>
    <method name="Event">
      <arg type="i" name="id" direction="in"/><arg type="s" name="eventId" direction="in"/>
      <arg type="v" name="data" direction="in"/><arg type="u" name="timestamp" direction="in"/>
    </method>
    <method name="EventGroup">
      <arg type="a(isvu)" name="events" direction="in"/><arg type="ai" name="idErrors" direction="out"/>
    </method>
    <method name="AboutToShow">
      <arg type="i" name="id" direction="in"/><arg type="b" name="needUpdate" direction="out"/>
    </method>
    <method name="AboutToShowGroup">
      <arg type="ai" name="ids" direction="in"/>
      <arg type="ai" name="updatesNeeded" direction="out"/><arg type="ai" name="idErrors" direction="out"/>
    </method>
    <signal name="ItemsPropertiesUpdated">
      <arg type="a(ia{sv})" name="updatedProps"/><arg type="a(ias)" name="removedProps"/>
    </signal>
    <signal name="LayoutUpdated"><arg type="u" name="revision"/><arg type="i" name="parent"/></signal>
    <signal name="ItemActivationRequested"><arg type="i" name="id"/><arg type="u" name="timestamp"/></signal>
  </interface>
</node>)xml";

GDBusInterfaceInfo* interfaceInfo() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    return node->interfaces[0];
}

void methodCall(GDBusConnection*, const char*, const char*, const char* interface, const char* method,
                GVariant* parameters, GDBusMethodInvocation* invocation, gpointer self) {
    static_cast<DbusmenuRelay*>(self)->call(interface, method, parameters, invocation);
}

// Without a property getter, property reads come to methodCall too and are passed on as they are.
const GDBusInterfaceVTable kVTable = {methodCall, nullptr, nullptr, {}};

struct Pending {
    GDBusMethodInvocation* invocation;
    OwnBusConnection connection;
};

void answered(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply) {
        g_dbus_method_invocation_return_value(pending->invocation, reply);
        g_variant_unref(reply);
        return;
    }
    // The menu's own error, by its own name.
    gchar* name = g_dbus_error_get_remote_error(error);
    g_dbus_error_strip_remote_error(error);
    if (name)
        g_dbus_method_invocation_return_dbus_error(pending->invocation, name, error->message);
    else
        g_dbus_method_invocation_return_gerror(pending->invocation, error);
    g_free(name);
    g_error_free(error);
}

}  // namespace

DbusmenuRelay::DbusmenuRelay(OwnBusConnection connection, GDBusConnection* menuConnection, std::string path)
    : connection_(std::move(connection)),
      menuConnection_(G_DBUS_CONNECTION(g_object_ref(menuConnection))),
      path_(std::move(path)) {
    GError* error = nullptr;
    registrationID_ = g_dbus_connection_register_object(connection_.get(), path_.c_str(), interfaceInfo(),
                                                        &kVTable, this, nullptr, &error);
    if (!registrationID_) {
        logError(LogCategory::lifecycle,
                 std::string("Status item menu not relayed: ") + (error ? error->message : ""));
        g_clear_error(&error);
        return;
    }
    // The menu's connection hears its own signals back from the bus: the menu's, and its changed
    // properties.
    subscriptionID_ = g_dbus_connection_signal_subscribe(
        menuConnection_, g_dbus_connection_get_unique_name(menuConnection_), nullptr, nullptr, path_.c_str(),
        nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
        [](GDBusConnection*, const char*, const char*, const char* interface, const char* member,
           GVariant* parameters,
           gpointer self) { static_cast<DbusmenuRelay*>(self)->repeat(interface, member, parameters); },
        this, nullptr);
}

DbusmenuRelay::~DbusmenuRelay() {
    if (subscriptionID_) g_dbus_connection_signal_unsubscribe(menuConnection_, subscriptionID_);
    if (registrationID_) g_dbus_connection_unregister_object(connection_.get(), registrationID_);
    g_object_unref(menuConnection_);
}

void DbusmenuRelay::call(const char* interface, const char* method, GVariant* parameters,
                         GDBusMethodInvocation* invocation) {
    g_dbus_connection_call(menuConnection_, g_dbus_connection_get_unique_name(menuConnection_), path_.c_str(),
                           interface, method, parameters, nullptr, G_DBUS_CALL_FLAGS_NONE, kReplyTimeoutMs,
                           nullptr, answered, new Pending{invocation, connection_});
}

void DbusmenuRelay::repeat(const char* interface, const char* member, GVariant* parameters) {
    g_dbus_connection_emit_signal(connection_.get(), nullptr, path_.c_str(), interface, member, parameters,
                                  nullptr);
}

}  // namespace quenlith
