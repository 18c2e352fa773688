#include <gtest/gtest.h>

#include <tuple>

#include "model/graphics_acceleration.hpp"

namespace quenlith {
namespace {

// Renderer strings as GL drivers report them, and the policy each display gets.
TEST(GraphicsAcceleration, SoftwareGLNeverAcceleratesARealGPUKeepsTheEngineDefault) {
    const auto never = AccelerationPolicy::never, engine = AccelerationPolicy::engineDefault;
    const std::tuple<bool, const char*, AccelerationPolicy> cases[] = {
        {false, "", never},  // Xvfb, Xvnc, a forwarded display
        {false, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", never},
        {true, "llvmpipe (LLVM 15.0.6, 256 bits)", never}, {true, "softpipe", never},
        {true, "Software Rasterizer", never}, {true, "Mesa DRI swrast", never},
        {true, "LLVMPIPE (LLVM 17.0.6, 128 BITS)", never},
        {true, "Mesa Intel(R) UHD Graphics 620 (KBL GT2)", engine},
        {true, "AMD Radeon RX 6600 (radeonsi, navi23, LLVM 15.0.6, DRM 3.49)", engine},
        {true, "NVIDIA GeForce RTX 3060/PCIe/SSE2", engine},
        {true, "virgl (Intel(R) Iris(R) Xe Graphics)", engine},
        {true, "", engine},  // a GPU whose renderer could not be asked
    };
    for (const auto& [direct, renderer, expected] : cases)
        EXPECT_EQ(chooseAcceleration({direct, renderer}).policy, expected) << direct << " " << renderer;
}

}  // namespace
}  // namespace quenlith
