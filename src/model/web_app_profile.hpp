#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/browser_proxy_settings.hpp"
#include "model/codable_rect.hpp"
#include "model/linked_application.hpp"
#include "model/shortcut_configuration.hpp"
#include "model/uuid.hpp"

namespace quenlith {

struct AppPreferences;

// Clean-up limits applied by WebAppProfile::normalize().
inline constexpr double kMinimumOpacity = 0.35;
inline constexpr double kMaximumOpacity = 1.0;
inline constexpr double kMinimumZoomLevel = 0.5;
inline constexpr double kMaximumZoomLevel = 2.0;
inline constexpr double kMinimumAutoReloadInterval = 10.0;
inline constexpr double kMinimumWindowFrameWidth = 320;
inline constexpr double kMinimumWindowFrameHeight = 240;
inline constexpr std::size_t kMaximumAccountNameCharacters = 50;
inline constexpr std::size_t kMaximumLinkedApplications = 20;

// One saved website: what it opens, how its floating window behaves, which data store and proxy
// it uses and how the user reaches it. Its JSON keys are the field names; optional fields are
// left out when absent, and an absent optional Boolean reads as false. Each field is declared once
// more, with its key and sets: the on/off settings in website_switches.cpp, the others in the
// table of web_app_profile.cpp.
struct WebAppProfile {
    Uuid id = Uuid::random();
    std::string name;
    std::string homeURL = "https://";
    std::optional<std::string> iconURL;
    bool alwaysOnTop = true;
    bool followAcrossSpaces = true;
    double opacity = 1.0;
    double zoomLevel = 1.0;
    bool compactMode = false;
    bool rememberLastURL = true;
    std::optional<std::string> lastURL;
    std::optional<std::string> customUserAgent;
    std::optional<double> autoReloadInterval;  // seconds
    std::optional<ShortcutConfiguration> globalShortcut;
    std::optional<CodableRect> windowFrame;
    bool launchAtStartup = false;
    std::int64_t sortOrder = 0;
    bool rememberWindowFrame = true;
    bool isFavorite = true;
    bool wasVisible = false;  // window state of this device; cleared in every copy
    std::optional<bool> menuBarIconEnabled;
    std::optional<bool> trackerBlockingEnabled;
    std::optional<Uuid> sessionIdentifier;
    std::optional<bool> isolatedAccount;
    std::optional<std::string> accountName;
    std::optional<BrowserProxySettings> siteProxy;
    std::optional<bool> edgeTuckEnabled;
    std::optional<bool> keepAwakeEnabled;
    std::optional<std::vector<LinkedApplication>> linkedApplications;
    std::optional<bool> applicationLinkEnabled;

    // Repairs out-of-range values silently; never fails. Every reader that adopts records calls it.
    void normalize();

    // The website's own data store: `sessionIdentifier` when it has an independent account or a
    // proxy; nothing means the shared default store.
    std::optional<Uuid> dataStoreIdentifier() const;
    // Whether a page is one of the website's own: its home address is a website address and the
    // page's host is the home's or lies below it (compared without "www."). A window records the
    // last address and the icon of these pages only.
    bool isOwnSitePage(std::string_view address) const;
    // The name, plus " · " and the account name when the website has both an account name and its
    // own data store.
    std::string displayTitle() const;

    // Switching on gives the record a session identifier if it has none; switching off keeps it,
    // so switching on again returns to the same data store.
    void setIsolatedAccount(bool isolated);

    // A new independent account of the same website, without its window state or proxy password.
    WebAppProfile newAccountCopy() const;
    // The record of a duplicated window. `isolated` asks for an independent session; when it is
    // absent `isolateNewWindows` of the preferences decides (absent reads as true). A proxied
    // website always gets its own session.
    WebAppProfile duplicate(const AppPreferences& preferences, std::optional<bool> isolated = std::nullopt) const;
    WebAppProfile duplicate(std::optional<bool> isolateNewWindows, std::optional<bool> isolated) const;

    // Copies the live-adjustable fields of `source` (the optional Booleans as plain values).
    void copyLiveSettings(const WebAppProfile& source);
    // Takes each live-adjustable field that differs between `old` and `updated`, from `updated`.
    void mergeLiveSettings(const WebAppProfile& old, const WebAppProfile& updated);

    bool operator==(const WebAppProfile&) const = default;
};

void to_json(nlohmann::json& json, const WebAppProfile& profile);
void from_json(const nlohmann::json& json, WebAppProfile& profile);

}  // namespace quenlith
