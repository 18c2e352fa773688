#include "browser/view/auto_reload.hpp"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace quenlith {
namespace {

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
