#include "app/status_notifier_item.hpp"

#include <memory>

#include <libdbusmenu-glib/server.h>
#include <libdbusmenu-gtk/parser.h>

#include "app/dbusmenu_relay.hpp"
#include "model/logging.hpp"

namespace quenlith {

namespace {

constexpr const char* kInterface = "org.kde.StatusNotifierItem";

constexpr const char* kIntrospection = R"xml(<node>
  <interface name="org.kde.StatusNotifierItem">
    <property name="Category" type="s" access="read"/>
    <property name="Id" type="s" access="read"/>
    <property name="Title" type="s" access="read"/>
    <property name="Status" type="s" access="read"/>
    <property name="WindowId" type="i" access="read"/>
    <property name="IconThemePath" type="s" access="read"/>
    <property name="IconName" type="s" access="read"/>
    <property name="IconPixmap" type="a(iiay)" access="read"/>
    <property name="OverlayIconName" type="s" access="read"/>
    <property name="OverlayIconPixmap" type="a(iiay)" access="read"/>
    <property name="AttentionIconName" type="s" access="read"/>
    <property name="AttentionIconPixmap" type="a(iiay)" access="read"/>
    <property name="ToolTip" type="(sa(iiay)ss)" access="read"/>
    <property name="ItemIsMenu" type="b" access="read"/>
    <property name="Menu" type="o" access="read"/>
    <method name="ContextMenu"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Activate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="SecondaryActivate"><arg name="x" type="i" direction="in"/><arg name="y" type="i" direction="in"/></method>
    <method name="Scroll"><arg name="delta" type="i" direction="in"/><arg name="orientation" type="s" direction="in"/></method>
    <signal name="NewTitle"/>
    <signal name="NewIcon"/>
    <signal name="NewAttentionIcon"/>
    <signal name="NewOverlayIcon"/>
    <signal name="NewToolTip"/>
    <signal name="NewStatus"><arg name="status" type="s"/></signal>
  </interface>
</node>)xml";

GDBusInterfaceInfo* interfaceInfo() {
    static GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    return node->interfaces[0];
}

GVariant* pixmapArray(const std::vector<StatusIconPixmap>& pixmaps) {
    GVariantBuilder builder;
    g_variant_builder_init(&builder, G_VARIANT_TYPE("a(iiay)"));
    for (const auto& pixmap : pixmaps) {
        GVariant* bytes = g_variant_new_fixed_array(G_VARIANT_TYPE_BYTE, pixmap.argb.data(), pixmap.argb.size(), 1);
        g_variant_builder_add(&builder, "(ii@ay)", pixmap.width, pixmap.height, bytes);
    }
    return g_variant_builder_end(&builder);
}

GVariant* getProperty(GDBusConnection*, const char*, const char*, const char*, const char* name, GError**,
                      gpointer self) {
    return static_cast<StatusNotifierItem*>(self)->property(name);
}

void methodCall(GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
                GDBusMethodInvocation* invocation, gpointer self) {
    static_cast<StatusNotifierItem*>(self)->call(method, parameters, invocation);
}

const GDBusInterfaceVTable kVTable = {methodCall, getProperty, nullptr, {}};

std::string menuPathFor(const std::string& objectPath) { return objectPath + "/Menu"; }

}  // namespace

StatusNotifierItem::StatusNotifierItem(GDBusConnection* connection, std::string id, std::string objectPath)
    : id_(std::move(id)), objectPath_(std::move(objectPath)), menuPath_(menuPathFor(objectPath_)),
      cancellable_(g_cancellable_new()), self_(std::make_shared<StatusNotifierItem*>(this)) {
    if (connection) exportOn(connection);
}

StatusNotifierItem::StatusNotifierItem(const OwnName& own, std::string id)
    : id_(std::move(id)), objectPath_(kMainPath), menuPath_(own.menuPath), cancellable_(g_cancellable_new()),
      ownName_(true), self_(std::make_shared<StatusNotifierItem*>(this)) {
    std::weak_ptr<StatusNotifierItem*> weak = self_;
    openOwnBusConnection(own.busAddress, [weak](OwnBusConnection connection) {
        if (auto self = weak.lock()) (*self)->ownConnectionOpened(std::move(connection));
    });
    g_bus_get(
        G_BUS_TYPE_SESSION, nullptr,
        [](GObject*, GAsyncResult* result, gpointer data) {
            std::unique_ptr<std::weak_ptr<StatusNotifierItem*>> weak(
                static_cast<std::weak_ptr<StatusNotifierItem*>*>(data));
            GDBusConnection* bus = g_bus_get_finish(result, nullptr);
            if (auto self = weak->lock())
                (*self)->menuBusFound(bus);
            else if (bus)
                g_object_unref(bus);
        },
        new std::weak_ptr<StatusNotifierItem*>(weak));
}

StatusNotifierItem::~StatusNotifierItem() {
    self_.reset();
    g_cancellable_cancel(cancellable_);
    g_object_unref(cancellable_);
    if (watchID_) g_bus_unwatch_name(watchID_);
    relay_.reset();
    if (registrationID_) g_dbus_connection_unregister_object(connection_, registrationID_);
    if (menuServer_) g_object_unref(menuServer_);
    if (menuBus_) g_object_unref(menuBus_);
    if (connection_) g_object_unref(connection_);
    // Closing the item's own connection is what takes it out of every tray.
    ownConnection_.reset();
}

std::string StatusNotifierItem::busName() const {
    const char* name = connection_ ? g_dbus_connection_get_unique_name(connection_) : nullptr;
    return name ? name : "";
}

void StatusNotifierItem::exportOn(GDBusConnection* connection) {
    connection_ = G_DBUS_CONNECTION(g_object_ref(connection));
    GError* error = nullptr;
    registrationID_ = g_dbus_connection_register_object(connection_, objectPath_.c_str(), interfaceInfo(), &kVTable,
                                                        this, nullptr, &error);
    if (!registrationID_) {
        logError(LogCategory::lifecycle, std::string("Status item not exported: ") + (error ? error->message : ""));
        g_clear_error(&error);
        return;
    }
    relayMenu();
    watchID_ = g_bus_watch_name_on_connection(
        connection_, kWatcherName, G_BUS_NAME_WATCHER_FLAGS_NONE,
        [](GDBusConnection*, const char*, const char* owner, gpointer self) {
            static_cast<StatusNotifierItem*>(self)->watcherAppeared(owner);
        },
        [](GDBusConnection*, const char*, gpointer self) { static_cast<StatusNotifierItem*>(self)->watcherVanished(); },
        this, nullptr);
}

void StatusNotifierItem::ownConnectionOpened(OwnBusConnection connection) {
    ownConnection_ = std::move(connection);
    exportWithOwnName();
}

void StatusNotifierItem::menuBusFound(GDBusConnection* bus) {
    menuBus_ = bus;
    menuBusLookedUp_ = true;
    exportWithOwnName();
}

void StatusNotifierItem::exportWithOwnName() {
    if (ownConnection_ && menuBusLookedUp_ && !connection_) exportOn(ownConnection_.get());
}

void StatusNotifierItem::relayMenu() {
    if (!ownName_ || relay_ || !registrationID_ || !menuServer_ || !menuBus_) return;
    relay_ = std::make_unique<DbusmenuRelay>(ownConnection_, menuBus_, menuPath_);
}

void StatusNotifierItem::watcherAppeared(const char* owner) {
    watcherAvailable_ = true;
    // One registration per watcher: a watcher that is already ours, or being asked, is not asked again.
    if (owner == registeredOwner_ || owner == pendingOwner_) return;
    pendingOwner_ = owner;
    ++registrationCount_;
    struct Pending {
        StatusNotifierItem* item;
        std::string owner;
    };
    // By name for an item of its own name (the tray then finds it at kMainPath), else by path.
    const std::string registeredAs = ownName_ ? busName() : objectPath_;
    g_dbus_connection_call(
        connection_, owner, "/StatusNotifierWatcher", kWatcherName, "RegisterStatusNotifierItem",
        g_variant_new("(s)", registeredAs.c_str()), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, cancellable_,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            std::unique_ptr<Pending> pending(static_cast<Pending*>(data));
            GError* error = nullptr;
            GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
            if (error && g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
                g_error_free(error);
                return;
            }
            StatusNotifierItem* item = pending->item;
            if (item->pendingOwner_ == pending->owner) item->pendingOwner_.clear();
            if (reply) {
                g_variant_unref(reply);
                item->registeredOwner_ = pending->owner;
            } else {
                logError(LogCategory::lifecycle,
                         std::string("Status item not registered: ") + (error ? error->message : ""));
            }
            g_clear_error(&error);
        },
        new Pending{this, owner});
    if (onWatcherChanged_) onWatcherChanged_(true);
}

void StatusNotifierItem::watcherVanished() {
    bool was = watcherAvailable_;
    watcherAvailable_ = false;
    registeredOwner_.clear();
    pendingOwner_.clear();
    if (onWatcherChanged_ && (was || registrationCount_ == 0)) onWatcherChanged_(false);
}

GVariant* StatusNotifierItem::property(const char* name) {
    const std::string key = name;
    if (key == "Category") return g_variant_new_string("ApplicationStatus");
    if (key == "Id") return g_variant_new_string(id_.c_str());
    if (key == "Title") return g_variant_new_string(appearance_.title.c_str());
    if (key == "Status") return g_variant_new_string("Active");
    if (key == "WindowId") return g_variant_new_int32(0);
    if (key == "IconThemePath") return g_variant_new_string(appearance_.iconThemePath.c_str());
    if (key == "OverlayIconName" || key == "AttentionIconName") return g_variant_new_string("");
    if (key == "IconName") return g_variant_new_string(appearance_.pixmaps.empty() ? appearance_.iconName.c_str() : "");
    if (key == "IconPixmap") return pixmapArray(appearance_.pixmaps);
    if (key == "OverlayIconPixmap" || key == "AttentionIconPixmap") return pixmapArray({});
    if (key == "ToolTip") {
        // Trays read the body as markup; names and titles are shown as typed.
        gchar* body = g_markup_escape_text(appearance_.toolTip.c_str(), -1);
        GVariant* value = g_variant_new("(s@a(iiay)ss)", "", pixmapArray({}), appearance_.title.c_str(), body);
        g_free(body);
        return value;
    }
    if (key == "ItemIsMenu") return g_variant_new_boolean(FALSE);
    const bool hasMenu = menuServer_ && (!ownName_ || (relay_ && relay_->exported()));
    if (key == "Menu") return g_variant_new_object_path(hasMenu ? menuPath_.c_str() : "/NO_DBUSMENU");
    return nullptr;
}

void StatusNotifierItem::call(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation) {
    const std::string name = method;
    g_dbus_method_invocation_return_value(invocation, nullptr);
    if (name != "Activate" && name != "SecondaryActivate") return;
    int x = 0, y = 0;
    g_variant_get(parameters, "(ii)", &x, &y);
    // The reply is already sent: the handler may take its time or remove this item.
    if (onActivate_) onActivate_(x, y);
}

void StatusNotifierItem::emit(const char* signal) {
    if (!registrationID_) return;
    g_dbus_connection_emit_signal(connection_, nullptr, objectPath_.c_str(), kInterface, signal, nullptr, nullptr);
}

void StatusNotifierItem::setAppearance(const StatusItemAppearance& appearance) {
    if (appearance == appearance_) return;
    bool newTitle = appearance.title != appearance_.title;
    bool newIcon = appearance.iconName != appearance_.iconName || !(appearance.pixmaps == appearance_.pixmaps);
    bool newToolTip = appearance.toolTip != appearance_.toolTip || newTitle;
    appearance_ = appearance;
    if (newTitle) emit("NewTitle");
    if (newIcon) emit("NewIcon");
    if (newToolTip) emit("NewToolTip");
}

void StatusNotifierItem::setMenu(GtkWidget* menu) {
    // An item of its own name takes its menu before its connection is open.
    if (!registrationID_ && !ownName_) return;
    if (!menuServer_) menuServer_ = dbusmenu_server_new(menuPath_.c_str());
    DbusmenuMenuitem* root = dbusmenu_gtk_parse_menu_structure(menu);
    dbusmenu_server_set_root(menuServer_, root);
    if (root) g_object_unref(root);
    relayMenu();
}

}  // namespace quenlith
