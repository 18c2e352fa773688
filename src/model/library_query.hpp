#pragma once

#include <string>
#include <string_view>

namespace quenlith {

// The library window's search text, folded once, for case-insensitive containment tests over many
// saved pages and visits. The text is used exactly as typed: an empty query matches everything,
// a query of one space matches only texts holding a space.
class LibraryQuery {
public:
    explicit LibraryQuery(std::string_view query);
    bool empty() const { return empty_; }
    // Whether `text` contains the query anywhere, ignoring letter case (Unicode case folding, so
    // "STRASSE" finds "straße").
    bool isContainedIn(std::string_view text) const;

private:
    bool empty_ = true;
    // The folded query as UTF-8 (for ASCII texts, compared byte by byte after lower-casing) and
    // as UTF-16 (for every other text, folded by ICU).
    std::string foldedUtf8_;
    std::u16string folded_;
};

}  // namespace quenlith
