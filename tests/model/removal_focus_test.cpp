#include "model/removal_focus.hpp"

#include <gtest/gtest.h>

namespace quenlith {
namespace {

TEST(RemovalFocus, TheNextKeptItemTakesTheKeyboardElseThePreviousElseTheList) {
    constexpr bool kept = true, gone = false;
    struct Case {
        const char* name;
        std::vector<bool> kept;
        std::size_t focused;
        std::optional<std::size_t> expected;
    };
    const Case cases[] = {
        {"the focused item is kept", {kept, kept, kept}, 1, 1},
        {"the first removed: the next", {gone, kept, kept}, 0, 1},
        {"a middle one removed: the next", {kept, gone, kept}, 1, 2},
        {"the last removed: the previous", {kept, kept, gone}, 2, 1},
        {"several after it removed: the next kept", {kept, gone, gone, kept}, 1, 3},
        {"it and all after it removed: the nearest before", {kept, kept, gone, gone}, 2, 1},
        {"removed with its neighbours before: the next", {gone, gone, kept}, 1, 2},
        {"the only item removed: the list", {gone}, 0, std::nullopt},
        {"every item removed: the list", {gone, gone, gone}, 1, std::nullopt},
        {"an empty list", {}, 0, std::nullopt},
        {"a focus beyond the list", {kept, kept}, 2, std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(focusAfterRemoval(c.kept, c.focused), c.expected) << c.name;
}

}  // namespace
}  // namespace quenlith
