#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quenlith {

// Schemes that make text an address without "//" after them ("file:/etc/hosts", "about:blank").
// Other text before a colon is no scheme: "user:pass@host" is an address without one, and
// "define:word" a search.
inline constexpr std::array<std::string_view, 9> kSchemesWithoutSlashes = {
    "about", "blob", "data", "file", "http", "https", "javascript", "mailto", "view-source"};

// A user name, and maybe a password, that a typed word holds before an "@" followed by a host,
// however it is spelled: after "//" or without, with "%40" or a full-width "＠" for the "@",
// "%3A" or "：" for the colon, inside "<…>" or glued to other text. `begin` and `end` are byte
// offsets into the word, the "@" included; a known "scheme:" before it ("http:", "mailto:") is no
// part of it.
struct TypedUserinfo {
    std::size_t begin = 0;
    std::size_t end = 0;
    bool password = false;
    // Written where an address puts it: after "//", or after "http:" or "https:".
    bool inAddress = false;
    bool operator==(const TypedUserinfo&) const = default;
};

// Every user name the word holds, in order. `word` is UTF-8 without white space.
std::vector<TypedUserinfo> typedUserinfo(std::string_view word);

// The word with each of them cut out, until it holds none.
std::string withoutTypedUserinfo(std::string_view word);

}  // namespace quenlith
