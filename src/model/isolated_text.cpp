#include "model/isolated_text.hpp"

#include "model/text_limits.hpp"

namespace quenlith {

namespace {

// Whether the three bytes at `offset` are a bidirectional control: U+202A–U+202E and U+2066–U+2069
// are E2 80 AA–AE and E2 81 A6–A9 in UTF-8.
bool controlAt(std::string_view text, std::size_t offset) {
    if (offset + 3 > text.size() || static_cast<unsigned char>(text[offset]) != 0xE2) return false;
    auto second = static_cast<unsigned char>(text[offset + 1]),
         third = static_cast<unsigned char>(text[offset + 2]);
    return (second == 0x80 && third >= 0xAA && third <= 0xAE) || (second == 0x81 && third >= 0xA6 && third <= 0xA9);
}

}  // namespace

std::string shownName(std::string_view text, std::size_t count) {
    return withoutIsolation(shortenedText(text, count));
}

std::string withoutIsolation(std::string_view text) {
    std::string spoken;
    spoken.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        if (controlAt(text, offset)) {
            offset += 3;
            continue;
        }
        spoken += text[offset++];
    }
    return spoken;
}

}  // namespace quenlith
