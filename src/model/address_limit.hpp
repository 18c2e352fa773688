#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlith {

// The longest text taken as a website address, in bytes, wherever one comes in (links from other
// programs, typed or pasted text, the editor) and wherever one is kept (history, saved pages, the
// session). Twice the 8,192 characters a line of "Open Multiple Links" holds, so such a line of
// accented letters still fits; far beyond the 8 KB request line common web servers answer; and a
// full history of 1,000 visits at the limit (16 MB) still fits in the library's 20 MB file.
inline constexpr std::size_t kAddressByteLimit = 16'384;

// The code of a refusal for an address over the limit.
inline constexpr std::string_view kAddressTooLong = "addressInput.tooLong";

// Whether `text` is short enough to be taken as an address. Looks at the size alone, so a text of
// megabytes is refused before anything reads or copies it.
inline bool isWithinAddressLimit(std::string_view text) {
    return text.size() <= kAddressByteLimit;
}

// Whether a link of the application's own scheme is short enough to read: the address it carries
// may be escaped, three characters for every byte, after a short prefix.
inline bool isWithinLaunchLinkLimit(std::string_view link) {
    return link.size() <= 3 * kAddressByteLimit + 64;
}

// What the person is told where an over-long address was typed or pasted; it names no length.
std::string addressTooLongMessage();

}  // namespace quenlith
