#pragma once

#include <string>
#include <string_view>

namespace quenlith {

// The comparison text of a page address: scheme and host in lower case and an empty path written
// as "/", the rest as it was. Two addresses name the same page when their texts are equal. An
// address that does not split into parts is its own text. Never fails.
std::string deduplicationKey(std::string_view address);

}  // namespace quenlith
