#include "model/library_text.hpp"

#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/utext.h>
#include <unicode/utf8.h>

namespace quenlith {

namespace {

// Code points, counting each malformed byte as one (ICU segments those the same way).
std::size_t codePointCount(std::string_view text) {
    std::size_t count = 0;
    for (unsigned char byte : text)
        if ((byte & 0xC0) != 0x80) ++count;
    return count;
}

// Byte offset where the first `count` grapheme clusters end, or npos when the text has fewer.
std::size_t graphemeBoundary(std::string_view text, std::size_t count) {
    UErrorCode status = U_ZERO_ERROR;
    UText* utext = utext_openUTF8(nullptr, text.data(), static_cast<int64_t>(text.size()), &status);
    std::unique_ptr<icu::BreakIterator> iterator(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !iterator) {
        utext_close(utext);
        return std::string_view::npos;
    }
    iterator->setText(utext, status);
    std::size_t boundary = std::string_view::npos;
    int32_t position = iterator->first();
    for (std::size_t seen = 0; seen < count; ++seen) {
        position = iterator->next();
        if (position == icu::BreakIterator::DONE) break;
        if (seen + 1 == count) boundary = static_cast<std::size_t>(position);
    }
    if (count == 0) boundary = 0;
    utext_close(utext);
    if (boundary != std::string_view::npos && boundary >= text.size()) return std::string_view::npos;
    return boundary;
}

}  // namespace

bool hasAtMostCharacters(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return true;
    if (codePointCount(text) <= limit) return true;
    // More than `limit` code points: the text is over the limit exactly when a grapheme boundary
    // after `limit` clusters lies before its end.
    return graphemeBoundary(text, limit) == std::string_view::npos;
}

std::string firstCharacters(std::string_view text, std::size_t count) {
    if (codePointCount(text) <= count) return std::string(text);
    std::size_t boundary = graphemeBoundary(text, count);
    if (boundary == std::string_view::npos) return std::string(text);
    return std::string(text.substr(0, boundary));
}

std::string trimmedText(std::string_view text) {
    auto isSpaceAt = [&](std::size_t offset, std::size_t& next) {
        UChar32 c = 0;
        int32_t i = static_cast<int32_t>(offset);
        U8_NEXT(text.data(), i, static_cast<int32_t>(text.size()), c);
        next = static_cast<std::size_t>(i);
        return c >= 0 && u_isUWhiteSpace(c);
    };
    std::size_t start = 0;
    std::size_t next = 0;
    while (start < text.size() && isSpaceAt(start, next)) start = next;
    // Walk forward remembering where the last non-space character ends.
    std::size_t end = start;
    for (std::size_t offset = start; offset < text.size(); offset = next)
        if (!isSpaceAt(offset, next)) end = next;
    return std::string(text.substr(start, end - start));
}

}  // namespace quenlith
