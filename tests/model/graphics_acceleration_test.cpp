#include <gtest/gtest.h>

#include <tuple>

#include "model/graphics_acceleration.hpp"

namespace quenlith {
namespace {

// Renderer strings as GL drivers report them, and the policy each display gets.
TEST(GraphicsAcceleration, SoftwareGLNeverAcceleratesARealGPUKeepsTheEngineDefault) {
    const std::tuple<bool, const char*, AccelerationPolicy> cases[] = {
        {false, "", AccelerationPolicy::never},  // Xvfb, Xvnc, a forwarded display
        {false, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", AccelerationPolicy::never},
        {true, "llvmpipe (LLVM 15.0.6, 256 bits)", AccelerationPolicy::never},
        {true, "softpipe", AccelerationPolicy::never},
        {true, "Software Rasterizer", AccelerationPolicy::never},
        {true, "Mesa DRI swrast", AccelerationPolicy::never},
        {true, "LLVMPIPE (LLVM 17.0.6, 128 BITS)", AccelerationPolicy::never},
        {true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", AccelerationPolicy::engineDefault},
        {true, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)", AccelerationPolicy::engineDefault},
        {true, "NVIDIA GeForce RTX 3060/PCIe/SSE2", AccelerationPolicy::engineDefault},
        {true, "virgl (Intel(R) Iris(R) Xe Graphics)", AccelerationPolicy::engineDefault},
        {true, "", AccelerationPolicy::engineDefault},  // a GPU whose renderer could not be asked
    };
    for (const auto& [direct, renderer, expected] : cases)
        EXPECT_EQ(chooseAcceleration({direct, renderer}).policy, expected) << direct << " " << renderer;
}

}  // namespace
}  // namespace quenlith
