#pragma once

#include <string>
#include <string_view>

namespace quenlith {

// How web pages are drawn: by the engine's own choice, or never with GL.
enum class AccelerationPolicy { engineDefault, never };

// What the machine offers for GL on the display the windows are on.
struct GraphicsCapability {
    // The display lets programs draw with a GPU (an X server with DRI2, DRI3 or the NVIDIA GLX);
    // without it every GL on that display is drawn by the processor.
    bool directRendering = false;
    // The GL renderer string of the display; empty when GL could not be asked.
    std::string renderer;
};

struct AccelerationChoice {
    AccelerationPolicy policy = AccelerationPolicy::engineDefault;
    // Why, for the start-up log.
    std::string reason;
};

// Whether a GL renderer string names a renderer that draws on the processor (llvmpipe, softpipe,
// swrast, lavapipe, ...).
bool isSoftwareRenderer(std::string_view renderer);

// "never" where GL is drawn in software: there it costs memory in every web process and buys no
// speed. A real GPU, and a GPU whose renderer could not be asked, keep the engine's default.
AccelerationChoice chooseAcceleration(const GraphicsCapability& capability);

}  // namespace quenlith
