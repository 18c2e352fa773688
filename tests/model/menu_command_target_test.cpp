// Which window a main-menu command acts on: the window the menu was opened from while it is open
// and on the turn it closes, the last active browser window for a menu of another window, and the
// key window for accelerators and afterwards; the same for the field an editing command acts on,
// and whether a browser window a command focuses is away from the person.
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

TEST(MenuCommandTarget, EditsInTheWindowTheMenuCameFromAndBringsForwardAWindowAwayFromIt) {
    const Uuid browser = Uuid::random(), other = Uuid::random();
    const int launcher = 0, panel = 0, key = 0;  // windows known by their identity
    using Steps = std::function<void(MenuCommandTarget&, ManualScheduler&)>;
    struct Case {
        const char* name;
        Steps steps;
        std::optional<Uuid> keyWindow;
        MenuCommandTarget::WindowKey editing;
        bool browserAway;
    };
    const std::vector<Case> cases = {
        {"no menu: the key window's field", [](auto&, auto&) {}, browser, &key, false},
        {"no menu, another window key", [](auto&, auto&) {}, other, &key, true},
        {"no menu, no browser window key", [](auto&, auto&) {}, std::nullopt, &key, true},
        {"the browser window's own menu", [&](auto& t, auto&) { t.opened(browser, &panel); }, std::nullopt, &panel,
         false},
        {"its own menu while another is key", [&](auto& t, auto&) { t.opened(browser, &panel); }, other, &panel,
         false},
        {"the launcher's menu", [&](auto& t, auto&) { t.opened(std::nullopt, &launcher); }, std::nullopt,
         &launcher, true},
        {"another browser window's menu", [&](auto& t, auto&) { t.opened(other, &panel); }, browser, &panel, true},
        {"closed on this turn", [&](auto& t, auto&) { t.opened(std::nullopt, &launcher); t.closed(); }, browser,
         &launcher, true},
        {"the turn after closing",
         [&](auto& t, auto& s) { t.opened(std::nullopt, &launcher); t.closed(); s.runDue(); }, browser, &key,
         false},
        {"a key pressed in a window", [&](auto& t, auto&) { t.opened(std::nullopt, &launcher); t.keyPressed(); },
         browser, &key, false},
    };
    for (const Case& c : cases) {
        ManualScheduler scheduler;
        MenuCommandTarget target(scheduler);
        c.steps(target, scheduler);
        EXPECT_EQ(target.editingWindow(&key), c.editing) << c.name;
        EXPECT_EQ(target.isAway(browser, c.keyWindow), c.browserAway) << c.name;
    }
}

}  // namespace
}  // namespace quenlith
