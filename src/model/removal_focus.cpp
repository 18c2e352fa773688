#include "model/removal_focus.hpp"

namespace quenlith {

std::optional<std::size_t> focusAfterRemoval(const std::vector<bool>& kept, std::size_t focused) {
    if (focused >= kept.size()) return std::nullopt;
    for (std::size_t next = focused; next < kept.size(); ++next)
        if (kept[next]) return next;
    for (std::size_t previous = focused; previous-- > 0;)
        if (kept[previous]) return previous;
    return std::nullopt;
}

}  // namespace quenlith
