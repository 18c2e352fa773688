// The application as a process, ended while its start is under way: a signal or the quit action
// at any moment of a large session's restore ends it cleanly and keeps the whole session for the
// next start. Its suite runs in the sanitizer lane too, against the sanitized application.
#include <chrono>
#include <csignal>
#include <set>
#include <string>
#include <vector>

#include <sys/wait.h>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "model/app_paths.hpp"
#include "model/browser_session.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "support/background_process.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

// Last: Xlib defines macros that clash with ordinary names.
#include <gdk/gdkx.h>

namespace quenlith {
namespace {

using test::BackgroundProcess;
using test::spinUntil;

constexpr int kSessionWindows = 30;
// Restored windows are titled by their website's name: "Restored 7 — …".
const std::string kRestoredTitle = "Restored ";

std::string windowTitle(Display* display, ::Window window) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0, remaining = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024, False,
                           XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &remaining,
                           &data) == Success &&
        data && format == 8)
        title.assign(reinterpret_cast<char*>(data), count);
    if (data) XFree(data);
    return title;
}

// The restored windows the application shows on the display (which has no window manager: the
// top-level windows are the root window's children).
int shownRestoredWindows() {
    Display* display = gdk_x11_get_default_xdisplay();
    ::Window root = 0, parent = 0, *children = nullptr;
    unsigned int count = 0;
    int shown = 0;
    gdk_x11_display_error_trap_push(gdk_display_get_default());
    if (XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count)) {
        for (unsigned int i = 0; i < count; ++i) {
            XWindowAttributes attributes{};
            if (XGetWindowAttributes(display, children[i], &attributes) && attributes.map_state == IsViewable &&
                windowTitle(display, children[i]).starts_with(kRestoredTitle))
                ++shown;
        }
        if (children) XFree(children);
    }
    gdk_x11_display_error_trap_pop_ignored(gdk_display_get_default());
    return shown;
}

// The application's "quit" action, as the tray menu's Quit sends it.
void sendQuit() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(bus, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "com.quenlith.Quenlith", "/com/quenlith/Quenlith", "org.gtk.Actions", "Activate",
        g_variant_new("(s@av@a{sv})", "quit", g_variant_new_array(G_VARIANT_TYPE_VARIANT, nullptr, 0),
                      g_variant_new_array(G_VARIANT_TYPE("{sv}"), nullptr, 0)),
        nullptr, G_DBUS_CALL_FLAGS_NONE, 10'000, nullptr, nullptr);
    if (reply) g_variant_unref(reply);
    g_object_unref(bus);
}

std::set<Uuid> windowIDs(const BrowserSessionDocument& document) {
    std::set<Uuid> ids;
    for (const auto& window : document.windows) ids.insert(window.id);
    return ids;
}

class ApplicationLifetime : public testing::Test {
protected:
    void SetUp() override {
        server.page("/", "<!doctype html><title>Page</title><p>page");
        std::vector<WebAppProfile> websites;
        for (int i = 0; i < kSessionWindows; ++i) {
            const std::string host = "site" + std::to_string(i) + ".localhost";
            WebAppProfile website{.name = "Restored " + std::to_string(i + 1), .homeURL = server.url("/", host)};
            website.sortOrder = i;
            websites.push_back(website);
            // Most tabs slept at quit, as in a long session: their windows come back without pages.
            RestorableTab tab{.address = website.homeURL, .title = "Page", .sleeping = i >= 3};
            session.windows.push_back({.id = website.id,
                                       .savedProfileID = website.id,
                                       .tabs = {tab},
                                       .frame = {20.0 * i, 10.0 * i, 420, 320, std::nullopt},
                                       .visible = true});
        }
        ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath()).save(websites));
        PreferencesStore(settingsFilePath()).update([](AppPreferences& p) { p.restoreWindows = true; });
        ASSERT_TRUE(persistence.save(session));
    }

    std::unique_ptr<BackgroundProcess> start() {
        return std::make_unique<BackgroundProcess>(
            std::vector<std::string>{QUENLITH_EXECUTABLE},
            folders.root() + "/start-" + std::to_string(++starts) + ".log",
            std::map<std::string, std::string>{{"G_MESSAGES_DEBUG", kApplicationIdentifier}});
    }

    test::TemporaryEnvironment folders;
    test::TestHttpServer server;
    BrowserSessionDocument session{1, {}, {}};
    BrowserSessionPersistence persistence{applicationDataDirectory() + "/session-v1.json"};
    int starts = 0;
};

// A quit while the saved windows are still being built used to build the rest for the final
// snapshot as the toolkit was ending, and crashed before the final saves.
TEST_F(ApplicationLifetime, QuittingWhileTheSessionComesBackEndsCleanlyAndKeepsEveryWindowForTheNextStart) {
    struct Moment {
        const char* what;
        bool byQuitAction;
        int windowsShown;  // 0: as soon as it says it started
    };
    const Moment moments[] = {
        {"SIGTERM as it says it started", false, 0}, {"SIGTERM at the first window", false, 1},
        {"SIGTERM at the fifth window", false, 5},    {"SIGTERM at the twelfth window", false, 12},
        {"Quit as it says it started", true, 0},      {"Quit at the eighth window", true, 8},
    };
    int midway = 0;
    for (const auto& moment : moments) {
        SCOPED_TRACE(moment.what);
        auto application = start();
        ASSERT_TRUE(spinUntil(
            [&] {
                if (!application->running()) return true;
                if (moment.windowsShown == 0)
                    return application->output().find("Quenlith started") != std::string::npos;
                return shownRestoredWindows() >= moment.windowsShown;
            },
            std::chrono::seconds(120)))
            << application->output();
        ASSERT_TRUE(application->running()) << application->output();
        if (shownRestoredWindows() < kSessionWindows) ++midway;
        if (moment.byQuitAction)
            sendQuit();
        else
            ::kill(application->pid(), SIGTERM);
        ASSERT_TRUE(application->waitForExit(std::chrono::seconds(60))) << application->output();
        EXPECT_TRUE(WIFEXITED(application->status()) && WEXITSTATUS(application->status()) == 0)
            << "status " << application->status() << "\n"
            << application->output();
        auto saved = persistence.load();
        ASSERT_TRUE(saved && *saved) << "the session file stays readable";
        EXPECT_EQ(windowIDs(**saved), windowIDs(session)) << "every window of the session is kept";
        auto websites = ProfilePersistence(defaultProfilesFilePath()).load();
        ASSERT_TRUE(websites.ok());
        EXPECT_EQ(websites->size(), static_cast<std::size_t>(kSessionWindows));
    }
    EXPECT_GT(midway, 0) << "no quit came while the windows were still coming back";

    // The next start brings back every window, and ends cleanly once it has.
    auto application = start();
    EXPECT_TRUE(spinUntil([&] { return shownRestoredWindows() == kSessionWindows || !application->running(); },
                          std::chrono::seconds(120)))
        << shownRestoredWindows() << " shown\n"
        << application->output();
    ::kill(application->pid(), SIGTERM);
    ASSERT_TRUE(application->waitForExit(std::chrono::seconds(60)));
    EXPECT_TRUE(WIFEXITED(application->status()) && WEXITSTATUS(application->status()) == 0)
        << application->output();
}

}  // namespace
}  // namespace quenlith
