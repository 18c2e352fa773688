#pragma once

#include <cstddef>
#include <string_view>

namespace quenlith {

// True when `text` has at most `limit` user-perceived characters. Cheap for text whose byte or
// scalar count is already within the limit (the usual case); only longer text is segmented, so
// validating a large library stays fast.
bool hasAtMostCharacters(std::string_view text, std::size_t limit);

}  // namespace quenlith
