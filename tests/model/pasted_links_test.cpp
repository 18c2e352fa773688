// The pasted-links parser and the rules of its sheet.
#include <gtest/gtest.h>

#include "model/isolated_text.hpp"
#include "model/pasted_links.hpp"

namespace quenlith {
namespace {

std::string lines(int count, const std::string& prefix = "site") {
    std::string text;
    for (int i = 1; i <= count; ++i) text += prefix + std::to_string(i) + ".example\n";
    return text;
}

TEST(BatchLinkParseTest, ParsesLinesByTheRules) {
    using Lines = std::vector<std::int64_t>;
    using Urls = std::vector<std::string>;
    const struct {
        std::string text;
        Urls urls;
        Lines invalid;
        std::int64_t duplicates;
    } cases[] = {
        {"", {}, {}, 0},
        {"\n \n\t", {}, {}, 0},
        {"\n   \na.example\nb .example", {"https://a.example"}, {4}, 0},
        {"a.example\r\nb.example", {"https://a.example", "https://b.example"}, {}, 0},
        {"a.example\rb.example\r\r\nx y", {"https://a.example", "https://b.example"}, {4}, 0},
        {"a.example\u2028b.example\u2029x y\u0085c.example", {"https://a.example", "https://b.example", "https://c.example"}, {3}, 0},
        {"https://A.example\na.example/\nHTTPS://a.EXAMPLE", {"https://A.example"}, {}, 2},
        {"http://a.example\nhttps://a.example/P\nhttps://a.example/p?q#f\nhttps://a.example/p",
         {"http://a.example", "https://a.example/P", "https://a.example/p?q#f", "https://a.example/p"}, {}, 0},
        {"ftp://a.example\nftp://a.example", {}, {1, 2}, 0},
        {"x\U00010028y z", {}, {1}, 0},  // a four-byte character holding a separator's last bytes
    };
    for (const auto& c : cases) {
        BatchLinkParse parse = parseBatchLinks(c.text);
        EXPECT_EQ(parse, (BatchLinkParse{c.urls, c.invalid, c.duplicates, false, false})) << c.text;
    }
}

TEST(BatchLinkParseTest, BoundsTheInputTheLinesAndTheList) {
    std::string exact = "a.example\n" + std::string(kBatchLinkInputByteLimit - 10, ' ');
    EXPECT_EQ(parseBatchLinks(exact).urls.size(), 1u);
    EXPECT_EQ(parseBatchLinks(exact + " "), (BatchLinkParse{{}, {}, 0, false, true}));
    // Two-byte characters reach the limit at half as many characters.
    std::string wide = "a.example\n";
    while (wide.size() <= kBatchLinkInputByteLimit) wide += "\u00E9";
    EXPECT_TRUE(parseBatchLinks(wide).inputTooLarge);

    // Characters, not bytes, count: two-byte ones fill a line of 8,192 characters.
    std::string atLimit = "https://a.example/";
    for (std::size_t i = atLimit.size(); i < kBatchLinkLineCharacterLimit; ++i) atLimit += "\u00E9";
    EXPECT_EQ(parseBatchLinks(atLimit).urls.size(), 1u);
    EXPECT_EQ(parseBatchLinks(atLimit + "x").invalidLines, std::vector<std::int64_t>{1});

    // Repeats and invalid lines after the twentieth address still count.
    const std::vector<std::string> first20 = parseBatchLinks(lines(20)).urls;
    EXPECT_EQ(first20.back(), "https://site20.example");
    EXPECT_EQ(parseBatchLinks(lines(25) + "site1.example\nbad line"), (BatchLinkParse{first20, {27}, 1, true, false}));
    EXPECT_EQ(parseBatchLinks(lines(20) + "site1.example"), (BatchLinkParse{first20, {}, 1, false, false}));
}

TEST(BatchLinkParseTest, DecidesWhatTheSheetMayDo) {
    const auto plain = parseBatchLinks("a.example\nb.example");
    const auto signIn = parseBatchLinks("a.example\naccounts.google.com/signin");
    const auto tooMany = parseBatchLinks(lines(21));
    const auto empty = parseBatchLinks("");
    for (const auto* parse : {&signIn, &tooMany, &empty}) EXPECT_FALSE(parse->canSaveAsPageGroup());
    const struct {
        const BatchLinkParse* parse;
        BatchAction action;
        std::string name;
        bool enabled;
    } cases[] = {
        {&plain, BatchAction::tabs, "", true},
        {&signIn, BatchAction::tabs, "", true},
        {&tooMany, BatchAction::tabs, "", false},
        {&plain, BatchAction::group, " \n", false},
        {&plain, BatchAction::group, "R", true},
        {&signIn, BatchAction::group, "R", false},
        {&plain, BatchAction::group, std::string(100, 'n'), true},
        {&plain, BatchAction::group, std::string(101, 'n'), false},
        {&plain, BatchAction::group, " " + std::string(99, 'n') + " ", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canPerformBatchLinks(*c.parse, c.action, c.name), c.enabled) << c.name.size();

    const LinkSuggestion suggestion{"", "https://b.example/"};
    EXPECT_TRUE(isSuggestionListed(plain, suggestion));
    EXPECT_FALSE(isSuggestionListed(plain, {"", "https://c.example/"}));
    EXPECT_FALSE(isSuggestionListed(empty, suggestion));
    EXPECT_EQ(appendingSuggestion("", suggestion), "https://b.example/");
    EXPECT_EQ(appendingSuggestion("a", suggestion), "a\nhttps://b.example/");
    EXPECT_EQ(appendingSuggestion("a\n", suggestion), "a\nhttps://b.example/");
    EXPECT_EQ(suggestionLabel(suggestion), "b.example");
    EXPECT_EQ(suggestionLabel({"Mail", "https://b.example/"}), "Mail");
    EXPECT_EQ(suggestionLabel({std::string(2'000'000, 'M'), "https://b.example/"}),
              std::string(kShownTitleCharacters, 'M') + "\u2026");
    EXPECT_EQ(suggestionLabel({"", "file:///" + std::string(1000, 'f')}),
              "file:///" + std::string(kShownTitleCharacters - 8, 'f') + "\u2026");
    std::string invalid;
    for (int i = 0; i < 13; ++i) invalid += "x\n";
    EXPECT_EQ(shownInvalidLines(parseBatchLinks(invalid).invalidLines), "1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12");
}

}  // namespace
}  // namespace quenlith
