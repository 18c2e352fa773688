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
    auto enabled = shortcutEnabled(true, kLauncherShortcutKey, {});
    EXPECT_EQ(enabled, (ShortcutConfiguration{11, 0x900}));
    EXPECT_EQ(enabled->displayString(), "Ctrl+Alt+B");
    EXPECT_EQ(shortcutEnabled(false, kLauncherShortcutKey, {}), std::nullopt);

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

// Switched on, a picker offers its own key; the first key of the table that nothing takes only
// where a desktop takes the own key or another binding holds it.
TEST(ShortcutPickerRules, SwitchedOnOffersItsOwnKeyElseTheFirstKeyNothingTakes) {
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
    auto keyOf = [&](const char* key) { return ctrlAlt(key).keyCode; };
    const struct {
        std::uint32_t defaultKey;
        std::vector<ShortcutConfiguration> held;
        const char* offered;
    } cases[] = {
        // The own key, free: the launcher's B, always on top's I (whatever else is held).
        {kLauncherShortcutKey, {}, "Ctrl+Alt+B"},
        {kPinShortcutKey, {}, "Ctrl+Alt+I"},
        {kPinShortcutKey, {ctrlAlt("B")}, "Ctrl+Alt+I"},
        {kPinShortcutKey, {ctrlAlt("B"), ctrlAlt("E"), ctrlAlt("G")}, "Ctrl+Alt+I"},
        {keyOf("Z"), upToO, "Ctrl+Alt+Z"},
        // Held by another binding: the first key nothing takes.
        {kPinShortcutKey, {ctrlAlt("I")}, "Ctrl+Alt+B"},
        {kPinShortcutKey, {ctrlAlt("B"), ctrlAlt("I")}, "Ctrl+Alt+E"},
        {kLauncherShortcutKey, {ctrlAlt("B")}, "Ctrl+Alt+E"},
        // Only the same combination is held: other modifiers on the key leave it free.
        {kLauncherShortcutKey,
         {{11, kCommandModifier | kOptionModifier | kShiftModifier}, {11, kCommandModifier}},
         "Ctrl+Alt+B"},
        // Taken by a desktop (K: KDE Plasma's next keyboard layout, so compact mode's and a
        // website's own key), by the mouse recovery (P) or by a window's command (C compact mode,
        // S save page): the first key nothing takes.
        {kCompactShortcutKey, {}, "Ctrl+Alt+B"},
        {kCompactShortcutKey, {ctrlAlt("B")}, "Ctrl+Alt+E"},
        {kWebsiteShortcutKey, {ctrlAlt("A")}, "Ctrl+Alt+B"},
        {kWebsiteShortcutKey, {ctrlAlt("B"), ctrlAlt("E"), ctrlAlt("G")}, "Ctrl+Alt+H"},
        {kWebsiteShortcutKey, upToO, "Ctrl+Alt+Q"},
        {keyOf("P"), {}, "Ctrl+Alt+B"},
        {keyOf("C"), {ctrlAlt("B")}, "Ctrl+Alt+E"},
        {keyOf("S"), {}, "Ctrl+Alt+B"},
        {keyOf("F4"), {}, "Ctrl+Alt+B"},
        // Every key held: the own key, or the first no desktop takes where one takes the own key.
        {kPinShortcutKey, everyKey, "Ctrl+Alt+I"},
        {kCompactShortcutKey, everyKey, "Ctrl+Alt+B"},
    };
    for (const auto& row : cases)
        EXPECT_EQ(offeredShortcut(row.defaultKey, row.held).displayString(), row.offered)
            << "own key " << row.defaultKey << ", " << row.held.size() << " held";

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
    EXPECT_EQ(shortcutEnabled(true, kWebsiteShortcutKey,
                              shortcutsHeldElsewhere(websites, preferences, plain.id.string())),
              ctrlAlt("E"));
    // Always on top switched on beside the launcher on Ctrl+Alt+B: its own Ctrl+Alt+I; compact
    // mode's K, which a desktop takes, gives way to the first key nothing takes.
    AppPreferences launcherOnly;
    launcherOnly.launcherShortcut = ctrlAlt("B");
    EXPECT_EQ(shortcutEnabled(true, kPinShortcutKey, shortcutsHeldElsewhere({}, launcherOnly, "pin")),
              ctrlAlt("I"));
    EXPECT_EQ(shortcutEnabled(true, kCompactShortcutKey, shortcutsHeldElsewhere({}, launcherOnly, "compact")),
              ctrlAlt("E"));
    EXPECT_EQ(
        shortcutEnabled(true, kLauncherShortcutKey, shortcutsHeldElsewhere({}, launcherOnly, "launcher")),
        ctrlAlt("B"));
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
