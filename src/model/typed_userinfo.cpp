#include "model/typed_userinfo.hpp"

#include <algorithm>
#include <cstring>
#include <utility>

#include <glib.h>

namespace quenlith {

namespace {

// One character of a word as an address reader may take it, and the bytes it is written with.
struct ReadCharacter {
    gunichar c = 0;
    std::size_t begin = 0;
    std::size_t end = 0;
};

// A compatibility form ("＠", "：", "／") as the ASCII character it stands for.
gunichar folded(gunichar c) {
    if (c < 0x80) return c;
    gunichar decomposition[G_UNICHAR_MAX_DECOMPOSITION_LENGTH];
    const gsize length = g_unichar_fully_decompose(c, TRUE, decomposition, G_N_ELEMENTS(decomposition));
    return length == 1 && decomposition[0] < 0x80 ? decomposition[0] : c;
}

// The word's characters with "%XX" escapes decoded (a run of them as UTF-8) and compatibility
// forms folded; a byte that starts no character reads as U+FFFD.
std::vector<ReadCharacter> readCharacters(std::string_view word) {
    struct Byte {
        unsigned char value;
        std::size_t begin, end;
    };
    std::vector<Byte> bytes;
    for (std::size_t i = 0; i < word.size();) {
        if (word[i] == '%' && i + 2 < word.size() && g_ascii_isxdigit(word[i + 1]) && g_ascii_isxdigit(word[i + 2])) {
            const auto value = static_cast<unsigned char>(g_ascii_xdigit_value(word[i + 1]) * 16 +
                                                          g_ascii_xdigit_value(word[i + 2]));
            bytes.push_back({value, i, i + 3});
            i += 3;
        } else {
            bytes.push_back({static_cast<unsigned char>(word[i]), i, i + 1});
            ++i;
        }
    }
    std::vector<ReadCharacter> characters;
    for (std::size_t i = 0; i < bytes.size();) {
        const unsigned char lead = bytes[i].value;
        std::size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 1;
        std::string sequence;
        for (std::size_t k = 0; k < length && i + k < bytes.size(); ++k)
            sequence.push_back(static_cast<char>(bytes[i + k].value));
        gunichar c = g_utf8_get_char_validated(sequence.data(), static_cast<gssize>(sequence.size()));
        if (sequence.size() < length || c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2)) {
            c = 0xFFFD;
            length = 1;
        }
        characters.push_back({folded(c), bytes[i].begin, bytes[i + length - 1].end});
        i += length;
    }
    return characters;
}

// Characters no user name or password can hold as they are (RFC 3986's userinfo leaves them out).
bool endsUserinfo(gunichar c) {
    return c < 0x21 || c == 0x7F || (c < 0x80 && std::strchr("/?#[]@<>\"\\^`{|}", static_cast<int>(c)) != nullptr);
}

// The end (the colon's index) of a "scheme:" of kSchemesWithoutSlashes that the characters
// [start, limit) begin with, and the scheme in lower case; {0, ""} when there is none.
std::pair<std::size_t, std::string> leadingScheme(const std::vector<ReadCharacter>& characters, std::size_t start,
                                                  std::size_t limit) {
    std::string scheme;
    for (std::size_t i = start; i < limit; ++i) {
        const gunichar c = characters[i].c;
        if (c == ':') {
            for (auto known : kSchemesWithoutSlashes)
                if (scheme == known) return {i, scheme};
            return {0, ""};
        }
        if (c >= 0x80 || !(g_ascii_isalnum(static_cast<char>(c)) || std::strchr("+-.", static_cast<int>(c)))) break;
        scheme.push_back(g_ascii_tolower(static_cast<char>(c)));
    }
    return {0, ""};
}

}  // namespace

std::vector<TypedUserinfo> typedUserinfo(std::string_view word) {
    const std::vector<ReadCharacter> characters = readCharacters(word);
    std::vector<TypedUserinfo> found;
    std::size_t runStart = 0;
    for (std::size_t i = 0; i < characters.size(); ++i) {
        const gunichar c = characters[i].c;
        if (c != '@') {
            if (endsUserinfo(c)) runStart = i + 1;
            continue;
        }
        std::size_t from = std::exchange(runStart, i + 1);
        const bool hostFollows =
            i + 1 < characters.size() && (characters[i + 1].c == '[' || !endsUserinfo(characters[i + 1].c));
        if (!hostFollows) continue;
        bool inAddress = from >= 2 && characters[from - 1].c == '/' && characters[from - 2].c == '/';
        if (auto [colon, scheme] = leadingScheme(characters, from, i); colon > 0) {
            from = colon + 1;
            inAddress = scheme == "http" || scheme == "https";
        }
        if (from == i) continue;
        const bool password =
            std::any_of(characters.begin() + static_cast<std::ptrdiff_t>(from),
                        characters.begin() + static_cast<std::ptrdiff_t>(i), [](const ReadCharacter& r) { return r.c == ':'; });
        found.push_back({characters[from].begin, characters[i].end, password, inAddress});
    }
    return found;
}

std::string withoutTypedUserinfo(std::string_view word) {
    std::string kept(word);
    // Again until none is left: what stood on either side of one may read as another once joined.
    for (auto found = typedUserinfo(kept); !found.empty(); found = typedUserinfo(kept)) {
        std::string shorter;
        std::size_t next = 0;
        for (const auto& userinfo : found) {
            shorter.append(kept, next, userinfo.begin - next);
            next = userinfo.end;
        }
        shorter.append(kept, next);
        kept = std::move(shorter);
    }
    return kept;
}

}  // namespace quenlith
