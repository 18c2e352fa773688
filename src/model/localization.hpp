#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace quenlith {

// One argument of a formatted text: %@ takes text, %d / %ld / %lld take integers.
using FormatArgument = std::variant<std::string, std::int64_t>;

// The English text is the key and the fallback. The interface language is fixed at the first
// lookup of a launch.
std::string localizedString(std::string_view english);

// Looks the format up like localizedString, then fills its placeholders (%@, %d, %ld, %lld, %%,
// positional %n$), formatting numbers with the interface language's locale. A translation whose
// placeholders do not match the English format falls back to the English format.
std::string localizedFormat(std::string_view englishFormat, const std::vector<FormatArgument>& arguments);

// The BCP 47 tag of the interface language of this launch ("en" or "zh-Hans"), for formatting
// dates and numbers in it.
std::string interfaceLanguageCode();

}  // namespace quenlith
