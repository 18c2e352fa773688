#include <cstdlib>
#include <optional>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "browser/page/download_manager.hpp"
#include "browser/page/external_launch.hpp"
#include "support/main_loop.hpp"

namespace quenlith {
namespace {

constexpr const char* kInterface = R"(<node>
  <interface name="org.freedesktop.FileManager1">
    <method name="ShowItems"><arg type="as" name="uris" direction="in"/><arg type="s" name="startup_id" direction="in"/></method>
  </interface>
</node>)";

// A file manager on the private session bus that records what it was asked to show.
class FakeFileManager {
public:
    explicit FakeFileManager(GDBusConnection* bus) : bus_(bus) {
        GDBusNodeInfo* node = g_dbus_node_info_new_for_xml(kInterface, nullptr);
        static const GDBusInterfaceVTable vtable = {
            [](GDBusConnection*, const char*, const char*, const char*, const char* method, GVariant* parameters,
               GDBusMethodInvocation* invocation, gpointer self) {
                if (g_strcmp0(method, "ShowItems") == 0) {
                    GVariantIter* uris = nullptr;
                    const char* startup = nullptr;
                    g_variant_get(parameters, "(as&s)", &uris, &startup);
                    const char* uri = nullptr;
                    while (g_variant_iter_next(uris, "&s", &uri)) static_cast<FakeFileManager*>(self)->shown.push_back(uri);
                    g_variant_iter_free(uris);
                }
                g_dbus_method_invocation_return_value(invocation, nullptr);
            },
            nullptr, nullptr, {}};
        registration_ = g_dbus_connection_register_object(bus_, "/org/freedesktop/FileManager1", node->interfaces[0],
                                                          &vtable, this, nullptr, nullptr);
        g_dbus_node_info_unref(node);
        owner_ = g_bus_own_name_on_connection(
            bus_, "org.freedesktop.FileManager1", G_BUS_NAME_OWNER_FLAGS_NONE,
            [](GDBusConnection*, const char*, gpointer self) { static_cast<FakeFileManager*>(self)->owned = true; },
            nullptr, this, nullptr);
    }
    ~FakeFileManager() {
        g_bus_unown_name(owner_);
        g_dbus_connection_unregister_object(bus_, registration_);
    }

    bool owned = false;
    std::vector<std::string> shown;

private:
    GDBusConnection* bus_;
    unsigned registration_ = 0;
    unsigned owner_ = 0;
};

TEST(ExternalLaunchTest, RevealSelectsTheFileInTheFileManagerElseOpensItsFolder) {
    if (!std::getenv("DBUS_SESSION_BUS_ADDRESS")) GTEST_SKIP() << "needs a private session bus";
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(bus, nullptr);
    std::vector<std::string> opened;
    auto open = [&](const std::string& uri) { opened.push_back(uri); };
    // No file manager on the bus: the folder goes to its default application.
    revealInFileManager("/tmp/saved files/report 1.pdf", open);
    ASSERT_TRUE(test::spinUntil([&] { return !opened.empty(); }));
    EXPECT_EQ(opened, std::vector<std::string>{"file:///tmp/saved%20files"});
    {
        FakeFileManager fileManager(bus);
        ASSERT_TRUE(test::spinUntil([&] { return fileManager.owned; }));
        revealInFileManager("/tmp/saved files/report 1.pdf", open);
        ASSERT_TRUE(test::spinUntil([&] { return !fileManager.shown.empty(); }));
        EXPECT_EQ(fileManager.shown, std::vector<std::string>{"file:///tmp/saved%20files/report%201.pdf"});
    }
    EXPECT_EQ(opened.size(), 1u);
    g_object_unref(bus);
}

TEST(ExternalLaunchTest, AnAddressNoApplicationTakesReportsItsFailureLater) {
    std::optional<std::string> reason;
    openWithDefaultApplication("quenlith-test-unhandled:thing", [&](const std::string& why) { reason = why; });
    EXPECT_FALSE(reason.has_value());  // never inside the call
    ASSERT_TRUE(test::spinUntil([&] { return reason.has_value(); }));
    EXPECT_FALSE(reason->empty());
}

}  // namespace
}  // namespace quenlith
