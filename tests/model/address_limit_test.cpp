// The one limit on the length of an address, at every way an address comes in and wherever one is
// kept: an address at the limit is taken, one byte more is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/browser_session.hpp"
#include "model/clip_draft.hpp"
#include "model/file_test_support.hpp"
#include "model/launch_link_queue.hpp"
#include "model/launch_request.hpp"
#include "model/library_document.hpp"
#include "model/library_file.hpp"
#include "model/localization_testing.hpp"
#include "model/pasted_links.hpp"
#include "model/quick_open_palette.hpp"
#include "model/restorable_window.hpp"
#include "model/text_limits.hpp"
#include "support/temp_environment.hpp"

namespace quenlith {
namespace {

constexpr std::string_view kPrefix = "https://a.example/";

// An address of exactly `bytes` bytes, all of it plain ASCII.
std::string addressOfLength(std::size_t bytes) {
    return std::string(kPrefix) + std::string(bytes - kPrefix.size(), 'b');
}

// An address of exactly `bytes` bytes written with few characters (three-byte ones), as a pasted
// line of at most 8,192 characters may be.
std::string wideAddressOfLength(std::size_t bytes) {
    const std::size_t rest = bytes - kPrefix.size();
    std::string text(kPrefix);
    for (std::size_t i = 0; i < rest / 3; ++i) text += "\u4E2D";
    if (rest % 3 == 1) text += "x";
    if (rest % 3 == 2) text += "\u00E9";
    return text;
}

// How many tabs showing `address` a session snapshot keeps.
std::size_t keptTabsShowing(const std::string& address) {
    RestorableWindow window;
    window.frame = {0, 0, 800, 600};
    window.tabs = {RestorableTab{.title = "Start", .startPage = true},
                   RestorableTab{.address = address, .title = "Page"}};
    BrowserSessionDocument document;
    document.windows = {window};
    std::size_t kept = 0;
    for (const auto& shown : document.normalized().windows)
        for (const auto& tab : shown.tabs) kept += tab.address == address;
    return kept;
}

struct WayIn {
    const char* name;
    std::function<bool(std::size_t bytes)> takes;
};

TEST(AddressLimit, EveryWayInTakesAnAddressAtTheLimitAndRefusesOneByteMore) {
    const WayIn ways[] = {
        {"typed in an address field, Quick Open or the launcher",
         [](std::size_t bytes) {
             return resolveAddressInput(addressOfLength(bytes), SearchEngine::duckDuckGo).ok();
         }},
        {"typed as a search",
         [](std::size_t bytes) {
             return resolveAddressInput("find " + std::string(bytes - 5, 'b'), SearchEngine::duckDuckGo).ok();
         }},
        {"typed in Quick Open",
         [](std::size_t bytes) {
             QuickOpenPalette palette;
             palette.setQuery(addressOfLength(bytes), {});
             using Kind = QuickOpenPalette::Submission::Kind;
             return palette.submit() ==
                    QuickOpenPalette::Submission{Kind::search, {}, addressOfLength(bytes)};
         }},
        {"a website address anywhere",
         [](std::size_t bytes) { return normalizedWebsiteURL(addressOfLength(bytes)).has_value(); }},
        {"a link from another program",
         [](std::size_t bytes) {
             return LaunchRequest::parse("quenlith://open?url=" + addressOfLength(bytes)) ==
                    LaunchRequest::website(addressOfLength(bytes));
         }},
        {"a pasted line",
         [](std::size_t bytes) {
             const auto parse = parseBatchLinks("https://z.example\n" + wideAddressOfLength(bytes));
             EXPECT_EQ(parse.invalidLines, parse.tooLongLines);
             return parse.urls.size() == 2 && parse.tooLongLines.empty();
         }},
        {"kept in history, saved pages or a page group",
         [](std::size_t bytes) { return isCredentialFreeURL(addressOfLength(bytes)); }},
        {"saved as a bookmark or for reading later",
         [](std::size_t bytes) {
             PageClip clip;
             clip.address = addressOfLength(bytes);
             clip.readingState = ReadingState::unread;
             return canSaveClip(clip);
         }},
        {"kept in the session",
         [](std::size_t bytes) { return keptTabsShowing(addressOfLength(bytes)) == 1; }},
        {"kept in the library",
         [](std::size_t bytes) {
             LibraryDocument document;
             document.recordVisit(addressOfLength(bytes), "Page", Date::fromUnixSeconds(1700000000));
             return validateLibraryDocument(document).ok();
         }},
    };
    for (const auto& way : ways) {
        SCOPED_TRACE(way.name);
        EXPECT_TRUE(way.takes(kAddressByteLimit));
        EXPECT_FALSE(way.takes(kAddressByteLimit + 1));
    }
}

// Where a person typed or pasted it, they are told why it does not open.
TEST(AddressLimit, APersonIsToldWhyAnOverLongAddressIsNotOpened) {
    const Error tooLong{std::string(kAddressTooLong), addressTooLongMessage()};
    for (const std::string& text : {addressOfLength(kAddressByteLimit + 1), "  " + addressOfLength(4'000'000),
                                    "find " + std::string(kAddressByteLimit, 'b'),
                                    "ftp://a.example/" + std::string(kAddressByteLimit, 'b')}) {
        const auto resolved = resolveAddressInput(text, SearchEngine::google);
        ASSERT_FALSE(resolved.ok()) << text.size();
        EXPECT_EQ(resolved.error(), tooLong) << text.size();
    }

    // Quick Open says so in its search row rather than closing on a search that opens nothing.
    QuickOpenPalette palette;
    palette.setQuery(std::string(4'000'000, ' '), {});
    EXPECT_TRUE(palette.hasQuery());
    EXPECT_TRUE(palette.queryTooLong());

    // Pasted lines too long for an address are skipped as invalid and named again as too long.
    const auto parse =
        parseBatchLinks("not a link\n" + addressOfLength(kAddressByteLimit + 1) + "\nhttps://c.example\n\n" +
                        wideAddressOfLength(kAddressByteLimit + 1));
    EXPECT_EQ(parse, (BatchLinkParse{{"https://c.example"}, {1, 2, 5}, 0, false, false, {2, 5}}));
    EXPECT_TRUE(canPerformBatchLinks(parse, BatchAction::tabs, ""));
}

// The numbers a text shows, in order.
std::vector<std::size_t> numbersIn(const std::string& text) {
    std::vector<std::size_t> numbers;
    for (std::size_t at = text.find_first_of("0123456789"); at != std::string::npos;) {
        const std::size_t end = std::min(text.find_first_not_of("0123456789", at), text.size());
        numbers.push_back(std::stoul(text.substr(at, end - at)));
        at = text.find_first_of("0123456789", end);
    }
    return numbers;
}

// The limit counts encoded bytes: an address of 6,000 Chinese characters is over it. What the
// person is told of it is true of what they gave, in either language: it claims no length the
// refused text stays within.
TEST(AddressLimit, WhatARefusalSaysIsTrueOfTheTextItRefuses) {
    std::string chinese(kPrefix);
    for (int i = 0; i < 6'000; ++i) chinese += "\u4E2D";
    for (const char* lang : {"C.UTF-8", "zh_CN.UTF-8"}) {
        test::LanguageEnvironment language(lang);
        SCOPED_TRACE(localization_testing::effectiveLanguageCode());
        for (const std::string& text : {chinese, addressOfLength(kAddressByteLimit + 1)}) {
            const auto resolved = resolveAddressInput(text, SearchEngine::google);
            ASSERT_FALSE(resolved.ok()) << text.size();
            const std::string skipped = skippedLinesText(parseBatchLinks(text + "\nhttps://c.example"));
            EXPECT_FALSE(skipped.empty());
            for (const std::string& told : {resolved.error().message, skipped})
                for (std::size_t number : numbersIn(told))
                    EXPECT_LT(number, characterCount(text))
                        << told << "\n  of a text of " << characterCount(text) << " characters";
        }
    }
}

// An address escaped for opening may grow past the limit though typed within it: it opens, but is
// never kept.
TEST(AddressLimit, AnAddressThatGrowsPastTheLimitWhenEscapedIsNotKept) {
    const std::string typed = wideAddressOfLength(kAddressByteLimit);
    const auto address = normalizedWebsiteURL(typed);
    ASSERT_TRUE(address.has_value());
    EXPECT_GT(address->size(), kAddressByteLimit);
    EXPECT_FALSE(isCredentialFreeURL(typed));
    PageClip clip;
    clip.address = typed;
    EXPECT_FALSE(canSaveClip(clip));
    EXPECT_EQ(keptTabsShowing(*address), 0u);
}

// A link of megabytes from another program is dropped whole, before it waits for the launch, as
// any malformed link is; one whose escaped address may still fit waits.
TEST(AddressLimit, LinksTooLongForAnyAddressAreDroppedBeforeTheyWait) {
    const std::string head = "quenlith://open?url=";
    const std::string longest = head + std::string(3 * kAddressByteLimit + 64 - head.size(), 'b');
    LaunchLinkQueue queue;
    queue.receive({longest + "b", longest, head + addressOfLength(4'000'000)});
    EXPECT_EQ(queue.pending(), std::vector<std::string>{longest});
    EXPECT_FALSE(LaunchRequest::parse(head + addressOfLength(4'000'000)).has_value());
    // Escaped three characters a byte, an address at the limit still opens.
    const std::string address = addressOfLength(kAddressByteLimit);
    std::string escaped = head;
    for (char c : address)
        escaped += "%" + std::string(1, "0123456789ABCDEF"[(c >> 4) & 0xF]) + "0123456789ABCDEF"[c & 0xF];
    ASSERT_LE(escaped.size(), longest.size());
    EXPECT_EQ(LaunchRequest::parse(escaped), LaunchRequest::website(address));
}

// Earlier versions recorded visits of any length: reading such a library lets those visits go
// and keeps everything else.
TEST(AddressLimit, ALibraryWithAnOverLongVisitIsReadWithoutIt) {
    test::TemporaryEnvironment folders;
    LibraryDocument document;
    const Date when = Date::fromUnixSeconds(1700000000);
    document.recordVisit("https://kept.example/", "Kept", when);
    document.recordVisit(addressOfLength(4'000'000), "Huge", when);
    const std::string path = folders.root() + "/library.json";
    test::writeFile(path, encodeLibraryDocument(document).value());

    const auto read = readLibraryFile(path);
    ASSERT_TRUE(read.ok()) << read.error().message;
    ASSERT_EQ(read->history.size(), 1u);
    EXPECT_EQ(read->history[0].address, "https://kept.example/");
}

}  // namespace
}  // namespace quenlith
