#include "model/app_preferences.hpp"

#include <algorithm>

#include "model/logging.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"

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
    json = nlohmann::json::object();
    json["showDockIcon"] = preferences.showDockIcon;
    json["searchEngine"] = preferences.searchEngine;
    json["linkBehavior"] = preferences.linkBehavior;
    json["restoreWindows"] = preferences.restoreWindows;
    json["closeBehavior"] = preferences.closeBehavior;
    json["theme"] = preferences.theme;
    json["defaultOpacity"] = preferences.defaultOpacity;
    json["defaultWidth"] = preferences.defaultWidth;
    json["defaultHeight"] = preferences.defaultHeight;
    json["defaultCompact"] = preferences.defaultCompact;
    writeOptional(json, "pinShortcut", preferences.pinShortcut);
    writeOptional(json, "compactShortcut", preferences.compactShortcut);
    writeOptional(json, "launcherShortcut", preferences.launcherShortcut);
    writeOptional(json, "proxy", preferences.proxy);
    writeOptional(json, "historyEnabled", preferences.historyEnabled);
    writeOptional(json, "backgroundSleepMinutes", preferences.backgroundSleepMinutes);
    writeOptional(json, "applicationLinksEnabled", preferences.applicationLinksEnabled);
    writeOptional(json, "isolateNewWindows", preferences.isolateNewWindows);
    writeOptional(json, "adFilter", preferences.adFilter);
}

void from_json(const nlohmann::json& json, AppPreferences& preferences) {
    requireObject(json);
    readRequired(json, "showDockIcon", preferences.showDockIcon);
    readRequired(json, "searchEngine", preferences.searchEngine);
    readRequired(json, "linkBehavior", preferences.linkBehavior);
    readRequired(json, "restoreWindows", preferences.restoreWindows);
    readRequired(json, "closeBehavior", preferences.closeBehavior);
    readRequired(json, "theme", preferences.theme);
    readRequired(json, "defaultOpacity", preferences.defaultOpacity);
    readRequired(json, "defaultWidth", preferences.defaultWidth);
    readRequired(json, "defaultHeight", preferences.defaultHeight);
    readRequired(json, "defaultCompact", preferences.defaultCompact);
    readOptional(json, "pinShortcut", preferences.pinShortcut);
    readOptional(json, "compactShortcut", preferences.compactShortcut);
    readOptional(json, "launcherShortcut", preferences.launcherShortcut);
    readOptional(json, "proxy", preferences.proxy);
    readOptional(json, "historyEnabled", preferences.historyEnabled);
    readOptional(json, "backgroundSleepMinutes", preferences.backgroundSleepMinutes);
    readOptional(json, "applicationLinksEnabled", preferences.applicationLinksEnabled);
    readOptional(json, "isolateNewWindows", preferences.isolateNewWindows);
    readOptional(json, "adFilter", preferences.adFilter);
}

}  // namespace quenlith
