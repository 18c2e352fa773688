#pragma once

#include <functional>
#include <optional>
#include <string>

#include <glib.h>
#include <sigc++/signal.h>

#include "model/app_paths.hpp"
#include "model/app_preferences.hpp"
#include "model/interface_language.hpp"
#include "model/json_coding.hpp"
#include "model/result.hpp"
#include "model/settings_file.hpp"

namespace quenlith {

// Owns the application preferences and the chosen interface language, read from the settings
// file when made. Every assignment to the preferences is written back at once; observers hear of
// changes on the main loop, never from inside the assignment. Main thread only.
class PreferencesStore {
public:
    // Settings-file keys.
    static constexpr const char* kPreferencesKey = "preferences.v1";
    static constexpr const char* kLanguageKey = "interfaceLanguage";
    // Unreadable stored preferences are kept under this prefix plus a new UUID.
    static constexpr const char* kUnreadablePreferencesPrefix = "preferences.v1.unreadable-";

    // Loads both values from the settings file at `path`; never fails. Unreadable preferences
    // give the defaults (and are kept aside at the first save).
    explicit PreferencesStore(std::string path = settingsFilePath());
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
    // Stores the new value, announces it and writes it to the settings file; answers whether the
    // write succeeded (the value is kept in memory either way).
    Status setValue(AppPreferences value);
    // Changes one or more fields of the value, as setValue does.
    Status update(const std::function<void(AppPreferences&)>& change);

    // The language chosen in the settings; it takes effect at the next launch.
    InterfaceLanguage language() const { return language_; }
    // Announces the choice; saveLanguage() stores it.
    void setLanguage(InterfaceLanguage language);

    // Writes the preferences under "preferences.v1"; a value that cannot be encoded is not written.
    Status save();
    // Writes the language's raw value under "interfaceLanguage".
    Status saveLanguage();

    // Emitted on the main loop after the value or the language changed (one emission for a burst
    // of changes, none when they cancel out).
    sigc::signal<void()>& signal_changed() { return changed_; }

private:
    void scheduleAnnouncement();
    static gboolean announce(gpointer self);

    SettingsFile file_;
    AppPreferences value_;
    InterfaceLanguage language_ = InterfaceLanguage::system;
    std::optional<Json> unreadablePreferences_;  // kept aside before the first overwrite
    bool valueIsKnown_ = true;
    AppPreferences announcedValue_;
    InterfaceLanguage announcedLanguage_ = InterfaceLanguage::system;
    guint announcementSource_ = 0;
    sigc::signal<void()> changed_;
};

}  // namespace quenlith
