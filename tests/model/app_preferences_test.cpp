#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>

#include "model/app_preferences.hpp"
#include "model/json_coding.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {
namespace {

const std::set<std::string> kRequiredKeys = {"showDockIcon",  "searchEngine",   "linkBehavior", "restoreWindows",
                                             "closeBehavior", "theme",          "defaultOpacity", "defaultWidth",
                                             "defaultHeight", "defaultCompact"};

AppPreferences fullPreferences() {
    AppPreferences preferences;
    preferences.showDockIcon = true;
    preferences.searchEngine = SearchEngine::duckDuckGo;
    preferences.linkBehavior = LinkBehavior::external;
    preferences.restoreWindows = true;
    preferences.closeBehavior = CloseBehavior::release;
    preferences.theme = AppTheme::system;
    preferences.defaultOpacity = 0.75;
    preferences.defaultWidth = 640;
    preferences.defaultHeight = 900;
    preferences.defaultCompact = true;
    preferences.pinShortcut = ShortcutConfiguration{0x23, kCommandModifier | kOptionModifier};
    preferences.compactShortcut = ShortcutConfiguration{0x08, kCommandModifier | kOptionModifier};
    preferences.launcherShortcut = ShortcutConfiguration{0x31, kControlModifier};
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::httpConnect;
    proxy.credentialID = "5D0C8B1A-0000-4000-8000-000000000001";
    preferences.proxy = proxy;
    preferences.historyEnabled = true;
    preferences.backgroundSleepMinutes = 30;
    preferences.applicationLinksEnabled = true;
    preferences.isolateNewWindows = false;
    AdFilterSettings filter;
    filter.enabled = true;
    filter.allowedSites = {"example.com"};
    preferences.adFilter = filter;
    return preferences;
}

TEST(AppPreferences, DefaultsWriteOnlyTheTenRequiredKeys) {
    Json json = AppPreferences();
    std::set<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.insert(key);
    EXPECT_EQ(keys, kRequiredKeys);
    EXPECT_EQ(json["searchEngine"], "Google");
    EXPECT_EQ(json["linkBehavior"], "New Tab");
    EXPECT_EQ(json["closeBehavior"], "Hide Window");
    EXPECT_EQ(json["theme"], "Light");
    EXPECT_EQ(json["defaultWidth"], 480.0);
    EXPECT_EQ(json["defaultHeight"], 720.0);
}

TEST(AppPreferences, EnumerationsAreCodedByTheirDisplayTexts) {
    for (auto value : kAllLinkBehaviors) EXPECT_EQ(decodeJson<LinkBehavior>(Json(value)), value);
    for (auto value : kAllCloseBehaviors) EXPECT_EQ(decodeJson<CloseBehavior>(Json(value)), value);
    for (auto value : kAllAppThemes) EXPECT_EQ(decodeJson<AppTheme>(Json(value)), value);
    EXPECT_EQ(Json(LinkBehavior::newWindow), "New Floating Window");
    EXPECT_EQ(Json(CloseBehavior::release), "Close Window");
    EXPECT_EQ(Json(AppTheme::dark), "Dark");
    EXPECT_EQ(title(LinkBehavior::external), "Default Browser");
    EXPECT_FALSE(decodeJson<LinkBehavior>(Json("newTab")));
    EXPECT_FALSE(decodeJson<CloseBehavior>(Json("hide")));
    EXPECT_FALSE(decodeJson<AppTheme>(Json("light")));
}

TEST(AppPreferences, EqualityAndCodingCoverAllNineteenFields) {
    const AppPreferences base = fullPreferences();
    const std::vector<std::function<void(AppPreferences&)>> changes = {
        [](auto& p) { p.showDockIcon = false; },
        [](auto& p) { p.searchEngine = SearchEngine::bing; },
        [](auto& p) { p.linkBehavior = LinkBehavior::newWindow; },
        [](auto& p) { p.restoreWindows = false; },
        [](auto& p) { p.closeBehavior = CloseBehavior::hide; },
        [](auto& p) { p.theme = AppTheme::dark; },
        [](auto& p) { p.defaultOpacity = 0.5; },
        [](auto& p) { p.defaultWidth = 481; },
        [](auto& p) { p.defaultHeight = 721; },
        [](auto& p) { p.defaultCompact = false; },
        [](auto& p) { p.pinShortcut.reset(); },
        [](auto& p) { p.compactShortcut->keyCode = 0x09; },
        [](auto& p) { p.launcherShortcut->modifiers = kOptionModifier; },
        [](auto& p) { p.proxy->credentialID.reset(); },
        [](auto& p) { p.historyEnabled = false; },
        [](auto& p) { p.backgroundSleepMinutes = -5; },
        [](auto& p) { p.applicationLinksEnabled.reset(); },
        [](auto& p) { p.isolateNewWindows.reset(); },
        [](auto& p) { p.adFilter->hidePlaceholders = false; },
    };
    ASSERT_EQ(changes.size(), 19u);
    EXPECT_EQ(Json(base).size(), 19u);
    EXPECT_EQ(decodeJson<AppPreferences>(Json(base)), base);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        AppPreferences changed = base;
        changes[i](changed);
        EXPECT_NE(changed, base) << "field " << i;
        EXPECT_EQ(decodeJson<AppPreferences>(Json(changed)), changed) << "field " << i;
    }
}

TEST(AppPreferences, DecodingIsStrict) {
    const Json valid = fullPreferences();
    for (const auto& key : kRequiredKeys) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_FALSE(decodeJson<AppPreferences>(missing)) << key;
    }
    const std::vector<std::pair<const char*, Json>> wrong = {
        {"searchEngine", "Yahoo"},    {"linkBehavior", "Tab"},        {"closeBehavior", "Quit"},
        {"theme", "Blue"},            {"defaultOpacity", "1"},        {"backgroundSleepMinutes", 2.5},
        {"proxy", {{"kind", "ftp"}}}, {"adFilter", {{"enabled", true}}}, {"historyEnabled", "yes"},
        {"pinShortcut", {{"keyCode", -1}, {"modifiers", 256}}},
    };
    for (const auto& [key, value] : wrong) {
        Json json = valid;
        json[key] = value;
        EXPECT_FALSE(decodeJson<AppPreferences>(json)) << key;
    }
}

TEST(AppPreferences, AbsentOptionalKeysDecodeAbsent) {
    Json json = AppPreferences();
    json["unknownFutureKey"] = true;
    auto preferences = decodeJson<AppPreferences>(json);
    ASSERT_TRUE(preferences);
    EXPECT_EQ(*preferences, AppPreferences());
    EXPECT_EQ(preferences->historyEnabled, std::nullopt);
    EXPECT_EQ(preferences->adFilter, std::nullopt);
}

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
    preferences.isolateNewWindows = false;
    EXPECT_FALSE(preferences.readsIsolateNewWindows());
}

TEST(AppPreferences, AdFilterSettingsAreNormalisedBothWays) {
    AppPreferences preferences;
    EXPECT_EQ(preferences.adFilterSettings(), AdFilterSettings());

    AdFilterSettings typed;
    typed.enabled = true;
    typed.allowedSites = {"  Example.COM ", "example.com", "not a host"};
    preferences.adFilter = typed;  // stored as read, cleaned when read through the accessor
    EXPECT_EQ(preferences.adFilterSettings(), typed.normalized());
    EXPECT_EQ(preferences.adFilter, typed);

    preferences.setAdFilterSettings(typed);
    EXPECT_EQ(preferences.adFilter, typed.normalized());
    EXPECT_EQ(preferences.adFilter->allowedSites, std::vector<std::string>{"example.com"});
}

TEST(AppPreferences, DuplicateReadsIsolateNewWindows) {
    WebAppProfile website;
    AppPreferences preferences;
    EXPECT_TRUE(website.duplicate(preferences).dataStoreIdentifier()) << "absent reads as true";
    preferences.isolateNewWindows = false;
    EXPECT_FALSE(website.duplicate(preferences).dataStoreIdentifier());
    EXPECT_TRUE(website.duplicate(preferences, true).dataStoreIdentifier());
}

}  // namespace
}  // namespace quenlith
