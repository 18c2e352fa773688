#pragma once

// Names that pages and people choose (page titles, website names, saved pages, page groups) are
// shown beside other text. Wrapped in a bidirectional isolate, a right-to-left override inside a
// name cannot reorder the text around it. A name may be of any length (a file or a page gives
// megabytes), so only its beginning is shown. For display only: files and comparisons keep the name.

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

// The shown form of a name not wrapped in an isolate (an accessible name, a tooltip): its first
// `count` characters and "…" when it is longer.
std::string shownName(std::string_view text, std::size_t count = kShownNameCharacters);

// `text` cut as shownName() cuts it, between U+2068 FIRST STRONG ISOLATE and U+2069 POP
// DIRECTIONAL ISOLATE, with the embedding, override and isolate controls inside it balanced (the
// cut may leave any of them open): a closer without its opener is
// dropped (so nothing inside closes the isolate early), openers still open at the end are closed
// there, and nesting stops at a depth far below the bidirectional algorithm's limit. Each
// paragraph of a text with line breaks is isolated on its own, as the algorithm ends every
// isolate at a paragraph's end. Empty text stays empty.
std::string isolatedText(std::string_view text, std::size_t count = kShownNameCharacters);

// The text as assistive technologies read it: without the bidirectional embedding, override and
// isolate controls (U+202A-U+202E, U+2066-U+2069), which have no sound and which a braille display
// would show. Text that holds isolated names (a formatted text, a window title) names a control
// through this.
std::string withoutIsolation(std::string_view text);

}  // namespace quenlith
