#include "support/keyring_daemon.hpp"

#include <filesystem>
#include <stdexcept>

#include <gio/gio.h>

#include "support/main_loop.hpp"

namespace quenlith::test {

namespace {
constexpr const char* kSecretsName = "org.freedesktop.secrets";
constexpr const char* kSecretsPath = "/org/freedesktop/secrets";
constexpr const char* kServiceInterface = "org.freedesktop.Secret.Service";

GDBusConnection* sessionBus() {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error("no D-Bus session bus: " + message);
    }
    return bus;
}

// Calls a method and returns its reply; throws on failure.
GVariant* call(GDBusConnection* bus, const char* destination, const char* path, const char* interface,
               const char* method, GVariant* parameters) {
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, destination, path, interface, method, parameters, nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, 5000, nullptr, &error);
    if (!reply) {
        std::string message = error->message;
        g_error_free(error);
        throw std::runtime_error(std::string(method) + " failed: " + message);
    }
    return reply;
}

bool secretServiceRunning(GDBusConnection* bus) {
    GVariant* reply = call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                           "NameHasOwner", g_variant_new("(s)", kSecretsName));
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

std::string defaultCollectionPath(GDBusConnection* bus) {
    GVariant* reply = call(bus, kSecretsName, kSecretsPath, kServiceInterface, "ReadAlias", g_variant_new("(s)", "default"));
    const char* path = nullptr;
    g_variant_get(reply, "(&o)", &path);
    std::string result = path;
    g_variant_unref(reply);
    return result;
}
}  // namespace

KeyringDaemon::KeyringDaemon(const std::string& password) {
    GDBusConnection* bus = sessionBus();
    if (secretServiceRunning(bus)) {
        g_object_unref(bus);
        throw std::runtime_error("a Secret Service already runs on this bus");
    }
    std::filesystem::create_directories(folder_.file("data"));
    std::filesystem::create_directories(folder_.file("runtime"));
    std::filesystem::permissions(folder_.file("runtime"), std::filesystem::perms::owner_all);
    process_ = std::make_unique<BackgroundProcess>(
        std::vector<std::string>{"gnome-keyring-daemon", "--foreground", "--unlock", "--components=secrets"},
        folder_.file("output.txt"),
        std::map<std::string, std::string>{{"XDG_DATA_HOME", folder_.file("data")},
                                           {"XDG_RUNTIME_DIR", folder_.file("runtime")},
                                           {"HOME", folder_.path()}},
        password);
    bool up = spinUntil([&] { return !process_->running() || secretServiceRunning(bus); });
    std::string collection = up && process_->running() ? defaultCollectionPath(bus) : std::string();
    g_object_unref(bus);
    if (!up || !process_->running()) throw std::runtime_error("gnome-keyring-daemon did not start: " + process_->output());
    // "--unlock" creates the login collection with the password; items go to the default alias.
    if (collection.empty() || collection == "/")
        throw std::runtime_error("the keyring has no default collection: " + process_->output());
}

KeyringDaemon::~KeyringDaemon() { stop(); }

void KeyringDaemon::lockDefaultCollection() {
    GDBusConnection* bus = sessionBus();
    std::string collection = defaultCollectionPath(bus);
    const char* paths[] = {collection.c_str(), nullptr};
    GVariant* reply = call(bus, kSecretsName, kSecretsPath, kServiceInterface, "Lock",
                           g_variant_new("(^ao)", paths));
    g_variant_unref(reply);
    g_object_unref(bus);
}

void KeyringDaemon::stop() {
    if (!process_) return;
    process_->stop();
    // The name leaves the bus with the daemon's connection.
    GDBusConnection* bus = sessionBus();
    spinUntil([&] { return !secretServiceRunning(bus); }, std::chrono::seconds(5));
    g_object_unref(bus);
    process_.reset();
}

}  // namespace quenlith::test
