#pragma once

// Text measures shared by the records: white space trimming and limits counted in user-perceived
// characters (extended grapheme clusters) rather than bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlith {

// White space and line breaks in the Unicode sense (spaces, tabs, line and paragraph separators,
// U+0085, no-break spaces, ideographic space).
bool isWhitespaceOrNewline(char32_t scalar);

// `text` without leading and trailing white space and line breaks.
std::string trimmedWhitespaceAndNewlines(std::string_view text);

// Number of user-perceived characters in UTF-8 `text`.
std::size_t characterCount(std::string_view text);

// The first `count` user-perceived characters of `text`; all of it when it is shorter. Never cuts
// inside a character, so emoji with modifiers, flag pairs and joined sequences stay whole.
std::string prefixCharacters(std::string_view text, std::size_t count);

// `text` when it has at most `count` user-perceived characters; else its first `count`, without
// the white space they end in, followed by "…". Only the characters kept are looked at, so cutting
// a text of megabytes costs no more than cutting a line.
std::string shortenedText(std::string_view text, std::size_t count);

// Calls `visit(scalar)` for every Unicode scalar of UTF-8 `text`, stopping when it returns false.
// Malformed bytes come through as U+FFFD.
template <typename Visitor>
bool allScalars(std::string_view text, Visitor&& visit);

namespace text_detail {
// Decodes the scalar at `offset` and advances it; malformed input yields U+FFFD.
char32_t nextScalar(std::string_view text, std::size_t& offset);
}

template <typename Visitor>
bool allScalars(std::string_view text, Visitor&& visit) {
    std::size_t offset = 0;
    while (offset < text.size()) {
        if (!visit(text_detail::nextScalar(text, offset))) return false;
    }
    return true;
}

}  // namespace quenlith
