#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "model/ad_filter_settings.hpp"
#include "model/browser_proxy_settings.hpp"
#include "model/search_engine.hpp"
#include "model/shortcut_configuration.hpp"

namespace quenlith {

// Where a link that asks for a new window opens. Coded by its display text.
enum class LinkBehavior { newTab, newWindow, external };
// What a window's close button does. Coded by its display text.
enum class CloseBehavior { hide, release };
// The application's appearance. Coded by its display text.
enum class AppTheme { light, dark, system };

// Picker order.
inline constexpr std::array<LinkBehavior, 3> kAllLinkBehaviors = {LinkBehavior::newTab, LinkBehavior::newWindow,
                                                                  LinkBehavior::external};
inline constexpr std::array<CloseBehavior, 2> kAllCloseBehaviors = {CloseBehavior::hide, CloseBehavior::release};
inline constexpr std::array<AppTheme, 3> kAllAppThemes = {AppTheme::light, AppTheme::dark, AppTheme::system};

// "New Tab", "New Floating Window", "Default Browser".
std::string_view rawValue(LinkBehavior behavior);
// "Hide Window", "Close Window".
std::string_view rawValue(CloseBehavior behavior);
// "Light", "Dark", "System".
std::string_view rawValue(AppTheme theme);
// The picker text: the raw value in the interface language.
std::string title(LinkBehavior behavior);
std::string title(CloseBehavior behavior);
std::string title(AppTheme theme);

void to_json(nlohmann::json& json, LinkBehavior behavior);
void from_json(const nlohmann::json& json, LinkBehavior& behavior);
void to_json(nlohmann::json& json, CloseBehavior behavior);
void from_json(const nlohmann::json& json, CloseBehavior& behavior);
void to_json(nlohmann::json& json, AppTheme theme);
void from_json(const nlohmann::json& json, AppTheme& theme);

// The application-wide settings. The first ten fields are required in JSON; the last nine are
// optional, left out when absent, and read by the rules of the accessors below.
struct AppPreferences {
    bool showDockIcon = false;
    SearchEngine searchEngine = SearchEngine::google;
    LinkBehavior linkBehavior = LinkBehavior::newTab;
    bool restoreWindows = false;
    CloseBehavior closeBehavior = CloseBehavior::hide;
    AppTheme theme = AppTheme::light;
    double defaultOpacity = 1.0;
    double defaultWidth = 480.0;
    double defaultHeight = 720.0;
    bool defaultCompact = false;
    std::optional<ShortcutConfiguration> pinShortcut;       // "Toggle always on top"
    std::optional<ShortcutConfiguration> compactShortcut;   // "Toggle compact mode"
    std::optional<ShortcutConfiguration> launcherShortcut;  // toggles the launcher
    std::optional<BrowserProxySettings> proxy;              // absent: the system proxy
    std::optional<bool> historyEnabled;
    std::optional<std::int64_t> backgroundSleepMinutes;
    std::optional<bool> applicationLinksEnabled;
    std::optional<bool> isolateNewWindows;
    std::optional<AdFilterSettings> adFilter;

    // Reading rules shared by every reader.
    bool readsHistoryEnabled() const { return historyEnabled.value_or(false); }
    // Absent or negative reads as 0, which means tabs never sleep.
    std::int64_t readsBackgroundSleepMinutes() const;
    bool readsApplicationLinksEnabled() const { return applicationLinksEnabled.value_or(false); }
    bool readsIsolateNewWindows() const { return isolateNewWindows.value_or(true); }

    // The stored ad-filter settings normalised, or the defaults when none are stored; the setter
    // stores the normalised value.
    AdFilterSettings adFilterSettings() const;
    void setAdFilterSettings(const AdFilterSettings& settings);

    bool operator==(const AppPreferences&) const = default;
};

void to_json(nlohmann::json& json, const AppPreferences& preferences);
void from_json(const nlohmann::json& json, AppPreferences& preferences);

}  // namespace quenlith
