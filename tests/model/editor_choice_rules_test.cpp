#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/linked_application_choice.hpp"
#include "model/shortcut_picker_rules.hpp"

namespace quenlith {
namespace {

TEST(ShortcutPickerRules, EditsFollowTheToggleModifiersAndKey) {
    auto enabled = shortcutEnabled(true, 40);
    EXPECT_EQ(enabled, (ShortcutConfiguration{40, 0x900}));
    EXPECT_EQ(enabled->displayString(), "Ctrl+Alt+K");
    EXPECT_EQ(shortcutEnabled(false, 40), std::nullopt);

    auto edited = shortcutWithKey(
        shortcutWithModifier(shortcutWithModifier(enabled, kControlModifier, true), kOptionModifier, false),
        shortcutKeyTable()[47].keyCode);
    EXPECT_EQ(edited->displayString(), "Ctrl+Super+F12");
    EXPECT_TRUE(shortcutHasModifier(edited, kControlModifier) &&
                !shortcutHasModifier(edited, kOptionModifier));
    EXPECT_EQ(shortcutWithModifier(std::nullopt, kShiftModifier, true), std::nullopt);

    ShortcutConfiguration all{40, 0};
    for (const auto& toggle : shortcutModifierToggles()) all.modifiers |= toggle.mask;
    EXPECT_EQ(all.displayString(), "Ctrl+Alt+Shift+Super+K");

    EXPECT_EQ(shortcutKeyRow(std::nullopt), std::optional<std::size_t>(10));                    // K
    EXPECT_EQ(shortcutKeyRow(ShortcutConfiguration{0, 0x100}), std::optional<std::size_t>(0));  // A
    ShortcutConfiguration unknown{200, 0x100};
    EXPECT_EQ(shortcutKeyRow(unknown), std::nullopt);
    EXPECT_EQ(unknown.displayString(), "Ctrl+?");
}

std::vector<LinkedApplication> apps(std::initializer_list<const char*> ids) {
    std::vector<LinkedApplication> list;
    for (const char* id : ids) list.push_back({id, std::string("Name of ") + id});
    return list;
}

TEST(LinkedApplicationChoice, SkipsItselfMergesDuplicatesAndStopsAtTwenty) {
    auto listed = chooserApplications({{"b.desktop", "beta"},
                                       {"com.quenlith.Quenlith.desktop", "Quenlith"},
                                       {"a.desktop", "Alpha"},
                                       {"b.desktop", "Beta again"},
                                       {"", "nameless"}});
    EXPECT_EQ(listed, (std::vector<LinkedApplication>{{"a.desktop", "Alpha"}, {"b.desktop", "beta"}}));

    auto added =
        addLinkedApplications(apps({"x"}), apps({"y", "x", "com.quenlith.Quenlith.desktop", "y", "z"}));
    EXPECT_EQ(added, apps({"x", "y", "z"}));
    EXPECT_EQ(addLinkedApplications(std::nullopt, {}), std::vector<LinkedApplication>{});

    EXPECT_EQ(removeLinkedApplication(apps({"x", "y", "z"}), "y"), apps({"x", "z"}));
    EXPECT_EQ(removeLinkedApplication(apps({"x"}), "x"), std::vector<LinkedApplication>{});
    EXPECT_EQ(removeLinkedApplication(std::nullopt, "x"), std::nullopt);
}

}  // namespace
}  // namespace quenlith
