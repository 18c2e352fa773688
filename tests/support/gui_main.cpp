// Entry point of the GoogleTest binaries that need a display: GTK is initialised once per process.
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>

#include <sys/prctl.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include "support/default_browser.hpp"
#include "support/toolkit_warnings.hpp"

namespace {

// Every verdict is in once the tests have run; what the process tears down after them (the file
// writer's last writes, the engine's child processes, the toolkit) must not hold the whole run. A
// teardown still going after a minute has its threads' stacks written where the test script shows
// them (QUENLITH_TEARDOWN_LOG, else the error output), and the process ends with its verdict. The
// dump has a limit of its own: a debugger stuck on the process must not hold the run either.
void dumpStacks(int verdict) {
    const char* log = std::getenv("QUENLITH_TEARDOWN_LOG");
    const std::string target = log && *log ? std::string(">> '") + log + "' 2>&1" : std::string(" 1>&2");
    const std::string name = program_invocation_short_name;
    const std::string pid = std::to_string(getpid());
    const std::string command = "{ echo '== teardown of " + name + " (process " + pid +
                                ") still running after 60 s'; timeout -k 5 60 gdb -p " + pid +
                                " -batch -ex 'thread apply all bt' 2>&1; }" + target;
    if (std::system(command.c_str()) != 0) std::cerr << "teardown still running after 60 s\n";
    std::_Exit(verdict);
}

void watchTeardown(int verdict) {
    prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);
    std::thread([verdict] {
        std::this_thread::sleep_for(std::chrono::seconds(60));
        std::thread(dumpStacks, verdict).detach();
        std::this_thread::sleep_for(std::chrono::seconds(75));
        std::_Exit(verdict);
    }).detach();
}

}  // namespace

int main(int argc, char** argv) {
    // Synthetic input is dropped without core device events; the accessibility bridge is noise.
    setenv("GDK_CORE_DEVICE_EVENTS", "1", 0);
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
    setenv("GDK_BACKEND", "x11", 1);
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    quenlith::test::countToolkitWarnings();
    // Before the toolkit reads the XDG folders, which it does once.
    quenlith::test::installStandInBrowser();
    // A busy virtual display now and then refuses a new connection; a test process retries
    // briefly rather than failing a test that never started.
    bool opened = false;
    for (int attempt = 0; attempt < 20 && !opened; ++attempt) {
        opened = gtk_init_check(&argc, &argv);
        if (!opened)
            std::this_thread::sleep_for(std::chrono::milliseconds(100 << (attempt < 4 ? attempt : 4)));
    }
    if (!opened) {
        std::cerr << "cannot open the display " << (getenv("DISPLAY") ? getenv("DISPLAY") : "(unset)")
                  << "\n";
        return 1;
    }
    Gtk::Main kit(argc, argv);
    const int verdict = RUN_ALL_TESTS();
    watchTeardown(verdict);
    return verdict;
}
