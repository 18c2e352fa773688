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

std::string repeated(const std::string& text, int count) {
    std::string result;
    for (int i = 0; i < count; ++i) result += text;
    return result;
}

TEST(IsolatedText, WrapsTheTextAndBalancesTheControlsInside) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"Mail", "<FSI>Mail<PDI>"},
        {"بريد — Inbox", "<FSI>بريد — Inbox<PDI>"},
        // An override left open is closed inside; closers without an opener are dropped, so the
        // isolate cannot end early.
        {"<RLO>gpj.exe", "<FSI><RLO>gpj.exe<PDF><PDI>"},
        {"a<PDI>b<PDI><PDI>", "<FSI>ab<PDI>"},
        {"a<PDF>b", "<FSI>ab<PDI>"},
        {"<LRI><RLO>x", "<FSI><LRI><RLO>x<PDF><PDI><PDI>"},
        // Balanced controls stay as they are.
        {"<RLI>x<PDI> y <LRE>z<PDF>", "<FSI><RLI>x<PDI> y <LRE>z<PDF><PDI>"},
        // A PDF does not reach out of an isolate; a PDI ends the embeddings opened inside it.
        {"<RLE>a<LRI>b<PDF>c<PDI>d", "<FSI><RLE>a<LRI>bc<PDI>d<PDF><PDI>"},
        {"<RLI>a<RLO>b<PDI>c<PDI>", "<FSI><RLI>a<RLO>b<PDF><PDI>c<PDI>"},
        // Each paragraph is isolated on its own (CR LF is one break); a line separator is not a break.
        {"a<RLO>b\nc", "<FSI>a<RLO>b<PDF><PDI>\n<FSI>c<PDI>"},
        {"a\r\nb<PS>c", "<FSI>a<PDI>\r\n<FSI>b<PDI><PS><FSI>c<PDI>"},
        {"a\u0085b\034c", "<FSI>a<PDI>\u0085<FSI>b<PDI>\034<FSI>c<PDI>"},
        {"a\u2028b\u202F", "<FSI>a\u2028b\u202F<PDI>"},
        // Nesting stops well below the algorithm's limit; the extra openers and their closers go.
        {repeated("<RLO>", 20) + "x" + repeated("<PDF>", 20),
         "<FSI>" + repeated("<RLO>", 16) + "x" + repeated("<PDF>", 16) + "<PDI>"},
        // Only the beginning of a long name is shown, the controls it leaves open closed after "…".
        {std::string(kShownNameCharacters, 'x') + "y",
         "<FSI>" + std::string(kShownNameCharacters, 'x') + "\u2026<PDI>"},
        {"<RLO>" + std::string(2'000'000, 'x'),
         "<FSI><RLO>" + std::string(kShownNameCharacters - 1, 'x') + "\u2026<PDF><PDI>"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(replaced(isolatedText(replaced(text, false)), true), expected) << text.substr(0, 80);
    // A menu item or a title shows fewer characters.
    EXPECT_EQ(isolatedText(std::string(1000, 'x'), kShownTitleCharacters),
              "\u2068" + std::string(kShownTitleCharacters, 'x') + "\u2026\u2069");
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
