#include "browser/view/browser_layout.hpp"

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

TEST(ChromeState, StartPageDisablesPageControls) {
    ActiveTabFacts tab;
    tab.showsStartPage = true;
    tab.address = "https://a.test/";
    tab.error = "failed";
    auto state = chromeState(tab);
    EXPECT_TRUE(state.startPageVisible);
    EXPECT_FALSE(state.reloadEnabled);
    EXPECT_FALSE(state.saveWebsiteEnabled);
    EXPECT_EQ(state.addressText, "");
    EXPECT_FALSE(state.errorBoxVisible) << "no error box over the start page";
    EXPECT_FALSE(state.webViewVisible);
}

TEST(ChromeState, SaveWebsiteNeedsAPersistentSessionAndAnAddress) {
    ActiveTabFacts tab;
    tab.address = "https://a.test/x";
    EXPECT_TRUE(chromeState(tab).saveWebsiteEnabled);
    EXPECT_EQ(chromeState(tab).addressText, "https://a.test/x");
    tab.persistentStore = false;
    EXPECT_FALSE(chromeState(tab).saveWebsiteEnabled);
    tab.persistentStore = true;
    tab.address.reset();
    EXPECT_FALSE(chromeState(tab).saveWebsiteEnabled);
    EXPECT_EQ(chromeState(tab).addressText, "");
}

TEST(ChromeState, LoadingErrorAndSleepingBoxes) {
    ActiveTabFacts tab;
    tab.address = "https://a.test/";
    tab.isLoading = true;
    tab.estimatedProgress = 0.4;
    auto state = chromeState(tab);
    EXPECT_EQ(state.reloadSymbol, "xmark");
    EXPECT_EQ(state.reloadDescription, "Stop loading");
    EXPECT_TRUE(state.progressVisible);
    EXPECT_DOUBLE_EQ(state.progress, 0.4);
    EXPECT_TRUE(state.webViewVisible);

    tab.error = "Could not connect";
    state = chromeState(tab);
    EXPECT_FALSE(state.progressVisible) << "no progress over an error";
    EXPECT_TRUE(state.errorBoxVisible);
    EXPECT_EQ(state.errorText, "Could not connect");
    EXPECT_FALSE(state.webViewVisible);

    tab.error.reset();
    tab.isLoading = false;
    tab.isSleeping = true;
    state = chromeState(tab);
    EXPECT_EQ(state.reloadSymbol, "arrow.clockwise");
    EXPECT_EQ(state.reloadDescription, "Reload (Ctrl+R)");
    EXPECT_TRUE(state.sleepBoxVisible);
    EXPECT_FALSE(state.webViewVisible);
    EXPECT_TRUE(state.reloadEnabled);

    ActiveTabFacts signIn;
    signIn.canGoBack = true;
    signIn.pageIsSignIn = true;
    state = chromeState(signIn);
    EXPECT_TRUE(state.backEnabled && !state.forwardEnabled && state.authBarVisible);
}

TEST(WindowTitle, PrivateWindowsNameNoWebsite) {
    EXPECT_EQ(browserWindowTitle("Mail", true, "Inbox"), "Mail \u2014 Inbox");
    EXPECT_EQ(browserWindowTitle("Mail", false, "Inbox"), "Private Window \u2014 Inbox");
}

}  // namespace
}  // namespace quenlith
