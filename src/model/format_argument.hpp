#pragma once

#include <cstdint>
#include <string>
#include <variant>

namespace quenlith {

// One argument of a formatted text: %@ takes text, %d / %ld / %lld take integers.
using FormatArgument = std::variant<std::string, std::int64_t>;

}  // namespace quenlith
