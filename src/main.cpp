#include <gdk/gdk.h>

#include "app/quenlith_application.hpp"

int main(int argc, char** argv) {
    // Keep-above, window placement and input shapes need X11; under Wayland that is XWayland.
    gdk_set_allowed_backends("x11");
    auto application = quenlith::QuenlithApplication::create();
    return application->run(argc, argv);
}
