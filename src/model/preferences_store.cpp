#include "model/preferences_store.hpp"

#include <utility>

#include "model/json_text.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith {

PreferencesStore::PreferencesStore(std::string path, Scheduler& scheduler, FileWriter& writer)
    : file_(std::move(path), writer), scheduler_(scheduler) {
    auto contents = file_.readStored();
    // Defaults that stand in for preferences never stored are not the person's choice either.
    valueIsKnown_ = false;
    if (!contents) {
        storedSettingsUnreadable_ = true;
        logError(LogCategory::lifecycle, "Could not read settings from " + file_.path() + ": " +
                                             contents.error().message + "; using default preferences");
    } else if (*contents) {
        const Json& object = **contents;
        if (auto it = object.find(kLanguageKey); it != object.end() && it->is_string())
            language_ = interfaceLanguageFromRawValue(it->get_ref<const std::string&>()).value_or(InterfaceLanguage::system);
        if (auto it = object.find(kPreferencesKey); it != object.end()) {
            std::string error;
            if (auto decoded = decodeJson<AppPreferences>(*it, &error)) {
                value_ = std::move(*decoded);
                valueIsKnown_ = true;
            } else {
                unreadablePreferences_ = *it;
                storedSettingsUnreadable_ = true;
                logError(LogCategory::lifecycle, std::string("Stored preferences could not be read (") + error +
                                                     "); using the defaults until they are changed");
            }
        }
    }
    announcedValue_ = value_;
    announcedLanguage_ = language_;
}

PreferencesStore::~PreferencesStore() {
    if (announcementSource_) g_source_remove(announcementSource_);
    // The settings file waits for this write when it goes.
    writeInterval_.cancel();
    handOverWaiting();
}

void PreferencesStore::adopt(AppPreferences value) {
    value_ = std::move(value);
    valueIsKnown_ = true;
    scheduleAnnouncement();
}

void PreferencesStore::keepUnreadableAside(std::function<void(const std::string& keptAt)> done) {
    if (!storedSettingsUnreadable_) return;
    file_.keepAside([path = file_.path(), done = std::move(done)](const Result<std::string>& kept) {
        if (kept)
            logInfo(LogCategory::lifecycle, "The settings that could not be read are kept as " + *kept);
        else
            logError(LogCategory::lifecycle, "The settings that could not be read stay in " + path +
                                                 ", no copy could be made: " + kept.error().message);
        if (done) done(kept ? *kept : path);
    });
}

Status PreferencesStore::setValue(AppPreferences value) {
    adopt(std::move(value));
    if (!isJsonFinite(Json(value_))) {
        logError(LogCategory::lifecycle, "Preferences hold a value that cannot be written; kept the stored ones");
        return Error{"preferences.encoding", localizedString("The settings hold a value that cannot be written.")};
    }
    writeInBackground(kPreferencesWaiting);
    return success();
}

Status PreferencesStore::update(const std::function<void(AppPreferences&)>& change) {
    AppPreferences changed = value_;
    change(changed);
    return setValue(std::move(changed));
}

Status PreferencesStore::updateAndWait(const std::function<void(AppPreferences&)>& change) {
    AppPreferences changed = value_;
    change(changed);
    adopt(std::move(changed));
    return save();
}

void PreferencesStore::setLanguage(InterfaceLanguage language) {
    language_ = language;
    scheduleAnnouncement();
}

std::optional<SettingsFile::Change> PreferencesStore::preferencesChange() {
    Json encoded = value_;
    if (!isJsonFinite(encoded)) return std::nullopt;
    // Whatever could not be read is kept beside the new value, never overwritten. Once handed
    // over, every later write of the file carries it until one succeeds.
    std::optional<std::pair<std::string, Json>> aside;
    if (unreadablePreferences_) {
        aside.emplace(kUnreadablePreferencesPrefix + Uuid::random().string(), std::move(*unreadablePreferences_));
        unreadablePreferences_.reset();
        keptAsideKey_ = aside->first;
    }
    return [encoded = std::move(encoded), aside = std::move(aside)](Json& object) {
        if (aside) object[aside->first] = aside->second;
        object[kPreferencesKey] = encoded;
    };
}

Status PreferencesStore::save() {
    // The language waiting for its turn goes first; the waited write carries the preferences.
    writeInterval_.cancel();
    waiting_ &= ~kPreferencesWaiting;
    handOverWaiting();
    const std::optional<Json> unreadable = unreadablePreferences_;
    auto change = preferencesChange();
    if (!change) {
        logError(LogCategory::lifecycle, "Preferences hold a value that cannot be written; kept the stored ones");
        return Error{"preferences.encoding", localizedString("The settings hold a value that cannot be written.")};
    }
    auto written = file_.update(*change);
    if (!written) {
        logError(LogCategory::lifecycle, "Could not save preferences: " + written.error().message);
        // Not stored: the next save keeps it aside again.
        if (unreadable && !unreadablePreferences_) {
            unreadablePreferences_ = unreadable;
            keptAsideKey_.reset();
        }
        return written;
    }
    logKeptAside();
    return success();
}

void PreferencesStore::saveLanguage() {
    writeInBackground(kLanguageWaiting);
}

void PreferencesStore::flush() {
    writeInterval_.cancel();
    handOverWaiting();
    file_.flush();
}

void PreferencesStore::writeInBackground(unsigned what) {
    waiting_ |= what;
    if (writeInterval_.pending()) return;
    handOverWaiting();
    // The task dies with the store (its handle cancels it).
    writeInterval_ = scheduler_.schedule(kWriteInterval, [this] {
        if (waiting_) writeInBackground(0);
    });
}

void PreferencesStore::handOverWaiting() {
    const unsigned what = std::exchange(waiting_, 0u);
    std::optional<SettingsFile::Change> preferences;
    if (what & kPreferencesWaiting) preferences = preferencesChange();
    std::optional<std::string> language;
    if (what & kLanguageWaiting) language = std::string(rawValue(language_));
    if (!preferences && !language) return;
    file_.write(
        [preferences = std::move(preferences), language = std::move(language)](Json& object) {
            if (preferences) (*preferences)(object);
            if (language) object[kLanguageKey] = *language;
        },
        [weak = std::weak_ptr<PreferencesStore*>(self_)](const Status& result) {
            if (auto self = weak.lock()) (*self)->writeFinished(result);
        });
}

void PreferencesStore::writeFinished(const Status& result) {
    if (result)
        logKeptAside();
    else
        logError(LogCategory::lifecycle, "Could not save settings: " + result.error().message);
    saved_.emit(result);
}

void PreferencesStore::logKeptAside() {
    if (!keptAsideKey_) return;
    logError(LogCategory::lifecycle, "Unreadable stored preferences were replaced; the old value is kept under \"" +
                                         *keptAsideKey_ + "\" in " + file_.path());
    keptAsideKey_.reset();
}

void PreferencesStore::scheduleAnnouncement() {
    if (announcementSource_) return;
    announcementSource_ = g_idle_add(&PreferencesStore::announce, this);
}

gboolean PreferencesStore::announce(gpointer data) {
    auto* self = static_cast<PreferencesStore*>(data);
    self->announcementSource_ = 0;
    if (self->value_ == self->announcedValue_ && self->language_ == self->announcedLanguage_) return G_SOURCE_REMOVE;
    self->announcedValue_ = self->value_;
    self->announcedLanguage_ = self->language_;
    self->changed_.emit();
    return G_SOURCE_REMOVE;
}

}  // namespace quenlith
