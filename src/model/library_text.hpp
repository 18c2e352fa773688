#pragma once

// Text measures used by the library and the session snapshot: lengths in user-perceived
// characters (extended grapheme clusters) and trimming of white space and line breaks.

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlith {

// True when `text` has at most `limit` user-perceived characters. Cheap for text whose code-point
// count is already within the limit (the usual case); only longer text is segmented.
bool hasAtMostCharacters(std::string_view text, std::size_t limit);

// The first `count` user-perceived characters of `text` (all of it when shorter).
std::string firstCharacters(std::string_view text, std::size_t count);

// `text` without leading and trailing Unicode white space and line breaks.
std::string trimmedText(std::string_view text);

}  // namespace quenlith
