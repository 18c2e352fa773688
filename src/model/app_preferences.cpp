#include "model/app_preferences.hpp"

#include <algorithm>

#include "model/logging.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"
#include "model/record_fields.hpp"

namespace quenlith {

namespace {

template <typename Enum, std::size_t N>
std::optional<Enum> fromRawValue(const std::array<Enum, N>& all, std::string_view raw) {
    for (auto value : all)
        if (rawValue(value) == raw) return value;
    return std::nullopt;
}

template <typename Enum, std::size_t N>
void decodeRawValue(const nlohmann::json& json, const std::array<Enum, N>& all, Enum& out, const char* typeName) {
    std::string raw;
    decodeValue(json, raw);
    auto parsed = fromRawValue(all, raw);
    if (!parsed) throw JsonDecodingError(std::string("unknown ") + typeName + " " + quotedForLog(raw));
    out = *parsed;
}

constexpr RecordFields kFields{
    field("showDockIcon", &AppPreferences::showDockIcon),
    field("searchEngine", &AppPreferences::searchEngine),
    field("linkBehavior", &AppPreferences::linkBehavior),
    field("restoreWindows", &AppPreferences::restoreWindows),
    field("closeBehavior", &AppPreferences::closeBehavior),
    field("theme", &AppPreferences::theme),
    field("defaultOpacity", &AppPreferences::defaultOpacity),
    field("defaultWidth", &AppPreferences::defaultWidth),
    field("defaultHeight", &AppPreferences::defaultHeight),
    field("defaultCompact", &AppPreferences::defaultCompact),
    field("pinShortcut", &AppPreferences::pinShortcut),
    field("compactShortcut", &AppPreferences::compactShortcut),
    field("launcherShortcut", &AppPreferences::launcherShortcut),
    field("proxy", &AppPreferences::proxy),
    field("historyEnabled", &AppPreferences::historyEnabled),
    field("backgroundSleepMinutes", &AppPreferences::backgroundSleepMinutes),
    field("applicationLinksEnabled", &AppPreferences::applicationLinksEnabled),
    field("isolateNewWindows", &AppPreferences::isolateNewWindows),
    field("adFilter", &AppPreferences::adFilter),
};

}  // namespace

std::string_view rawValue(LinkBehavior behavior) {
    switch (behavior) {
    case LinkBehavior::newTab: return "New Tab";
    case LinkBehavior::newWindow: return "New Floating Window";
    case LinkBehavior::external: return "Default Browser";
    }
    return "New Tab";
}

std::string_view rawValue(CloseBehavior behavior) {
    return behavior == CloseBehavior::hide ? "Hide Window" : "Close Window";
}

std::string_view rawValue(AppTheme theme) {
    switch (theme) {
    case AppTheme::light: return "Light";
    case AppTheme::dark: return "Dark";
    case AppTheme::system: return "System";
    }
    return "Light";
}

std::string title(LinkBehavior behavior) { return localizedString(rawValue(behavior)); }
std::string title(CloseBehavior behavior) { return localizedString(rawValue(behavior)); }
std::string title(AppTheme theme) { return localizedString(rawValue(theme)); }

void to_json(nlohmann::json& json, LinkBehavior behavior) { json = std::string(rawValue(behavior)); }
void from_json(const nlohmann::json& json, LinkBehavior& behavior) {
    decodeRawValue(json, kAllLinkBehaviors, behavior, "link behaviour");
}
void to_json(nlohmann::json& json, CloseBehavior behavior) { json = std::string(rawValue(behavior)); }
void from_json(const nlohmann::json& json, CloseBehavior& behavior) {
    decodeRawValue(json, kAllCloseBehaviors, behavior, "close behaviour");
}
void to_json(nlohmann::json& json, AppTheme theme) { json = std::string(rawValue(theme)); }
void from_json(const nlohmann::json& json, AppTheme& theme) { decodeRawValue(json, kAllAppThemes, theme, "theme"); }

std::int64_t AppPreferences::readsBackgroundSleepMinutes() const {
    return std::max<std::int64_t>(backgroundSleepMinutes.value_or(0), 0);
}

AdFilterSettings AppPreferences::adFilterSettings() const {
    return adFilter ? adFilter->normalized() : AdFilterSettings();
}

void AppPreferences::setAdFilterSettings(const AdFilterSettings& settings) { adFilter = settings.normalized(); }

void to_json(nlohmann::json& json, const AppPreferences& preferences) {
    kFields.write(json, preferences);
}

void from_json(const nlohmann::json& json, AppPreferences& preferences) {
    kFields.read(json, preferences);
}

}  // namespace quenlith
