// The application as separate processes: one instance per data folder, and a start that hands its
// links to a running instance, or gives up on one that does not answer within seconds.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <sys/wait.h>

#include <gio/gio.h>
#include <gtest/gtest.h>

#include "model/address_limit.hpp"
#include "model/app_paths.hpp"
#include "model/app_preferences.hpp"
#include "model/data_folder_lock.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/profile_persistence.hpp"
#include "support/background_process.hpp"
#include "support/child_process_test.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/test_http_server.hpp"

namespace quenlith {
namespace {

using test::BackgroundProcess;
using test::spinUntil;

bool exitedWith(const BackgroundProcess& process, int code) {
    return WIFEXITED(process.status()) && WEXITSTATUS(process.status()) == code;
}

bool says(const BackgroundProcess& process, const std::string& text) {
    return process.output().find(text) != std::string::npos;
}

// Every file directly in the data folder, by name: which file it is (a replacing write makes a new
// one) and its bytes.
std::map<std::string, std::pair<ino_t, std::string>> dataFiles() {
    std::map<std::string, std::pair<ino_t, std::string>> files;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(applicationDataDirectory(), ignored)) {
        struct stat info {};
        if (::lstat(entry.path().c_str(), &info) == 0 && S_ISREG(info.st_mode))
            files[entry.path().filename()] = {info.st_ino, test::readFile(entry.path())};
    }
    return files;
}

class ApplicationInstances : public testing::Test {
protected:
    // A start of the application with `arguments`, its output in a file of its own.
    std::unique_ptr<BackgroundProcess> start(const std::vector<std::string>& arguments,
                                             std::map<std::string, std::string> environment = {}) {
        std::vector<std::string> argv{QUENLITH_EXECUTABLE};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        environment["G_MESSAGES_DEBUG"] = kApplicationIdentifier;
        return std::make_unique<BackgroundProcess>(
            argv, folders.root() + "/start-" + std::to_string(++starts) + ".log", environment);
    }
    static bool started(BackgroundProcess& process) {
        return spinUntil([&] { return says(process, "Quenlith started") || !process.running(); },
                         std::chrono::seconds(60)) &&
               process.running();
    }

    test::TemporaryEnvironment folders;
    int starts = 0;
};

// Without a session bus every start becomes an instance of its own: the second one on the same
// data folder says why it ends (and shows an alert), prints its links and writes nothing. So it
// does when something unusable has taken the lock file's place, and so does a start that cannot
// hold its data folder at all.
TEST_F(ApplicationInstances, ASecondInstanceOnTheSameDataFolderRefusesAndWritesNothing) {
    const std::map<std::string, std::string> noBus{
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=" + folders.root() + "/no-bus"}};
    ASSERT_TRUE(ProfilePersistence(defaultProfilesFilePath())
                    .save({WebAppProfile{.name = "Alpha", .homeURL = "http://127.0.0.1:9/"}}));
    const std::string lockPath = applicationDataDirectory() + "/" + DataFolderLock::kFileName;
    const std::pair<const char*, std::function<int()>> lockFiles[] = {
        {"the lock file", [] { return 0; }},
        {"a folder in its place", [&] { return ::mkdir(lockPath.c_str(), 0700); }},
        {"a FIFO in its place", [&] { return ::mkfifo(lockPath.c_str(), 0600); }},
        {"a dangling link in its place",
         [&] { return ::symlink((folders.root() + "/missing").c_str(), lockPath.c_str()); }},
    };
    for (const auto& [what, damage] : lockFiles) {
        SCOPED_TRACE(what);
        std::filesystem::remove_all(lockPath);
        ASSERT_EQ(damage(), 0);
        auto first = start({}, noBus);
        ASSERT_TRUE(started(*first)) << first->output();
        auto held = DataFolderLock::acquire(applicationDataDirectory());
        ASSERT_FALSE(held.ok()) << "the first instance holds the data folder";
        const std::string refusal = held.error().message;
        const auto before = dataFiles();
        ASSERT_TRUE(before.contains("profiles.json"));

        const std::string link = "quenlith://open?url=http://127.0.0.1:9/second";
        auto second = start({link}, noBus);
        // The link it could not open is printed after the reason.
        ASSERT_TRUE(spinUntil([&] { return says(*second, "\n" + link + "\n") || !second->running(); },
                              std::chrono::seconds(20)))
            << second->output();
        EXPECT_TRUE(says(*second, refusal)) << second->output();
        EXPECT_EQ(dataFiles(), before);
        // Its alert keeps it until answered; ending it writes nothing either.
        EXPECT_TRUE(second->running());
        second->stop();
        EXPECT_TRUE(exitedWith(*second, 1)) << second->status();
        EXPECT_EQ(dataFiles(), before);

        EXPECT_TRUE(first->running());
        first->stop();
        EXPECT_TRUE(exitedWith(*first, 0)) << first->output();
    }

    // A data folder that cannot be held at all (a file stands where it would be made) is refused
    // the same way: unheld, it could be another instance's.
    const std::string blocked = folders.root() + "/blocked-data";
    test::writeFile(blocked, "");
    const std::string reason = DataFolderLock::acquire(blocked + "/" + kApplicationIdentifier).error().message;
    auto unheld = start({}, {{"DBUS_SESSION_BUS_ADDRESS", noBus.at("DBUS_SESSION_BUS_ADDRESS")}, {"XDG_DATA_HOME", blocked}});
    ASSERT_TRUE(spinUntil([&] { return says(*unheld, reason) || !unheld->running(); }, std::chrono::seconds(20)))
        << unheld->output();
    EXPECT_TRUE(unheld->running()) << "its alert keeps it until answered";
    unheld->stop();
    EXPECT_TRUE(exitedWith(*unheld, 1)) << unheld->output();
    EXPECT_FALSE(says(*unheld, "Quenlith started")) << unheld->output();
}

// Quenlith draws only through X11: a start with no X display, or told to use Wayland itself, ends
// saying that it needs X11 or XWayland.
TEST_F(ApplicationInstances, AStartWithoutAnXDisplaySaysItNeedsX11OrXWayland) {
    const std::string noBus = "unix:path=" + folders.root() + "/no-bus";
    for (const auto& [variable, value] : {std::pair{"DISPLAY", ""}, std::pair{"GDK_BACKEND", "wayland"}}) {
        auto start = this->start({}, {{"DBUS_SESSION_BUS_ADDRESS", noBus}, {variable, value}});
        ASSERT_TRUE(start->waitForExit(std::chrono::seconds(30))) << variable;
        EXPECT_TRUE(exitedWith(*start, 1)) << variable << " " << start->status();
        EXPECT_TRUE(says(*start, localizedString("Quenlith needs an X11 display: on Wayland it runs through "
                                                 "XWayland. No X display could be opened (DISPLAY is not "
                                                 "set or cannot be reached).")))
            << variable << ": " << start->output();
    }
}

// A running instance takes the links of a second start. Frozen (stopped), it would keep a second
// start waiting 25 s for registering to fail and lose the links: the start gives up within
// seconds, says so and prints the links, whatever shape its arguments take.
TEST_F(ApplicationInstances, ASecondStartHandsItsLinksOnOrGivesUpOnAFrozenInstanceWithinSeconds) {
    // The application's name on a bus of this test's own.
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::TestHttpServer server;
    server.page("/handed", "<!doctype html><title>Handed</title>");
    auto first = start({});
    ASSERT_TRUE(started(*first)) << first->output();

    auto handOff = start({"quenlith://open?url=" + server.url("/handed")});
    ASSERT_TRUE(handOff->waitForExit(std::chrono::seconds(30))) << handOff->output();
    EXPECT_TRUE(exitedWith(*handOff, 0)) << handOff->output();
    EXPECT_TRUE(spinUntil([&] { return server.requestCount("/handed") == 1; }, std::chrono::seconds(30)))
        << "the running instance opens the link";

    ASSERT_EQ(::kill(first->pid(), SIGSTOP), 0);
    const std::string a = "quenlith://open?url=http://127.0.0.1:9/a";
    const std::string b = "quenlith://open?url=http://127.0.0.1:9/b";
    struct Shape {
        std::vector<std::string> arguments;
        // What is printed on standard output: the links, in order, one a line.
        std::string printed;
    };
    const Shape shapes[] = {
        {{a, b}, "\n" + a + "\n" + b + "\n"},
        {{"--"}, ""},
        {{"--", a}, "\n" + a + "\n"},
        {{a, "--", b}, "\n" + a + "\n" + b + "\n"},
        {{"--gapplication-service"}, ""},
        {{"--some-option", a}, "\n" + a + "\n"},
        {{a, "-x"}, "\n" + a + "\n"},
    };
    // Side by side: each is bounded on its own, and a start held by the frozen instance shows as
    // one still running when the others have ended.
    const auto began = std::chrono::steady_clock::now();
    const auto deadline = began + std::chrono::seconds(20);
    std::vector<std::unique_ptr<BackgroundProcess>> seconds;
    for (const auto& shape : shapes) seconds.push_back(start(shape.arguments));
    for (std::size_t index = 0; index < seconds.size(); ++index) {
        auto& second = *seconds[index];
        std::string shown;
        for (const auto& argument : shapes[index].arguments) shown += " " + argument;
        SCOPED_TRACE("quenlith" + shown);
        // Registering would fail only after 25 s.
        const bool ended = second.waitForExit(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now()));
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - began);
        EXPECT_TRUE(ended) << "still waiting for the frozen instance after " << waited.count() << " ms:\n"
                           << second.output();
        if (!ended) continue;
        EXPECT_TRUE(exitedWith(second, 1)) << second.output();
        EXPECT_TRUE(says(second, localizedString("Quenlith is running but does not answer; it may be frozen.")))
            << second.output();
        EXPECT_TRUE(says(second, shapes[index].printed)) << second.output();
    }
    ::kill(first->pid(), SIGCONT);

    first->stop();
    EXPECT_TRUE(exitedWith(*first, 0)) << first->output();
}

// Hands links to the running instance as any program of the session can: the application's
// own "Open" call on the bus, answered once the instance has handled them.
bool openOverTheBus(const std::vector<std::string>& links, std::string& failure) {
    GError* error = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (!bus) {
        failure = error->message;
        g_error_free(error);
        return false;
    }
    GVariantBuilder uris;
    g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
    for (const auto& link : links) g_variant_builder_add(&uris, "s", link.c_str());
    GVariantBuilder platform;
    g_variant_builder_init(&platform, G_VARIANT_TYPE("a{sv}"));
    std::string path = std::string("/") + kApplicationIdentifier;
    std::replace(path.begin(), path.end(), '.', '/');
    GVariant* reply =
        g_dbus_connection_call_sync(bus, kApplicationIdentifier, path.c_str(), "org.gtk.Application", "Open",
                                    g_variant_new("(assa{sv})", &uris, "", &platform), nullptr,
                                    G_DBUS_CALL_FLAGS_NONE, 60'000, nullptr, &error);
    g_object_unref(bus);
    if (!reply) {
        failure = error->message;
        g_error_free(error);
        return false;
    }
    g_variant_unref(reply);
    return true;
}

// A link of megabytes from any program of the session is refused like a malformed one, and an
// address over the limit that a page navigates to is kept in neither the library nor the session.
TEST_F(ApplicationInstances, AHugeLinkOverTheBusIsRefusedAndNothingKeepsAnOverLongAddress) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    test::TestHttpServer server;
    server.page("/b.html", "<!doctype html><title>B</title>");
    server.page("/long.html", "<!doctype html><title>Long</title>");
    const std::string leave = "location.href = '/long.html?q=' + 'b'.repeat(" +
                              std::to_string(2 * kAddressByteLimit) + ");";
    server.page("/leaving.html", "<!doctype html><title>Leaving</title><script>" + leave + "</script>");
    server.page("/after.html", "<!doctype html><title>After</title>");
    auto requested = [&](const std::string& path) {
        int count = 0;
        for (const auto& request : server.requests())
            if (request.path.starts_with(path)) ++count;
        return count;
    };
    auto requestedPaths = [&] {
        std::string paths;
        for (const auto& request : server.requests()) paths += " " + request.path.substr(0, 40);
        return paths;
    };
    // Visits are recorded and windows kept for the next start.
    AppPreferences preferences;
    preferences.historyEnabled = true;
    preferences.restoreWindows = true;
    nlohmann::json settings;
    settings[PreferencesStore::kPreferencesKey] = preferences;
    test::writeFile(settingsFilePath(), settings.dump());
    auto instance = start({});
    ASSERT_TRUE(started(*instance)) << instance->output();

    const std::string link = "quenlith://open?url=" + server.url("/b.html?q=") + std::string(4'000'000, 'b');
    std::string failure;
    ASSERT_TRUE(openOverTheBus({link}, failure)) << failure;
    ASSERT_TRUE(openOverTheBus({"quenlith://open?url=" + server.url("/leaving.html")}, failure)) << failure;
    ASSERT_TRUE(spinUntil([&] { return requested("/long.html?q=") == 1; }, std::chrono::seconds(30)))
        << "the page goes to its long address; asked for: " << requestedPaths();
    ASSERT_TRUE(openOverTheBus({"quenlith://open?url=" + server.url("/after.html")}, failure)) << failure;

    // The last page opened reaches both files, after everything before it.
    const std::string library = applicationDataDirectory() + "/library.json";
    const std::string session = applicationDataDirectory() + "/session-v1.json";
    auto holds = [](const std::string& file, const std::string& text) {
        return std::filesystem::exists(file) && test::readFile(file).find(text) != std::string::npos;
    };
    EXPECT_TRUE(spinUntil([&] { return holds(library, "/after.html") && holds(session, "/after.html"); },
                          std::chrono::seconds(30)))
        << "library: " << holds(library, "/after.html") << ", session: " << holds(session, "/after.html")
        << "\n"
        << instance->output();
    EXPECT_EQ(requested("/b.html"), 0) << "the huge link is not opened";
    // Neither the link's address nor the page's is kept anywhere.
    const std::string huge(1'000'000, 'b');
    const std::string overLong(kAddressByteLimit, 'b');
    for (const auto& [name, file] : dataFiles()) {
        EXPECT_EQ(file.second.find(huge), std::string::npos) << name << " keeps the huge link's address";
        EXPECT_EQ(file.second.find(overLong), std::string::npos)
            << name << " keeps an address over the limit";
    }

    instance->stop();
    EXPECT_TRUE(exitedWith(*instance, 0)) << instance->output();
}

// The help needs no instance: with the running one frozen (stopped), a start that
// asks for it is answered at once, never held by the instance nor told that it does not answer.
TEST_F(ApplicationInstances, TheHelpIsAnsweredAtOnceWhileTheRunningInstanceIsFrozen) {
    if (!test::runInChildProcess(test::ChildProcessOptions().withPrivateBus())) return;
    auto first = start({});
    ASSERT_TRUE(started(*first)) << first->output();
    ASSERT_EQ(::kill(first->pid(), SIGSTOP), 0);
    // Resumed however the test ends, so that it can be ended.
    struct Resume {
        pid_t pid;
        ~Resume() { ::kill(pid, SIGCONT); }
    } resume{first->pid()};
    // A plain address given by mistake is said to be ignored, named by its start alone.
    const std::string plain = "https://a.example/" + std::string(16'384, 'b');
    const struct {
        std::vector<std::string> arguments;
        std::string printed;
    } cases[] = {
        {{"--help"}, "--help-all"},
        {{"-h"}, "--help-all"},
        {{"--help-all"}, "--help-gapplication"},
        {{"quenlith://open?url=http://127.0.0.1:9/a", "--help"}, "--help-all"},
        {{plain, "--help"}, plain.substr(0, 100)},
    };
    for (const auto& [arguments, printed] : cases) {
        std::string shown;
        for (const auto& argument : arguments) shown += " " + argument;
        SCOPED_TRACE("quenlith" + shown);
        auto asked = start(arguments);
        // Bounded for a busy machine: registering with the frozen instance would take 25 s.
        ASSERT_TRUE(asked->waitForExit(std::chrono::seconds(10))) << "still running:\n" << asked->output();
        EXPECT_TRUE(exitedWith(*asked, 0)) << asked->output();
        EXPECT_TRUE(says(*asked, printed)) << asked->output();
        EXPECT_FALSE(says(*asked, localizedString("Quenlith is running but does not answer; it may be frozen.")))
            << asked->output();
        EXPECT_FALSE(says(*asked, plain)) << "an argument echoed whole";
    }
    ::kill(first->pid(), SIGCONT);
    first->stop();
    EXPECT_TRUE(exitedWith(*first, 0)) << first->output();
}

}  // namespace
}  // namespace quenlith
