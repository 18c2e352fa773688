// One contract for every record stored as JSON: the keys written, what reading requires, and that
// every key is read back into its own field (checked on the encoding, so each record needs only a
// full sample and its key lists).

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <sstream>

#include "model/json_coding.hpp"
#include "model/profile_document.hpp"
#include "model/sample_records.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {
namespace {

using namespace test;
using Pointer = Json::json_pointer;

struct RecordCase {
    std::string name;
    Json full, defaults;                    // a full sample and a default-made record, encoded
    std::string required, optional;         // top-level keys, space-separated
    std::function<std::optional<Json>(const Json&)> roundTrip;  // decode, then encode again
};

void PrintTo(const RecordCase& c, std::ostream* out) { *out << c.name; }

template <typename T>
RecordCase record(std::string name, const T& full, std::string required, std::string optional = "") {
    return {std::move(name), Json(full), Json(T{}), std::move(required), std::move(optional),
            [](const Json& json) -> std::optional<Json> {
                auto value = decodeJson<T>(json);
                return value ? std::optional<Json>(Json(*value)) : std::nullopt;
            }};
}

std::set<std::string> words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), std::istream_iterator<std::string>()};
}

std::set<std::string> keys(const Json& object) {
    std::set<std::string> out;
    for (const auto& [key, value] : object.items()) out.insert(key);
    return out;
}

// Every value below the top, objects and arrays included.
void collect(const Json& json, const Pointer& at, std::vector<Pointer>& out) {
    if (!at.empty()) out.push_back(at);
    if (json.is_object())
        for (const auto& [key, value] : json.items()) collect(value, at / key, out);
    else if (json.is_array())
        for (std::size_t i = 0; i < json.size(); ++i) collect(json[i], at / i, out);
}

Json wrongType(const Json& value) {
    if (value.is_string()) return 1;
    if (value.is_number()) return "1";
    if (value.is_boolean()) return 0;
    return "x";
}

class RecordJson : public testing::TestWithParam<RecordCase> {};

TEST_P(RecordJson, WritesItsKeysAndReadsEachBack) {
    const auto& c = GetParam();
    auto required = words(c.required), all = words(c.required + " " + c.optional);
    EXPECT_EQ(keys(c.full), all) << "the sample holds every field";
    EXPECT_EQ(keys(c.defaults), required) << "absent optional values are left out";
    EXPECT_EQ(c.roundTrip(c.full), c.full);
    EXPECT_EQ(c.roundTrip(c.defaults), c.defaults);
    Json unknown = c.full;
    unknown["someFutureKey"] = {1, 2};
    EXPECT_EQ(c.roundTrip(unknown), c.full) << "unknown keys are ignored";
    EXPECT_FALSE(c.roundTrip(Json::array()));

    for (const auto& key : all) {
        Json erased = c.full, nulled = c.full;
        erased.erase(key);
        nulled[key] = nullptr;
        auto expected = required.count(key) ? std::nullopt : std::optional<Json>(erased);
        EXPECT_EQ(c.roundTrip(erased), expected) << key << " left out";
        EXPECT_EQ(c.roundTrip(nulled), expected) << key << " null";
    }
    std::vector<Pointer> values;
    collect(c.full, Pointer(), values);
    for (const auto& at : values) {
        Json wrong = c.full;
        wrong[at] = wrongType(c.full[at]);
        EXPECT_FALSE(c.roundTrip(wrong)) << at.to_string() << " of the wrong type fails the record";
        // Another value reads back as itself (or is refused): no field is skipped or fixed.
        const Json& value = c.full[at];
        Json changed = c.full;
        if (value.is_boolean()) changed[at] = !value.get<bool>();
        else if (value.is_number_integer()) changed[at] = value.get<std::int64_t>() + 1;
        else if (value.is_number()) changed[at] = value.get<double>() + 0.5;
        else if (value.is_string()) changed[at] = value.get<std::string>() + "x";
        else continue;
        auto back = c.roundTrip(changed);
        if (back) {
            EXPECT_EQ(*back, changed) << at.to_string();
        }
    }
}

// Every field away from its default.
RestorableWindow fullWindow() {
    RestorableTab reading = webTab("https://example.com/0");
    reading.readingPosition = 0.25;
    return {Uuid::random(), Uuid::random(), fullProfile(), {reading, startTab()}, 1,
            CodableRect{0, 0, 800, 600, 7u}, true, true, DockEdge::right, true,
            std::vector<RestorableWebsiteLink>{{Uuid::random(), 1}}};
}

PageClip fullClip() {
    return {Uuid::random(), "Article", "https://example.com/article", "excerpt", "Reading",
            Date{700000000.25}, ReadingState::finished, 0.4375, Uuid::random(),
            WindowSessionReference{Uuid::random(), socksProxy()}};
}

SceneWindow fullSceneWindow() {
    return {Uuid::random(), "Window", {"https://example.com/", "https://example.org/page"}, 1,
            CodableRect{10, 20, 800, 600, 1u}, 0.9, false, true, Uuid::random(),
            WindowSessionReference{Uuid::random(), std::nullopt}};
}

INSTANTIATE_TEST_SUITE_P(
    Records, RecordJson,
    testing::Values(
        record("WebAppProfile", fullProfile(),
               "id name homeURL alwaysOnTop followAcrossSpaces opacity zoomLevel compactMode rememberLastURL "
               "launchAtStartup sortOrder rememberWindowFrame isFavorite wasVisible",
               "iconURL lastURL customUserAgent autoReloadInterval globalShortcut windowFrame menuBarIconEnabled "
               "trackerBlockingEnabled sessionIdentifier isolatedAccount accountName siteProxy edgeTuckEnabled "
               "keepAwakeEnabled linkedApplications applicationLinkEnabled"),
        record("AppPreferences", fullPreferences(),
               "showDockIcon searchEngine linkBehavior restoreWindows closeBehavior theme defaultOpacity "
               "defaultWidth defaultHeight defaultCompact",
               "pinShortcut compactShortcut launcherShortcut proxy historyEnabled backgroundSleepMinutes "
               "applicationLinksEnabled isolateNewWindows adFilter"),
        record("BrowserProxySettings", socksProxy(), "kind host port username usesAuthentication", "credentialID"),
        record("AdFilterSettings", *fullPreferences().adFilter, "enabled hidePlaceholders allowedSites blockedDomains"),
        record("WindowSessionReference", WindowSessionReference{Uuid::random(), socksProxy()}, "identifier", "proxy"),
        record("RestorableWindow", fullWindow(), "id tabs selected frame visible minimized isMainBrowser",
               "savedProfileID temporaryProfile edge websiteLinks"),
        record("RestorableTab", RestorableTab{"https://a.example/", "A", false, true, 0.5}, "title startPage sleeping",
               "address readingPosition"),
        record("BrowserSessionDocument", makeSession(1, 1), "version windows", "activeWindow"),
        record("PageClip", fullClip(), "id title address text collection modified",
               "readingState readingPosition profileID windowSession"),
        record("SceneWindow", fullSceneWindow(), "id name urls selected frame opacity onTop compact",
               "profileID windowSession"),
        record("BrowserScene", makeScene(), "id name windows modified"),
        record("HistoryVisit", makeVisit("https://a.example/", Date{-5.5}), "id address title date"),
        record("LibraryDocument", LibraryDocument{1, {fullClip()}, {makeScene()}, {makeVisit("https://a.example/", Date{1})}},
               "version clips scenes history"),
        record("ProfileDocument", ProfileDocument{1, {fullProfile()}}, "version profiles")),
    [](const auto& info) { return info.param.name; });

// What a new website and the first preferences are, as stored.
TEST(RecordJson, DefaultsOfNewRecords) {
    Json website = WebAppProfile();
    EXPECT_FALSE(Uuid::parse(website["id"].get<std::string>())->isNil());
    website.erase("id");
    EXPECT_EQ(website, Json::parse(R"({"name":"","homeURL":"https://","alwaysOnTop":true,"followAcrossSpaces":true,
        "opacity":1.0,"zoomLevel":1.0,"compactMode":false,"rememberLastURL":true,"launchAtStartup":false,
        "sortOrder":0,"rememberWindowFrame":true,"isFavorite":true,"wasVisible":false})"));
    EXPECT_EQ(Json(AppPreferences()), Json::parse(R"({"showDockIcon":false,"searchEngine":"Google",
        "linkBehavior":"New Tab","restoreWindows":false,"closeBehavior":"Hide Window","theme":"Light",
        "defaultOpacity":1.0,"defaultWidth":480.0,"defaultHeight":720.0,"defaultCompact":false})"));
    EXPECT_EQ(Json(ShortcutConfiguration()), Json::parse(R"({"keyCode":0,"modifiers":0})"));
}

}  // namespace
}  // namespace quenlith
