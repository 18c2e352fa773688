#pragma once

#include <optional>

#include "model/content_size.hpp"

namespace quenlith {

// Content sizes of the auxiliary windows for the work area of the main screen (none when there is
// no screen). A work area too small for the margins still gives at least 1 × 1.
ContentSize quickOpenContentSize(std::optional<ContentSize> workArea);  // 690 × 510 at most
ContentSize guideContentSize(std::optional<ContentSize> workArea);      // 620 × 620 at most
ContentSize batchLinksContentSize(std::optional<ContentSize> workArea);  // 610 × 640 at most
ContentSize clipContentSize(std::optional<ContentSize> workArea);        // 540 × 510 at most

}  // namespace quenlith
