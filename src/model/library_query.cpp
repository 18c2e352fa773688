#include "model/library_query.hpp"

#include <algorithm>

#include <unicode/unistr.h>

namespace quenlith {

namespace {

std::u16string folded(std::string_view text) {
    icu::UnicodeString unicode =
        icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), static_cast<int32_t>(text.size())));
    unicode.foldCase();
    return std::u16string(reinterpret_cast<const char16_t*>(unicode.getBuffer()),
                          static_cast<std::size_t>(unicode.length()));
}

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

char asciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c; }

}  // namespace

LibraryQuery::LibraryQuery(std::string_view query) : empty_(query.empty()), folded_(folded(query)) {
    icu::UnicodeString unicode(reinterpret_cast<const UChar*>(folded_.data()), static_cast<int32_t>(folded_.size()));
    unicode.toUTF8String(foldedUtf8_);
}

bool LibraryQuery::isContainedIn(std::string_view text) const {
    if (empty_) return true;
    // Folding an ASCII text only lowers its letters, so most texts (addresses, English titles)
    // skip the conversion; a folded query with other characters can never match them.
    if (isAscii(text)) {
        if (foldedUtf8_.size() > text.size()) return false;
        auto found = std::search(text.begin(), text.end(), foldedUtf8_.begin(), foldedUtf8_.end(),
                                 [](char a, char b) { return asciiLower(a) == b; });
        return found != text.end();
    }
    return folded(text).find(folded_) != std::u16string::npos;
}

}  // namespace quenlith
