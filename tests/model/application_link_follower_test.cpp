#include <gtest/gtest.h>

#include "model/application_link_follower.hpp"
#include "model/desktop_application_match.hpp"

namespace quenlith {
namespace {

using Application = std::optional<std::string>;

TEST(ApplicationLinkFollower, AppliesTheLastApplicationAfterItStayedInFront) {
    ManualScheduler timers;
    std::vector<Application> applied;
    ApplicationLinkFollower follower("own.desktop", [&](const Application& a) { applied.push_back(a); }, timers);
    const Uuid dismissed = Uuid::random();

    // Each step: the application in front, how long it stays, what is applied by then, and whether
    // the websites put away are still kept away.
    struct Step {
        Application application;
        int staysMs;
        std::vector<Application> applied;
        bool stillDismissed;
    } const steps[] = {
        {"own.desktop", 1000, {}, true},  // this application first: nothing to apply
        {"a.desktop", 299, {}, false},
        {"b.desktop", 300, {"b.desktop"}, false},  // a within 0.3 s of b: never applied
        {"own.desktop", 1000, {"b.desktop"}, true},  // this application: nothing changes
        {"b.desktop", 300, {"b.desktop", "b.desktop"}, true},  // the same one again: still dismissed
        {std::nullopt, 300, {"b.desktop", "b.desktop", std::nullopt}, false},
        {std::nullopt, 300, {"b.desktop", "b.desktop", std::nullopt, std::nullopt}, true},
        {"a.desktop", 300, {"b.desktop", "b.desktop", std::nullopt, std::nullopt, "a.desktop"}, false},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.application.value_or("none"));
        follower.dismiss(dismissed);
        follower.applicationDidActivate(step.application);
        timers.advance(std::chrono::milliseconds(step.staysMs));
        EXPECT_EQ(applied, step.applied);
        EXPECT_EQ(follower.dismissedLinks().contains(dismissed), step.stillDismissed);
    }
    follower.applicationDidActivate("c.desktop");
    follower.cancel();
    timers.advance(std::chrono::milliseconds(1000));
    follower.applicationDidActivate(std::nullopt);
    follower.cancel();
    follower.applicationDidActivate("own.desktop");
    timers.advance(std::chrono::milliseconds(1000));
    EXPECT_EQ(applied.size(), 5u);
}

// After "a" was in front and the person put one of its websites away: each row the active
// applications that follow (how long each stays, in ms), what is applied, and whether the website
// is still kept away then. None in front is the focus on its way between two windows until it stays.
TEST(ApplicationLinkFollower, CountsNoneInFrontAsAnotherApplicationOnlyOnceItStayed) {
    struct Row {
        const char* what;
        std::vector<std::pair<Application, int>> sequence;
        std::vector<Application> applied;
        bool stillDismissed;
        Application lastApplication;
    } const rows[] = {
        {"another window of a", {{std::nullopt, 20}, {"a.desktop", 300}}, {"a.desktop"}, true, "a.desktop"},
        {"a, a moment later", {{std::nullopt, 299}, {"a.desktop", 300}}, {"a.desktop"}, true, "a.desktop"},
        {"none that stays", {{std::nullopt, 300}}, {std::nullopt}, false, std::nullopt},
        {"none that stays, then a", {{std::nullopt, 300}, {"a.desktop", 300}}, {std::nullopt, "a.desktop"}, false,
         "a.desktop"},
        {"b through none", {{std::nullopt, 20}, {"b.desktop", 300}}, {"b.desktop"}, false, "b.desktop"},
        {"b, then back to a through none", {{"b.desktop", 100}, {std::nullopt, 20}, {"a.desktop", 300}},
         {"a.desktop"}, false, "a.desktop"},
        {"this application through none", {{std::nullopt, 20}, {"own.desktop", 300}}, {"a.desktop"}, true,
         "a.desktop"},
        {"this application, then none that stays", {{"own.desktop", 20}, {std::nullopt, 300}}, {std::nullopt},
         false, std::nullopt},
        {"none that stays, then this application", {{std::nullopt, 300}, {"own.desktop", 300}}, {std::nullopt},
         false, std::nullopt},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ManualScheduler timers;
        std::vector<Application> applied;
        ApplicationLinkFollower follower("own.desktop", [&](const Application& a) { applied.push_back(a); },
                                         timers);
        follower.applicationDidActivate("a.desktop");
        timers.advance(ApplicationLinkFollower::kDebounce);
        const Uuid dismissed = Uuid::random();
        follower.dismiss(dismissed);
        applied.clear();
        for (const auto& [application, staysMs] : row.sequence) {
            follower.applicationDidActivate(application);
            timers.advance(std::chrono::milliseconds(staysMs));
        }
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(follower.dismissedLinks().contains(dismissed), row.stillDismissed);
        EXPECT_EQ(follower.lastApplication(), row.lastApplication);
    }
}

// After "a" was in front and showed a website: each row what follows (kGone: the person puts away a
// window of this application that has the focus, as with its close button; otherwise the
// application in front and how long it stays, in ms), and whether the website is still kept away.
// None in front after such a window went away is the focus left nowhere by it, not another
// application; it counts once, and only until another application has been in front.
TEST(ApplicationLinkFollower, KeepsAWebsitePutAwayFromItsFocusedWindowWhenTheFocusIsLeftNowhere) {
    const Application kGone = "(a focused window of ours went away)";
    struct Row {
        const char* what;
        std::vector<std::pair<Application, int>> sequence;
        std::vector<Application> applied;
        bool stillDismissed;
    } const rows[] = {
        {"its window focused, put away, then none that stays, then a",
         {{"own.desktop", 300}, {kGone, 0}, {std::nullopt, 1000}, {"a.desktop", 300}},
         {"a.desktop"},
         true},
        {"put away as the focus arrives, none reported after it",
         {{kGone, 0}, {"own.desktop", 20}, {std::nullopt, 1000}, {"a.desktop", 300}},
         {"a.desktop"},
         true},
        {"the focus passed to another window of a, then none that stays",
         {{"own.desktop", 300}, {kGone, 0}, {"a.desktop", 300}, {std::nullopt, 300}},
         {"a.desktop", std::nullopt},
         false},
        {"the focus left nowhere, then b",
         {{"own.desktop", 300}, {kGone, 0}, {std::nullopt, 1000}, {"b.desktop", 300}},
         {"b.desktop"},
         false},
        {"the focus left nowhere, a, then none that stays",
         {{"own.desktop", 300}, {kGone, 0}, {std::nullopt, 20}, {"a.desktop", 300}, {std::nullopt, 300}},
         {"a.desktop", std::nullopt},
         false},
        {"this application's window still there, none that stays",
         {{"own.desktop", 300}, {std::nullopt, 300}},
         {std::nullopt},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ManualScheduler timers;
        std::vector<Application> applied;
        ApplicationLinkFollower follower("own.desktop", [&](const Application& a) { applied.push_back(a); },
                                         timers);
        follower.applicationDidActivate("a.desktop");
        timers.advance(ApplicationLinkFollower::kDebounce);
        const Uuid dismissed = Uuid::random();
        follower.dismiss(dismissed);
        applied.clear();
        for (const auto& [application, staysMs] : row.sequence) {
            if (application == kGone)
                follower.ownWindowLeft();
            else
                follower.applicationDidActivate(application);
            timers.advance(std::chrono::milliseconds(staysMs));
        }
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(follower.dismissedLinks().contains(dismissed), row.stillDismissed);
    }
}

// After "a" was in front and the person put one of its websites away: each row the steps that
// follow (the application reported, if any; whether the display has no window in front meanwhile;
// how long, in ms), what is applied, and whether the website is still kept away. A busy main loop
// reports the next application late: none counts only while the display still shows none.
TEST(ApplicationLinkFollower, CountsNoneOnlyWhileTheDisplayStillHasNoneInFront) {
    struct Step {
        std::optional<Application> reported;
        bool noneOnDisplay;
        int staysMs;
    };
    struct Row {
        const char* what;
        std::vector<Step> steps;
        std::vector<Application> applied;
        bool stillDismissed;
    } const rows[] = {
        {"a's report late behind none",
         {{std::make_optional<Application>(std::nullopt), false, 300}, {{}, false, 600}, {"a.desktop", false, 300}},
         {"a.desktop"},
         true},
        {"none back on the display before a late report",
         {{std::make_optional<Application>(std::nullopt), false, 300}, {{}, true, 300}},
         {std::nullopt},
         false},
        {"none that stays on the display",
         {{std::make_optional<Application>(std::nullopt), true, 300}},
         {std::nullopt},
         false},
        {"b's report late behind none",
         {{std::make_optional<Application>(std::nullopt), false, 300}, {"b.desktop", false, 300}},
         {"b.desktop"},
         false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ManualScheduler timers;
        std::vector<Application> applied;
        bool noneOnDisplay = false;
        ApplicationLinkFollower follower("own.desktop", [&](const Application& a) { applied.push_back(a); },
                                         timers);
        follower.setNoneInFront([&] { return noneOnDisplay; });
        follower.applicationDidActivate("a.desktop");
        timers.advance(ApplicationLinkFollower::kDebounce);
        const Uuid dismissed = Uuid::random();
        follower.dismiss(dismissed);
        applied.clear();
        for (const auto& step : row.steps) {
            noneOnDisplay = step.noneOnDisplay;
            if (step.reported) follower.applicationDidActivate(*step.reported);
            timers.advance(std::chrono::milliseconds(step.staysMs));
        }
        EXPECT_EQ(applied, row.applied);
        EXPECT_EQ(follower.dismissedLinks().contains(dismissed), row.stillDismissed);
    }
}

TEST(ApplicationLinkFollower, KeepsAMinimisedWebsiteUntilAnotherApplicationHasBeenInFront) {
    ManualScheduler timers;
    ApplicationLinkFollower follower(
        "own.desktop", [](const Application&) {}, timers);
    const Uuid minimised = Uuid::random();
    follower.applicationDidActivate("a.desktop");
    follower.noteMinimised(minimised);
    // Each step: the application in front, and whether links still leave the website minimised.
    const std::pair<Application, bool> steps[] = {
        {std::nullopt, true},  // the focus passing through no window on its way on
        {"a.desktop", true},   // the application that was in front, back again
        {"own.desktop", true},
        {"b.desktop", false},  // another one: from now on "a" brings it back
    };
    for (const auto& [application, stillMinimised] : steps) {
        SCOPED_TRACE(application.value_or("none"));
        follower.applicationDidActivate(application);
        timers.advance(ApplicationLinkFollower::kDebounce);
        EXPECT_EQ(follower.minimisedLinks().contains(minimised), stillMinimised);
    }
}

TEST(DesktopApplicationID, FindsTheDesktopEntryOfAWindow) {
    const std::vector<DesktopApplication> installed = {
        {"org.example.Editor.desktop", std::nullopt},
        {"terminal.desktop", "XTerm"},
        {"quenlith-test-alpha.desktop", std::nullopt},
        {"viewer.desktop", "photo-viewer"},
    };
    const std::pair<WindowApplicationIdentity, Application> cases[] = {
        {{"org.gnome.Calculator", "gnome-calculator", "Gnome-calculator"}, "org.gnome.Calculator.desktop"},
        {{std::nullopt, "xterm", "XTerm"}, "terminal.desktop"},
        {{std::nullopt, "photo-viewer", "Viewer2"}, "viewer.desktop"},
        {{std::nullopt, "quenlith-test-alpha", "Xmessage"}, "quenlith-test-alpha.desktop"},
        {{std::nullopt, "editor", "EDITOR"}, "org.example.Editor.desktop"},
        {{std::nullopt, "unknown", "Unknown"}, "Unknown"},
        {{"", "", std::nullopt}, std::nullopt},
    };
    for (const auto& [window, expected] : cases)
        EXPECT_EQ(desktopApplicationID(window, installed), expected) << window.instanceName.value_or("-");
}

}  // namespace
}  // namespace quenlith
