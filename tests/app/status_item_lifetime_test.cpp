// Tray items that go while work for them is in flight: one gone before its own bus connection
// opened, one gone on the click a tray sent to its menu, whose reply is still on its way. Neither
// touches itself afterwards, the click is answered, and neither leaves its bus name behind.
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <glibmm/main.h>
#include <gtest/gtest.h>
#include <gtkmm/menu.h>
#include <gtkmm/menuitem.h>

#include "app/status_notifier_item.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

using test::spinUntil;

// Every client of a private bus of the test's own, as it comes and goes.
class StatusItemLifetime : public testing::Test {
protected:
    void SetUp() override {
        daemon_ = std::make_unique<test::BackgroundProcess>(
            std::vector<std::string>{"dbus-daemon", "--nofork", "--print-address=1",
                                     std::string("--config-file=") + QUENLITH_TEST_BUS_CONFIG},
            folder_.file("bus.log"));
        std::string address;
        ASSERT_TRUE(spinUntil([&] { return (address = daemon_->output()).find('\n') != std::string::npos; }));
        address_ = address.substr(0, address.find('\n'));
        auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        bus_ = g_dbus_connection_new_for_address_sync(address_.c_str(), flags, nullptr, nullptr, nullptr);
        ASSERT_TRUE(bus_);
        subscription_ = g_dbus_connection_signal_subscribe(
            bus_, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged", "/org/freedesktop/DBus",
            nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char*, const char*, const char*, const char*, GVariant* parameters,
               gpointer self) {
                const char *name = nullptr, *oldOwner = nullptr, *newOwner = nullptr;
                g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
                auto& test = *static_cast<StatusItemLifetime*>(self);
                if (name[0] == ':') (*newOwner ? test.came_ : test.went_).insert(name);
            },
            this, nullptr);
        GVariant* answer = g_dbus_connection_call_sync(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                       "org.freedesktop.DBus", "GetId", nullptr, nullptr,
                                                       G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, nullptr);
        ASSERT_TRUE(answer) << "the bus has the rule once it answered a call sent after it";
        g_variant_unref(answer);
    }
    void TearDown() override {
        if (bus_) {
            g_dbus_connection_signal_unsubscribe(bus_, subscription_);
            g_object_unref(bus_);
        }
        daemon_.reset();
    }

    test::TemporaryFolder folder_;
    std::unique_ptr<test::BackgroundProcess> daemon_;
    std::string address_;
    GDBusConnection* bus_ = nullptr;
    guint subscription_ = 0;
    std::set<std::string> came_;
    std::set<std::string> went_;
};

TEST_F(StatusItemLifetime, ItemsGoneWhileTheirConnectionOpensOrTheirMenuAnswersLeaveNoNameBehind) {
    auto early =
        std::make_unique<StatusNotifierItem>(StatusNotifierItem::OwnName{address_, "/Early/Menu"}, "early");
    early.reset();

    auto late =
        std::make_unique<StatusNotifierItem>(StatusNotifierItem::OwnName{address_, "/Late/Menu"}, "late");
    Gtk::Menu menu;
    // Taken away as the application takes a website out of the tray: on the turn after the click.
    auto* remove = Gtk::manage(new Gtk::MenuItem("Remove from Tray"));
    remove->signal_activate().connect([&] { Glib::signal_idle().connect_once([&] { late.reset(); }); });
    menu.append(*remove);
    menu.show_all();
    late->setMenu(GTK_WIDGET(menu.gobj()));
    // The menu it names, once it can be reached there.
    auto menuPath = [&] {
        GVariant* value = g_variant_ref_sink(late->property("Menu"));
        std::string path = g_variant_get_string(value, nullptr);
        g_variant_unref(value);
        return path;
    };
    ASSERT_TRUE(spinUntil([&] { return menuPath() == "/Late/Menu"; }));
    const std::string name = late->busName();

    // The menu's one item, as a tray reads it at the item's own name, and a click on it.
    std::optional<std::string> answer;
    auto replied = [](GObject* source, GAsyncResult* result, gpointer data) {
        GError* error = nullptr;
        GVariant* value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
        auto& answer = *static_cast<std::optional<std::string>*>(data);
        answer = error ? std::string(error->message) : value ? g_variant_print(value, FALSE) : "";
        g_clear_error(&error);
        if (value) g_variant_unref(value);
    };
    // The menu library publishes the menu itself once it has its own bus: until then the item's name
    // answers that there is no menu yet, as a tray asking that early would hear.
    auto readLayout = [&] {
        answer.reset();
        g_dbus_connection_call(bus_, name.c_str(), "/Late/Menu", "com.canonical.dbusmenu", "GetLayout",
                               g_variant_new("(ii@as)", 0, 1, g_variant_new_strv(nullptr, 0)), nullptr,
                               G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, replied, &answer);
        return spinUntil([&] { return answer.has_value(); }) && answer->find("UnknownMethod") == std::string::npos;
    };
    ASSERT_TRUE(spinUntil(readLayout)) << answer.value_or("no answer");
    const std::size_t at = answer->find("'label': <'Remove from Tray'>");
    ASSERT_NE(at, std::string::npos) << *answer;
    const int id = std::stoi(answer->substr(answer->rfind("(", at) + 1));
    answer.reset();
    g_dbus_connection_call(bus_, name.c_str(), "/Late/Menu", "com.canonical.dbusmenu", "Event",
                           g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0u), nullptr,
                           G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, replied, &answer);
    ASSERT_TRUE(spinUntil([&] { return answer.has_value(); }));
    EXPECT_EQ(*answer, "()") << "the click is answered";
    EXPECT_TRUE(spinUntil([&] { return !late; })) << "the click took the item away";

    EXPECT_TRUE(spinUntil([&] { return came_.size() == 2 && went_ == came_; }))
        << came_.size() << " names came, " << went_.size() << " went";
    EXPECT_TRUE(came_.count(name));
}

}  // namespace
}  // namespace quenlith
