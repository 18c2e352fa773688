#include "browser/view/auto_reload.hpp"
#include "browser/view/browser_layout.hpp"
#include "model/isolated_text.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace quenlith {
namespace {

struct LayoutCase {
    const char* name;
    ChromeLayoutInput input;
    ChromeLayout expected;
};

TEST(ChromeLayout, ContentOffsetsInNormalAndCompactMode) {
    const LayoutCase cases[] = {
        {"one tab", {false, false, 1, false, false}, {true, false, false, 42}},
        {"two tabs", {false, false, 2, false, false}, {true, true, false, 76}},
        {"one tab with find bar", {false, false, 1, false, true}, {true, false, false, 80}},
        {"two tabs with sign-in notice", {false, false, 2, true, false}, {true, true, false, 114}},
        {"everything shown", {false, false, 3, true, true}, {true, true, false, 152}},
        {"revealed flag ignored outside compact mode",
         {false, true, 1, false, false},
         {true, false, false, 42}},
        {"compact hidden", {true, false, 1, false, false}, {false, false, true, 0}},
        {"compact revealed with everything", {true, true, 3, true, true}, {true, true, true, 0}},
        {"no tabs", {false, false, 0, false, false}, {true, false, false, 42}},
    };
    for (const auto& c : cases) EXPECT_EQ(chromeLayout(c.input), c.expected) << c.name;
}

// The whole state in one line: the flags that are on, then the texts and the progress.
std::string summary(const ChromeState& s) {
    const std::pair<bool, const char*> flags[] = {
        {s.sleepBoxVisible, "sleep"}, {s.startPageVisible, "start"}, {s.webViewVisible, "web"},
        {s.errorBoxVisible, "error"}, {s.reloadEnabled, "reload"},   {s.saveWebsiteEnabled, "save"},
        {s.backEnabled, "back"},      {s.forwardEnabled, "forward"}, {s.progressVisible, "progress"},
        {s.authBarVisible, "auth"}};
    std::string out;
    for (const auto& [on, name] : flags)
        if (on) out += std::string(name) + " ";
    return out + "'" + s.errorText + "' '" + s.addressText + "' " + s.reloadSymbol + " " +
           s.reloadDescription + " " + std::to_string(s.progress);
}

TEST(ChromeState, FollowsTheActiveTab) {
    const std::string reload = " arrow.clockwise Reload (Ctrl+R) 0.000000";
    const std::string stop = " xmark Stop loading 0.400000";
    const std::pair<ActiveTabFacts, std::string> cases[] = {
        // No error box, page controls or address over the start page.
        {{.showsStartPage = true, .error = "failed", .address = "a.test"}, "start 'failed' ''" + reload},
        {{.address = "a.test/x"}, "web reload save '' 'a.test/x'" + reload},
        // Saving needs a persistent session and an address.
        {{.address = "a.test/x", .persistentStore = false}, "web reload '' 'a.test/x'" + reload},
        {{.canGoForward = true}, "web reload forward '' ''" + reload},
        {{.address = "a.test", .isLoading = true, .estimatedProgress = 0.4},
         "web reload save progress '' 'a.test'" + stop},
        // No progress over an error.
        {{.error = "No connection", .address = "a.test", .isLoading = true, .estimatedProgress = 0.4},
         "error reload save 'No connection' 'a.test'" + stop},
        {{.isSleeping = true, .address = "a.test"}, "sleep reload save '' 'a.test'" + reload},
        {{.canGoBack = true, .pageIsSignIn = true}, "web reload back auth '' ''" + reload}};
    for (const auto& [facts, expected] : cases) EXPECT_EQ(summary(chromeState(facts)), expected);
}

TEST(WindowTitle, TheAddressUnderThePageTitleStartsWithTheHost) {
    const std::pair<std::string, std::string> cases[] = {
        {"https://example.com/", "example.com"},
        {"http://127.0.0.1:8080/alpine?x=1#top", "127.0.0.1:8080/alpine?x=1#top"},
        {"HTTPS://Mail.Example.com/inbox", "Mail.Example.com/inbox"},
        {"https://example.com/?q=1", "example.com/?q=1"},
        {"file:///home/a.html", "file:///home/a.html"},
        {"about:blank", "about:blank"},
        {"", ""},
    };
    for (const auto& [address, shown] : cases) EXPECT_EQ(titleBarAddress(address), shown) << address;
}

TEST(WindowTitle, PrivateWindowsNameNoWebsite) {
    EXPECT_EQ(browserWindowTitle("Mail", true, "Inbox"), "Mail \u2014 Inbox");
    EXPECT_EQ(browserWindowTitle("Mail", false, "Inbox"), "Private Window \u2014 Inbox");
    // A right-to-left override in either name cannot reorder the title: the names' bidirectional
    // controls are left out, and the title holds no invisible marks of its own.
    EXPECT_EQ(browserWindowTitle("\u202EMail", true, "In\u2069box\u2068\u202E"), "Mail \u2014 Inbox");
    // A title is shown whole: names of any length by their beginnings.
    const std::string cut = std::string(kShownTitleCharacters, 'M') + "\u2026";
    EXPECT_EQ(browserWindowTitle(std::string(2'000'000, 'M'), true, std::string(1'000, 'M')), cut + " \u2014 " + cut);
}

TEST(AutoReload, ToleranceIsATenthCappedAtFiveSeconds) {
    EXPECT_DOUBLE_EQ(autoReloadTolerance(30), 3);
    EXPECT_DOUBLE_EQ(autoReloadTolerance(120), 5);
    EXPECT_DOUBLE_EQ(autoReloadTolerance(50), 5);
    EXPECT_DOUBLE_EQ(autoReloadTolerance(10), 1);
}

TEST(AutoReload, OnlyAnIntervalChangeReplacesARunningTimer) {
    EXPECT_FALSE(autoReloadNeedsRescheduling(30.0, 30.0, true)) << "a zoom change keeps the timer";
    EXPECT_TRUE(autoReloadNeedsRescheduling(30.0, 60.0, true));
    EXPECT_TRUE(autoReloadNeedsRescheduling(std::nullopt, 60.0, true));
    EXPECT_TRUE(autoReloadNeedsRescheduling(30.0, std::nullopt, true));
    EXPECT_TRUE(autoReloadNeedsRescheduling(30.0, 30.0, false)) << "no timer yet";
    EXPECT_TRUE(autoReloadNeedsRescheduling(std::nullopt, std::nullopt, false));
}

TEST(AutoReload, RunsOnlyForAPresentedWindowWithAUsableInterval) {
    EXPECT_TRUE(autoReloadShouldRun(30.0, true));
    EXPECT_FALSE(autoReloadShouldRun(30.0, false)) << "a hidden window has no timer";
    EXPECT_FALSE(autoReloadShouldRun(std::nullopt, true));
    EXPECT_FALSE(autoReloadShouldRun(0.0, true));
    EXPECT_FALSE(autoReloadShouldRun(std::numeric_limits<double>::quiet_NaN(), true));
}

TEST(AutoReload, TickReloadsOnlyAnUndisturbedVisibleWindow) {
    const AutoReloadTickFacts ready{true, true, false, false, true, false, false};
    EXPECT_TRUE(autoReloadTickReloads(ready));
    // Each row turns one fact of the ready window the other way.
    for (bool AutoReloadTickFacts::*fact :
         {&AutoReloadTickFacts::presented, &AutoReloadTickFacts::windowVisible,
          &AutoReloadTickFacts::windowMinimized, &AutoReloadTickFacts::sheetAttached,
          &AutoReloadTickFacts::hasActiveTab, &AutoReloadTickFacts::activeTabSleeping,
          &AutoReloadTickFacts::activeTabLoading}) {
        auto facts = ready;
        facts.*fact = !(facts.*fact);
        EXPECT_FALSE(autoReloadTickReloads(facts));
    }
}

}  // namespace
}  // namespace quenlith
