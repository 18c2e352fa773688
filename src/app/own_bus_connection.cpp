#include "app/own_bus_connection.hpp"

#include "model/logging.hpp"

namespace quenlith {

namespace {

struct Opening {
    std::string address;
    std::function<void(OwnBusConnection)> onOpened;
};

OwnBusConnection held(GDBusConnection* connection) {
    return OwnBusConnection(connection, [](GDBusConnection* owned) {
        // A close goes before messages still queued: what was sent (a reply to the click that took
        // the item away) is written out first. The bus then tells everyone the name went.
        g_dbus_connection_flush(
            owned, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer) {
                auto* flushed = G_DBUS_CONNECTION(source);
                g_dbus_connection_flush_finish(flushed, result, nullptr);
                g_dbus_connection_close(flushed, nullptr, nullptr, nullptr);
                g_object_unref(flushed);
            },
            nullptr);
    });
}

void open(GTask* task, gpointer, gpointer data, GCancellable*) {
    const auto* opening = static_cast<const Opening*>(data);
    GError* error = nullptr;
    gchar* address = opening->address.empty()
                         ? g_dbus_address_get_for_bus_sync(G_BUS_TYPE_SESSION, nullptr, &error)
                         : g_strdup(opening->address.c_str());
    GDBusConnection* connection = nullptr;
    if (address) {
        auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        connection = g_dbus_connection_new_for_address_sync(address, flags, nullptr, nullptr, &error);
        g_free(address);
    }
    if (connection)
        g_task_return_pointer(task, connection, g_object_unref);
    else
        g_task_return_error(task, error);
}

void opened(GObject*, GAsyncResult* result, gpointer) {
    auto* opening = static_cast<Opening*>(g_task_get_task_data(G_TASK(result)));
    GError* error = nullptr;
    auto* connection = static_cast<GDBusConnection*>(g_task_propagate_pointer(G_TASK(result), &error));
    if (!connection) {
        logError(LogCategory::lifecycle,
                 std::string("No bus connection of our own: ") + (error ? error->message : ""));
        g_clear_error(&error);
    }
    // Taken out first: the task, and what it holds, may be let go on the worker thread.
    auto onOpened = std::move(opening->onOpened);
    onOpened(connection ? held(connection) : nullptr);
}

}  // namespace

void openOwnBusConnection(const std::string& address, std::function<void(OwnBusConnection)> onOpened) {
    GTask* task = g_task_new(nullptr, nullptr, opened, nullptr);
    g_task_set_task_data(task, new Opening{address, std::move(onOpened)},
                         [](gpointer data) { delete static_cast<Opening*>(data); });
    g_task_run_in_thread(task, open);
    g_object_unref(task);
}

}  // namespace quenlith
