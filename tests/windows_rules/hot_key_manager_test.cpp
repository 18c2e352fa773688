#include <gtest/gtest.h>

#include <unordered_set>

#include "model/scheduler.hpp"
#include "windows/hot_key_manager.hpp"

namespace quenlith {
namespace {

constexpr std::uint32_t kCtrlAlt = kCommandModifier | kOptionModifier;
const std::string kFirst = "0A4E2C2B-2A36-4F4F-8D6B-3F1F6D0C5E11",
                  kSecond = "F7C0B4E1-8B0B-4E4C-9E0F-2D6C1A5B7E22";
const ShortcutConfiguration kOne{18, kCtrlAlt}, kNine{25, kCtrlAlt}, kShiftK{40, kShiftModifier},
    kFree{37, kCommandModifier | kControlModifier}, kRescue = HotKeyManager::kRescueShortcut;

// The desktop: what other clients hold (BadAccess for us) and what the manager holds.
struct Desktop {
    std::unordered_set<ShortcutConfiguration> others, held;
    int grabs = 0;
};
struct FakeGrabber : KeyGrabber {
    std::shared_ptr<Desktop> d = std::make_shared<Desktop>();
    int grab(const ShortcutConfiguration& s) override {
        ++d->grabs;
        return d->others.contains(s) ? 10 : (d->held.insert(s), 0);
    }
    void ungrab(const ShortcutConfiguration& s) override { d->held.erase(s); }
    bool holds(const ShortcutConfiguration& s) const override { return d->held.contains(s); }
    void onMappingChange() const { reportMappingChange(); }
    void onPress(const ShortcutConfiguration& s, std::uint32_t time) const { reportPress(s, time); }
};

struct HotKeyManagerTest : ::testing::Test {
    FakeGrabber* grabber = new FakeGrabber;
    std::shared_ptr<Desktop> desktop = grabber->d;
    ManualScheduler scheduler;
    std::unique_ptr<HotKeyManager> manager{
        new HotKeyManager(std::unique_ptr<KeyGrabber>(grabber), scheduler)};
};

TEST_F(HotKeyManagerTest, RegistersInOrderExplainsRefusalsDeliversPressesAndReleasesAll) {
    EXPECT_FALSE(manager->isRescueAvailable());
    desktop->others = {kNine};
    const std::map<std::string, ShortcutConfiguration> bindings{{kSecond, kOne},     {kFirst, kOne},
                                                                {"pin", kRescue},    {"compact", kShiftK},
                                                                {"launcher", kNine}, {"rescue", kFree}};
    manager->registerBindings(bindings);
    // Ids are positions: rescue, the two ids, compact, launcher, pin.
    EXPECT_EQ(manager->names(), (std::map<std::uint32_t, std::string>{{1, "rescue"}, {2, kFirst}}));
    const std::string used = "Shortcut is invalid or already used in Quenlith.";
    EXPECT_EQ(manager->errors(), (std::map<std::string, std::string>{
                                     {kSecond, used},
                                     {"pin", used},
                                     {"compact", used},
                                     {"launcher",
                                      "Ctrl+Alt+9 is unavailable. Choose another shortcut (system code 10)."}}));

    manager->registerBindings(bindings);  // the same set: nothing taken again, messages kept
    EXPECT_EQ(desktop->grabs, 3);
    EXPECT_EQ(manager->errors().size(), 4u);

    desktop->others.clear();
    grabber->onMappingChange();               // everything is taken again
    EXPECT_EQ(manager->errors().size(), 3u);  // Ctrl+Alt+9 is free now

    manager->registerBindings({{"launcher", kNine}});
    EXPECT_EQ(manager->names(), (std::map<std::uint32_t, std::string>{{1, "rescue"}, {2, "launcher"}}));
    EXPECT_EQ(desktop->held, (std::unordered_set{kRescue, kNine}));
    // Presses arrive by name on a later turn, and not once the manager is gone.
    std::vector<std::pair<std::string, std::uint32_t>> presses;
    manager->setOnTrigger(
        [&](const std::string& name, std::uint32_t time) { presses.emplace_back(name, time); });
    grabber->onPress(kNine, 4242), grabber->onPress(kOne, 1);
    EXPECT_TRUE(presses.empty());
    scheduler.runDue();
    grabber->onPress(kRescue, 7), manager.reset(), scheduler.runDue();
    EXPECT_EQ(presses, (std::vector<std::pair<std::string, std::uint32_t>>{{"launcher", 4242}}));
    EXPECT_TRUE(desktop->held.empty());
}

TEST_F(HotKeyManagerTest, ValidateAnswersBeforeSavingAndNeverReleasesWhatItHolds) {
    desktop->others = {kNine, {25, kCommandModifier | kControlModifier}};
    manager->registerBindings({{kFirst, kOne}, {"launcher", kNine}});
    const std::string assigned =
        "This shortcut is already assigned in Quenlith. Ctrl+Alt+P is reserved for mouse control recovery.";
    using Case = std::tuple<std::optional<ShortcutConfiguration>, std::string, std::optional<std::string>>;
    const Case cases[] = {
        {kShiftK, "pin", "Include Ctrl, Alt or Super in a global shortcut."},
        {kRescue, kSecond, assigned},
        {kOne, kSecond, assigned},
        {kOne, kFirst, std::nullopt},
        {kNine, "launcher", manager->errors().at("launcher")},
        {kFree, kSecond, std::nullopt},
        {ShortcutConfiguration{25, kCommandModifier | kControlModifier}, "pin",
         "This shortcut is in use by another application."},
    };
    for (const auto& [shortcut, name, message] : cases)
        EXPECT_EQ(manager->validate(shortcut, name), message) << name;
    EXPECT_EQ(desktop->held, (std::unordered_set{kRescue, kOne}));  // trials gave back what they took
    desktop->held.insert(kFree);  // keys this client holds already are not tried, nor released
    EXPECT_EQ(manager->validate(kFree, "compact"), std::nullopt);
    EXPECT_TRUE(desktop->held.contains(kFree));
}

TEST(KeyGrabberRules, ModifiersFollowTheKeyboardsModifierRoles) {
    const ModifierRoles usual, moved{1u << 7, 1u << 5, 1u << 3};  // Alt Mod5, Super Mod3, Num Lock Mod1
    EXPECT_EQ(xModifierState(0x1b00, usual), 0x4du);              // all four: Ctrl, Shift, Mod1, Mod4
    for (const auto& [modifiers, state] : {std::pair{kCommandModifier, 0x04u},
                                           {kShiftModifier, 0x01u},
                                           {kOptionModifier, 0x80u},
                                           {kControlModifier, 0x20u}})
        EXPECT_EQ(xModifierState(modifiers, moved), state) << modifiers;
    EXPECT_EQ(lockVariants(moved), (std::array<unsigned, 4>{0, 2, 0x08, 0x0a}));
    // Caps Lock, Num Lock and a held mouse button do not hide a press of Ctrl+Alt.
    EXPECT_EQ(shortcutState(0x0c | 0x02 | 0x10 | 0x100, usual), 0x0cu);
    EXPECT_EQ(shortcutState(0x0c, moved), 0x04u);
}

}  // namespace
}  // namespace quenlith
