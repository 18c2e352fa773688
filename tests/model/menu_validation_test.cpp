// Which main-menu items are enabled and checked for each state of the key browser window, the
// website settings the menu changes, and the Read Later entry a saved page gives.
#include <cmath>
#include <map>

#include <gtest/gtest.h>

#include "sample_records.hpp"
#include "model/menu_validation.hpp"
#include "model/read_later.hpp"
#include "model/text_limits.hpp"

namespace quenlith {
namespace {

using A = MenuAction;

MenuContext::Browser pageBrowser() {
    MenuContext::Browser browser;
    browser.persistent = true;
    browser.hasShareableURL = true;
    browser.activeTab = MenuContext::Tab{false, true, true, false, false};
    return browser;
}

struct ValidationCase {
    const char* name;
    MenuContext context;
    std::map<A, bool> enabled;
    std::map<A, bool> checked;
};

std::vector<ValidationCase> validationCases() {
    MenuContext none{true, 0, false, std::nullopt};
    MenuContext otherWindowKey{true, 2, true, std::nullopt};
    MenuContext startPage{true, 0, true, pageBrowser()};
    startPage.activeBrowser->activeTab->showsStartPage = true;
    startPage.activeBrowser->hasShareableURL = false;
    MenuContext privateWindow{true, 0, true, pageBrowser()};
    privateWindow.activeBrowser->persistent = false;
    privateWindow.activeBrowser->hasShareableURL = false;
    MenuContext signIn{true, 0, true, pageBrowser()};
    signIn.activeBrowser->activeTab->credentialFreeURL = false;
    signIn.activeBrowser->hasShareableURL = false;
    MenuContext browsed{true, 1, true, pageBrowser()};
    browsed.activeBrowser->hasRecentlyClosed = true;
    browsed.activeBrowser->menuBarIconOn = true;
    browsed.activeBrowser->alwaysOnTop = true;
    browsed.activeBrowser->activeTab->canGoBack = true;
    MenuContext noTab{true, 0, true, pageBrowser()};
    noTab.activeBrowser->activeTab.reset();

    return {
        {"NoWindow",
         none,
         {{A::zoomIn, false},
          {A::newTab, false},
          {A::back, false},
          {A::close, true},
          {A::settings, true},
          {A::showAll, false},
          {A::hideAll, false},
          {A::find, false},
          {A::readLater, false}},
         {{A::pin, false}, {A::compact, false}, {A::menuBarIcon, false}}},
        {"AnotherWindowIsKey",
         otherWindowKey,
         {{A::zoomIn, false},
          {A::newTab, false},
          {A::back, false},
          {A::close, true},
          {A::showAll, true},
          {A::hideAll, true},
          {A::recoverMouse, true}},
         {{A::pin, false}}},
        {"StartPage",
         startPage,
         {{A::find, false},
          {A::printPage, false},
          {A::readLater, false},
          {A::clip, false},
          {A::newTab, true},
          {A::zoomOut, true},
          {A::menuBarIcon, false},
          {A::reopenTab, false}},
         {{A::pin, false}}},
        {"PrivateWindow",
         privateWindow,
         {{A::readLater, false},
          {A::clip, false},
          {A::menuBarIcon, false},
          {A::find, true},
          {A::printPage, true}},
         {{A::menuBarIcon, false}}},
        {"SignInPage", signIn, {{A::readLater, false}, {A::clip, false}, {A::find, true}}, {}},
        {"BrowsedPage",
         browsed,
         {{A::readLater, true},
          {A::clip, true},
          {A::back, true},
          {A::forward, false},
          {A::reopenTab, true},
          {A::menuBarIcon, true},
          {A::showAll, true},
          {A::nextMatch, true},
          {A::arrangeLeft, true}},
         {{A::pin, true}, {A::compact, false}, {A::menuBarIcon, true}}},
        {"BrowserWithoutTab",
         noTab,
         {{A::find, false}, {A::back, false}, {A::readLater, false}, {A::reload, true}, {A::pin, true}},
         {}},
    };
}

class MenuValidationTest : public testing::TestWithParam<ValidationCase> {};

TEST_P(MenuValidationTest, EnablesAndChecksByTheKeyWindowsState) {
    const ValidationCase& c = GetParam();
    for (const auto& [action, enabled] : c.enabled)
        EXPECT_EQ(validateMenuAction(action, c.context).enabled, enabled) << menuActionName(action);
    for (const auto& [action, checked] : c.checked)
        EXPECT_EQ(validateMenuAction(action, c.context).checked, std::optional<bool>(checked))
            << menuActionName(action);
    // Only the three check items ever carry a check mark.
    for (A action : allMenuActions())
        if (action != A::pin && action != A::compact && action != A::menuBarIcon)
            EXPECT_FALSE(validateMenuAction(action, c.context).checked) << menuActionName(action);
}

INSTANTIATE_TEST_SUITE_P(States, MenuValidationTest, testing::ValuesIn(validationCases()),
                         [](const auto& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(entry.title, prefixCharacters(longTitle, 500));
    EXPECT_EQ(characterCount(entry.title), 500u);
    EXPECT_EQ(entry.readingState, ReadingState::unread);
    EXPECT_EQ(entry.address, url);
}

TEST(ReadLaterEntry, TheSamePageInTheSameWebsiteUpdatesItsEntry) {
    const Uuid website = Uuid::random();
    PageClip other = test::makeClip("https://example.com/article", "Other website");
    other.profileID = Uuid::random();
    PageClip saved = test::makeClip("https://example.com/article", "Kept title");
    saved.profileID = website;
    saved.readingState = ReadingState::finished;
    PageClip entry =
        readLaterEntry({other, saved}, "https://example.com/article", "New title", 0.3, website, {}, Date{5});
    EXPECT_EQ(entry.id, saved.id);
    EXPECT_EQ(entry.title, "Kept title");
    EXPECT_EQ(entry.readingState, ReadingState::unread);
    EXPECT_EQ(entry.readingPosition, 0.3);
    EXPECT_EQ(
        readLaterEntry({other, saved}, "https://example.com/other", "", 0.3, website, {}, Date{5}).profileID,
        website);
}

}  // namespace
}  // namespace quenlith
