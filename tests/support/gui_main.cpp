// Entry point of the GoogleTest binaries that need a display: GTK is initialised once per process.
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

#include <gtest/gtest.h>
#include <gtk/gtk.h>
#include <gtkmm/main.h>

#include "support/default_browser.hpp"
#include "support/toolkit_warnings.hpp"

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
        if (!opened) std::this_thread::sleep_for(std::chrono::milliseconds(100 << (attempt < 4 ? attempt : 4)));
    }
    if (!opened) {
        std::cerr << "cannot open the display " << (getenv("DISPLAY") ? getenv("DISPLAY") : "(unset)") << "\n";
        return 1;
    }
    Gtk::Main kit(argc, argv);
    return RUN_ALL_TESTS();
}
