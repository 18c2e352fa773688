// A Secret Service that has hung: it owns "org.freedesktop.secrets" on the session bus and drops
// every method call it receives, so callers wait for their own time-outs. Ends on SIGTERM.
//
//   silent_secret_service
//
// Prints "ready" once the name is owned; exits with status 1 when the name cannot be had.

#include <cstdio>

#include <gio/gio.h>
#include <glib-unix.h>

namespace {

// Runs on GDBus's worker thread: incoming calls are swallowed before anything could answer them.
GDBusMessage* dropMethodCalls(GDBusConnection*, GDBusMessage* message, gboolean incoming, gpointer) {
    if (incoming && g_dbus_message_get_message_type(message) == G_DBUS_MESSAGE_TYPE_METHOD_CALL) {
        g_object_unref(message);
        return nullptr;
    }
    return message;
}

struct State {
    GMainLoop* loop = nullptr;
    int status = 0;
};

}  // namespace

int main() {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        std::fprintf(stderr, "no session bus: %s\n", error->message);
        g_error_free(error);
        return 1;
    }
    g_dbus_connection_add_filter(bus, dropMethodCalls, nullptr, nullptr);

    State state;
    state.loop = g_main_loop_new(nullptr, FALSE);
    guint owner = g_bus_own_name_on_connection(
        bus, "org.freedesktop.secrets", G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
        [](GDBusConnection*, const gchar*, gpointer) {
            std::printf("ready\n");
            std::fflush(stdout);
        },
        [](GDBusConnection*, const gchar* name, gpointer data) {
            auto* state = static_cast<State*>(data);
            std::fprintf(stderr, "could not own %s\n", name);
            state->status = 1;
            g_main_loop_quit(state->loop);
        },
        &state, nullptr);
    auto quit = [](gpointer data) -> gboolean {
        g_main_loop_quit(static_cast<State*>(data)->loop);
        return G_SOURCE_REMOVE;
    };
    g_unix_signal_add(SIGTERM, quit, &state);
    g_unix_signal_add(SIGINT, quit, &state);
    g_main_loop_run(state.loop);

    g_bus_unown_name(owner);
    g_object_unref(bus);
    g_main_loop_unref(state.loop);
    return state.status;
}
