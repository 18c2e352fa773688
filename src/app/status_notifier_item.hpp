#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gio/gio.h>

#include "app/own_bus_connection.hpp"

typedef struct _DbusmenuServer DbusmenuServer;
typedef struct _GtkWidget GtkWidget;

namespace quenlith {

// One picture of an item's icon: ARGB32 pixels in network byte order, as the tray reads them.
struct StatusIconPixmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> argb;
    bool operator==(const StatusIconPixmap&) const = default;
};

// What the tray shows of an item.
struct StatusItemAppearance {
    std::string title;
    std::string iconName;                   // a themed icon, used when there are no pixmaps
    std::string iconThemePath;              // a folder the tray also looks in for iconName
    std::vector<StatusIconPixmap> pixmaps;  // drawn pictures, preferred by the tray
    std::string toolTip;
    bool operator==(const StatusItemAppearance&) const = default;
};

class DbusmenuRelay;

// An item in the desktop's tray: the org.kde.StatusNotifierItem interface on a connection of ours,
// registered with org.kde.StatusNotifierWatcher whenever a watcher appears (once per watcher), with
// its menu exported through dbusmenu. Main thread only.
class StatusNotifierItem {
public:
    // The object path of the application's own item.
    static constexpr const char* kMainPath = "/StatusNotifierItem";
    static constexpr const char* kWatcherName = "org.kde.StatusNotifierWatcher";

    // The application's own item: on `connection` at `objectPath`, registered by that path, so it
    // stays in the tray as long as the application is on the bus.
    StatusNotifierItem(GDBusConnection* connection, std::string id, std::string objectPath);
    // An item that can leave the tray: a tray forgets an item only when the bus name it was
    // registered from goes. It lives on a connection of its own to the bus at `busAddress` (the
    // session bus when empty), opened now, at kMainPath, and is registered by that connection's
    // name, which goes with the item. Its menu, exported at `menuPath` on the session bus, is shown
    // there too.
    struct OwnName {
        std::string busAddress;
        std::string menuPath;
    };
    StatusNotifierItem(const OwnName& own, std::string id);
    ~StatusNotifierItem();
    StatusNotifierItem(const StatusNotifierItem&) = delete;
    StatusNotifierItem& operator=(const StatusNotifierItem&) = delete;

    // A left click at the point (root coordinates; (0, 0) when the tray does not know it).
    void setOnActivate(std::function<void(int x, int y)> onActivate) { onActivate_ = std::move(onActivate); }
    // A watcher appeared (true) or went away (false).
    void setOnWatcherChanged(std::function<void(bool available)> onWatcherChanged) {
        onWatcherChanged_ = std::move(onWatcherChanged);
    }

    void setAppearance(const StatusItemAppearance& appearance);
    const StatusItemAppearance& appearance() const { return appearance_; }
    // Exports the menu (a GtkMenu, taken as it is now) as the item's context menu.
    void setMenu(GtkWidget* menu);

    const std::string& id() const { return id_; }
    const std::string& objectPath() const { return objectPath_; }
    const std::string& menuPath() const { return menuPath_; }
    // The bus name a tray reaches the item by ("" until its connection is open).
    std::string busName() const;
    bool exported() const { return registrationID_ != 0; }
    // Whether a watcher is on the bus, and whether it accepted this item.
    bool watcherAvailable() const { return watcherAvailable_; }
    bool registered() const { return !registeredOwner_.empty(); }
    // Number of registration calls made (one per watcher that appeared).
    int registrationCount() const { return registrationCount_; }

    // Part of the D-Bus vtable; not for callers.
    GVariant* property(const char* name);
    void call(const char* method, GVariant* parameters, GDBusMethodInvocation* invocation);
    void watcherAppeared(const char* owner);
    void watcherVanished();

private:
    void exportOn(GDBusConnection* connection);
    // An item of its own name is exported once its connection is open and the session bus, where
    // its menu is, was looked up.
    void ownConnectionOpened(OwnBusConnection connection);
    void menuBusFound(GDBusConnection* bus);
    void exportWithOwnName();
    void relayMenu();
    void emit(const char* signal);

    std::function<void(int x, int y)> onActivate_;
    std::function<void(bool available)> onWatcherChanged_;
    GDBusConnection* connection_ = nullptr;
    std::string id_;
    std::string objectPath_;
    std::string menuPath_;
    StatusItemAppearance appearance_;
    unsigned registrationID_ = 0;
    unsigned watchID_ = 0;
    bool watcherAvailable_ = false;
    std::string registeredOwner_;
    std::string pendingOwner_;
    int registrationCount_ = 0;
    DbusmenuServer* menuServer_ = nullptr;
    GCancellable* cancellable_ = nullptr;
    bool ownName_ = false;
    OwnBusConnection ownConnection_;
    GDBusConnection* menuBus_ = nullptr;
    bool menuBusLookedUp_ = false;
    std::unique_ptr<DbusmenuRelay> relay_;
    std::shared_ptr<StatusNotifierItem*> self_;
};

}  // namespace quenlith
