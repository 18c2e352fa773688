#include "model/graphics_acceleration.hpp"

#include <algorithm>
#include <array>
#include <cctype>

namespace quenlith {

bool isSoftwareRenderer(std::string_view renderer) {
    std::string lowered(renderer);
    std::transform(lowered.begin(), lowered.end(), lowered.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    static constexpr std::array<std::string_view, 7> kSoftware = {
        "llvmpipe", "softpipe", "swrast", "software rasterizer", "lavapipe", "gdi generic", "basic render driver"};
    return std::any_of(kSoftware.begin(), kSoftware.end(),
                       [&](std::string_view name) { return lowered.find(name) != std::string::npos; });
}

AccelerationChoice chooseAcceleration(const GraphicsCapability& capability) {
    if (!capability.directRendering)
        return {AccelerationPolicy::never, "the display has no direct rendering (software GL)"};
    if (isSoftwareRenderer(capability.renderer))
        return {AccelerationPolicy::never, "software GL renderer " + capability.renderer};
    if (capability.renderer.empty()) return {AccelerationPolicy::engineDefault, "GL renderer unknown"};
    return {AccelerationPolicy::engineDefault, "GL renderer " + capability.renderer};
}

}  // namespace quenlith
