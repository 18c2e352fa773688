#include <cstdlib>

#include <gdk/gdk.h>

#include "app/quenlith_application.hpp"

int main(int argc, char** argv) {
    // Keep-above, window placement and input shapes need X11; under Wayland that is XWayland.
    gdk_set_allowed_backends("x11");
    auto application = quenlith::QuenlithApplication::create();
    const int status = application->run(argc, argv);
    // GApplication ends a main loop it ran with success, whatever happened before.
    return application->startRefused() ? EXIT_FAILURE : status;
}
