#include "model/isolated_text.hpp"

#include <algorithm>
#include <iterator>
#include <vector>

#include "model/text_limits.hpp"

namespace quenlith {

namespace {

constexpr std::string_view kFirstStrongIsolate = "\u2068";
constexpr std::string_view kPopIsolate = "\u2069";
constexpr std::string_view kPopEmbedding = "\u202C";
// Deep enough for any real title, far below the 125 levels the algorithm keeps (a name may be
// shown inside other isolated text).
constexpr std::size_t kMaximumNesting = 16;

enum class Control { none, embedding, popEmbedding, isolate, popIsolate };

// The control of the three bytes at `offset`: U+202A–U+202E and U+2066–U+2069 are E2 80 AA–AE and
// E2 81 A6–A9 in UTF-8.
Control controlAt(std::string_view text, std::size_t offset) {
    if (offset + 3 > text.size() || static_cast<unsigned char>(text[offset]) != 0xE2) return Control::none;
    auto second = static_cast<unsigned char>(text[offset + 1]),
         third = static_cast<unsigned char>(text[offset + 2]);
    if (second == 0x80 && third >= 0xAA && third <= 0xAE)
        return third == 0xAC ? Control::popEmbedding : Control::embedding;
    if (second == 0x81 && third >= 0xA6 && third <= 0xA9)
        return third == 0xA9 ? Control::popIsolate : Control::isolate;
    return Control::none;
}

// The length of the paragraph separator at `offset` (CR LF counts as one), or 0: LF, CR, U+001C–
// U+001E, U+0085 (C2 85) and U+2029 (E2 80 A9).
std::size_t paragraphSeparatorAt(std::string_view text, std::size_t offset) {
    const auto byte = [&](std::size_t at) {
        return at < text.size() ? static_cast<unsigned char>(text[at]) : 0;
    };
    const unsigned char first = byte(offset);
    if (first == '\r') return byte(offset + 1) == '\n' ? 2 : 1;
    if (first == '\n' || (first >= 0x1C && first <= 0x1E)) return 1;
    if (first == 0xC2 && byte(offset + 1) == 0x85) return 2;
    if (first == 0xE2 && byte(offset + 1) == 0x80 && byte(offset + 2) == 0xA9) return 3;
    return 0;
}

}  // namespace

std::string shownName(std::string_view text, std::size_t count) {
    return shortenedText(text, count);
}

std::string isolatedText(std::string_view whole, std::size_t count) {
    if (whole.empty()) return {};
    const std::string cut = shownName(whole, count);
    const std::string_view text = cut;
    std::string shown;
    shown.reserve(text.size() + 2 * kFirstStrongIsolate.size());
    std::vector<Control> open;  // the openers inside, innermost last
    auto closeAll = [&] {
        for (auto it = open.rbegin(); it != open.rend(); ++it)
            shown += *it == Control::isolate ? kPopIsolate : kPopEmbedding;
        open.clear();
        shown += kPopIsolate;
    };
    shown += kFirstStrongIsolate;
    for (std::size_t offset = 0; offset < text.size();) {
        if (std::size_t length = paragraphSeparatorAt(text, offset)) {
            closeAll();
            shown.append(text.substr(offset, length));
            shown += kFirstStrongIsolate;
            offset += length;
            continue;
        }
        const Control control = controlAt(text, offset);
        if (control == Control::none) {
            shown += text[offset++];
            continue;
        }
        const std::string_view bytes = text.substr(offset, 3);
        offset += 3;
        switch (control) {
            case Control::embedding:
            case Control::isolate:
                if (open.size() >= kMaximumNesting) break;
                open.push_back(control);
                shown += bytes;
                break;
            case Control::popEmbedding:
                // Only an embedding opened inside the same isolate is closed by it.
                if (open.empty() || open.back() != Control::embedding) break;
                open.pop_back();
                shown += bytes;
                break;
            case Control::popIsolate: {
                // It ends the innermost isolate and every embedding opened inside it; without one, it
                // would end ours.
                auto isolate = std::find(open.rbegin(), open.rend(), Control::isolate);
                if (isolate == open.rend()) break;
                for (auto it = open.rbegin(); it != isolate; ++it) shown += kPopEmbedding;
                open.erase(std::prev(isolate.base()), open.end());
                shown += bytes;
                break;
            }
            case Control::none: break;
        }
    }
    closeAll();
    return shown;
}

std::string withoutIsolation(std::string_view text) {
    std::string spoken;
    spoken.reserve(text.size());
    for (std::size_t offset = 0; offset < text.size();) {
        if (controlAt(text, offset) != Control::none) {
            offset += 3;
            continue;
        }
        spoken += text[offset++];
    }
    return spoken;
}

}  // namespace quenlith
