#pragma once

// Names that pages and people choose (page titles, website names, saved pages, page groups) are
// shown beside other text, in labels, window titles and tray items. Shown without the bidirectional
// embedding, override and isolate controls a name may hold, an override inside it cannot reorder
// the text around it, and what a screen reader, a braille display or a script reading a window
// title meets is what is drawn, with no invisible marks. A label lays out each of its paragraphs in
// the direction of its first strong character, so a right-to-left name in a label of its own still
// reads right to left. A name may be of any length (a file or a page gives megabytes), so only its
// beginning is shown. For display only: files and comparisons keep the name.

#include <cstddef>
#include <string>
#include <string_view>

namespace quenlith {

// The characters of a name a label is handed: it ends the name with "…" where its width ends, but
// laying out megabytes takes seconds even so. More than any label shows.
inline constexpr std::size_t kShownNameCharacters = 256;
// The characters of a name in a menu item, a window title or a question, which show the text they
// are given whole.
inline constexpr std::size_t kShownTitleCharacters = 60;

// The shown form of a name: its first `count` characters and "…" when it is longer, without the
// bidirectional controls (U+202A-U+202E, U+2066-U+2069) among them. Line breaks stay.
std::string shownName(std::string_view text, std::size_t count = kShownNameCharacters);

// The text as assistive technologies read it: without the bidirectional embedding, override and
// isolate controls (U+202A-U+202E, U+2066-U+2069), which have no sound and which a braille display
// would show.
std::string withoutIsolation(std::string_view text);

}  // namespace quenlith
