#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <string>

#include <glib.h>

#include "model/app_paths.hpp"
#include "model/file_store.hpp"
#include "model/file_test_support.hpp"
#include "model/file_writer.hpp"
#include "model/sample_records.hpp"
#include "model/json_text.hpp"
#include "model/preferences_store.hpp"
#include "model/uuid.hpp"
#include "support/main_loop.hpp"
#include "support/temp_environment.hpp"
#include "support/waiting_caller_watch.hpp"

namespace quenlith {
namespace {

using test::fileExists;
using test::readFile;
using test::writeFile;

// Runs every main-loop source that is ready now (idle announcements among them), without waiting.
void drainMainLoop() {
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
}

// What the settings file holds once every write handed over has run (as at quit).
std::string settingsText() {
    applicationFileWriter().flush();
    return readFile(settingsFilePath());
}

Json readSettings() {
    auto json = parseJsonText(settingsText());
    return json ? *json : Json();
}

void writeSettings(const Json& json) { writeFile(settingsFilePath(), json.dump()); }

std::vector<std::string> keysWithPrefix(const Json& object, const std::string& prefix) {
    std::vector<std::string> keys;
    for (const auto& [key, value] : object.items())
        if (key.rfind(prefix, 0) == 0) keys.push_back(key);
    return keys;
}

AppPreferences storedPreferences() {
    AppPreferences preferences;
    preferences.theme = AppTheme::dark;
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::socks5;
    proxy.host = "10.0.0.1";
    proxy.credentialID = "7A1E8F4C-1111-4222-8333-944455566677";
    preferences.proxy = proxy;
    preferences.pinShortcut = ShortcutConfiguration{0x23, kCommandModifier};
    return preferences;
}

class PreferencesStoreTest : public testing::Test {
protected:
    test::TemporaryEnvironment environment;
};

TEST_F(PreferencesStoreTest, StartsWithDefaultsWhenNothingIsStored) {
    PreferencesStore store;
    EXPECT_EQ(store.value(), AppPreferences());  // what they are is checked with the record
    EXPECT_FALSE(store.valueIsKnown()) << "a first start, or a settings file gone: nobody chose the defaults";
    EXPECT_EQ(store.language(), InterfaceLanguage::system);
    EXPECT_FALSE(fileExists(settingsFilePath())) << "reading writes nothing";
}

// Settings kept elsewhere through a link, whose end is not there now: no first start, and no
// preferences anybody chose; a change creates the file at the link's end.
TEST_F(PreferencesStoreTest, ALinkToNowhereIsNoFirstStartAndAChangeCreatesItsEnd) {
    const std::string folder = environment.root() + "/elsewhere", end = folder + "/settings.json";
    std::filesystem::create_directories(applicationConfigDirectory());
    ASSERT_EQ(::symlink(end.c_str(), settingsFilePath().c_str()), 0);
    PreferencesStore store;
    EXPECT_EQ(store.value(), AppPreferences());
    EXPECT_FALSE(store.valueIsKnown());
    EXPECT_FALSE(store.updateAndWait([](AppPreferences& p) { p.restoreWindows = true; }).ok()) << "no folder at its end";
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(store.updateAndWait([](AppPreferences& p) { p.restoreWindows = true; }).ok());
    EXPECT_TRUE(std::filesystem::is_symlink(settingsFilePath()));
    PreferencesStore again;
    EXPECT_TRUE(again.value().restoreWindows);
    EXPECT_TRUE(again.valueIsKnown());
}

TEST_F(PreferencesStoreTest, ReadsStoredPreferencesAndLanguages) {
    AppPreferences stored = storedPreferences();
    stored.backgroundSleepMinutes = -5;
    writeSettings({{"preferences.v1", stored}, {"interfaceLanguage", "zh-Hans"}});
    PreferencesStore store;
    EXPECT_EQ(store.value(), stored);
    EXPECT_TRUE(store.valueIsKnown());
    EXPECT_EQ(store.language(), InterfaceLanguage::simplifiedChinese);

    // Another field changes; the stored -5 is written back as it is.
    store.update([](AppPreferences& p) { p.showDockIcon = true; });
    EXPECT_EQ(readSettings()["preferences.v1"]["backgroundSleepMinutes"], -5);

    // Unknown language texts mean the system's.
    for (const Json& language : {Json("fr"), Json("system"), Json("EN"), Json(3), Json(nullptr)}) {
        writeSettings({{"interfaceLanguage", language}});
        EXPECT_EQ(PreferencesStore().language(), InterfaceLanguage::system) << language.dump();
    }
    writeSettings({{"interfaceLanguage", "en"}});
    EXPECT_EQ(PreferencesStore().language(), InterfaceLanguage::english);
    EXPECT_FALSE(PreferencesStore().valueIsKnown()) << "preferences never stored: the defaults were not chosen";
}

TEST_F(PreferencesStoreTest, UndecodablePreferencesFallBackAndAreKeptAside) {
    const std::vector<std::pair<const char*, std::function<void(Json&)>>> damages = {
        {"missing defaultCompact", [](Json& p) { p.erase("defaultCompact"); }},
        {"unknown theme", [](Json& p) { p["theme"] = "Blue"; }},
        {"unknown search engine", [](Json& p) { p["searchEngine"] = "Yahoo"; }},
        {"proxy that does not decode", [](Json& p) { p["proxy"]["kind"] = "gopher"; }},
        {"text instead of an object", [](Json& p) { p = p.dump(); }},
    };
    for (const auto& [label, damage] : damages) {
        Json stored = Json(storedPreferences());
        damage(stored);
        writeSettings({{"preferences.v1", stored}, {"interfaceLanguage", "en"}, {"someoneElse", {1, 2}}});
        {
            PreferencesStore store;
            EXPECT_EQ(store.value(), AppPreferences()) << label;
            EXPECT_FALSE(store.valueIsKnown()) << label;
            EXPECT_EQ(readSettings()["preferences.v1"], stored) << label << ": untouched until a save";

            store.update([](AppPreferences& p) { p.restoreWindows = true; });
            EXPECT_TRUE(store.valueIsKnown()) << label << ": the person's own change";
            Json settings = readSettings();
            auto aside = keysWithPrefix(settings, PreferencesStore::kUnreadablePreferencesPrefix);
            ASSERT_EQ(aside.size(), 1u) << label;
            EXPECT_TRUE(Uuid::parse(aside[0].substr(std::string(PreferencesStore::kUnreadablePreferencesPrefix).size())))
                << aside[0];
            EXPECT_EQ(settings[aside[0]], stored) << label;
            EXPECT_EQ(settings["preferences.v1"]["restoreWindows"], true) << label;
            EXPECT_EQ(settings["interfaceLanguage"], "en") << label;
            EXPECT_EQ(settings["someoneElse"], Json({1, 2})) << label;

            // Later saves keep the one copy and add no more.
            store.update([](AppPreferences& p) { p.restoreWindows = false; });
            EXPECT_EQ(keysWithPrefix(readSettings(), PreferencesStore::kUnreadablePreferencesPrefix), aside) << label;
        }
        // The kept copy never blocks reading the new value.
        EXPECT_TRUE(PreferencesStore().value().isolateNewWindows == std::nullopt);
        std::filesystem::remove(settingsFilePath());
    }
}

// A waited save that fails keeps the unreadable preferences for the next one: they are never lost.
TEST_F(PreferencesStoreTest, UnreadablePreferencesOutliveAFailedSave) {
    writeSettings({{"preferences.v1", 42}});
    PreferencesStore store;
    {
        test::FileSizeLimit full(1);
        EXPECT_FALSE(store.updateAndWait([](AppPreferences& p) { p.restoreWindows = true; }).ok());
    }
    EXPECT_EQ(readSettings(), Json({{"preferences.v1", 42}})) << "the failed save wrote nothing";
    ASSERT_TRUE(store.updateAndWait([](AppPreferences& p) { p.restoreWindows = false; }).ok());
    Json settings = readSettings();
    auto aside = keysWithPrefix(settings, PreferencesStore::kUnreadablePreferencesPrefix);
    ASSERT_EQ(aside.size(), 1u) << settings.dump();
    EXPECT_EQ(settings[aside[0]], 42);
    EXPECT_EQ(settings["preferences.v1"]["restoreWindows"], false);
}

TEST_F(PreferencesStoreTest, EveryChangeIsStoredAtOnceAndTheLanguageWhenAsked) {
    PreferencesStore store;
    store.update([](AppPreferences& p) {
        p.historyEnabled = true;
        p.searchEngine = SearchEngine::bing;
    });
    // No main-loop turn in between: a quit right after the change keeps it.
    Json wanted = AppPreferences();
    wanted["historyEnabled"] = true;
    wanted["searchEngine"] = "Bing";
    EXPECT_EQ(readSettings(), Json({{"preferences.v1", wanted}})) << "no language unless asked";
    EXPECT_EQ(PreferencesStore().value(), store.value());

    struct stat info {};
    ASSERT_EQ(stat(settingsFilePath().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    ASSERT_EQ(stat(applicationConfigDirectory().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);

    store.setLanguage(InterfaceLanguage::simplifiedChinese);
    EXPECT_FALSE(readSettings().contains("interfaceLanguage"));
    store.saveLanguage();
    store.flush();  // as at quit: the language waited for its turn
    EXPECT_EQ(readSettings(), Json({{"preferences.v1", wanted}, {"interfaceLanguage", "zh-Hans"}}));
    EXPECT_EQ(PreferencesStore().language(), InterfaceLanguage::simplifiedChinese);
}

TEST_F(PreferencesStoreTest, ValueThatCannotBeStoredIsStillHeld) {
    PreferencesStore store;
    store.update([](AppPreferences& p) { p.defaultWidth = 500; });
    const std::string before = settingsText();
    store.update([](AppPreferences& p) { p.defaultOpacity = std::numeric_limits<double>::quiet_NaN(); });
    EXPECT_EQ(settingsText(), before);
    EXPECT_TRUE(std::isnan(store.value().defaultOpacity)) << "the value itself is still assigned";

    // The configuration folder is a file: nothing can be written below it.
    std::filesystem::remove_all(applicationConfigDirectory());
    writeFile(applicationConfigDirectory(), "not a folder");
    PreferencesStore blocked;
    EXPECT_FALSE(blocked.valueIsKnown());
    blocked.update([](AppPreferences& p) { p.restoreWindows = true; });
    EXPECT_TRUE(blocked.value().restoreWindows);
    EXPECT_TRUE(blocked.valueIsKnown()) << "chosen, though it could not be stored";
    EXPECT_EQ(readFile(applicationConfigDirectory()), "not a folder");
}

TEST_F(PreferencesStoreTest, UnreadableSettingsFileIsKeptBesideTheNewOne) {
    for (const std::string& stored :
         {std::string(R"({"preferences.v1": {"theme": "Dark")"),  // cut off mid-write
          std::string(R"({"interfaceLanguage": "en", "preferences.v1": {"defaultOpacity": 1e999}})")}) {
        writeFile(settingsFilePath(), stored);
        {
            PreferencesStore store;
            EXPECT_EQ(store.value(), AppPreferences());
            EXPECT_FALSE(store.valueIsKnown());
            EXPECT_EQ(store.language(), InterfaceLanguage::system);
            store.update([](AppPreferences& p) { p.showDockIcon = true; });
        }
        EXPECT_EQ(readSettings()["preferences.v1"]["showDockIcon"], true);
        std::vector<std::string> kept;
        for (const auto& entry : std::filesystem::directory_iterator(applicationConfigDirectory()))
            if (entry.path().filename().string().rfind("settings.json.unreadable-", 0) == 0) kept.push_back(entry.path());
        ASSERT_EQ(kept.size(), 1u) << stored;
        EXPECT_EQ(readFile(kept[0]), stored);
        std::filesystem::remove(kept[0]);
    }
}

// Settings that cannot be read are kept aside at start, before anything is written, so the person
// can be told where; a change later, or the next start on the same file, makes no second copy.
// Settings that can be read are never copied.
TEST_F(PreferencesStoreTest, SettingsThatCannotBeReadAreKeptAsideAtStartOnce) {
    Json sound = {{"preferences.v1", storedPreferences()}, {"interfaceLanguage", "en"}};
    Json wrongType = sound;
    wrongType["preferences.v1"]["theme"] = 5;
    const std::string soundText = sound.dump(2);
    struct Row {
        const char* label;
        std::optional<std::string> stored;  // nothing: no file
        bool readable;
    };
    const Row rows[] = {
        {"no file", std::nullopt, true},
        {"an empty object", "{}", true},
        {"no preferences stored", R"({"interfaceLanguage": "en"})", true},
        {"sound preferences with a proxy", soundText, true},
        {"a preference of the wrong type", wrongType.dump(2), false},
        {"cut short by three bytes", soundText.substr(0, soundText.size() - 3), false},
        {"empty", "", false},
        {"no object", "[1, 2]", false},
        {"preferences that are no object", R"({"preferences.v1": 42})", false},
        {"a number out of range", R"({"preferences.v1": {"defaultOpacity": 1e999}})", false},
    };
    auto copies = [] { return files::copiesAside(settingsFilePath(), files::kUnreadableCopy); };
    auto keptAside = [](PreferencesStore& store) {
        std::optional<std::string> kept;
        store.keepUnreadableAside([&](const std::string& place) { kept = place; });
        if (store.storedSettingsUnreadable()) {
            EXPECT_TRUE(test::spinUntil([&] { return kept.has_value(); }));
        } else {
            applicationFileWriter().flush();
            drainMainLoop();
        }
        return kept;
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        std::filesystem::create_directories(applicationConfigDirectory());
        if (row.stored) writeFile(settingsFilePath(), *row.stored);
        {
            PreferencesStore store;
            EXPECT_EQ(store.storedSettingsUnreadable(), !row.readable);
            auto kept = keptAside(store);
            if (row.readable) {
                EXPECT_EQ(kept, std::nullopt);
                EXPECT_TRUE(copies().empty());
            } else {
                ASSERT_EQ(copies(), std::vector<std::string>{kept.value_or("none")});
                EXPECT_EQ(readFile(*kept), *row.stored) << "kept byte for byte";
                EXPECT_EQ(settingsText(), *row.stored) << "the file itself is not written at start";
                PreferencesStore nextStart;
                EXPECT_EQ(keptAside(nextStart), kept) << "the same file met again is not copied again";
            }
            store.update([](AppPreferences& p) { p.showDockIcon = true; });
        }
        EXPECT_EQ(readSettings()["preferences.v1"]["showDockIcon"], true);
        EXPECT_EQ(copies().size(), row.readable ? 0u : 1u) << "a change copies nothing more";
        for (const auto& copy : copies()) std::filesystem::remove(copy);
        std::filesystem::remove(settingsFilePath());
    }
    // A link to nowhere: settings kept elsewhere, not there now. Nothing can be copied; the
    // person is told the link's own place.
    ASSERT_EQ(::symlink("/nonexistent/settings.json", settingsFilePath().c_str()), 0);
    PreferencesStore linked;
    EXPECT_TRUE(linked.storedSettingsUnreadable());
    EXPECT_EQ(keptAside(linked), settingsFilePath());
    EXPECT_TRUE(copies().empty());
}

// A slider sends a change for every step: none waits for the disk; the first is written at once
// and the later ones together once the write interval has passed, and changes handed over while a
// write is in flight are written with the next one, the newest last.
TEST_F(PreferencesStoreTest, ABurstOfChangesIsWrittenTwiceWithoutWaitingTheNewestLast) {
    FileWriter writer;
    ManualScheduler scheduler;
    PreferencesStore store(settingsFilePath(), scheduler, writer);
    std::vector<Status> told;
    store.signal_saved().connect([&](const Status& result) { told.push_back(result); });
    FileWriter::Hold hold(writer);
    test::WaitingCallerWatch watch(hold);

    store.update([](AppPreferences& p) { p.defaultOpacity = 0.99; });
    EXPECT_EQ(hold.waitForHeldWrite(std::chrono::seconds(2)), settingsFilePath()) << "the first write is in flight";
    double last = 0.99;
    for (int step = 1; step <= 40; ++step) {
        last = 0.99 - step * 0.01;
        EXPECT_TRUE(store.update([last](AppPreferences& p) { p.defaultOpacity = last; }).ok());
        EXPECT_EQ(store.value().defaultOpacity, last) << "read back at once";
        // Twice the interval passes while the first write is still in flight: the second write
        // handed over waits, and the third takes its place.
        if (step % 20 == 0) scheduler.advance(PreferencesStore::kWriteInterval);
    }
    EXPECT_FALSE(watch.stop()) << "a change waited for the disk";

    int writes = 1;
    while (hold.runHeldWrite()) ++writes;
    EXPECT_EQ(writes, 2) << "the one in flight, then one with the forty changes";
    hold.release();
    writer.flush();
    EXPECT_EQ(readSettings()["preferences.v1"]["defaultOpacity"], last);
    ASSERT_TRUE(test::spinUntil([&] { return told.size() == 2; }));
    EXPECT_TRUE(told[0].ok() && told[1].ok());

    // The interval passed with nothing left: the next change is written at once, and one waiting
    // for its turn is written by the final save.
    scheduler.advance(PreferencesStore::kWriteInterval);
    store.update([](AppPreferences& p) { p.defaultOpacity = 0.2; });
    writer.flush();
    EXPECT_EQ(readSettings()["preferences.v1"]["defaultOpacity"], 0.2);
    store.update([](AppPreferences& p) { p.defaultOpacity = 0.1; });
    writer.flush();
    EXPECT_EQ(readSettings()["preferences.v1"]["defaultOpacity"], 0.2) << "waits for its turn";
    store.flush();
    EXPECT_EQ(readSettings()["preferences.v1"]["defaultOpacity"], 0.1);
}

// A store that goes while a change waits for its turn (the application ends within the interval
// of a slider's last step) writes that change first.
TEST_F(PreferencesStoreTest, AChangeWaitingForItsTurnIsWrittenWhenTheStoreGoes) {
    FileWriter writer;
    ManualScheduler scheduler;
    {
        PreferencesStore store(settingsFilePath(), scheduler, writer);
        store.update([](AppPreferences& p) { p.defaultOpacity = 0.5; });
        store.update([](AppPreferences& p) { p.defaultOpacity = 0.4; });
        store.setLanguage(InterfaceLanguage::english);
        store.saveLanguage();
    }
    writer.flush();
    EXPECT_EQ(readSettings()["preferences.v1"]["defaultOpacity"], 0.4);
    EXPECT_EQ(readSettings()["interfaceLanguage"], "en");
}

TEST_F(PreferencesStoreTest, AFailedWriteIsToldLaterAndTheNextWriteCarriesItsChanges) {
    FileWriter writer;
    ManualScheduler scheduler;
    PreferencesStore store(settingsFilePath(), scheduler, writer);
    std::vector<Status> told;
    store.signal_saved().connect([&](const Status& result) { told.push_back(result); });
    // A folder in the file's place: nothing can replace it.
    std::filesystem::create_directories(settingsFilePath());
    EXPECT_TRUE(store.update([](AppPreferences& p) { p.theme = AppTheme::dark; }).ok()) << "no waiting for the disk";
    writer.flush();
    store.setLanguage(InterfaceLanguage::simplifiedChinese);
    store.saveLanguage();
    scheduler.advance(PreferencesStore::kWriteInterval);
    writer.flush();
    ASSERT_TRUE(test::spinUntil([&] { return told.size() == 2; })) << "each write tells how it went";
    EXPECT_FALSE(told[0].ok() || told[1].ok());
    EXPECT_EQ(store.value().theme, AppTheme::dark) << "the value stays in force";

    std::filesystem::remove(settingsFilePath());
    told.clear();
    store.update([](AppPreferences& p) { p.showDockIcon = true; });
    store.flush();
    Json settings = readSettings();
    EXPECT_EQ(settings["interfaceLanguage"], "zh-Hans") << "the failed write's change came with the next";
    EXPECT_EQ(settings["preferences.v1"]["theme"], "Dark");
    EXPECT_EQ(settings["preferences.v1"]["showDockIcon"], true);
    ASSERT_TRUE(test::spinUntil([&] { return !told.empty(); }));
    EXPECT_TRUE(told.back().ok());
}

TEST_F(PreferencesStoreTest, ObserversHearOfChangesOnTheMainLoop) {
    PreferencesStore store;
    int announcements = 0;
    AppTheme seen = AppTheme::light;
    store.signal_changed().connect([&] {
        ++announcements;
        seen = store.value().theme;
    });

    store.update([](AppPreferences& p) { p.theme = AppTheme::dark; });
    EXPECT_EQ(announcements, 0) << "never from inside the assignment";
    drainMainLoop();
    EXPECT_EQ(announcements, 1);
    EXPECT_EQ(seen, AppTheme::dark);

    store.update([](AppPreferences& p) { p.theme = AppTheme::system; });
    store.update([](AppPreferences& p) { p.defaultCompact = true; });
    drainMainLoop();
    EXPECT_EQ(announcements, 2) << "a burst is announced once";

    store.setValue(store.value());
    drainMainLoop();
    EXPECT_EQ(announcements, 2) << "an assignment that changes nothing is not announced";

    store.update([](AppPreferences& p) { p.defaultCompact = false; });
    store.update([](AppPreferences& p) { p.defaultCompact = true; });
    drainMainLoop();
    EXPECT_EQ(announcements, 2) << "changes that cancel out are not announced";

    store.setLanguage(InterfaceLanguage::english);
    drainMainLoop();
    EXPECT_EQ(announcements, 3);

    auto doomed = std::make_unique<PreferencesStore>();
    doomed->signal_changed().connect([] { ADD_FAILURE() << "a destroyed store announced"; });
    doomed->update([](AppPreferences& p) { p.showDockIcon = true; });
    doomed.reset();
    drainMainLoop();
}

}  // namespace
}  // namespace quenlith
