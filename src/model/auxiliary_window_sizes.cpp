#include "model/auxiliary_window_sizes.hpp"

#include <algorithm>

namespace quenlith {

namespace {

// The largest size, or the work area less its margins when that is smaller, never below 1.
int fitted(std::optional<int> available, int margin, int largest) {
    if (!available) return largest;
    return std::max(1, std::min(*available - margin, largest));
}

}  // namespace

ContentSize quickOpenContentSize(std::optional<ContentSize> area) {
    return {fitted(area ? std::optional(area->width) : std::nullopt, 80, 690),
            fitted(area ? std::optional(area->height) : std::nullopt, 100, 510)};
}

ContentSize guideContentSize(std::optional<ContentSize> area) {
    return {fitted(area ? std::optional(area->width) : std::nullopt, 60, 620),
            fitted(area ? std::optional(area->height) : std::nullopt, 80, 620)};
}

ContentSize batchLinksContentSize(std::optional<ContentSize> area) {
    return {fitted(area ? std::optional(area->width) : std::nullopt, 40, 610),
            fitted(area ? std::optional(area->height) : std::nullopt, 100, 640)};
}

ContentSize clipContentSize(std::optional<ContentSize> area) {
    return {fitted(area ? std::optional(area->width) : std::nullopt, 40, 540),
            fitted(area ? std::optional(area->height) : std::nullopt, 100, 510)};
}

}  // namespace quenlith
