#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <glib.h>
#include <sigc++/signal.h>

#include "model/app_paths.hpp"
#include "model/app_preferences.hpp"
#include "model/interface_language.hpp"
#include "model/json_coding.hpp"
#include "model/result.hpp"
#include "model/scheduler.hpp"
#include "model/settings_file.hpp"

namespace quenlith {

// Owns the application preferences and the chosen interface language, read from the settings
// file when made. Every assignment to the preferences is in force at once and written without
// waiting for the disk: the first of a burst at once, later ones together once kWriteInterval has
// passed (a slider sends a change for every step); how a write went is told later. Observers hear
// of changes on the main loop, never from inside the assignment. Main thread only.
class PreferencesStore {
public:
    // Settings-file keys.
    static constexpr const char* kPreferencesKey = "preferences.v1";
    static constexpr const char* kLanguageKey = "interfaceLanguage";
    // Unreadable stored preferences are kept under this prefix plus a new UUID.
    static constexpr const char* kUnreadablePreferencesPrefix = "preferences.v1.unreadable-";

    // Loads both values from the settings file at `path`; never fails. Unreadable preferences
    // give the defaults (and are kept aside at the first save).
    // Writes of the settings file are at least this far apart.
    static constexpr std::chrono::milliseconds kWriteInterval{500};

    explicit PreferencesStore(std::string path = settingsFilePath(), Scheduler& scheduler = mainLoopScheduler(),
                              FileWriter& writer = applicationFileWriter());
    // Writes what still waits for its turn and waits for the writer.
    ~PreferencesStore();
    PreferencesStore(const PreferencesStore&) = delete;
    PreferencesStore& operator=(const PreferencesStore&) = delete;

    const AppPreferences& value() const { return value_; }
    // Whether the value is the person's own: read from the settings file, or set since. False
    // while the defaults stand in for preferences that are not there (no settings file, a first
    // start, or none stored in it) or could not be read (a link to nowhere among them); rules that
    // would destroy data because of a preference (deleting the saved session) wait for a known
    // value.
    bool valueIsKnown() const { return valueIsKnown_; }
    // Whether the settings could not be read at start: the file could not be read or holds no JSON
    // object, or the preferences stored in it do not decode. The defaults stand in for them.
    bool storedSettingsUnreadable() const { return storedSettingsUnreadable_; }
    // When the settings could not be read at start, keeps the settings file as read beside it
    // ("settings.json.unreadable-<UUID>", or a copy already holding the same bytes) without
    // waiting, and tells `done` on the main loop where the old settings are kept: the copy, or the
    // file itself when none could be made (the file is not replaced without one). Nothing otherwise.
    void keepUnreadableAside(std::function<void(const std::string& keptAt)> done);
    // Stores the new value, announces it and hands it to the writer without waiting; fails at once
    // only when the value cannot be written (it is kept in memory either way). A failed write is
    // told through signal_saved().
    Status setValue(AppPreferences value);
    // Changes one or more fields of the value, as setValue does.
    Status update(const std::function<void(AppPreferences&)>& change);
    // The same, waiting for the write: for a caller that must have the answer at once.
    Status updateAndWait(const std::function<void(AppPreferences&)>& change);

    // The language chosen in the settings; it takes effect at the next launch.
    InterfaceLanguage language() const { return language_; }
    // Announces the choice; saveLanguage() stores it.
    void setLanguage(InterfaceLanguage language);

    // Writes the preferences under "preferences.v1" and waits; a value that cannot be encoded is
    // not written.
    Status save();
    // Hands the language's raw value to the writer under "interfaceLanguage", without waiting.
    void saveLanguage();
    // Hands over the changes still waiting for their turn and waits until every write of the
    // settings file has run: the final save at quit.
    void flush();

    // Emitted on the main loop after the value or the language changed (one emission for a burst
    // of changes, none when they cancel out).
    sigc::signal<void()>& signal_changed() { return changed_; }
    // Emitted on the main loop when a write handed over without waiting has finished, with how it
    // went (once for a burst of changes that one write carried).
    sigc::signal<void(const Status&)>& signal_saved() { return saved_; }

private:
    // Takes the value as the person's own and announces it.
    void adopt(AppPreferences value);
    void scheduleAnnouncement();
    static gboolean announce(gpointer self);
    // The change that puts the value under "preferences.v1" (and keeps unreadable stored
    // preferences aside); nothing when the value cannot be encoded.
    std::optional<SettingsFile::Change> preferencesChange();
    // Notes what is to be written (the preferences, the language) and hands it over at once, or
    // once the interval since the last hand-over has passed.
    void writeInBackground(unsigned what);
    // Hands what waits to the settings file as one change, read from the values as they are now.
    void handOverWaiting();
    void writeFinished(const Status& result);
    void logKeptAside();

    SettingsFile file_;
    Scheduler& scheduler_;
    static constexpr unsigned kPreferencesWaiting = 1, kLanguageWaiting = 2;
    // Runs while writes are kept apart; what changed meanwhile is noted in `waiting_`.
    ScheduledTask writeInterval_;
    unsigned waiting_ = 0;
    AppPreferences value_;
    InterfaceLanguage language_ = InterfaceLanguage::system;
    std::optional<Json> unreadablePreferences_;  // kept aside before the first overwrite
    bool valueIsKnown_ = true;
    bool storedSettingsUnreadable_ = false;
    AppPreferences announcedValue_;
    InterfaceLanguage announcedLanguage_ = InterfaceLanguage::system;
    guint announcementSource_ = 0;
    sigc::signal<void()> changed_;
    sigc::signal<void(const Status&)> saved_;
    // The key the unreadable preferences were kept under, logged once a write has stored it.
    std::optional<std::string> keptAsideKey_;
    // Completions of background writes hold it weakly: they do nothing once the store is gone.
    std::shared_ptr<PreferencesStore*> self_ = std::make_shared<PreferencesStore*>(this);
};

}  // namespace quenlith
