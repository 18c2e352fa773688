// The stored files keep their exact bytes: each document below, built with every field set and with
// defaults, encodes to the text kept in tests/model/stored_records, and that text decodes and
// encodes back to the same bytes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <sstream>

#include "model/json_text.hpp"
#include "model/profile_document.hpp"
#include "model/sample_records.hpp"
#include "model/transfer_document.hpp"
#include "model/window_session_reference.hpp"

namespace quenlith {
namespace {

using namespace test;

Uuid fixed(int n) {
    char text[37];
    std::snprintf(text, sizeof text, "00000000-0000-4000-8000-%012d", n);
    return *Uuid::parse(text);
}

WebAppProfile fixedFullProfile() {
    WebAppProfile p = fullProfile();
    p.id = fixed(1);
    p.sessionIdentifier = fixed(2);
    return p;
}

WebAppProfile defaultProfile() {
    WebAppProfile p;
    p.id = fixed(3);
    return p;
}

// The optional flags each present and switched off or on the other way round from the full sample.
WebAppProfile flippedFlagsProfile() {
    WebAppProfile p = website("Chat", "https://chat.example");
    p.id = fixed(4);
    p.menuBarIconEnabled = p.isolatedAccount = p.edgeTuckEnabled = p.applicationLinkEnabled = false;
    p.trackerBlockingEnabled = p.keepAwakeEnabled = true;
    p.linkedApplications = std::vector<LinkedApplication>{};
    p.opacity = 0.35;
    p.zoomLevel = 2;
    return p;
}

PageClip fixedFullClip() {
    return {fixed(10),
            "Article",
            "https://example.com/article",
            "excerpt",
            "Reading",
            Date{700000000.25},
            ReadingState::finished,
            0.4375,
            fixed(11),
            WindowSessionReference{fixed(12), socksProxy()}};
}

PageClip defaultClip() {
    PageClip clip;
    clip.id = fixed(13);
    return clip;
}

BrowserScene fixedScene() {
    SceneWindow full{fixed(20),
                     "Window",
                     {"https://example.com/", "https://example.org/page"},
                     1,
                     CodableRect{10, 20, 800, 600, 1u},
                     0.9,
                     false,
                     true,
                     fixed(21),
                     WindowSessionReference{fixed(22), std::nullopt}};
    SceneWindow plain;
    plain.id = fixed(23);
    return BrowserScene{fixed(24), "Morning", {full, plain}, Date{700000100.5}};
}

LibraryDocument fixedLibrary() {
    return LibraryDocument{1,
                           {fixedFullClip(), defaultClip()},
                           {fixedScene(), BrowserScene{fixed(25), "", {}, Date{}}},
                           {HistoryVisit{fixed(30), "https://a.example/", "Visited", Date{-5.5}}}};
}

BrowserSessionDocument fixedSession() {
    RestorableTab reading = webTab("https://example.com/0");
    reading.readingPosition = 0.25;
    WebAppProfile temporary = fixedFullProfile();
    temporary.id = fixed(40);
    RestorableWindow full{fixed(41),
                          fixed(42),
                          temporary,
                          {reading, startTab(), RestorableTab{"https://a.example/", "A", false, true, 0.5}},
                          1,
                          CodableRect{0, 0, 800, 600, 7u},
                          true,
                          true,
                          DockEdge::right,
                          true,
                          std::vector<RestorableWebsiteLink>{{fixed(43), 1}}};
    RestorableWindow plain;
    plain.id = fixed(44);
    plain.tabs = {webTab("https://example.org/")};
    BrowserSessionDocument document;
    document.windows = {full, plain};
    document.activeWindow = fixed(41);
    return document;
}

TransferDocument fixedTransfer() {
    TransferDocument document;
    document.websites = {fixedFullProfile(), defaultProfile()};
    document.library = fixedLibrary();
    return document;
}

AppPreferences fixedDefaultPreferences() {
    return AppPreferences();
}

struct StoredCase {
    std::string file;
    std::function<std::optional<std::string>()> encodeBuilt;
    std::function<std::optional<std::string>(const std::string&)>
        roundTrip;  // decode the text, encode it again
};

void PrintTo(const StoredCase& c, std::ostream* out) {
    *out << c.file;
}

template <typename T>
StoredCase stored(std::string file, std::function<T()> build, JsonStyle style) {
    return {std::move(file), [build, style] { return encodeJsonText(Json(build()), style); },
            [style](const std::string& text) -> std::optional<std::string> {
                auto json = parseJsonText(text);
                if (!json) return std::nullopt;
                auto value = decodeJson<T>(*json);
                if (!value) return std::nullopt;
                return encodeJsonText(Json(*value), style);
            }};
}

std::string storedText(const std::string& file) {
    std::ifstream in(std::string(QUENLITH_SOURCE_DIR "/tests/model/stored_records/") + file,
                     std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class StoredRecords : public testing::TestWithParam<StoredCase> {};

TEST_P(StoredRecords, KeepTheirBytes) {
    const auto& c = GetParam();
    std::string text = storedText(c.file);
    ASSERT_FALSE(text.empty()) << c.file;
    EXPECT_EQ(c.encodeBuilt(), text) << "the built document encodes as stored";
    EXPECT_EQ(c.roundTrip(text), text) << "decoding and encoding again gives the same bytes";
}

INSTANTIATE_TEST_SUITE_P(
    Files, StoredRecords,
    testing::Values(
        stored<ProfileDocument>(
            "websites.json",
            [] {
                return ProfileDocument{1, {fixedFullProfile(), defaultProfile(), flippedFlagsProfile()}};
            },
            JsonStyle::compact),
        stored<ProfileDocument>(
            "websites_pretty.json",
            [] {
                return ProfileDocument{1, {fixedFullProfile(), flippedFlagsProfile()}};
            },
            JsonStyle::pretty),
        stored<AppPreferences>("preferences.json", fullPreferences, JsonStyle::pretty),
        stored<AppPreferences>("preferences_defaults.json", fixedDefaultPreferences, JsonStyle::pretty),
        stored<LibraryDocument>("library.json", fixedLibrary, JsonStyle::compact),
        stored<BrowserSessionDocument>("session.json", fixedSession, JsonStyle::compact),
        stored<TransferDocument>("backup.json", fixedTransfer, JsonStyle::pretty)),
    [](const auto& info) {
        std::string name = info.param.file.substr(0, info.param.file.find('.'));
        name.erase(std::remove(name.begin(), name.end(), '_'), name.end());
        return name;
    });

}  // namespace
}  // namespace quenlith
