#include "model/text_limits.hpp"

#include <algorithm>
#include <memory>
#include <optional>
#include <utility>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace quenlith {

namespace text_detail {

char32_t nextScalar(std::string_view text, std::size_t& offset) {
    // U8_NEXT takes int32_t indices; records never hold texts anywhere near 2 GB.
    auto length = static_cast<std::int32_t>(text.size());
    auto index = static_cast<std::int32_t>(offset);
    UChar32 scalar = 0;
    U8_NEXT(reinterpret_cast<const std::uint8_t*>(text.data()), index, length, scalar);
    offset = static_cast<std::size_t>(index);
    return scalar < 0 ? U'\uFFFD' : static_cast<char32_t>(scalar);
}

}  // namespace text_detail

namespace {

// One character break iterator per thread: creating it loads rule data, setting a text is cheap.
icu::BreakIterator* characterIterator() {
    thread_local std::unique_ptr<icu::BreakIterator> iterator = [] {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::BreakIterator> made(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) made.reset();
        return made;
    }();
    return iterator.get();
}

bool isAscii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

// Byte offset just after the first `count` characters, or text.size() when there are fewer.
// Returns the number of characters actually passed in `passed`.
std::size_t offsetAfterCharacters(std::string_view text, std::size_t count, std::size_t& passed) {
    passed = 0;
    if (text.empty() || count == 0) return 0;
    // Plain ASCII without carriage returns has one character per byte ("\r\n" is one character).
    // Only the bytes up to the one after the last character counted matter: a mark that joins the
    // next byte to that character is no ASCII.
    const std::string_view counted = text.substr(0, std::min(count, text.size()) + 1);
    if (isAscii(counted) && counted.find('\r') == std::string_view::npos) {
        passed = std::min(count, text.size());
        return passed;
    }
    icu::BreakIterator* iterator = characterIterator();
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<std::int64_t>(text.size()), &status);
    if (U_FAILURE(status) || !iterator) {
        utext_close(utext);
        // Without ICU data fall back to scalars, which at least never split a UTF-8 sequence.
        std::size_t offset = 0;
        while (offset < text.size() && passed < count) {
            text_detail::nextScalar(text, offset);
            ++passed;
        }
        return offset;
    }
    iterator->setText(utext, status);
    std::size_t offset = 0;
    for (std::int32_t boundary = iterator->next(); boundary != icu::BreakIterator::DONE && passed < count;
         boundary = iterator->next()) {
        offset = static_cast<std::size_t>(boundary);
        ++passed;
    }
    // Detach the iterator from the text before the text goes away.
    UText* empty = utext_openUTF8(nullptr, "", 0, &status);
    iterator->setText(empty, status);
    utext_close(utext);
    utext_close(empty);
    return offset;
}

// The byte offsets of the first and just after the last scalar of `text` that is no white space;
// none when there is no such scalar.
std::optional<std::pair<std::size_t, std::size_t>> contentBounds(std::string_view text) {
    std::optional<std::pair<std::size_t, std::size_t>> bounds;
    std::size_t offset = 0;
    while (offset < text.size()) {
        const std::size_t start = offset;
        if (isWhitespaceOrNewline(text_detail::nextScalar(text, offset))) continue;
        if (!bounds) bounds.emplace(start, offset);
        bounds->second = offset;
    }
    return bounds;
}

}  // namespace

bool isWhitespaceOrNewline(char32_t scalar) {
    return u_isUWhiteSpace(static_cast<UChar32>(scalar));
}

std::string trimmedWhitespaceAndNewlines(std::string_view text) {
    const auto bounds = contentBounds(text);
    if (!bounds) return {};
    return std::string(text.substr(bounds->first, bounds->second - bounds->first));
}

std::size_t characterCount(std::string_view text) {
    std::size_t passed = 0;
    offsetAfterCharacters(text, text.size(), passed);
    return passed;
}

std::string prefixCharacters(std::string_view text, std::size_t count) {
    std::size_t passed = 0;
    return std::string(text.substr(0, offsetAfterCharacters(text, count, passed)));
}

std::string shortenedText(std::string_view text, std::size_t count) {
    std::size_t passed = 0;
    const std::size_t end = offsetAfterCharacters(text, count, passed);
    if (end >= text.size()) return std::string(text);
    const std::string_view kept = text.substr(0, end);
    const auto bounds = contentBounds(kept);
    return std::string(kept.substr(0, bounds ? bounds->second : 0)) + "\u2026";
}

}  // namespace quenlith
