#pragma once

#include "model/graphics_acceleration.hpp"

namespace quenlith {

// The hardware-acceleration policy of every web view, chosen once per process from what the
// machine offers (chooseAcceleration). Main thread only.
class AccelerationProbe {
public:
    // Starts finding out, once the display is open: the display's extensions are read at once;
    // only a display with direct rendering has its GL renderer asked, on a worker thread, so the
    // start does not wait for a GL driver to load. Later calls do nothing.
    static void start();
    // The policy for new web views: the engine's default until the worker has answered, then the
    // choice (logged once); without start() the engine keeps its default.
    static AccelerationPolicy policy();
};

}  // namespace quenlith
