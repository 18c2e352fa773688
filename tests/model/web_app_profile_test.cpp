#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <string>

#include "model/codable_rect.hpp"
#include "model/dock_edge.hpp"
#include "model/json_coding.hpp"
#include "model/json_text.hpp"
#include "model/web_app_profile.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

const std::set<std::string> kRequiredKeys = {
    "id", "name", "homeURL", "alwaysOnTop", "followAcrossSpaces", "opacity", "zoomLevel", "compactMode",
    "rememberLastURL", "launchAtStartup", "sortOrder", "rememberWindowFrame", "isFavorite", "wasVisible"};

BrowserProxySettings socksProxy() {
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::socks5;
    proxy.host = "127.0.0.1";
    proxy.port = 1080;
    proxy.username = "alice";
    proxy.usesAuthentication = true;
    proxy.credentialID = "4C1D6F5E-2B3A-4C5D-8E9F-0A1B2C3D4E5F";
    return proxy;
}

// A record with every optional field present and every field away from its default.
WebAppProfile fullProfile() {
    WebAppProfile profile;
    profile.name = "Mail";
    profile.homeURL = "https://mail.example";
    profile.iconURL = "https://mail.example/icon.png";
    profile.alwaysOnTop = false;
    profile.followAcrossSpaces = false;
    profile.opacity = 0.8;
    profile.zoomLevel = 1.25;
    profile.compactMode = true;
    profile.rememberLastURL = false;
    profile.lastURL = "https://mail.example/inbox";
    profile.customUserAgent = "Test/1.0";
    profile.autoReloadInterval = 60;
    profile.globalShortcut = ShortcutConfiguration{0x28, 0x0900};
    profile.windowFrame = CodableRect{10, 20, 480, 720, 42};
    profile.launchAtStartup = true;
    profile.sortOrder = -7;
    profile.rememberWindowFrame = false;
    profile.isFavorite = false;
    profile.wasVisible = true;
    profile.menuBarIconEnabled = true;
    profile.trackerBlockingEnabled = false;
    profile.sessionIdentifier = Uuid::random();
    profile.isolatedAccount = true;
    profile.accountName = "Work";
    profile.siteProxy = socksProxy();
    profile.edgeTuckEnabled = true;
    profile.keepAwakeEnabled = false;
    profile.linkedApplications = std::vector<LinkedApplication>{{"org.gnome.Terminal.desktop", "Terminal"}};
    profile.applicationLinkEnabled = true;
    return profile;
}

TEST(WebAppProfileJson, FreshRecordWritesOnlyTheFourteenRequiredKeys) {
    Json json = WebAppProfile();
    std::set<std::string> keys;
    for (const auto& [key, value] : json.items()) keys.insert(key);
    EXPECT_EQ(keys, kRequiredKeys);
    EXPECT_EQ(json["homeURL"], "https://");
    EXPECT_EQ(json["opacity"], 1.0);
}

TEST(WebAppProfileJson, FullRecordRoundTripsThroughText) {
    WebAppProfile profile = fullProfile();
    Json json = profile;
    EXPECT_EQ(json.size(), 30u);
    auto text = encodeJsonText(json, JsonStyle::pretty);
    ASSERT_TRUE(text);
    auto parsed = parseJsonText(*text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(decodeJson<WebAppProfile>(*parsed), profile);
    EXPECT_EQ((*parsed)["sessionIdentifier"], profile.sessionIdentifier->string());
}

TEST(WebAppProfileJson, EveryRequiredKeyIsRequired) {
    const Json valid = fullProfile();
    for (const auto& key : kRequiredKeys) {
        Json missing = valid;
        missing.erase(key);
        EXPECT_FALSE(decodeJson<WebAppProfile>(missing)) << key;
    }
}

TEST(WebAppProfileJson, AbsentOptionalKeysStayAbsent) {
    Json json = fullProfile();
    json.erase("menuBarIconEnabled");
    json["isolatedAccount"] = nullptr;
    json["somethingNew"] = {1, 2, 3};
    auto profile = decodeJson<WebAppProfile>(json);
    ASSERT_TRUE(profile);
    EXPECT_EQ(profile->menuBarIconEnabled, std::nullopt);
    EXPECT_EQ(profile->isolatedAccount, std::nullopt);
    EXPECT_FALSE(Json(*profile).contains("menuBarIconEnabled"));
}

TEST(WebAppProfileJson, WrongTypesFailTheWholeRecord) {
    const Json valid = fullProfile();
    const std::vector<std::pair<Json::json_pointer, Json>> wrong = {
        {Json::json_pointer("/opacity"), "1.0"},
        {Json::json_pointer("/sortOrder"), 1.5},
        {Json::json_pointer("/wasVisible"), 0},
        {Json::json_pointer("/id"), "not-a-uuid"},
        {Json::json_pointer("/sessionIdentifier"), 12},
        {Json::json_pointer("/globalShortcut/keyCode"), 4294967296ull},
        {Json::json_pointer("/globalShortcut/keyCode"), -1},
        {Json::json_pointer("/windowFrame/displayID"), -3},
        {Json::json_pointer("/windowFrame/width"), "480"},
        {Json::json_pointer("/siteProxy/kind"), "http"},
        {Json::json_pointer("/linkedApplications/0/name"), nullptr},
        {Json::json_pointer("/linkedApplications"), Json::object()},
        {Json::json_pointer("/accountName"), false},
    };
    for (const auto& [pointer, value] : wrong) {
        Json json = valid;
        json[pointer] = value;
        std::string error;
        EXPECT_FALSE(decodeJson<WebAppProfile>(json, &error)) << pointer.to_string();
    }
    EXPECT_FALSE(decodeJson<WebAppProfile>(Json::array()));
}

TEST(WebAppProfileJson, UuidsAreReadInEitherCaseAndWrittenUpperCase) {
    Json json = WebAppProfile();
    json["id"] = "e621e1f8-c36c-495a-93fc-0c247a3e6e5f";
    auto profile = decodeJson<WebAppProfile>(json);
    ASSERT_TRUE(profile);
    EXPECT_EQ(Json(*profile)["id"], "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
}

// Each change touches one field; every one must survive coding and break equality.
TEST(WebAppProfile, EqualityAndCodingCoverAllThirtyFields) {
    const WebAppProfile base = fullProfile();
    const std::vector<std::function<void(WebAppProfile&)>> changes = {
        [](auto& p) { p.id = Uuid::random(); },
        [](auto& p) { p.name += "!"; },
        [](auto& p) { p.homeURL += "/x"; },
        [](auto& p) { p.iconURL.reset(); },
        [](auto& p) { p.alwaysOnTop = !p.alwaysOnTop; },
        [](auto& p) { p.followAcrossSpaces = !p.followAcrossSpaces; },
        [](auto& p) { p.opacity = 0.5; },
        [](auto& p) { p.zoomLevel = 0.75; },
        [](auto& p) { p.compactMode = !p.compactMode; },
        [](auto& p) { p.rememberLastURL = !p.rememberLastURL; },
        [](auto& p) { p.lastURL.reset(); },
        [](auto& p) { p.customUserAgent = ""; },
        [](auto& p) { p.autoReloadInterval = 61; },
        [](auto& p) { p.globalShortcut->modifiers ^= kShiftModifier; },
        [](auto& p) { p.windowFrame->displayID.reset(); },
        [](auto& p) { p.launchAtStartup = !p.launchAtStartup; },
        [](auto& p) { p.sortOrder = 9007199254740993; },
        [](auto& p) { p.rememberWindowFrame = !p.rememberWindowFrame; },
        [](auto& p) { p.isFavorite = !p.isFavorite; },
        [](auto& p) { p.wasVisible = !p.wasVisible; },
        [](auto& p) { p.menuBarIconEnabled = false; },
        [](auto& p) { p.trackerBlockingEnabled.reset(); },
        [](auto& p) { p.sessionIdentifier = Uuid::random(); },
        [](auto& p) { p.isolatedAccount = false; },
        [](auto& p) { p.accountName = ""; },
        [](auto& p) { p.siteProxy->credentialID.reset(); },
        [](auto& p) { p.edgeTuckEnabled.reset(); },
        [](auto& p) { p.keepAwakeEnabled = true; },
        [](auto& p) { p.linkedApplications->push_back({"b.desktop", "B"}); },
        [](auto& p) { p.applicationLinkEnabled.reset(); },
    };
    ASSERT_EQ(changes.size(), 30u);
    for (std::size_t i = 0; i < changes.size(); ++i) {
        WebAppProfile changed = base;
        changes[i](changed);
        EXPECT_NE(changed, base) << "field " << i;
        EXPECT_EQ(decodeJson<WebAppProfile>(Json(changed)), changed) << "field " << i;
    }
}

struct NormalizationCase {
    const char* label;
    std::function<void(WebAppProfile&)> setUp;
    std::function<void(const WebAppProfile&)> check;
};

class WebAppProfileNormalization : public testing::TestWithParam<NormalizationCase> {};

TEST_P(WebAppProfileNormalization, Repairs) {
    WebAppProfile profile;
    GetParam().setUp(profile);
    profile.normalize();
    GetParam().check(profile);
    // A normalised record can always be written.
    EXPECT_TRUE(encodeJsonText(Json(profile), JsonStyle::compact)) << GetParam().label;
}

std::string repeated(const std::string& unit, int count) {
    std::string text;
    for (int i = 0; i < count; ++i) text += unit;
    return text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WebAppProfileNormalization,
    testing::Values(
        NormalizationCase{"opacity NaN", [](auto& p) { p.opacity = kNaN; }, [](auto& p) { EXPECT_EQ(p.opacity, 1.0); }},
        NormalizationCase{"opacity low", [](auto& p) { p.opacity = 0.2; }, [](auto& p) { EXPECT_EQ(p.opacity, 0.35); }},
        NormalizationCase{"opacity high", [](auto& p) { p.opacity = 1.5; }, [](auto& p) { EXPECT_EQ(p.opacity, 1.0); }},
        NormalizationCase{"opacity -inf", [](auto& p) { p.opacity = -kInfinity; }, [](auto& p) { EXPECT_EQ(p.opacity, 1.0); }},
        NormalizationCase{"opacity inside", [](auto& p) { p.opacity = 0.6; }, [](auto& p) { EXPECT_EQ(p.opacity, 0.6); }},
        NormalizationCase{"zoom low", [](auto& p) { p.zoomLevel = 0.1; }, [](auto& p) { EXPECT_EQ(p.zoomLevel, 0.5); }},
        NormalizationCase{"zoom high", [](auto& p) { p.zoomLevel = 7; }, [](auto& p) { EXPECT_EQ(p.zoomLevel, 2.0); }},
        NormalizationCase{"zoom infinite", [](auto& p) { p.zoomLevel = kInfinity; }, [](auto& p) { EXPECT_EQ(p.zoomLevel, 1.0); }},
        NormalizationCase{"reload 9.99", [](auto& p) { p.autoReloadInterval = 9.99; },
                          [](auto& p) { EXPECT_EQ(p.autoReloadInterval, std::nullopt); }},
        NormalizationCase{"reload 10", [](auto& p) { p.autoReloadInterval = 10.0; },
                          [](auto& p) { EXPECT_EQ(p.autoReloadInterval, 10.0); }},
        NormalizationCase{"reload infinite", [](auto& p) { p.autoReloadInterval = kInfinity; },
                          [](auto& p) { EXPECT_EQ(p.autoReloadInterval, std::nullopt); }},
        NormalizationCase{"reload NaN", [](auto& p) { p.autoReloadInterval = kNaN; },
                          [](auto& p) { EXPECT_EQ(p.autoReloadInterval, std::nullopt); }},
        NormalizationCase{"frame 319 wide", [](auto& p) { p.windowFrame = CodableRect{0, 0, 319, 600, {}}; },
                          [](auto& p) { EXPECT_EQ(p.windowFrame, std::nullopt); }},
        NormalizationCase{"frame 239 high", [](auto& p) { p.windowFrame = CodableRect{0, 0, 800, 239, {}}; },
                          [](auto& p) { EXPECT_EQ(p.windowFrame, std::nullopt); }},
        NormalizationCase{"frame infinite origin", [](auto& p) { p.windowFrame = CodableRect{kInfinity, 0, 800, 600, {}}; },
                          [](auto& p) { EXPECT_EQ(p.windowFrame, std::nullopt); }},
        NormalizationCase{"frame NaN height", [](auto& p) { p.windowFrame = CodableRect{0, 0, 800, kNaN, {}}; },
                          [](auto& p) { EXPECT_EQ(p.windowFrame, std::nullopt); }},
        NormalizationCase{"frame 320 by 240", [](auto& p) { p.windowFrame = CodableRect{-5, 7, 320, 240, 3}; },
                          [](auto& p) { EXPECT_EQ(p.windowFrame, (CodableRect{-5, 7, 320, 240, 3})); }},
        NormalizationCase{"name trimmed, not shortened", [](auto& p) { p.name = "\n\t " + std::string(300, 'n') + " \u3000"; },
                          [](auto& p) { EXPECT_EQ(p.name, std::string(300, 'n')); }},
        NormalizationCase{"account name of 60 characters",
                          [](auto& p) { p.accountName = "  " + repeated("账", 60) + " "; },
                          [](auto& p) { EXPECT_EQ(p.accountName, repeated("账", 50)); }},
        NormalizationCase{"account name cut between emoji",
                          [](auto& p) { p.accountName = repeated("a", 49) + "\U0001F468\u200D\U0001F469\u200D\U0001F467" + "\U0001F44D\U0001F3FD"; },
                          [](auto& p) { EXPECT_EQ(p.accountName, repeated("a", 49) + "\U0001F468\u200D\U0001F469\u200D\U0001F467"); }},
        NormalizationCase{"account name of spaces", [](auto& p) { p.accountName = "   "; },
                          [](auto& p) { EXPECT_EQ(p.accountName, ""); }},
        NormalizationCase{"user agent with line break", [](auto& p) { p.customUserAgent = "Agent\n2"; },
                          [](auto& p) { EXPECT_EQ(p.customUserAgent, std::nullopt); }},
        NormalizationCase{"blank user agent", [](auto& p) { p.customUserAgent = "   "; },
                          [](auto& p) { EXPECT_EQ(p.customUserAgent, std::nullopt); }},
        NormalizationCase{"user agent kept untrimmed", [](auto& p) { p.customUserAgent = " Agent/1 "; },
                          [](auto& p) { EXPECT_EQ(p.customUserAgent, " Agent/1 "); }},
        NormalizationCase{"user agent too long", [](auto& p) { p.customUserAgent = std::string(4097, 'a'); },
                          [](auto& p) { EXPECT_EQ(p.customUserAgent, std::nullopt); }},
        NormalizationCase{"twenty-five linked applications",
                          [](auto& p) {
                              p.linkedApplications.emplace();
                              for (int i = 0; i < 25; ++i)
                                  p.linkedApplications->push_back({std::to_string(i) + ".desktop", std::to_string(i)});
                          },
                          [](auto& p) {
                              ASSERT_EQ(p.linkedApplications->size(), 20u);
                              EXPECT_EQ(p.linkedApplications->front().id, "0.desktop");
                              EXPECT_EQ(p.linkedApplications->back().id, "19.desktop");
                          }},
        NormalizationCase{"proxy gives a session identifier",
                          [](auto& p) {
                              p.isolatedAccount = false;
                              p.siteProxy = socksProxy();
                          },
                          [](auto& p) {
                              ASSERT_TRUE(p.sessionIdentifier);
                              EXPECT_EQ(p.dataStoreIdentifier(), p.sessionIdentifier);
                          }},
        NormalizationCase{"shared website gets no identifier", [](auto& p) { p.isolatedAccount = false; },
                          [](auto& p) { EXPECT_EQ(p.sessionIdentifier, std::nullopt); }},
        NormalizationCase{"fields checked elsewhere are untouched",
                          [](auto& p) {
                              p.homeURL = "  not a url ";
                              p.lastURL = "";
                              p.iconURL = " x ";
                              p.sortOrder = -1;
                          },
                          [](auto& p) {
                              EXPECT_EQ(p.homeURL, "  not a url ");
                              EXPECT_EQ(p.lastURL, "");
                              EXPECT_EQ(p.iconURL, " x ");
                              EXPECT_EQ(p.sortOrder, -1);
                          }}));

TEST(WebAppProfile, NormalizeKeepsAnExistingSessionIdentifier) {
    WebAppProfile profile;
    Uuid identifier = Uuid::random();
    profile.sessionIdentifier = identifier;
    profile.normalize();  // neither isolated nor proxied: still kept
    EXPECT_EQ(profile.sessionIdentifier, identifier);
    EXPECT_EQ(profile.dataStoreIdentifier(), std::nullopt);
    profile.isolatedAccount = true;
    profile.normalize();
    EXPECT_EQ(profile.dataStoreIdentifier(), identifier);
}

TEST(WebAppProfile, DisplayTitleShowsTheAccountOnlyWithItsOwnStore) {
    WebAppProfile profile;
    profile.name = "Mail";
    profile.accountName = "Work";
    EXPECT_EQ(profile.displayTitle(), "Mail") << "account name without own data store";

    profile.isolatedAccount = true;
    EXPECT_EQ(profile.displayTitle(), "Mail") << "isolated but not yet normalised: no identifier";

    profile.normalize();
    EXPECT_EQ(profile.displayTitle(), "Mail \u00B7 Work");

    profile.accountName = "   ";
    profile.normalize();
    EXPECT_EQ(profile.displayTitle(), "Mail");

    profile.accountName = "Home";
    profile.isolatedAccount = false;
    profile.siteProxy = socksProxy();
    EXPECT_EQ(profile.displayTitle(), "Mail \u00B7 Home") << "a proxy gives its own store too";
}

TEST(WebAppProfile, IsolationReturnsToTheSameStore) {
    WebAppProfile profile;
    profile.setIsolatedAccount(true);
    EXPECT_EQ(profile.isolatedAccount, true);
    ASSERT_TRUE(profile.sessionIdentifier);
    Uuid first = *profile.sessionIdentifier;

    profile.setIsolatedAccount(false);
    EXPECT_EQ(profile.isolatedAccount, false);
    EXPECT_EQ(profile.sessionIdentifier, first);
    EXPECT_EQ(profile.dataStoreIdentifier(), std::nullopt);

    profile.setIsolatedAccount(true);
    EXPECT_EQ(profile.dataStoreIdentifier(), first);
}

TEST(WebAppProfile, NewAccountCopy) {
    WebAppProfile source = fullProfile();
    WebAppProfile copy = source.newAccountCopy();

    EXPECT_NE(copy.id, source.id);
    ASSERT_TRUE(copy.sessionIdentifier);
    EXPECT_NE(copy.sessionIdentifier, source.sessionIdentifier);
    EXPECT_EQ(copy.isolatedAccount, true);
    EXPECT_EQ(copy.accountName, "New Account");
    EXPECT_EQ(copy.lastURL, std::nullopt);
    EXPECT_EQ(copy.windowFrame, std::nullopt);
    EXPECT_EQ(copy.globalShortcut, std::nullopt);
    EXPECT_FALSE(copy.wasVisible);
    EXPECT_FALSE(copy.launchAtStartup);
    EXPECT_EQ(copy.menuBarIconEnabled, false);
    EXPECT_EQ(copy.applicationLinkEnabled, false);

    ASSERT_TRUE(copy.siteProxy);
    EXPECT_EQ(copy.siteProxy->host, source.siteProxy->host);
    EXPECT_EQ(copy.siteProxy->port, source.siteProxy->port);
    EXPECT_EQ(copy.siteProxy->username, source.siteProxy->username);
    EXPECT_EQ(copy.siteProxy->credentialID, std::nullopt);
    EXPECT_TRUE(source.siteProxy->credentialID) << "the source keeps its password";

    // Everything else is the same website.
    WebAppProfile expected = copy;
    expected.id = source.id;
    expected.sessionIdentifier = source.sessionIdentifier;
    expected.accountName = source.accountName;
    expected.lastURL = source.lastURL;
    expected.windowFrame = source.windowFrame;
    expected.globalShortcut = source.globalShortcut;
    expected.wasVisible = source.wasVisible;
    expected.launchAtStartup = source.launchAtStartup;
    expected.menuBarIconEnabled = source.menuBarIconEnabled;
    expected.applicationLinkEnabled = source.applicationLinkEnabled;
    expected.siteProxy = source.siteProxy;
    EXPECT_EQ(expected, source);
}

TEST(WebAppProfile, DuplicateDecidesIndependence) {
    WebAppProfile source = fullProfile();
    source.siteProxy.reset();
    source.isolatedAccount = true;
    source.opacity = 7;  // the copy is normalised

    struct Case {
        const char* label;
        std::optional<bool> isolateNewWindows, isolated;
        bool proxied, independent;
    };
    const Case cases[] = {
        {"no argument, preference absent", std::nullopt, std::nullopt, false, true},
        {"no argument, preference off", false, std::nullopt, false, false},
        {"no argument, preference on", true, std::nullopt, false, true},
        {"argument false", true, false, false, false},
        {"argument true", false, true, false, true},
        {"proxied with argument false", false, false, true, true},
    };
    for (const auto& c : cases) {
        WebAppProfile original = source;
        if (c.proxied) original.siteProxy = socksProxy();
        WebAppProfile copy = original.duplicate(c.isolateNewWindows, c.isolated);
        EXPECT_NE(copy.id, original.id) << c.label;
        EXPECT_EQ(copy.isolatedAccount, c.independent) << c.label;
        EXPECT_EQ(copy.dataStoreIdentifier().has_value(), c.independent) << c.label;
        if (c.independent) EXPECT_NE(copy.sessionIdentifier, original.sessionIdentifier) << c.label;
        else EXPECT_EQ(copy.sessionIdentifier, std::nullopt) << c.label;
        EXPECT_FALSE(copy.rememberWindowFrame) << c.label;
        EXPECT_FALSE(copy.wasVisible) << c.label;
        EXPECT_FALSE(copy.launchAtStartup) << c.label;
        EXPECT_EQ(copy.accountName, std::nullopt) << c.label;
        EXPECT_EQ(copy.lastURL, std::nullopt) << c.label;
        EXPECT_EQ(copy.windowFrame, std::nullopt) << c.label;
        EXPECT_EQ(copy.globalShortcut, std::nullopt) << c.label;
        EXPECT_EQ(copy.menuBarIconEnabled, false) << c.label;
        EXPECT_EQ(copy.applicationLinkEnabled, false) << c.label;
        EXPECT_EQ(copy.opacity, 1.0) << c.label;
        EXPECT_EQ(copy.siteProxy, original.siteProxy) << c.label;
        EXPECT_EQ(copy.linkedApplications, original.linkedApplications) << c.label;
    }
}

TEST(WebAppProfile, CopyLiveSettingsTakesTheTenFieldsOnly) {
    WebAppProfile source = fullProfile();
    source.customUserAgent.reset();
    source.trackerBlockingEnabled.reset();
    source.edgeTuckEnabled = true;
    source.keepAwakeEnabled.reset();

    WebAppProfile target;
    target.customUserAgent = "Old/1";
    target.autoReloadInterval = 30;
    const WebAppProfile before = target;
    target.copyLiveSettings(source);

    EXPECT_EQ(target.alwaysOnTop, source.alwaysOnTop);
    EXPECT_EQ(target.followAcrossSpaces, source.followAcrossSpaces);
    EXPECT_EQ(target.opacity, source.opacity);
    EXPECT_EQ(target.zoomLevel, source.zoomLevel);
    EXPECT_EQ(target.compactMode, source.compactMode);
    EXPECT_EQ(target.customUserAgent, std::nullopt) << "absence is copied too";
    EXPECT_EQ(target.autoReloadInterval, source.autoReloadInterval);
    EXPECT_EQ(target.trackerBlockingEnabled, false) << "absent reads as a plain false";
    EXPECT_EQ(target.edgeTuckEnabled, true);
    EXPECT_EQ(target.keepAwakeEnabled, false);

    // Nothing outside the live settings moves.
    WebAppProfile rest = target;
    rest.copyLiveSettings(before);
    rest.trackerBlockingEnabled = before.trackerBlockingEnabled;
    rest.edgeTuckEnabled = before.edgeTuckEnabled;
    rest.keepAwakeEnabled = before.keepAwakeEnabled;
    EXPECT_EQ(rest, before);
}

TEST(WebAppProfile, MergeTakesOnlyWhatTheEditChanged) {
    WebAppProfile old;
    old.opacity = 0.9;
    old.zoomLevel = 1.0;
    WebAppProfile updated = old;
    updated.opacity = 0.5;

    WebAppProfile running = old;
    running.zoomLevel = 1.5;  // differs from both versions
    running.compactMode = true;
    running.customUserAgent = "Running/1";
    running.keepAwakeEnabled = true;
    running.mergeLiveSettings(old, updated);
    EXPECT_EQ(running.opacity, 0.5);
    EXPECT_EQ(running.zoomLevel, 1.5);
    EXPECT_TRUE(running.compactMode);
    EXPECT_EQ(running.customUserAgent, "Running/1");
    EXPECT_EQ(running.keepAwakeEnabled, true);
}

TEST(WebAppProfile, MergeComparesOptionalValues) {
    WebAppProfile old, updated, running;
    running.customUserAgent = "Running/1";
    running.autoReloadInterval = 20;
    running.edgeTuckEnabled = true;

    // absent -> empty text and absent -> false differ only for the text.
    updated.customUserAgent = "";
    updated.trackerBlockingEnabled = false;
    running.mergeLiveSettings(old, updated);
    EXPECT_EQ(running.customUserAgent, "");
    EXPECT_EQ(running.trackerBlockingEnabled, std::nullopt) << "absent and false are the same flag";
    EXPECT_EQ(running.autoReloadInterval, 20.0);

    // A flag switched on is taken as a plain true; one switched off as a plain false.
    old.edgeTuckEnabled = true;
    updated.edgeTuckEnabled.reset();
    updated.keepAwakeEnabled = true;
    updated.autoReloadInterval = 15;
    running.mergeLiveSettings(old, updated);
    EXPECT_EQ(running.edgeTuckEnabled, false);
    EXPECT_EQ(running.keepAwakeEnabled, true);
    EXPECT_EQ(running.autoReloadInterval, 15.0);
}

TEST(WindowSessionReference, MadeOnlyForWebsitesWithTheirOwnStore) {
    WebAppProfile shared;
    shared.sessionIdentifier = Uuid::random();
    EXPECT_EQ(WindowSessionReference::from(shared), std::nullopt);

    WebAppProfile isolatedUnnormalised;
    isolatedUnnormalised.isolatedAccount = true;
    EXPECT_EQ(WindowSessionReference::from(isolatedUnnormalised), std::nullopt);

    WebAppProfile proxied = fullProfile();
    auto reference = WindowSessionReference::from(proxied);
    ASSERT_TRUE(reference);
    EXPECT_EQ(reference->identifier, *proxied.sessionIdentifier);
    EXPECT_EQ(reference->proxy, proxied.siteProxy) << "credential id included";

    Json json = *reference;
    EXPECT_EQ(decodeJson<WindowSessionReference>(json), reference);
    json.erase("proxy");
    EXPECT_EQ(decodeJson<WindowSessionReference>(json)->proxy, std::nullopt);
    json.erase("identifier");
    EXPECT_FALSE(decodeJson<WindowSessionReference>(json));
}

TEST(CodableRect, AbsentAndPresentDisplaysDiffer) {
    CodableRect a{1, 2, 400, 300, std::nullopt}, b = a;
    EXPECT_EQ(a, b);
    b.displayID = 0;
    EXPECT_NE(a, b);
    Json json = a;
    EXPECT_FALSE(json.contains("displayID"));
    json["displayID"] = 4294967296ull;
    EXPECT_FALSE(decodeJson<CodableRect>(json));
}

TEST(DockEdge, OnlyLeftAndRightDecode) {
    EXPECT_EQ(decodeJson<DockEdge>(Json("left")), DockEdge::left);
    EXPECT_EQ(decodeJson<DockEdge>(Json("right")), DockEdge::right);
    EXPECT_EQ(Json(DockEdge::right), "right");
    for (const Json& value : {Json("top"), Json("Left"), Json(0), Json()})
        EXPECT_FALSE(decodeJson<DockEdge>(value)) << value.dump();
}

}  // namespace
}  // namespace quenlith
