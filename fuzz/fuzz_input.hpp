#pragma once

// What every fuzz target shares: the input as text, and a check that cannot be optimised away.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace quenlith::fuzz {

inline std::string_view text(const std::uint8_t* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// A round trip that disagrees with itself is a fault even when nothing crashed.
inline void require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace quenlith::fuzz
