#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/browser_scene.hpp"
#include "model/clock.hpp"
#include "model/link_suggestions.hpp"

namespace quenlith {

// What "Open Multiple Links" does with the pasted links: open them as tabs, or keep them as a
// page group.
enum class BatchAction { tabs, group };

// "Open as Tabs", "Save as Page Group": the action's English name, also its display key.
std::string_view rawValue(BatchAction action);

inline constexpr std::size_t kBatchLinkInputByteLimit = 100'000;
inline constexpr std::size_t kBatchLinkLineCharacterLimit = 8'192;
inline constexpr std::size_t kBatchLinkLimit = 20;
inline constexpr std::size_t kBatchLinkGroupNameLimit = 100;
inline constexpr std::size_t kShownInvalidLineLimit = 12;

// The website addresses of a pasted text, one per line.
struct BatchLinkParse {
    std::vector<std::string> urls;           // first appearances, normalised; at most 20
    std::vector<std::int64_t> invalidLines;  // numbers from 1 of the rejected lines, ascending
    std::int64_t duplicateCount = 0;         // accepted lines that named a page already listed
    bool tooMany = false;                    // more than 20 different pages; `urls` holds the first 20
    bool inputTooLarge = false;              // over 100,000 bytes: not parsed at all
    std::vector<std::int64_t> tooLongLines;  // those of the invalid lines longer than an address may be

    bool operator==(const BatchLinkParse&) const = default;
    // Whether the list may be kept as a page group: 1 to 20 pages, none of them a sign-in page or
    // an address carrying credentials.
    bool canSaveAsPageGroup() const;
};

// Parses pasted text: CR LF and lone CR count as one line break, as do the Unicode line breaks;
// blank lines are skipped but keep their number; a line longer than 8,192 characters or than an
// address may be (kAddressByteLimit, also listed as too long) or that is no website address is
// invalid; a page seen before is counted as a duplicate. Never fails.
BatchLinkParse parseBatchLinks(std::string_view text);

// Whether the sheet's action button may run: some links and not too many; for a group, a list
// that may be saved and a name that is not blank and at most 100 characters as typed.
bool canPerformBatchLinks(const BatchLinkParse& parse, BatchAction action, std::string_view name);

// The text after choosing a suggestion: its address on a line of its own at the end.
std::string appendingSuggestion(std::string_view input, const LinkSuggestion& suggestion);

// Whether the pasted text already names the suggestion's page (its menu entry is then disabled).
bool isSuggestionListed(const BatchLinkParse& parse, const LinkSuggestion& suggestion);

// The label of a suggestion: its title, else its address's host, else its address.
std::string suggestionLabel(const LinkSuggestion& suggestion);

// "3, 7, 9": the first 12 invalid line numbers.
std::string shownInvalidLines(const std::vector<std::int64_t>& lines);

// What the sheet says of the lines it skips: the invalid ones, then those of them too long for an
// address named again, so the person knows why they are skipped. Empty when no line is skipped.
std::string skippedLinesText(const BatchLinkParse& parse);

// The page group that pasted links are kept as: one window above the others, 600 by 700 at
// 80, 80, holding the links as tabs in their order with the first selected.
BrowserScene pastedLinksGroup(const std::vector<std::string>& urls, const std::string& name, Date now);

}  // namespace quenlith
