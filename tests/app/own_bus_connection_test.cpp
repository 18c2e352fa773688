// A bus connection of our own goes when its last holder lets it go, and what it sent before still
// arrives, ahead of the news that its name went: a tray hears a click's reply before the item goes.
#include <string>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "app/own_bus_connection.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// What another client of the bus hears of one name: its signals, and its going.
struct Listener {
    int heard = 0;
    bool gone = false;
};

TEST(OwnBusConnectionTest, WhatItSentArrivesBeforeItsNameGoes) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_TRUE(bus);
    constexpr int kSignals = 20;
    // A close that went ahead of the messages queued before it lost them.
    for (int round = 0; round < 3; ++round) {
        OwnBusConnection own;
        bool opened = false;
        openOwnBusConnection("", [&](OwnBusConnection connection) {
            own = std::move(connection);
            opened = true;
        });
        ASSERT_TRUE(spinUntil([&] { return opened; }));
        ASSERT_TRUE(own);
        const std::string name = g_dbus_connection_get_unique_name(own.get());
        Listener listener;
        const guint said = g_dbus_connection_signal_subscribe(
            bus, name.c_str(), "com.quenlith.Test", "Said", "/test", nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
               gpointer data) { ++static_cast<Listener*>(data)->heard; },
            &listener, nullptr);
        const guint owner = g_dbus_connection_signal_subscribe(
            bus, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", "/org/freedesktop/DBus",
            name.c_str(), G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant*,
               gpointer data) { static_cast<Listener*>(data)->gone = true; },
            &listener, nullptr);
        // The bus has both rules once it answered a call sent after them.
        GVariant* answer = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                       "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                       G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        ASSERT_TRUE(answer);
        g_variant_unref(answer);

        for (int i = 0; i < kSignals; ++i)
            g_dbus_connection_emit_signal(own.get(), nullptr, "/test", "com.quenlith.Test", "Said", nullptr,
                                          nullptr);
        own.reset();
        EXPECT_TRUE(spinUntil([&] { return listener.gone; })) << "the name stays";
        EXPECT_EQ(listener.heard, kSignals) << "round " << round;
        g_dbus_connection_signal_unsubscribe(bus, said);
        g_dbus_connection_signal_unsubscribe(bus, owner);
    }
    g_object_unref(bus);
}

TEST(OwnBusConnectionTest, ABusNobodyListensAtGivesNone) {
    bool answered = false;
    OwnBusConnection own;
    openOwnBusConnection("unix:path=/nonexistent/quenlith-bus", [&](OwnBusConnection connection) {
        own = std::move(connection);
        answered = true;
    });
    ASSERT_TRUE(spinUntil([&] { return answered; }));
    EXPECT_FALSE(own);
}

}  // namespace
}  // namespace quenlith
