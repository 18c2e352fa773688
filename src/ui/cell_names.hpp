#pragma once

#include <functional>
#include <string>

namespace Gtk {
class TreeViewColumn;
}

namespace quenlith {

// Makes the text cells of every list read without bidirectional controls (withoutIsolation) a
// page's text may bring: a list row's text, markup with a page title, is both what the row shows and its
// accessible name, and no name can be given to a single cell. Idempotent; main thread only.
void readCellTextsWithoutIsolation();

// Names the cells of `column` that act on their row (a state mark, a "…" button, a "Continue
// Reading" link) by `name(row)`, the row's index: every cell of a list takes the focus, and one
// that shows only a picture reads as nothing otherwise, one that shows the same text on every row
// tells no row from another. A picture cell's own name, when it has one, stays. The name is asked
// for as a screen reader reads the cell, so it follows the row's current text. Main thread only.
void nameCells(Gtk::TreeViewColumn& column, std::function<std::string(int row)> name);

}  // namespace quenlith
