#pragma once

#include <optional>

#include "model/auxiliary_window_sizes.hpp"

namespace quenlith {

// The size of the main screen's work area; none without a display or a monitor.
std::optional<ContentSize> mainWorkArea();

}  // namespace quenlith
