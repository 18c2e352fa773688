#pragma once

// The guide's list of useful keys: one text in the interface language, whose entries stand apart
// by " · " and by lines, each naming its keys and then what they do ("Ctrl+K Quick Open").

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenlith {

// The list in the interface language, the keys the menus show filled in by keyListName.
std::string guideKeyList();

// A command's key as the list writes all of its keys: by the key's English name, none translated
// ("Alt+Left", "Ctrl+Page Down", "Esc"), the words of one name held by a no-break space.
std::string keyListName(std::string_view accelerator);
// The first key of a window command by that name; empty when it has none.
std::string commandKeyName(std::string_view action);

struct KeyListEntry {
    std::vector<std::string> keys;  // in the order written, without the "/" between them
    std::string term;               // what they do
};

// The list's entries in order. A key is a word with a "+" after a modifier, a function key or Esc.
std::vector<KeyListEntry> keyListEntries(std::string_view list);

// Byte ranges of `list` that a wrapped line never breaks inside: every word (a Chinese term has
// no spaces, so it is one), a "/" with the word before it, and an entry's last key with the first
// word of its term, the middle dot after an entry with its last word. Lines break only at spaces.
std::vector<std::pair<std::size_t, std::size_t>> keyListUnbreakableRuns(std::string_view list);

}  // namespace quenlith
