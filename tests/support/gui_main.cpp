// Entry point of the GoogleTest binaries that need a display: GTK is initialised once per process.
#include <cstdlib>

#include <gtest/gtest.h>
#include <gtkmm/main.h>

int main(int argc, char** argv) {
    // Synthetic input is dropped without core device events; the accessibility bridge is noise.
    setenv("GDK_CORE_DEVICE_EVENTS", "1", 0);
    setenv("NO_AT_BRIDGE", "1", 0);
    setenv("WEBKIT_DISABLE_COMPOSITING_MODE", "1", 0);
    setenv("GDK_BACKEND", "x11", 1);
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery) needs no display.
    if (testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
    Gtk::Main kit(argc, argv);
    return RUN_ALL_TESTS();
}
