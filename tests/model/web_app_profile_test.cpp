#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>

#include "model/dock_edge.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/sample_records.hpp"
#include "model/website_switches.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {
namespace {

using test::fullProfile;
using test::socksProxy;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

std::string repeated(const std::string& unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += unit;
    return text;
}

struct NormalizationCase {
    const char* label;
    std::function<void(WebAppProfile&)> change;     // applied to a fresh record before normalising
    std::function<void(WebAppProfile&)> expected;   // applied to a fresh record: the expected result
};

using P = WebAppProfile&;
using C = NormalizationCase;
const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467";

// Sets `count` linked applications.
std::function<void(P)> linkedApplications(int count) {
    return [count](P p) {
        p.linkedApplications.emplace();
        for (int i = 0; i < count; ++i)
            p.linkedApplications->push_back({std::to_string(i) + ".desktop", "A"});
    };
}

// Values that other checks judge (addresses, sort order), odd on purpose.
void checkedElsewhere(P p) {
    p.homeURL = "  not a url ";
    p.lastURL = "";
    p.iconURL = " x ";
    p.sortOrder = -1;
}

TEST(WebAppProfile, NormalizationRepairs) {
    const C cases[] = {
        C{"opacity NaN", [](P p) { p.opacity = kNaN; }, [](P) {}},
        C{"opacity low", [](P p) { p.opacity = 0.2; }, [](P p) { p.opacity = 0.35; }},
        C{"opacity high", [](P p) { p.opacity = 1.5; }, [](P) {}},
        C{"opacity inside", [](P p) { p.opacity = 0.6; }, [](P p) { p.opacity = 0.6; }},
        C{"zoom low", [](P p) { p.zoomLevel = 0.1; }, [](P p) { p.zoomLevel = 0.5; }},
        C{"zoom high", [](P p) { p.zoomLevel = 7; }, [](P p) { p.zoomLevel = 2.0; }},
        C{"zoom infinite", [](P p) { p.zoomLevel = kInfinity; }, [](P) {}},
        C{"reload 9.99", [](P p) { p.autoReloadInterval = 9.99; }, [](P) {}},
        C{"reload 10", [](P p) { p.autoReloadInterval = 10.0; }, [](P p) { p.autoReloadInterval = 10.0; }},
        C{"reload infinite", [](P p) { p.autoReloadInterval = kInfinity; }, [](P) {}},
        C{"frame 319 wide", [](P p) { p.windowFrame = CodableRect{0, 0, 319, 600, {}}; }, [](P) {}},
        C{"frame 239 high", [](P p) { p.windowFrame = CodableRect{0, 0, 800, 239, {}}; }, [](P) {}},
        C{"frame infinite x", [](P p) { p.windowFrame = CodableRect{kInfinity, 0, 800, 600, {}}; }, [](P) {}},
        C{"frame NaN y", [](P p) { p.windowFrame = CodableRect{0, kNaN, 800, 600, {}}; }, [](P) {}},
        C{"frame infinite width", [](P p) { p.windowFrame = CodableRect{0, 0, kInfinity, 600, {}}; }, [](P) {}},
        C{"frame NaN height", [](P p) { p.windowFrame = CodableRect{0, 0, 800, kNaN, {}}; }, [](P) {}},
        C{"frame 320 by 240", [](P p) { p.windowFrame = CodableRect{-5, 7, 320, 240, 3}; },
                          [](P p) { p.windowFrame = CodableRect{-5, 7, 320, 240, 3}; }},
        C{"name trimmed, not shortened", [](P p) { p.name = "\n\t " + std::string(300, 'n') + " \u3000"; },
                          [](P p) { p.name = std::string(300, 'n'); }},
        C{"account name of 60 characters", [](P p) { p.accountName = "  " + repeated("账", 60) + " "; },
                          [](P p) { p.accountName = repeated("账", 50); }},
        C{"account name cut between emoji",
                          [](P p) { p.accountName = repeated("a", 49) + kFamily + "\U0001F44D\U0001F3FD"; },
                          [](P p) { p.accountName = repeated("a", 49) + kFamily; }},
        C{"account name of spaces", [](P p) { p.accountName = "   "; }, [](P p) { p.accountName = ""; }},
        C{"user agent with line break", [](P p) { p.customUserAgent = "Agent\n2"; }, [](P) {}},
        C{"blank user agent", [](P p) { p.customUserAgent = "   "; }, [](P) {}},
        C{"user agent kept untrimmed", [](P p) { p.customUserAgent = " Agent/1 "; },
                          [](P p) { p.customUserAgent = " Agent/1 "; }},
        C{"twenty-five linked applications", linkedApplications(25), linkedApplications(20)},
        C{"shared website gets no identifier", [](P p) { p.isolatedAccount = false; },
                          [](P p) { p.isolatedAccount = false; }},
        C{"fields checked elsewhere are untouched", checkedElsewhere, checkedElsewhere},
    };
    for (const C& c : cases) {
        WebAppProfile profile, expected;
        expected.id = profile.id;
        c.change(profile);
        c.expected(expected);
        profile.normalize();
        EXPECT_EQ(profile, expected) << c.label;
        EXPECT_TRUE(encodeJsonText(Json(profile), JsonStyle::compact)) << c.label << ": unwritable";
    }
}

TEST(WebAppProfile, ProxyOrIsolationGivesItsOwnStoreAndIdentifiersAreKept) {
    WebAppProfile proxied;
    proxied.siteProxy = socksProxy();
    proxied.normalize();
    ASSERT_TRUE(proxied.sessionIdentifier);
    EXPECT_EQ(proxied.dataStoreIdentifier(), proxied.sessionIdentifier);

    WebAppProfile profile;
    Uuid identifier = Uuid::random();
    profile.sessionIdentifier = identifier;
    profile.normalize();  // neither isolated nor proxied: still kept
    EXPECT_EQ(profile.sessionIdentifier, identifier);
    EXPECT_EQ(profile.dataStoreIdentifier(), std::nullopt);
    profile.isolatedAccount = true;
    profile.normalize();
    EXPECT_EQ(profile.dataStoreIdentifier(), identifier);

    // Isolation turned off and on again returns to the same store.
    WebAppProfile fresh;
    fresh.setIsolatedAccount(true);
    ASSERT_TRUE(fresh.dataStoreIdentifier());
    Uuid first = *fresh.sessionIdentifier;
    fresh.setIsolatedAccount(false);
    EXPECT_EQ(fresh.isolatedAccount, false);
    EXPECT_EQ(fresh.sessionIdentifier, first);
    EXPECT_EQ(fresh.dataStoreIdentifier(), std::nullopt);
    fresh.setIsolatedAccount(true);
    EXPECT_EQ(fresh.dataStoreIdentifier(), first);

    // The account name shows, and a page group refers to the store, only with a store of its own.
    WebAppProfile mail;
    mail.name = "Mail";
    mail.accountName = "Work";
    EXPECT_EQ(mail.displayTitle(), "Mail") << "account name without own data store";
    mail.isolatedAccount = true;
    EXPECT_EQ(mail.displayTitle(), "Mail") << "isolated but not yet normalised: no identifier";
    EXPECT_EQ(WindowSessionReference::from(mail), std::nullopt);
    mail.normalize();
    EXPECT_EQ(mail.displayTitle(), "Mail \u00B7 Work");
    mail.accountName = "   ";
    mail.normalize();
    EXPECT_EQ(mail.displayTitle(), "Mail");
    mail.accountName = "Home";
    mail.isolatedAccount = false;
    EXPECT_EQ(WindowSessionReference::from(mail), std::nullopt) << "an identifier alone";
    mail.siteProxy = socksProxy();
    EXPECT_EQ(mail.displayTitle(), "Mail \u00B7 Home") << "a proxy gives its own store too";
    EXPECT_EQ(WindowSessionReference::from(mail),
              (WindowSessionReference{*mail.sessionIdentifier, mail.siteProxy}));
}

TEST(WebAppProfile, OwnSitePagesAreOnTheHomesHostOrBelowIt) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"https://example.com/inbox", "https://example.com", true},
        // A website saved with capitals still gets its last address and icon.
        {"https://example.com/inbox", "https://Example.COM", true}, {"https://example.com/", "HTTPS://EXAMPLE.COM/", true},
        {"http://example.com:8080/", "https://example.com/", true}, {"https://mail.example.com/", "https://example.com/", true},
        {"https://www.example.com/", "https://example.com/", true}, {"https://example.com/", "https://www.example.com/", true},
        {"https://example.com/", "example.com", true},
        // Another site visited in the website's window, and pages without a host.
        {"https://example.org/", "https://example.com/", false}, {"https://example.com.evil.net/", "https://example.com", false},
        {"https://example.com/", "https://mail.example.com/", false}, {"about:blank", "example.com", false},
        {"about:blank", "", false}, {"about:blank", "https://example.com", false},
        // A home address that is no website address owns no page.
        {"https://example.com/", "", false}, {"https://example.com/", "ftp://example.com", false}};
    for (const auto& [page, home, own] : cases) {
        WebAppProfile website;
        website.homeURL = home;
        EXPECT_EQ(website.isOwnSitePage(page), own) << page << " of " << home;
    }
}

TEST(WebAppProfile, NewAccountCopy) {
    const WebAppProfile source = fullProfile();
    WebAppProfile copy = source.newAccountCopy();
    EXPECT_NE(copy.id, source.id);
    ASSERT_TRUE(copy.sessionIdentifier);
    EXPECT_NE(copy.sessionIdentifier, source.sessionIdentifier);

    WebAppProfile expected = source;
    expected.id = copy.id;
    expected.sessionIdentifier = copy.sessionIdentifier;
    expected.isolatedAccount = true;
    expected.accountName = "New Account";
    expected.lastURL.reset();
    expected.windowFrame.reset();
    expected.globalShortcut.reset();
    expected.wasVisible = expected.launchAtStartup = false;
    expected.menuBarIconEnabled = expected.applicationLinkEnabled = false;
    expected.siteProxy->credentialID.reset();  // the password stays with the source
    EXPECT_EQ(copy, expected);
}

TEST(WebAppProfile, DuplicateDecidesIndependence) {
    WebAppProfile source = fullProfile();
    source.siteProxy.reset();
    source.opacity = 7;  // the copy is normalised
    struct Case {
        std::optional<bool> isolateNewWindows, isolated;
        bool proxied, independent;
    };
    const Case cases[] = {{std::nullopt, std::nullopt, false, true}, {false, std::nullopt, false, false},
                          {true, std::nullopt, false, true},         {true, false, false, false},
                          {false, true, false, true},                {false, false, true, true}};
    for (const auto& c : cases) {
        WebAppProfile original = source;
        if (c.proxied) original.siteProxy = socksProxy();
        WebAppProfile copy = original.duplicate(c.isolateNewWindows, c.isolated);
        EXPECT_NE(copy.id, original.id);
        EXPECT_EQ(copy.dataStoreIdentifier().has_value(), c.independent) << &c - cases;
        if (c.independent) {
            EXPECT_NE(copy.sessionIdentifier, original.sessionIdentifier);
        }

        WebAppProfile expected = original;
        expected.id = copy.id;
        expected.isolatedAccount = c.independent;
        expected.sessionIdentifier = c.independent ? copy.sessionIdentifier : std::nullopt;
        expected.rememberWindowFrame = expected.wasVisible = expected.launchAtStartup = false;
        expected.accountName.reset();
        expected.lastURL.reset();
        expected.windowFrame.reset();
        expected.globalShortcut.reset();
        expected.menuBarIconEnabled = expected.applicationLinkEnabled = false;
        expected.opacity = 1.0;
        EXPECT_EQ(copy, expected) << &c - cases;
    }
    AppPreferences preferences;
    EXPECT_TRUE(WebAppProfile().duplicate(preferences).dataStoreIdentifier()) << "absent reads as true";
    preferences.isolateNewWindows = false;
    EXPECT_FALSE(WebAppProfile().duplicate(preferences).dataStoreIdentifier());
    EXPECT_TRUE(WebAppProfile().duplicate(preferences, true).dataStoreIdentifier());
}

// The ten live settings of `source` on `target`, the optional flags as plain values.
WebAppProfile withLiveSettings(WebAppProfile target, const WebAppProfile& source) {
    target.alwaysOnTop = source.alwaysOnTop;
    target.followAcrossSpaces = source.followAcrossSpaces;
    target.opacity = source.opacity;
    target.zoomLevel = source.zoomLevel;
    target.compactMode = source.compactMode;
    target.customUserAgent = source.customUserAgent;
    target.autoReloadInterval = source.autoReloadInterval;
    target.trackerBlockingEnabled = source.trackerBlockingEnabled.value_or(false);
    target.edgeTuckEnabled = source.edgeTuckEnabled.value_or(false);
    target.keepAwakeEnabled = source.keepAwakeEnabled.value_or(false);
    return target;
}

TEST(WebAppProfile, CopyAndMergeOfLiveSettings) {
    WebAppProfile source = fullProfile();  // every live setting away from a fresh record's
    source.customUserAgent.reset();
    source.trackerBlockingEnabled.reset();
    source.edgeTuckEnabled = true;
    WebAppProfile target;
    target.customUserAgent = "Old/1";
    target.autoReloadInterval = 30;
    WebAppProfile copied = target;
    copied.copyLiveSettings(source);
    EXPECT_EQ(copied, withLiveSettings(target, source));

    // A merge takes every setting the edit changed (here all ten), and only those.
    WebAppProfile updated = source;
    updated.trackerBlockingEnabled = updated.keepAwakeEnabled = true;
    WebAppProfile running;  // differs from the edited record in every live setting
    running.customUserAgent = "Running/1";
    WebAppProfile merged = running;
    merged.mergeLiveSettings(target, updated);
    EXPECT_EQ(merged, withLiveSettings(running, updated));
    merged = running;
    merged.mergeLiveSettings(source, source);
    EXPECT_EQ(merged, running) << "nothing changed by the edit";

    // Absent and false are the same flag; absent and "" are different texts.
    WebAppProfile old, edited = old;
    edited.trackerBlockingEnabled = false;
    edited.customUserAgent = "";
    merged = running;
    merged.mergeLiveSettings(old, edited);
    WebAppProfile expected = running;
    expected.customUserAgent = "";
    EXPECT_EQ(merged, expected);
}

// Each switch of the editing screens reads and writes its own setting and no other; an absent
// optional setting shows as off, and a flipped one is stored as a definite on or off.
TEST(WebsiteSwitches, EachReadsAndWritesItsOwnSettingOnly) {
    std::set<std::string> labels, keys;
    for (const auto& setting : websiteSwitches()) {
        EXPECT_TRUE(labels.insert(setting.label).second) << setting.label;
        const WebAppProfile fresh;
        const Json before = fresh;
        for (bool on : {true, false}) {
            WebAppProfile changed = fresh;
            setting.set(changed, on);
            EXPECT_EQ(setting.isOn(changed), on) << setting.label;
            const Json patch = Json::diff(before, Json(changed));
            ASSERT_LE(patch.size(), 1u) << setting.label << ": " << patch.dump();
            if (patch.empty()) {
                EXPECT_EQ(setting.isOn(fresh), on) << setting.label << " already read " << on;
                continue;
            }
            const std::string key = patch[0]["path"].get<std::string>().substr(1);
            EXPECT_EQ(key, setting.key) << setting.label << " is stored under its own key";
            EXPECT_EQ(Json(changed)[key], on) << setting.label << " stores a definite value";
            if (!before.contains(key)) {
                EXPECT_FALSE(setting.isOn(fresh)) << key << " absent reads as off";
            }
            keys.insert(key);
        }
    }
    EXPECT_EQ(keys.size(), labels.size()) << "no two switches share a setting";
}

// The editor shows a group's switches in the table's order; a window's settings sheet has an order
// of its own.
TEST(WebsiteSwitches, EachScreenShowsItsSwitchesInItsOwnOrder) {
    auto keys = [](const std::vector<const WebsiteSwitch*>& shown) {
        std::vector<std::string> result;
        for (const WebsiteSwitch* setting : shown) result.push_back(setting->key);
        return result;
    };
    EXPECT_EQ(keys(windowSheetSwitches()), (std::vector<std::string>{"alwaysOnTop", "followAcrossSpaces",
                                                                     "edgeTuckEnabled", "keepAwakeEnabled"}));
    EXPECT_EQ(keys(websiteSwitchesIn(WebsiteSwitchGroup::window)),
              (std::vector<std::string>{"edgeTuckEnabled", "alwaysOnTop", "followAcrossSpaces",
                                        "rememberWindowFrame", "compactMode"}));
    EXPECT_EQ(keys(websiteSwitchesIn(WebsiteSwitchGroup::advanced)),
              std::vector<std::string>{"keepAwakeEnabled"});
}

}  // namespace
}  // namespace quenlith
