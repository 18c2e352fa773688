#include "support/default_browser.hpp"

#include <cstdlib>
#include <memory>

#include <glib.h>

#include "support/temp_environment.hpp"

namespace quenlith::test {

namespace {

// A D-Bus activatable application: the desktop starts it by calling Open on this name, and the
// private test bus activates nothing, so only a StandInBrowser can answer.
constexpr const char* kBusName = "com.quenlith.TestBrowser";
constexpr const char* kObjectPath = "/com/quenlith/TestBrowser";
constexpr const char* kInterface = R"(<node>
  <interface name="org.freedesktop.Application">
    <method name="Activate"><arg type="a{sv}" direction="in"/></method>
    <method name="Open"><arg type="as" direction="in"/><arg type="a{sv}" direction="in"/></method>
    <method name="ActivateAction">
      <arg type="s" direction="in"/><arg type="av" direction="in"/><arg type="a{sv}" direction="in"/>
    </method>
  </interface>
</node>)";

// Puts `folder` in front of the search path in `variable`, keeping the desktop's default after it.
void prependSearchFolder(const char* variable, const std::string& folder, const char* fallback) {
    const char* current = std::getenv(variable);
    const std::string rest = current && *current ? current : fallback;
    g_setenv(variable, (folder + ":" + rest).c_str(), TRUE);
}

}  // namespace

void installStandInBrowser() {
    // Removed when the test process ends.
    static TemporaryFolder folder("quenlith-desktop");
    writeFile(folder.file("share/applications/" + std::string(kBusName) + ".desktop"),
              "[Desktop Entry]\nType=Application\nName=Test Browser\nNoDisplay=true\nDBusActivatable=true\n"
              "MimeType=x-scheme-handler/http;x-scheme-handler/https;\n");
    // The configuration folders outrank every data folder's choice of default.
    writeFile(folder.file("config/mimeapps.list"),
              "[Default Applications]\nx-scheme-handler/http=" + std::string(kBusName) +
                  ".desktop\nx-scheme-handler/https=" + kBusName + ".desktop\n");
    prependSearchFolder("XDG_DATA_DIRS", folder.file("share"), "/usr/local/share/:/usr/share/");
    prependSearchFolder("XDG_CONFIG_DIRS", folder.file("config"), "/etc/xdg");
}

StandInBrowser::StandInBrowser() {
    bus_ = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (!bus_) return;
    GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
    static const GDBusInterfaceVTable vtable = {
        [](GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
           GDBusMethodInvocation* invocation, gpointer self) {
            if (g_strcmp0(method, "Open") == 0) {
                g_autoptr(GVariant) uris = g_variant_get_child_value(parameters, 0);
                gsize count = 0;
                g_autofree const char** list = g_variant_get_strv(uris, &count);
                for (gsize i = 0; i < count; ++i)
                    static_cast<StandInBrowser*>(self)->addresses_.push_back(list[i]);
            }
            g_dbus_method_invocation_return_value(invocation, nullptr);
        },
        nullptr,
        nullptr,
        {}};
    registration_ = g_dbus_connection_register_object(bus_, kObjectPath, node->interfaces[0], &vtable, this,
                                                      nullptr, nullptr);
    g_dbus_node_info_unref(node);
    owner_ = g_bus_own_name_on_connection(
        bus_, kBusName, G_BUS_NAME_OWNER_FLAGS_NONE,
        [](GDBusConnection*, const char*, gpointer self) {
            static_cast<StandInBrowser*>(self)->owned_ = true;
        },
        nullptr, this, nullptr);
}

StandInBrowser::~StandInBrowser() {
    if (!bus_) return;
    g_bus_unown_name(owner_);
    g_dbus_connection_unregister_object(bus_, registration_);
    g_object_unref(bus_);
}

}  // namespace quenlith::test
