// The Secret Service store against a service that owns its bus name but has hung: every call
// gives up quickly with the "no Secret Service" failure rather than freezing the main thread for
// D-Bus's own time-out (25 s). Each test runs in a child process with a private D-Bus session.
#include "browser/engine/secret_store.hpp"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "browser/engine/proxy_passwords.hpp"
#include "model/uuid.hpp"
#include "support/background_process.hpp"
#include "support/child_process_test.hpp"
#include "support/keyring_daemon.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

using Clock = std::chrono::steady_clock;

// Well above the store's own limit (about 2 s), far below the 25 s a hung call would take.
constexpr auto kGenerousBound = std::chrono::seconds(5);
constexpr const char* kSecretsName = "org.freedesktop.secrets";

GDBusConnection* sessionBus() { return g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr); }

bool secretsNameOwned() {
    GDBusConnection* bus = sessionBus();
    GVariant* reply = g_dbus_connection_call_sync(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                  "org.freedesktop.DBus", "NameHasOwner",
                                                  g_variant_new("(s)", kSecretsName), G_VARIANT_TYPE("(b)"),
                                                  G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
    gboolean owned = FALSE;
    if (reply) {
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
    }
    g_object_unref(bus);
    return owned;
}

// The hung service of the tests, started on the current session bus.
class SilentSecretService {
public:
    SilentSecretService()
        : process_(std::make_unique<test::BackgroundProcess>(std::vector<std::string>{QUENLITH_SILENT_SECRET_SERVICE},
                                                             folder_.file("output.txt"))) {}
    ~SilentSecretService() { stop(); }

    bool waitUntilReady() {
        return test::spinUntil([&] { return !process_->running() || process_->output().find("ready") != std::string::npos; }) &&
               process_->running() && secretsNameOwned();
    }
    std::string output() const { return process_->output(); }
    void stop() {
        if (!process_) return;
        process_->stop();
        process_.reset();
        test::spinUntil([] { return !secretsNameOwned(); });
    }

private:
    test::TemporaryFolder folder_{"quenlith-silent-secrets"};
    std::unique_ptr<test::BackgroundProcess> process_;
};

struct StoreCall {
    const char* name;
    // Runs the call; returns the failure code it reported ("" for success), or nothing for a call
    // that reports no outcome.
    std::function<std::optional<std::string>()> run;
};

std::vector<StoreCall> storeCalls() {
    static const std::string account = Uuid::random().string();
    return {
        {"read", []() -> std::optional<std::string> {
             auto read = LibsecretStore(kProxyPasswordSchema).read(account);
             return read ? std::string() : read.error().code;
         }},
        {"add", []() -> std::optional<std::string> {
             auto added = LibsecretStore(kProxyPasswordSchema).add(account, "label", "secret");
             return added ? std::string() : added.error().code;
         }},
        {"remove", []() -> std::optional<std::string> {
             LibsecretStore(kProxyPasswordSchema).remove(account);
             return std::nullopt;
         }},
        {"readProxyPassword", []() -> std::optional<std::string> {
             auto read = readProxyPassword(account);
             if (read) return std::string();
             EXPECT_EQ(read.error().message,
                       "Proxy password could not be accessed in Keychain. Enter it again in Network settings.");
             return read.error().code.substr(read.error().code.find(':') + 1);
         }},
    };
}

TEST(SecretStoreTest, AServiceThatNeverAnswersFailsQuicklyAsUnavailable) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    SilentSecretService service;
    ASSERT_TRUE(service.waitUntilReady()) << service.output();

    // The service really is silent: a plain call to it runs into its time-out rather than an error.
    GDBusConnection* bus = sessionBus();
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus, kSecretsName, "/org/freedesktop/secrets",
                                                  "org.freedesktop.DBus.Properties", "GetAll",
                                                  g_variant_new("(s)", "org.freedesktop.Secret.Service"), nullptr,
                                                  G_DBUS_CALL_FLAGS_NO_AUTO_START, 300, nullptr, &error);
    EXPECT_EQ(reply, nullptr);
    EXPECT_TRUE(g_error_matches(error, G_IO_ERROR, G_IO_ERROR_TIMED_OUT)) << (error ? error->message : "");
    g_clear_error(&error);
    if (reply) g_variant_unref(reply);
    g_object_unref(bus);

    for (const auto& call : storeCalls()) {
        auto started = Clock::now();
        auto code = call.run();
        auto took = Clock::now() - started;
        EXPECT_LT(took, kGenerousBound) << call.name << " waited for the hung service";
        if (code) {
            EXPECT_EQ(*code, kSecretUnavailable) << call.name;
        }
    }
}

TEST(SecretStoreTest, AfterGivingUpOnAHungServiceTheNextServiceIsUsed) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    {
        SilentSecretService service;
        ASSERT_TRUE(service.waitUntilReady()) << service.output();
        auto read = readProxyPassword(Uuid::random().string());
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().code, std::string("keychain:") + kSecretUnavailable);
    }
    // Whatever the hung service would still send is dropped; a working one is found afresh.
    test::KeyringDaemon keyring;
    auto id = saveProxyPassword("after the hang");
    ASSERT_TRUE(id) << id.error().code;
    auto read = readProxyPassword(*id);
    ASSERT_TRUE(read) << read.error().code;
    EXPECT_EQ(*read, "after the hang");
    deleteProxyPassword(*id);
    EXPECT_FALSE(readProxyPassword(*id));
}

}  // namespace
}  // namespace quenlith
