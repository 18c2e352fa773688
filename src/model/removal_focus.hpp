#pragma once

#include <cstddef>
#include <optional>
#include <vector>

namespace quenlith {

// Where the keyboard goes when items of a list go away while one of them has it, as toolkit lists
// do: it stays where it is when that item is kept, else it goes to the nearest kept item after it,
// else to the nearest kept item before it (the last ones were removed). `kept` tells, for each item
// in the order shown before the change, whether it is still there; `focused` is the item that has
// the keyboard. The answer is the place of that item in the same order, or none when nothing is
// kept (the list itself, or what stands for it when empty, takes the keyboard then). A `focused`
// outside the list keeps none either.
std::optional<std::size_t> focusAfterRemoval(const std::vector<bool>& kept, std::size_t focused);

}  // namespace quenlith
