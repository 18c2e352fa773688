#include <gtest/gtest.h>

#include "model/json_coding.hpp"
#include "model/sample_records.hpp"

namespace quenlith {
namespace {

TEST(AppPreferences, ReadingRules) {
    AppPreferences preferences;
    EXPECT_FALSE(preferences.readsHistoryEnabled());
    EXPECT_FALSE(preferences.readsApplicationLinksEnabled());
    EXPECT_TRUE(preferences.readsIsolateNewWindows());
    EXPECT_EQ(preferences.readsBackgroundSleepMinutes(), 0);
    preferences.backgroundSleepMinutes = -5;
    EXPECT_EQ(preferences.readsBackgroundSleepMinutes(), 0);
    EXPECT_EQ(preferences.backgroundSleepMinutes, -5) << "the stored value stays as read";
    preferences.backgroundSleepMinutes = 15;
    EXPECT_EQ(preferences.readsBackgroundSleepMinutes(), 15);
    const AppPreferences full = test::fullPreferences();
    EXPECT_TRUE(full.readsHistoryEnabled());
    EXPECT_TRUE(full.readsApplicationLinksEnabled());
    EXPECT_FALSE(full.readsIsolateNewWindows());
}

TEST(AppPreferences, AdFilterSettingsAreNormalisedBothWays) {
    AppPreferences preferences;
    EXPECT_EQ(preferences.adFilterSettings(), AdFilterSettings());
    const AdFilterSettings typed{true, true, {"  Example.COM ", "example.com", "not a host"}, {}};
    preferences.adFilter = typed;  // stored as read, cleaned when read through the accessor
    EXPECT_EQ(preferences.adFilterSettings(), typed.normalized());
    EXPECT_EQ(preferences.adFilter, typed);
    preferences.setAdFilterSettings(typed);
    EXPECT_EQ(preferences.adFilter, typed.normalized());
}

}  // namespace
}  // namespace quenlith
