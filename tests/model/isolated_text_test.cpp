#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/isolated_text.hpp"

namespace quenlith {
namespace {

// The controls by name, so the cases read: "<RLO>" is U+202E.
const std::vector<std::pair<std::string, std::string>> kControls = {
    {"<LRE>", "\u202A"}, {"<RLE>", "\u202B"}, {"<PDF>", "\u202C"}, {"<LRO>", "\u202D"}, {"<RLO>", "\u202E"},
    {"<LRI>", "\u2066"}, {"<RLI>", "\u2067"}, {"<FSI>", "\u2068"}, {"<PDI>", "\u2069"}, {"<PS>", "\u2029"},
};

std::string replaced(std::string text, bool toNames) {
    for (const auto& [name, control] : kControls) {
        const std::string& from = toNames ? control : name;
        const std::string& to = toNames ? name : control;
        for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
            text.replace(at, from.size(), to);
    }
    return text;
}

// A name is shown by its beginning, without the controls that could reorder what stands around it:
// what is drawn and what a screen reader, a braille display or a script reads are one text.
TEST(IsolatedText, ShowsANameByItsBeginningWithoutBidirectionalControls) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Mail", "Mail"},
        {"بريد — Inbox", "بريد — Inbox"},
        // An override, an embedding or an isolate, left open, closed or stray, is dropped.
        {"<RLO>gpj.exe", "gpj.exe"},
        {"a<PDI>b<PDI><PDI>", "ab"},
        {"<RLI>x<PDI> y <LRE>z<PDF>", "x y z"},
        {"<FSI>Mail<PDI>", "Mail"},
        // Line breaks stay, and the other invisible characters.
        {"a<RLO>b\r\nc<PS>d\u200F\u2028", "ab\r\nc<PS>d\u200F\u2028"},
        // Only the beginning of a long name is shown.
        {std::string(kShownNameCharacters, 'x') + "y", std::string(kShownNameCharacters, 'x') + "\u2026"},
        {"<RLO>" + std::string(2'000'000, 'x'), std::string(kShownNameCharacters - 1, 'x') + "\u2026"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(replaced(shownName(replaced(text, false)), true), expected) << text.substr(0, 80);
    // A menu item or a title shows fewer characters.
    EXPECT_EQ(shownName(std::string(1000, 'x'), kShownTitleCharacters), std::string(kShownTitleCharacters, 'x') + "\u2026");
}

// What a screen reader is given: the shown text with every bidirectional control taken out, the
// name's own included; other invisible characters and line breaks stay.
TEST(IsolatedText, ReadsWithoutTheControls) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"<FSI>Mail<PDI>", "Mail"},
        {"Window 2 \u00B7 <FSI>Mail<PDI>", "Window 2 \u00B7 Mail"},
        {"<FSI><RLO>gpj.exe<PDF><PDI>", "gpj.exe"},
        {"<LRE><RLE><LRO><LRI><RLI>x<PDI><PDI><PDF><PDF><PDF>", "x"},
        {"<FSI>a<PDI>\r\n<FSI>b<PDI><PS>c\u200F\u2028", "a\r\nb<PS>c\u200F\u2028"},
        // A lone first byte of a control's sequence is not one.
        {"\xE2\x80", "\xE2\x80"},
    };
    for (const auto& [shown, spoken] : cases)
        EXPECT_EQ(replaced(withoutIsolation(replaced(shown, false)), true), spoken) << shown;
}

}  // namespace
}  // namespace quenlith
