// Which browser window a main-menu command acts on: the window the menu was opened from while it
// is open and on the turn it closes, the last active window for a menu of another window, and the
// key window for accelerators and afterwards.
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "model/menu_command_target.hpp"

namespace quenlith {
namespace {

TEST(MenuCommandTarget, ActsOnTheWindowTheMenuCameFromUntilItsTurnIsOver) {
    const Uuid opener = Uuid::random(), key = Uuid::random(), last = Uuid::random();
    using Steps = std::function<void(MenuCommandTarget&, ManualScheduler&)>;
    struct Case {
        const char* name;
        Steps steps;
        std::optional<Uuid> keyWindow, expected;
    };
    const std::vector<Case> cases = {
        {"no menu: the key window", [](auto&, auto&) {}, key, key},
        {"no menu and no key window", [](auto&, auto&) {}, std::nullopt, std::nullopt},
        {"open from a browser window", [&](auto& t, auto&) { t.opened(opener); }, std::nullopt, opener},
        {"the opener, not the key window", [&](auto& t, auto&) { t.opened(opener); }, key, opener},
        {"closed on this turn", [&](auto& t, auto&) { t.opened(opener); t.closed(); }, key, opener},
        {"the turn after closing",
         [&](auto& t, auto& s) { t.opened(opener); t.closed(); s.runDue(); }, key, key},
        {"from another window: the last active", [](auto& t, auto&) { t.opened(std::nullopt); }, std::nullopt,
         last},
        {"from another window while a browser window is key", [](auto& t, auto&) { t.opened(std::nullopt); }, key,
         key},
        {"a key pressed in a window", [&](auto& t, auto&) { t.opened(opener); t.keyPressed(); }, key, key},
        {"reopened before the last one's turn was over",
         [&](auto& t, auto& s) { t.opened(last); t.closed(); t.opened(opener); s.runDue(); }, key, opener},
        {"closed without being opened", [](auto& t, auto& s) { t.closed(); s.runDue(); }, key, key},
    };
    for (const Case& c : cases) {
        ManualScheduler scheduler;
        MenuCommandTarget target(scheduler);
        c.steps(target, scheduler);
        EXPECT_EQ(target.target(c.keyWindow, last), c.expected) << c.name;
    }
}

}  // namespace
}  // namespace quenlith
