// Which main-menu items are enabled and checked for each state of the key browser window, the
// website settings the menu changes, and the Read Later entry a saved page gives.
#include <cmath>
#include <map>

#include <gtest/gtest.h>

#include "model/menu_validation.hpp"
#include "model/read_later.hpp"
#include "model/text_limits.hpp"
#include "sample_records.hpp"

namespace quenlith {
namespace {

using A = MenuAction;

MenuContext::Browser pageBrowser() {
    return {.persistent = true, .hasShareableURL = true,
            .activeTab = MenuContext::Tab{.hasURL = true, .credentialFreeURL = true}};
}

struct ValidationCase {
    const char* name;
    MenuContext context;
    std::vector<A> enabled, disabled;
    std::map<A, bool> checked;
};

std::vector<ValidationCase> validationCases() {
    MenuContext startPage{true, 0, true, pageBrowser()}, browsed{true, 1, true, pageBrowser()};
    MenuContext privateWindow = startPage, signIn = startPage;
    startPage.activeBrowser->activeTab->showsStartPage = true;
    privateWindow.activeBrowser->persistent = false;
    signIn.activeBrowser->activeTab->credentialFreeURL = false;
    for (MenuContext* unshareable : {&startPage, &privateWindow, &signIn})
        unshareable->activeBrowser->hasShareableURL = false;
    browsed.activeBrowser->hasRecentlyClosed = browsed.activeBrowser->menuBarIconOn = true;
    browsed.activeBrowser->alwaysOnTop = browsed.activeBrowser->activeTab->canGoBack = true;
    MenuContext noTray = browsed;
    noTray.trayAvailable = false;
    // clang-format off
    return {
        {"NoWindow", {true, 0, false, std::nullopt},
         {A::close, A::settings, A::guide}, {A::zoomIn, A::newTab, A::back, A::showAll, A::hideAll, A::find, A::readLater},
         {{A::pin, false}, {A::compact, false}, {A::menuBarIcon, false}}},
        {"AnotherWindowIsKey", {true, 2, true, std::nullopt},
         {A::close, A::showAll, A::hideAll, A::recoverMouse}, {A::zoomIn, A::newTab, A::back}, {{A::pin, false}}},
        {"StartPage", startPage, {A::newTab, A::zoomOut},
         {A::find, A::printPage, A::readLater, A::clip, A::menuBarIcon, A::reopenTab}, {{A::pin, false}}},
        {"PrivateWindow", privateWindow, {A::find, A::printPage}, {A::readLater, A::clip, A::menuBarIcon},
         {{A::menuBarIcon, false}}},
        {"SignInPage", signIn, {A::find}, {A::readLater, A::clip}, {}},
        {"BrowsedPage", browsed,
         {A::readLater, A::clip, A::back, A::reopenTab, A::menuBarIcon, A::showAll, A::nextMatch, A::arrangeLeft},
         {A::forward}, {{A::pin, true}, {A::compact, false}, {A::menuBarIcon, true}}},
        // The item says there is no tray instead of offering it; the website keeps its setting.
        {"NoTray", noTray, {A::readLater, A::clip}, {A::menuBarIcon}, {{A::menuBarIcon, true}}},
    };
    // clang-format on
}

TEST(MenuValidation, EnablesAndChecksByTheKeyWindowsState) {
    for (const ValidationCase& c : validationCases()) {
        SCOPED_TRACE(c.name);
        for (A action : c.enabled)
            EXPECT_TRUE(validateMenuAction(action, c.context).enabled) << menuActionName(action);
        for (A action : c.disabled)
            EXPECT_FALSE(validateMenuAction(action, c.context).enabled) << menuActionName(action);
        for (A action : allMenuActions()) {
            const auto state = validateMenuAction(action, c.context).checked;
            if (auto expected = c.checked.find(action); expected != c.checked.end()) {
                EXPECT_EQ(state, std::optional<bool>(expected->second)) << menuActionName(action);
            } else if (action != A::pin && action != A::compact && action != A::menuBarIcon) {
                EXPECT_FALSE(state) << menuActionName(action) << " carries no check mark";
            }
        }
    }
}

TEST(MenuWebsiteSettings, ZoomStaysWithinItsLimitsAndTogglesInvert) {
    WebAppProfile website;
    website.zoomLevel = 2.0;
    EXPECT_DOUBLE_EQ(changedWebsiteSettings(website, A::zoomIn).zoomLevel, 2.0);
    website.zoomLevel = 0.5;
    EXPECT_DOUBLE_EQ(changedWebsiteSettings(website, A::zoomOut).zoomLevel, 0.5);
    EXPECT_DOUBLE_EQ(changedWebsiteSettings(website, A::zoomReset).zoomLevel, 1.0);
    EXPECT_NE(changedWebsiteSettings(website, A::pin).alwaysOnTop, website.alwaysOnTop);
    EXPECT_NE(changedWebsiteSettings(website, A::compact).compactMode, website.compactMode);
    EXPECT_EQ(changedWebsiteSettings(website, A::reload), website);
}

TEST(ReadLaterEntry, ClampsThePositionAndCutsALongTitle) {
    const std::string url = "https://example.com/article";
    struct Case {
        std::optional<double> position;
        std::optional<double> stored;
    } cases[] = {{0.6, 0.6}, {1.7, 1.0}, {-0.2, 0.0}, {NAN, std::nullopt}, {INFINITY, std::nullopt},
                 {{}, {}}};
    for (const Case& c : cases)
        EXPECT_EQ(readLaterEntry({}, url, "T", c.position, {}, {}, Date{1}).readingPosition, c.stored);

    std::string longTitle;
    for (int i = 0; i < 800; ++i) longTitle += "\u00E9";
    PageClip entry = readLaterEntry({}, url, longTitle, 0.5, {}, {}, Date{1});
    PageClip expected{entry.id, prefixCharacters(longTitle, 500), url, "", "", Date{1},
                      ReadingState::unread, 0.5, std::nullopt, std::nullopt};
    EXPECT_EQ(entry, expected);
}

TEST(ReadLaterEntry, TheSamePageInTheSameWebsiteUpdatesItsEntry) {
    const Uuid website = Uuid::random();
    PageClip other = test::makeClip("https://example.com/article", "Other website");
    other.profileID = Uuid::random();
    PageClip saved = test::makeClip("https://example.com/article", "Kept title");
    saved.profileID = website;
    saved.readingState = ReadingState::finished;
    PageClip expected = saved;
    expected.readingState = ReadingState::unread;
    expected.readingPosition = 0.3;
    EXPECT_EQ(readLaterEntry({other, saved}, saved.address, "New title", 0.3, website, {}, Date{5}),
              expected);
    EXPECT_EQ(
        readLaterEntry({other, saved}, "https://example.com/other", "", 0.3, website, {}, Date{5}).profileID,
        website);
}

}  // namespace
}  // namespace quenlith
