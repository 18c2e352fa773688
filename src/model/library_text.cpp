#include "model/library_text.hpp"

#include "model/text_limits.hpp"

namespace quenlith {

bool hasAtMostCharacters(std::string_view text, std::size_t limit) {
    if (text.size() <= limit) return true;
    // A character is at least one scalar, so a scalar count within the limit settles it.
    std::size_t scalars = 0;
    allScalars(text, [&](char32_t) { return ++scalars <= limit; });
    if (scalars <= limit) return true;
    return prefixCharacters(text, limit).size() == text.size();
}

}  // namespace quenlith
