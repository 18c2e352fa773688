// The websites' tray menus as a tray host reads and uses them over the bus: a click on an item id
// read earlier is obeyed while a page keeps changing, a change reaches only the item it concerns,
// and what a menu shows follows the website with the ids the host read.
#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include <gio/gio.h>
#include <sigc++/connection.h>

#include "app/status_website_item.hpp"
#include "app/website_editor_presenter.hpp"
#include "editor/web_app_editor_window.hpp"
#include "launcher/gui/launcher_fixture.hpp"
#include "windows/runtime_publisher.hpp"

namespace quenlith {
namespace {

using test::callItem;
using test::spinUntil;

constexpr const char* kMenuInterface = "com.canonical.dbusmenu";

// One item of a menu's top level, as a tray host holds it.
struct HostEntry {
    int id = 0;
    std::string label;
    bool enabled = true;
    bool operator==(const HostEntry&) const = default;
};

void PrintTo(const HostEntry& entry, std::ostream* out) {
    *out << entry.id << " '" << entry.label << "'" << (entry.enabled ? "" : " (off)");
}

// An item as a tray host holds it: the bus name it was registered from, the item's path there and
// its menu's path there.
struct HostedItem {
    std::string owner;
    std::string path;
    std::string menu;
};

// A tray host as the panels are: reaches each item and its menu by the bus name the item was
// registered from, reads a menu's layout, shows it, applies the item properties the application
// sends afterwards, and clicks items by the ids it read. It also counts every signal of the menus
// and items it follows.
class TrayHost {
public:
    explicit TrayHost(const std::string& busAddress) : bus_(connect(busAddress)) {}
    ~TrayHost() {
        for (guint id : subscriptions_) g_dbus_connection_signal_unsubscribe(bus_, id);
        g_object_unref(bus_);
    }
    TrayHost(const TrayHost&) = delete;
    TrayHost& operator=(const TrayHost&) = delete;

    // Counts the signals of the item and of its menu from now on; a new layout counts once it is
    // newer than the one read.
    void follow(const HostedItem& item) {
        subscribe(item.owner, kMenuInterface, item.menu);
        subscribe(item.owner, "org.kde.StatusNotifierItem", item.path);
        followed_.push_back(item);
    }
    int menuSignals(const HostedItem& item, const std::string& member) const {
        auto it = counts_.find(item.owner + item.menu + " " + member);
        return it == counts_.end() ? 0 : it->second;
    }
    int menuSignals(const HostedItem& item) const { return signalsFrom(item.owner + item.menu + " "); }
    int itemSignals(const HostedItem& item) const { return signalsFrom(item.owner + item.path + " "); }

    // Reads the menu's layout, as a host does when it opens the menu; what it shows from now on. A
    // menu not exported yet is asked again until it answers.
    const std::vector<HostEntry>& read(const HostedItem& item) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        std::optional<GVariant*> reply;
        while (!reply.value_or(nullptr) && std::chrono::steady_clock::now() < deadline) {
            if (reply) test::spinFor(std::chrono::milliseconds(50));
            reply.reset();
            g_dbus_connection_call(bus_, item.owner.c_str(), item.menu.c_str(), kMenuInterface, "GetLayout",
                                   g_variant_new("(ii@as)", 0, 1, g_variant_new_strv(nullptr, 0)), nullptr,
                                   G_DBUS_CALL_FLAGS_NONE, 5000, nullptr, replied, &reply);
            EXPECT_TRUE(spinUntil([&] { return reply.has_value(); }));
        }
        const std::string key = item.owner + item.menu;
        std::vector<HostEntry>& entries = shown_[key];
        entries.clear();
        if (!reply.value_or(nullptr)) return entries;
        GVariant* root = nullptr;
        g_variant_get(*reply, "(u@(ia{sv}av))", &revisions_[key], &root);
        GVariant* children = g_variant_get_child_value(root, 2);
        for (gsize i = 0; i < g_variant_n_children(children); ++i) {
            GVariant* boxed = g_variant_get_child_value(children, i);
            GVariant* child = g_variant_get_variant(boxed);
            HostEntry entry;
            GVariant* properties = nullptr;
            g_variant_get(child, "(i@a{sv}@av)", &entry.id, &properties, nullptr);
            apply(entry, properties);
            entries.push_back(entry);
            g_variant_unref(properties);
            g_variant_unref(child);
            g_variant_unref(boxed);
        }
        g_variant_unref(children);
        g_variant_unref(root);
        g_variant_unref(*reply);
        return entries;
    }
    // The menu as the host shows it: as read, with the properties sent since applied.
    const std::vector<HostEntry>& shown(const HostedItem& item) { return shown_[item.owner + item.menu]; }

    // Clicks the item: "" once the application took the click, else its error.
    std::string click(const HostedItem& item, int id) {
        std::optional<std::string> error;
        g_dbus_connection_call(
            bus_, item.owner.c_str(), item.menu.c_str(), kMenuInterface, "Event",
            g_variant_new("(isvu)", id, "clicked", g_variant_new_int32(0), 0u), nullptr, G_DBUS_CALL_FLAGS_NONE,
            5000, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                GError* failure = nullptr;
                GVariant* value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &failure);
                *static_cast<std::optional<std::string>*>(data) = failure ? failure->message : "";
                g_clear_error(&failure);
                if (value) g_variant_unref(value);
            },
            &error);
        EXPECT_TRUE(spinUntil([&] { return error.has_value(); }));
        return error.value_or("no answer");
    }

    // The items the tray lists, as its watcher holds them.
    std::set<std::string> listed() {
        const std::vector<std::string> items = test::trayItems(bus_);
        return {items.begin(), items.end()};
    }

    // Returns once every signal sent before now has come: a read of each followed menu travels as
    // its signals do, and its answer comes after them.
    void settle() {
        std::size_t answered = 0;
        for (const HostedItem& item : followed_)
            g_dbus_connection_call(
                bus_, item.owner.c_str(), item.menu.c_str(), "org.freedesktop.DBus.Properties", "Get",
                g_variant_new("(ss)", kMenuInterface, "Version"), nullptr, G_DBUS_CALL_FLAGS_NONE, 5000, nullptr,
                [](GObject* source, GAsyncResult* result, gpointer data) {
                    GVariant* value = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
                    if (value) g_variant_unref(value);
                    ++*static_cast<std::size_t*>(data);
                },
                &answered);
        EXPECT_TRUE(spinUntil([&] { return answered == followed_.size(); }));
    }

private:
    static GDBusConnection* connect(const std::string& address) {
        auto flags = static_cast<GDBusConnectionFlags>(G_DBUS_CONNECTION_FLAGS_AUTHENTICATION_CLIENT |
                                                       G_DBUS_CONNECTION_FLAGS_MESSAGE_BUS_CONNECTION);
        return g_dbus_connection_new_for_address_sync(address.c_str(), flags, nullptr, nullptr, nullptr);
    }
    static void replied(GObject* source, GAsyncResult* result, gpointer data) {
        *static_cast<std::optional<GVariant*>*>(data) =
            g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, nullptr);
    }
    static void apply(HostEntry& entry, GVariant* properties) {
        const gchar* label = nullptr;
        if (g_variant_lookup(properties, "label", "&s", &label)) entry.label = label;
        gboolean enabled = TRUE;
        if (g_variant_lookup(properties, "enabled", "b", &enabled)) entry.enabled = enabled;
    }
    int signalsFrom(const std::string& prefix) const {
        int sum = 0;
        for (const auto& [key, count] : counts_)
            if (key.rfind(prefix, 0) == 0) sum += count;
        return sum;
    }
    void subscribe(const std::string& owner, const char* interface, const std::string& path) {
        subscriptions_.push_back(g_dbus_connection_signal_subscribe(
            bus_, owner.c_str(), interface, nullptr, path.c_str(), nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const char* sender, const char* path, const char*, const char* member,
               GVariant* parameters, gpointer self) {
                static_cast<TrayHost*>(self)->received(std::string(sender) + path, member, parameters);
            },
            this, nullptr));
    }
    void received(const std::string& key, const std::string& member, GVariant* parameters) {
        // The layout read may have been announced after the host read it: only a newer one counts.
        if (member == "LayoutUpdated") {
            guint revision = 0;
            g_variant_get(parameters, "(ui)", &revision, nullptr);
            if (revision <= revisions_[key]) return;
        }
        ++counts_[key + " " + member];
        if (member != "ItemsPropertiesUpdated") return;
        std::vector<HostEntry>& entries = shown_[key];
        GVariantIter* updated = nullptr;
        GVariantIter* removed = nullptr;
        g_variant_get(parameters, "(a(ia{sv})a(ias))", &updated, &removed);
        int id = 0;
        GVariant* properties = nullptr;
        while (g_variant_iter_next(updated, "(i@a{sv})", &id, &properties)) {
            for (HostEntry& entry : entries)
                if (entry.id == id) apply(entry, properties);
            g_variant_unref(properties);
        }
        // A property back at its default value is sent as removed.
        GVariantIter* names = nullptr;
        while (g_variant_iter_next(removed, "(ias)", &id, &names)) {
            const gchar* name = nullptr;
            while (g_variant_iter_next(names, "&s", &name))
                for (HostEntry& entry : entries) {
                    if (entry.id == id && std::string(name) == "label") entry.label.clear();
                    if (entry.id == id && std::string(name) == "enabled") entry.enabled = true;
                }
            g_variant_iter_free(names);
        }
        g_variant_iter_free(updated);
        g_variant_iter_free(removed);
    }

    GDBusConnection* bus_;
    std::vector<guint> subscriptions_;
    std::vector<HostedItem> followed_;
    std::map<std::string, int> counts_;
    std::map<std::string, guint> revisions_;
    std::map<std::string, std::vector<HostEntry>> shown_;
};

int idOf(const std::vector<HostEntry>& entries, const std::string& label) {
    for (const HostEntry& entry : entries)
        if (entry.label == label) return entry.id;
    ADD_FAILURE() << "no item " << label << " in " << testing::PrintToString(entries);
    return -1;
}

class WebsiteTrayMenuTest : public test::LauncherGuiTest {
protected:
    WebAppProfile pinned(const std::string& name, const std::string& path) {
        WebAppProfile profile = website(name, path);
        profile.menuBarIconEnabled = true;
        return profile;
    }
    // Starts the graph with the tray and waits for the websites' items.
    void startInTray(const std::vector<WebAppProfile>& websites) {
        privateBus();
        startWatcher();
        start(websites, bus);
        ASSERT_TRUE(spinUntil([&] {
            if (controller->websiteItems().size() != websites.size()) return false;
            for (const auto& [id, item] : controller->websiteItems())
                if (!item->item().registered()) return false;
            return true;
        }));
        host = std::make_unique<TrayHost>(busAddress);
        // The menus answer once the application has its session bus, where libdbusmenu exports them.
        for (const WebAppProfile& profile : websites) ASSERT_FALSE(host->read(hosted(profile)).empty());
    }
    // The website's item as the tray has it.
    HostedItem hosted(const WebAppProfile& profile) {
        const StatusNotifierItem& item = controller->websiteItems().at(profile.id)->item();
        return {item.busName(), item.objectPath(), item.menuPath()};
    }
    // Opens the website as its tray icon's click does, and waits until it is in view.
    void openFromTheTray(const WebAppProfile& profile) {
        callItem(bus, controller->websiteItems().at(profile.id)->item(), "Activate", g_variant_new("(ii)", 0, 0));
        EXPECT_TRUE(spinUntil(
            [&] {
                return controller->websiteItems().at(profile.id)->activity() == WebsiteActivity::visible;
            },
            std::chrono::seconds(30)));
    }
    // The title of the website's page as the application published it, "" while it is not open.
    std::string publishedTitle(const WebAppProfile& profile) {
        for (const RuntimeWindow& window : environment->windows().publisher().runtime().windows())
            if (window.profileID == profile.id && !window.tabs.empty()) return window.tabs.front().title;
        return "";
    }
    std::unique_ptr<TrayHost> host;

    void TearDown() override {
        host.reset();
        test::LauncherGuiTest::TearDown();
    }
};

// A page that retitles itself (an unread counter) changes nothing its tray item shows: the menu the
// host read stays the menu, a click on an item id read before several retitles is obeyed, and no
// other website's tray item hears of it.
TEST_F(WebsiteTrayMenuTest, AClickByAnIdReadBeforeThePageRetitledItselfIsObeyedAndNoOtherItemIsTouched) {
    WebAppProfile ticking = pinned("Ticking", "/ticking");
    server.page("/ticking", "<!doctype html><meta charset='utf-8'><title>Inbox</title><script>let n = 0;"
                            "setInterval(() => { document.title = 'Inbox (' + ++n + ')'; }, 100);</script>");
    const WebAppProfile quiet = pinned("Quiet", "/quiet");
    startInTray({ticking, quiet});
    std::vector<Uuid> edited;
    controller->commands().onEdit = [&](const Uuid& id) {
        edited.push_back(id);
        environment->websiteEditor().showEditWebsite(id);
    };
    openFromTheTray(ticking);
    ASSERT_TRUE(spinUntil([&] { return publishedTitle(ticking).rfind("Inbox (", 0) == 0; }, std::chrono::seconds(20)));

    const HostedItem tickingItem = hosted(ticking), quietItem = hosted(quiet);
    host->follow(tickingItem);
    host->follow(quietItem);
    const int edit = idOf(host->read(tickingItem), "Edit Website\u2026");
    std::set<std::string> titles;
    sigc::connection counting = environment->windows().publisher().runtime().signal_changed().connect(
        [&] { titles.insert(publishedTitle(ticking)); });
    const std::shared_ptr<void> disconnect(nullptr, [&](void*) { counting.disconnect(); });
    ASSERT_TRUE(spinUntil([&] { return titles.size() >= 6; }, std::chrono::seconds(20)))
        << titles.size() << " titles published";

    EXPECT_EQ(host->click(tickingItem, edit), "");
    EXPECT_TRUE(spinUntil([&] {
        auto* editor = environment->websiteEditor().editorWindow();
        return editor && editor->get_visible();
    })) << "the editor opens";
    EXPECT_EQ(edited, std::vector<Uuid>{ticking.id});
    host->settle();
    EXPECT_EQ(host->menuSignals(tickingItem, "LayoutUpdated"), 0);
    EXPECT_EQ(host->menuSignals(tickingItem, "ItemsPropertiesUpdated"), 0);
    EXPECT_EQ(host->itemSignals(tickingItem), 0) << "its icon, title and tool tip are as they were";
    EXPECT_EQ(host->menuSignals(quietItem), 0);
    EXPECT_EQ(host->itemSignals(quietItem), 0);
}

// What the menu shows follows the website: its state line and Hide Window as its window comes and
// goes, its name as it is renamed. The host sees each change on the items it read, by their ids.
TEST_F(WebsiteTrayMenuTest, TheMenuShowsEachNewStateAndNameOnTheItemsTheHostRead) {
    const WebAppProfile site = pinned("Mail", "/mail");
    startInTray({site});
    const HostedItem menu = hosted(site);
    host->follow(menu);
    const std::vector<HostEntry> first = host->read(menu);
    ASSERT_EQ(first.size(), 8u) << testing::PrintToString(first);
    // The heading, the state line and Hide Window, with the ids read first.
    auto shown = [&](const std::string& name, const std::string& state, bool canHide) {
        return std::vector<HostEntry>{{first[0].id, name, false}, {first[1].id, state, false},
                                      {first[4].id, "Hide Window", canHide}};
    };
    auto showing = [&] {
        const std::vector<HostEntry>& entries = host->shown(menu);
        return entries.size() == 8 ? std::vector<HostEntry>{entries[0], entries[1], entries[4]}
                                   : std::vector<HostEntry>{};
    };
    EXPECT_EQ(showing(), shown("Mail", "Not Open", false));

    const std::pair<std::function<void()>, std::vector<HostEntry>> steps[] = {
        {[&] { openFromTheTray(site); }, shown("Mail", "Viewing", true)},
        {[&] { EXPECT_EQ(host->click(menu, first[4].id), ""); }, shown("Mail", "Window Hidden", false)},
        {[&] { environment->store().update(site.id, [](WebAppProfile& profile) { profile.name = "Post"; }); },
         shown("Post", "Window Hidden", false)},
    };
    for (const auto& [change, expected] : steps) {
        change();
        EXPECT_TRUE(spinUntil([&] { return showing() == expected; }, std::chrono::seconds(20)))
            << testing::PrintToString(showing()) << " where " << testing::PrintToString(expected)
            << " was wanted";
    }
    host->settle();
    EXPECT_EQ(host->menuSignals(menu, "LayoutUpdated"), 0) << "the menu the host read is the menu";
    const std::vector<HostEntry> followed = host->shown(menu);
    EXPECT_EQ(host->read(menu), followed);
}

// A tray lists an item until the bus name it was registered from goes, as the desktops' trays do.
// A website leaving the tray, by its menu or its editor, takes its own icon away at once and no
// other; a tray started again hears of every item still there; quitting takes the rest.
TEST_F(WebsiteTrayMenuTest, AWebsiteLeavingTheTrayTakesItsIconAwayAndNoOther) {
    const WebAppProfile alpha = pinned("Alpha", "/alpha"), beta = pinned("Beta", "/beta");
    const WebAppProfile gamma = pinned("Gamma", "/gamma");
    startInTray({alpha, beta, gamma});
    using Listed = std::set<std::string>;
    // The item as the tray lists it, while there is one.
    auto entry = [&](const WebAppProfile& profile) -> std::string {
        auto it = controller->websiteItems().find(profile.id);
        if (it == controller->websiteItems().end() || !it->second->item().registered()) return "(none)";
        return it->second->item().busName() + it->second->item().objectPath();
    };
    const std::string application = g_dbus_connection_get_unique_name(bus) + std::string(StatusNotifierItem::kMainPath);
    const HostedItem alphaItem = hosted(alpha);
    const std::string alphaEntry = entry(alpha), betaEntry = entry(beta), gammaEntry = entry(gamma);
    EXPECT_TRUE(spinUntil([&] { return host->listed() == Listed{application, alphaEntry, betaEntry, gammaEntry}; }))
        << testing::PrintToString(host->listed());

    auto showInTray = [&](const WebAppProfile& profile, bool shown) {
        environment->store().update(profile.id,
                                    [shown](WebAppProfile& website) { website.menuBarIconEnabled = shown; });
    };
    const std::pair<std::function<void()>, std::function<Listed()>> steps[] = {
        // Clicked as the tray shows it: the click is answered, though the menu goes with it.
        {[&] { EXPECT_EQ(host->click(alphaItem, idOf(host->read(alphaItem), "Remove from Tray")), ""); },
         [&] { return Listed{application, betaEntry, gammaEntry}; }},
        {[&] { showInTray(beta, false); }, [&] { return Listed{application, gammaEntry}; }},
        {[&] {
             watcher.reset();
             startWatcher();
         },
         [&] { return Listed{application, gammaEntry}; }},
        {[&] { showInTray(alpha, true); }, [&] { return Listed{application, entry(alpha), gammaEntry}; }},
        {[&] { controller->teardown(); }, [&] { return Listed{application}; }},
        {[&] { g_dbus_connection_close_sync(bus, nullptr, nullptr); }, [&] { return Listed{}; }},
    };
    for (const auto& [change, expected] : steps) {
        change();
        EXPECT_TRUE(spinUntil([&] { return host->listed() == expected(); }))
            << testing::PrintToString(host->listed()) << " where " << testing::PrintToString(expected())
            << " was wanted";
    }
}

}  // namespace
}  // namespace quenlith
