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
