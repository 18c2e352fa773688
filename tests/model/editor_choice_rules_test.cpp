#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "model/app_preferences.hpp"
#include "model/linked_application_choice.hpp"
#include "model/shortcut_picker_rules.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {
namespace {

TEST(ShortcutPickerRules, EditsFollowTheToggleModifiersAndKey) {
    auto enabled = shortcutEnabled(true, {});
    EXPECT_EQ(enabled, (ShortcutConfiguration{11, 0x900}));
    EXPECT_EQ(enabled->displayString(), "Ctrl+Alt+B");
    EXPECT_EQ(shortcutEnabled(false, {}), std::nullopt);

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

TEST(ShortcutPickerRules, SwitchedOnOffersTheFirstKeyNoOtherBindingHolds) {
    auto ctrlAlt = [](const char* key) {
        for (const auto& row : shortcutKeyTable())
            if (row.name == key)
                return ShortcutConfiguration{row.keyCode, kCommandModifier | kOptionModifier};
        ADD_FAILURE() << key;
        return ShortcutConfiguration{};
    };
    std::vector<ShortcutConfiguration> upToO;  // A to O: the next is the reserved Ctrl+Alt+P
    for (const char* key : {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "K", "L", "M", "N", "O"})
        upToO.push_back(ctrlAlt(key));
    // Never offered: the mouse recovery shortcut, the keys desktops take (A, D, F, K, L, R, T, V,
    // X, F1-F12) and those of the windows' commands (C compact mode, J downloads, S save page).
    std::vector<ShortcutConfiguration> everyKey;
    for (const auto& row : shortcutKeyTable())
        everyKey.push_back({row.keyCode, kCommandModifier | kOptionModifier});
    const struct {
        std::vector<ShortcutConfiguration> held;
        const char* offered;
    } cases[] = {
        {{}, "Ctrl+Alt+B"},
        {{ctrlAlt("A")}, "Ctrl+Alt+B"},
        {{ctrlAlt("B")}, "Ctrl+Alt+E"},
        {{ctrlAlt("B"), ctrlAlt("E"), ctrlAlt("G")}, "Ctrl+Alt+H"},
        // Only the same combination is taken: other modifiers on the key leave it free.
        {{{11, kCommandModifier | kOptionModifier | kShiftModifier}, {11, kCommandModifier}}, "Ctrl+Alt+B"},
        {upToO, "Ctrl+Alt+Q"},
        {everyKey, "Ctrl+Alt+B"},
    };
    for (const auto& row : cases) EXPECT_EQ(offeredShortcut(row.held).displayString(), row.offered);

    // Which bindings hold a shortcut, seen from each binding: never its own.
    WebAppProfile mail{.name = "Mail"}, news{.name = "News"}, plain{.name = "Plain"};
    mail.globalShortcut = ctrlAlt("A");
    news.globalShortcut = ctrlAlt("B");
    AppPreferences preferences;
    preferences.compactShortcut = ctrlAlt("K");
    preferences.launcherShortcut = ctrlAlt("L");
    const std::vector<WebAppProfile> websites{mail, news, plain};
    const struct {
        std::string binding;
        std::vector<ShortcutConfiguration> held;
    } views[] = {
        {plain.id.string(), {ctrlAlt("A"), ctrlAlt("B"), ctrlAlt("L"), ctrlAlt("K")}},
        {mail.id.string(), {ctrlAlt("B"), ctrlAlt("L"), ctrlAlt("K")}},
        {"compact", {ctrlAlt("A"), ctrlAlt("B"), ctrlAlt("L")}},
        {"launcher", {ctrlAlt("A"), ctrlAlt("B"), ctrlAlt("K")}},
    };
    for (const auto& view : views)
        EXPECT_EQ(shortcutsHeldElsewhere(websites, preferences, view.binding), view.held) << view.binding;
    // A third website switched on is offered a key none of the others holds.
    EXPECT_EQ(shortcutEnabled(true, shortcutsHeldElsewhere(websites, preferences, plain.id.string())),
              ctrlAlt("E"));
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
