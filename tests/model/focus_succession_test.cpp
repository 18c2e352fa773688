#include "model/focus_succession.hpp"

#include <gtest/gtest.h>

namespace quenlith {
namespace {

TEST(FocusSuccession, TheWindowUsedLastThatIsStillShownTakesTheKeyboard) {
    using Window = FocusSuccession::Window;
    constexpr bool had = true, asked = true;
    struct Case {
        const char* name;
        std::vector<FocusSuccession::WindowID> uses;
        std::vector<Window> windows;
        FocusSuccession::Closing closing;
        std::optional<FocusSuccession::WindowID> expected;
    };
    const Case cases[] = {
        {"the window used before the closing one", {1, 2, 3}, {{1, true}, {2, true}, {3, true}}, {3, had}, 2},
        {"the closing one gone from the list already", {1, 2, 3}, {{1, true}, {2, true}}, {3, had}, 2},
        {"used again later counts as later", {1, 2, 1, 3}, {{1, true}, {2, true}, {3, true}}, {3, had}, 1},
        {"a hidden window is passed over", {1, 2, 3}, {{1, true}, {2, false}, {3, true}}, {3, had}, 1},
        {"a minimised window is passed over", {1, 2, 3}, {{1, true}, {2, true, true}, {3, true}}, {3, had}, 1},
        {"a closed window is passed over", {1, 2, 3}, {{1, true}, {3, true}}, {3, had}, 1},
        {"the closing window did not have the keyboard", {1, 2, 3}, {{1, true}, {2, true}, {3, true}}, {3}, {}},
        {"the closing input asked for another window",
         {1, 2, 3},
         {{1, true}, {2, true}, {3, true}},
         {3, had, asked},
         {}},
        {"no other window is shown", {1, 2}, {{1, false}, {2, true}}, {2, had}, {}},
        {"nothing else is left", {1}, {{1, true}}, {1, had}, {}},
        {"a shown window never used when no used one is left",
         {1, 2},
         {{4, true, true}, {1, false}, {5, true}, {6, true}, {2, true}},
         {2, had},
         5},
        {"a used window before one never used", {1, 2}, {{5, true}, {1, true}, {2, true}}, {2, had}, 1},
        {"the closing window never used itself", {1}, {{1, true}, {7, true}}, {7, had}, 1},
    };
    for (const Case& row : cases) {
        FocusSuccession succession;
        for (auto id : row.uses) succession.used(id);
        EXPECT_EQ(succession.successor(row.closing, row.windows), row.expected) << row.name;
    }
}

TEST(FocusSuccession, ForgetsTheUseOfAWindowOnceItHasClosed) {
    FocusSuccession succession;
    succession.used(1);
    succession.used(2);
    succession.used(3);
    // 2 has closed by the time another window closes without the keyboard; when a window of that id
    // is shown later and 3 closes, 2 counts as never used and 1 takes the keyboard.
    EXPECT_EQ(succession.successor({4}, {{1, true}, {3, true}}), std::nullopt);
    EXPECT_EQ(succession.successor({3, true}, {{2, true}, {1, true}, {3, true}}), 1U);
    // 3 was forgotten as it closed: when 1 closes, a window of that id shown again counts as never
    // used, and the first such window listed takes the keyboard.
    EXPECT_EQ(succession.successor({1, true}, {{2, true}, {3, true}, {1, true}}), 2U);
}

}  // namespace
}  // namespace quenlith
