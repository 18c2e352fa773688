#pragma once

namespace quenlith {

// The content size of a window, or of a monitor's work area, in pixels.
struct ContentSize {
    int width = 0;
    int height = 0;
    bool operator==(const ContentSize&) const = default;
};

}  // namespace quenlith
