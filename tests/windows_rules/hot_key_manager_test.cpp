#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <set>
#include <string>

#include "model/scheduler.hpp"
#include "windows/hot_key_manager.hpp"

namespace quenlith {
namespace {

constexpr std::uint32_t kCtrlAlt = kCommandModifier | kOptionModifier;
const std::string kFirstSite = "0A4E2C2B-2A36-4F4F-8D6B-3F1F6D0C5E11";
const std::string kSecondSite = "F7C0B4E1-8B0B-4E4C-9E0F-2D6C1A5B7E22";

// The desktop as the manager sees it: combinations other clients hold, and what it holds itself.
struct Desktop {
    std::set<std::pair<std::uint32_t, std::uint32_t>> others;
    std::set<std::pair<std::uint32_t, std::uint32_t>> held;
    int grabs = 0;
};

class FakeGrabber : public KeyGrabber {
public:
    explicit FakeGrabber(std::shared_ptr<Desktop> desktop) : desktop_(std::move(desktop)) {}
    int grab(const ShortcutConfiguration& s) override {
        ++desktop_->grabs;
        if (desktop_->others.contains(key(s))) return 10;  // BadAccess
        desktop_->held.insert(key(s));
        return 0;
    }
    void ungrab(const ShortcutConfiguration& s) override { desktop_->held.erase(key(s)); }
    bool holds(const ShortcutConfiguration& s) const override { return desktop_->held.contains(key(s)); }
    static std::pair<std::uint32_t, std::uint32_t> key(const ShortcutConfiguration& s) { return {s.keyCode, s.modifiers}; }

private:
    std::shared_ptr<Desktop> desktop_;
};

struct HotKeyManagerTest : ::testing::Test {
    std::shared_ptr<Desktop> desktop = std::make_shared<Desktop>();
    FakeGrabber* grabber = new FakeGrabber(desktop);
    ManualScheduler scheduler;
    std::unique_ptr<HotKeyManager> manager{new HotKeyManager(std::unique_ptr<KeyGrabber>(grabber), scheduler)};
};

const ShortcutConfiguration kOne{18, kCtrlAlt};        // Ctrl+Alt+1
const ShortcutConfiguration kTaken{25, kCtrlAlt};      // Ctrl+Alt+9, held by another client
const ShortcutConfiguration kShiftOnly{40, kShiftModifier};
const ShortcutConfiguration kFree{37, kCommandModifier | kControlModifier};  // Ctrl+Super+L

TEST_F(HotKeyManagerTest, RegistersInOrderAndExplainsEachRefusal) {
    EXPECT_FALSE(manager->isRescueAvailable());
    desktop->others.insert(FakeGrabber::key(kTaken));
    manager->registerBindings({{kSecondSite, kOne}, {kFirstSite, kOne}, {"pin", HotKeyManager::kRescueShortcut},
                               {"compact", kShiftOnly}, {"launcher", kTaken}, {"rescue", kFree}});
    // Ids are positions: rescue, the two ids, compact, launcher, pin.
    EXPECT_EQ(manager->names(), (std::map<std::uint32_t, std::string>{{1, "rescue"}, {2, kFirstSite}}));
    const std::string taken = "Shortcut is invalid or already used in Quenlith.";
    EXPECT_EQ(manager->errors(),
              (std::map<std::string, std::string>{
                  {kSecondSite, taken}, {"pin", taken}, {"compact", taken},
                  {"launcher", "Ctrl+Alt+9 is in use by another application or not on this keyboard (X error 10)."}}));
    EXPECT_TRUE(manager->isRescueAvailable());
    EXPECT_EQ(manager->bindings().at("rescue"), HotKeyManager::kRescueShortcut);

    // The same set again takes nothing and keeps the messages.
    const int grabs = desktop->grabs;
    manager->registerBindings({{kSecondSite, kOne}, {kFirstSite, kOne}, {"pin", HotKeyManager::kRescueShortcut},
                               {"compact", kShiftOnly}, {"launcher", kTaken}});
    EXPECT_EQ(desktop->grabs, grabs);
    EXPECT_EQ(manager->errors().size(), 4u);

    // Another client lets go: a keyboard-mapping change takes everything again.
    desktop->others.clear();
    grabber->onMappingChange();
    EXPECT_TRUE(manager->names().contains(5));
    EXPECT_FALSE(manager->errors().contains("launcher"));

    // Removing a website releases its combination; destruction releases the rest.
    manager->registerBindings({{"launcher", kTaken}});
    EXPECT_EQ(desktop->held, (std::set{FakeGrabber::key(HotKeyManager::kRescueShortcut), FakeGrabber::key(kTaken)}));
    manager.reset();
    EXPECT_TRUE(desktop->held.empty());
}

TEST_F(HotKeyManagerTest, RescueRefusedByAnotherClientMakesRecoveryUnavailable) {
    desktop->others.insert(FakeGrabber::key(HotKeyManager::kRescueShortcut));
    manager->registerBindings({});
    EXPECT_FALSE(manager->isRescueAvailable());
}

TEST_F(HotKeyManagerTest, ValidateAnswersBeforeSavingAndNeverReleasesWhatItHolds) {
    desktop->others.insert(FakeGrabber::key(kTaken));
    manager->registerBindings({{kFirstSite, kOne}, {"launcher", kTaken}});
    const std::string assigned =
        "This shortcut is already assigned in Quenlith. Ctrl+Alt+P is reserved for mouse control recovery.";
    struct Case {
        std::optional<ShortcutConfiguration> shortcut;
        std::string name;
        std::optional<std::string> message;
    };
    const Case cases[] = {
        {std::nullopt, kFirstSite, std::nullopt},
        {kShiftOnly, "pin", "Include Ctrl, Alt or Super in a global shortcut."},
        {ShortcutConfiguration{200, kCtrlAlt}, "pin", "Include Ctrl, Alt or Super in a global shortcut."},
        {HotKeyManager::kRescueShortcut, kSecondSite, assigned},
        {kOne, kSecondSite, assigned},
        {kOne, kFirstSite, std::nullopt},
        {kTaken, "launcher", manager->errors().at("launcher")},
        {kTaken, kSecondSite, assigned},
        {kFree, kSecondSite, std::nullopt},
        {ShortcutConfiguration{25, kCommandModifier | kControlModifier}, "pin",
         "This shortcut is in use by another application."},
    };
    desktop->others.insert({25, kCommandModifier | kControlModifier});
    const auto held = desktop->held;
    for (const auto& c : cases) EXPECT_EQ(manager->validate(c.shortcut, c.name), c.message) << c.name;
    // Trials took and gave back only what was free; the registered combinations stay held.
    EXPECT_EQ(desktop->held, held);
    // A combination held already (the same keys under a binding of another set) is not tried.
    desktop->held.insert(FakeGrabber::key(kFree));
    EXPECT_EQ(manager->validate(kFree, "compact"), std::nullopt);
    EXPECT_TRUE(desktop->held.contains(FakeGrabber::key(kFree)));
}

TEST_F(HotKeyManagerTest, PressesArriveByNameOnALaterTurnAndNotAfterTheManagerIsGone) {
    manager->registerBindings({{kFirstSite, kOne}});
    std::vector<std::pair<std::string, std::uint32_t>> presses;
    manager->onTrigger = [&](const std::string& name, std::uint32_t time) { presses.emplace_back(name, time); };
    grabber->onPress(kOne, 4242);
    grabber->onPress(kFree, 1);  // not registered
    EXPECT_TRUE(presses.empty());
    scheduler.runDue();
    EXPECT_EQ(presses, (std::vector<std::pair<std::string, std::uint32_t>>{{kFirstSite, 4242}}));

    grabber->onPress(HotKeyManager::kRescueShortcut, 7);
    manager.reset();
    scheduler.runDue();
    EXPECT_EQ(presses.size(), 1u);
}

}  // namespace
}  // namespace quenlith
