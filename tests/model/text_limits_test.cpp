#include <gtest/gtest.h>

#include <string>

#include "model/text_limits.hpp"

namespace quenlith {
namespace {

TEST(TextLimits, TrimsUnicodeWhiteSpaceAndLineBreaksOnly) {
    EXPECT_EQ(trimmedWhitespaceAndNewlines(" \t\n name \r\n"), "name");
    EXPECT_EQ(trimmedWhitespaceAndNewlines("\u3000\u00A0名字 内\u2028\u0085"), "名字 内");
    EXPECT_EQ(trimmedWhitespaceAndNewlines("  a  b  "), "a  b");
    EXPECT_EQ(trimmedWhitespaceAndNewlines(" \u2029 "), "");
    EXPECT_EQ(trimmedWhitespaceAndNewlines("\u200Bx\u200B"), "\u200Bx\u200B") << "zero-width space is not white space";
}

TEST(TextLimits, CountsAndCutsWholeCharacters) {
    struct Case {
        const char* label;
        std::string character;  // one user-perceived character
    };
    const Case cases[] = {
        {"ASCII", "a"},
        {"CJK", "中"},
        {"combining accent", "e\u0301"},
        {"emoji with skin tone", "\U0001F44D\U0001F3FD"},
        {"family joined by zero-width joiners", "\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466"},
        {"flag", "\U0001F1EF\U0001F1F5"},
        {"carriage return and line feed", "\r\n"},
        {"Hangul syllable from jamo", "\u1100\u1161\u11A8"},
    };
    for (const auto& c : cases) {
        std::string text = std::string(3, 'x') + c.character + c.character + "y";
        EXPECT_EQ(characterCount(text), 6u) << c.label;
        EXPECT_EQ(prefixCharacters(text, 4), "xxx" + c.character) << c.label;
        EXPECT_EQ(prefixCharacters(text, 5), "xxx" + c.character + c.character) << c.label;
        EXPECT_EQ(prefixCharacters(text, 100), text) << c.label;
    }
    EXPECT_EQ(prefixCharacters("", 3), "");
    EXPECT_EQ(prefixCharacters("abc", 0), "");
}

// A shortened text keeps whole characters and ends in "…" only when something was cut; the white
// space before the cut goes with it.
TEST(TextLimits, ShortensToWholeCharactersAndMarksTheCut) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    struct Case {
        const char* label;
        std::string text;
        std::size_t count;
        std::string expected;
    };
    const Case cases[] = {
        {"empty", "", 3, ""},
        {"shorter", "Mail", 5, "Mail"},
        {"exactly as long", "Mail", 4, "Mail"},
        {"one longer", "Mails", 4, "Mail\u2026"},
        {"nothing kept", "Mail", 0, "\u2026"},
        {"white space before the cut", "Mail box", 5, "Mail\u2026"},
        {"only white space kept", " \u3000 Mail", 3, "\u2026"},
        {"a mark on the last character kept", "caf" "e\u0301s", 4, "cafe\u0301\u2026"},
        {"a mark on the first character cut", "cafe\u0301", 3, "caf\u2026"},
        {"a joined sequence", family + family, 1, family + "\u2026"},
        {"a flag pair", "\U0001F1EF\U0001F1F5\U0001F1E8\U0001F1F3", 1, "\U0001F1EF\U0001F1F5\u2026"},
        {"CJK", "中文名字", 2, "中文\u2026"},
        {"a line break kept whole", "ab\r\ncd", 3, "ab\u2026"},
        {"megabytes", std::string(5'000'000, 'x'), 3, "xxx\u2026"},
        {"megabytes after a non-ASCII start", "\u00E9" + std::string(5'000'000, 'x'), 2, "\u00E9x\u2026"},
    };
    for (const Case& c : cases) EXPECT_EQ(shortenedText(c.text, c.count), c.expected) << c.label;
}

TEST(TextLimits, MalformedBytesNeverSplitOrCrash) {
    const std::string text = "ab\xC3" "cd\xFF";
    EXPECT_EQ(characterCount(text), 6u);
    EXPECT_EQ(prefixCharacters(text, 3), "ab\xC3");
    std::string scalars;
    allScalars(text, [&](char32_t c) {
        scalars += c == U'\uFFFD' ? '?' : static_cast<char>(c);
        return true;
    });
    EXPECT_EQ(scalars, "ab?cd?");
}

}  // namespace
}  // namespace quenlith
