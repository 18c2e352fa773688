#pragma once

namespace quenlith {

// Makes the text cells of every list read without the marks that isolate names in the shown text
// (isolatedText): a list row's text, markup with a page title, is both what the row shows and its
// accessible name, and no name can be given to a single cell. Idempotent; main thread only.
void readCellTextsWithoutIsolation();

}  // namespace quenlith
