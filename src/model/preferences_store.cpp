#include "model/preferences_store.hpp"

#include "model/json_text.hpp"
#include "model/localization.hpp"
#include "model/logging.hpp"
#include "model/uuid.hpp"

namespace quenlith {

PreferencesStore::PreferencesStore(std::string path) : file_(std::move(path)) {
    auto contents = file_.readStored();
    // Defaults that stand in for preferences never stored are not the person's choice either.
    valueIsKnown_ = false;
    if (!contents) {
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
}

Status PreferencesStore::setValue(AppPreferences value) {
    value_ = std::move(value);
    valueIsKnown_ = true;
    scheduleAnnouncement();
    return save();
}

Status PreferencesStore::update(const std::function<void(AppPreferences&)>& change) {
    AppPreferences changed = value_;
    change(changed);
    return setValue(std::move(changed));
}

void PreferencesStore::setLanguage(InterfaceLanguage language) {
    language_ = language;
    scheduleAnnouncement();
}

Status PreferencesStore::save() {
    Json encoded = value_;
    if (!isJsonFinite(encoded)) {
        logError(LogCategory::lifecycle, "Preferences hold a value that cannot be written; kept the stored ones");
        return Error{"preferences.encoding", localizedString("The settings hold a value that cannot be written.")};
    }
    std::optional<std::string> asideKey;
    auto written = file_.update([&](Json& object) {
        // Whatever could not be read is kept beside the new value, never overwritten.
        if (unreadablePreferences_) {
            asideKey = kUnreadablePreferencesPrefix + Uuid::random().string();
            object[*asideKey] = *unreadablePreferences_;
        }
        object[kPreferencesKey] = encoded;
    });
    if (!written) {
        logError(LogCategory::lifecycle, "Could not save preferences: " + written.error().message);
        return written;
    }
    if (asideKey) {
        logError(LogCategory::lifecycle, "Unreadable stored preferences were replaced; the old value is kept under \"" +
                                             *asideKey + "\" in " + file_.path());
        unreadablePreferences_.reset();
    }
    return success();
}

Status PreferencesStore::saveLanguage() {
    std::string raw(rawValue(language_));
    auto written = file_.update([&](Json& object) { object[kLanguageKey] = raw; });
    if (!written) logError(LogCategory::lifecycle, "Could not save the interface language: " + written.error().message);
    return written;
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
