#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "model/content_size.hpp"
#include "model/page_clip.hpp"

namespace quenlith {

// How the library window writes saved pages and sizes itself.

// The whole percent of a reading position for "Saved at %ld%%": truncated, without the error of
// the binary fraction (0.29 gives 29), at most 100; nothing for no position, 0 or less, or a value
// that is not finite.
std::optional<long> savedPercent(std::optional<double> position);

// The host of an address as stored; the address itself when it has no host or is no address.
std::string hostText(std::string_view address);

// A bookmark row's second line: the collection, else the host of the stored address, else the
// localised "Bookmark".
std::string bookmarkSubtitle(const PageClip& clip);

// A visit's date as a medium date of the interface language ("7 Dec 2026", "2026年12月7日").
std::string visitDateText(Date date);

// The window's content for a monitor work area (none without a monitor): 60 narrower and 80
// lower than the work area, at most 780 x 610, and never below 1 x 1.
ContentSize libraryContentSize(std::optional<ContentSize> workArea);
// The most the content takes where it needs more than that size (a larger text size): the work
// area less the same margins, never below 1 x 1; none without a monitor.
std::optional<ContentSize> libraryContentLimit(std::optional<ContentSize> workArea);

}  // namespace quenlith
