#pragma once

// The application's graph with its tray: a private bus of the test's own, the stand-in tray on it,
// and calls made to the items as the tray makes them.

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <gtkmm/menubutton.h>

#include "app/app_fixture.hpp"
#include "app/status_bar_controller.hpp"
#include "launcher/launcher_window.hpp"
#include "launcher/menu_bar_view.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith::test {

// Calls a method of one of our items over the bus, by the name and path the tray has it by.
inline void callItem(GDBusConnection* bus, const StatusNotifierItem& item, const char* method, GVariant* arguments) {
    g_dbus_connection_call(bus, item.busName().c_str(), item.objectPath().c_str(), "org.kde.StatusNotifierItem",
                           method, arguments, nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr, nullptr);
}

// A property of one of our items, read over the bus (asynchronously: the item answers on this loop).
inline std::string itemProperty(GDBusConnection* bus, const StatusNotifierItem& item, const char* name) {
    std::optional<std::string> reply;
    g_dbus_connection_call(
        bus, item.busName().c_str(), item.objectPath().c_str(), "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.kde.StatusNotifierItem", name), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            GVariant* value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            gchar* text = value ? g_variant_print(value, FALSE) : nullptr;
            *static_cast<std::optional<std::string>*>(data) = text ? text : "";
            g_free(text);
            if (value) g_variant_unref(value);
        },
        &reply);
    spinUntil([&] { return reply.has_value(); });
    return reply.value_or("");
}

// The items the stand-in tray lists ("<bus name><object path>"), in its order.
inline std::vector<std::string> trayItems(GDBusConnection* bus) {
    std::optional<std::vector<std::string>> listed;
    g_dbus_connection_call(
        bus, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher", "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", "org.kde.StatusNotifierWatcher", "RegisteredStatusNotifierItems"),
        G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer data) {
            auto& listed = *static_cast<std::optional<std::vector<std::string>>*>(data);
            listed.emplace();
            GVariant* value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
            if (!value) return;
            GVariant* items = nullptr;
            g_variant_get(value, "(v)", &items);
            GVariantIter iter;
            g_variant_iter_init(&iter, items);
            const gchar* item = nullptr;
            while (g_variant_iter_next(&iter, "&s", &item)) listed->push_back(item);
            g_variant_unref(items);
            g_variant_unref(value);
        },
        &listed);
    spinUntil([&] { return listed.has_value(); });
    return listed.value_or(std::vector<std::string>{});
}

// The graph and the tray's launcher on top of it. Tray tests run on a bus of their own: tests
// running side by side would otherwise share one watcher name, and the test without a tray would
// see another test's.
class LauncherGuiTest : public AppFixture {
protected:
    void start(const std::vector<WebAppProfile>& websites, GDBusConnection* connection = nullptr) {
        saveWebsites(websites);
        environment = std::make_unique<AppEnvironment>(sessions);
        // The websites' items open connections of their own to the same bus.
        controller = std::make_unique<StatusBarController>(*environment, connection, connection ? busAddress : "");
    }
    GDBusConnection* privateBus() {
        daemon = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{"dbus-daemon", "--nofork", "--print-address=1",
                                     std::string("--config-file=") + QUENLITH_TEST_BUS_CONFIG},
            folder.file("bus.log"));
        std::string address;
        spinUntil([&] { return (address = daemon->output()).find('\n') != std::string::npos; });
        busAddress = address.substr(0, address.find('\n'));
        auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        bus = g_dbus_connection_new_for_address_sync(busAddress.c_str(), flags, nullptr, nullptr, nullptr);
        return bus;
    }
    void startWatcher() {
        watcher = std::make_unique<BackgroundProcess>(
            std::vector<std::string>{QUENLITH_STATUS_WATCHER}, folder.file("watcher.log"),
            std::map<std::string, std::string>{{"DBUS_SESSION_BUS_ADDRESS", busAddress}});
        ASSERT_TRUE(spinUntil([&] { return watcher->output().find("watching") != std::string::npos; }));
    }
    // The launcher as the application builds it: every optional button there, and a menu button
    // in the header.
    LauncherWindow& startWithEveryButton() {
        start({website("Local Page", "/local")});
        for (auto command :
             {&LauncherCommands::onLibrary, &LauncherCommands::onSettings, &LauncherCommands::onQuickOpen})
            controller->commands().*command = [] {};
        LauncherWindow& launcher = controller->launcher();
        auto* menuButton = Gtk::manage(new Gtk::MenuButton());
        menuButton->set_image_from_icon_name("open-menu-symbolic");
        launcher.view().addMenuButton(*menuButton);
        menuButton->show();
        return launcher;
    }
    void TearDown() override {
        if (controller) controller->teardown();
        controller.reset();
        AppFixture::TearDown();
        watcher.reset();
        if (bus) g_object_unref(bus);
        daemon.reset();
    }
    TemporaryFolder folder;
    std::unique_ptr<BackgroundProcess> daemon;
    std::unique_ptr<BackgroundProcess> watcher;
    std::string busAddress;
    GDBusConnection* bus = nullptr;
    std::unique_ptr<StatusBarController> controller;
};

}  // namespace quenlith::test
