#include "model/address_text.hpp"

#include <algorithm>
#include <cstring>

#include <glib.h>
#include <unicode/uchar.h>

namespace quenlith {

namespace {

bool isWhiteSpace(gunichar c) {
    return u_isUWhiteSpace(static_cast<UChar32>(c));
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Calls visit(offset, length, isWhiteSpace) for each character; a byte that starts no valid
// UTF-8 sequence counts as one character of text.
template <typename Visit>
void forEachCharacter(std::string_view text, Visit visit) {
    const char* begin = text.data();
    const char* end = begin + text.size();
    for (const char* p = begin; p < end;) {
        gunichar c = g_utf8_get_char_validated(p, end - p);
        std::size_t length = 1;
        bool space = false;
        if (c != static_cast<gunichar>(-1) && c != static_cast<gunichar>(-2)) {
            length = static_cast<std::size_t>(g_utf8_next_char(p) - p);
            space = isWhiteSpace(c);
        }
        if (!visit(static_cast<std::size_t>(p - begin), length, space)) return;
        p += length;
    }
}

}  // namespace

std::string_view trimmedText(std::string_view text) {
    std::size_t first = text.size(), last = 0;
    forEachCharacter(text, [&](std::size_t offset, std::size_t length, bool space) {
        if (!space) {
            first = std::min(first, offset);
            last = offset + length;
        }
        return true;
    });
    if (first >= last) return {};
    return text.substr(first, last - first);
}

bool containsWhiteSpace(std::string_view text) {
    bool found = false;
    forEachCharacter(text, [&](std::size_t, std::size_t, bool space) {
        found = found || space;
        return !found;
    });
    return found;
}

std::vector<std::string_view> whiteSpaceSeparatedWords(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t start = 0;
    forEachCharacter(text, [&](std::size_t offset, std::size_t length, bool space) {
        if (space) {
            if (offset > start) words.push_back(text.substr(start, offset - start));
            start = offset + length;
        }
        return true;
    });
    if (start < text.size()) words.push_back(text.substr(start));
    return words;
}

std::string asciiLowercased(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = g_ascii_tolower(c);
    return out;
}

std::string lowercased(std::string_view text) {
    if (!g_utf8_validate_len(text.data(), static_cast<gssize>(text.size()), nullptr))
        return asciiLowercased(text);
    gchar* lower = g_utf8_strdown(text.data(), static_cast<gssize>(text.size()));
    std::string out(lower);
    g_free(lower);
    return out;
}

std::string percentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            int high = hexValue(text[i + 1]), low = hexValue(text[i + 2]);
            if (high >= 0 && low >= 0) {
                out.push_back(static_cast<char>(high * 16 + low));
                i += 2;
                continue;
            }
        }
        out.push_back(text[i]);
    }
    return out;
}

void forEachParameterName(std::string_view parameters, const std::function<void(const std::string&)>& visit) {
    std::size_t start = 0;
    while (start <= parameters.size()) {
        std::size_t end = parameters.find('&', start);
        if (end == std::string_view::npos) end = parameters.size();
        std::string_view item = parameters.substr(start, end - start);
        if (!item.empty()) visit(percentDecoded(item.substr(0, item.find('='))));
        start = end + 1;
    }
}

std::string encodedHost(std::string_view host) {
    static constexpr char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(host.size());
    for (char c : host) {
        if (g_ascii_isalnum(c) || (c != '\0' && std::strchr("-._~!$&'()*+,;=:", c) != nullptr)) {
            out.push_back(c);
        } else {
            auto byte = static_cast<unsigned char>(c);
            out.push_back('%');
            out.push_back(digits[byte >> 4]);
            out.push_back(digits[byte & 0x0F]);
        }
    }
    return out;
}

std::string comparableHost(std::string_view host) {
    std::string lower = asciiLowercased(host);
    if (lower.rfind("www.", 0) == 0) lower.erase(0, 4);
    return lower;
}

}  // namespace quenlith
