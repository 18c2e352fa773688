#include "model/web_app_profile.hpp"

#include <algorithm>
#include <cmath>

#include "model/app_preferences.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"
#include "model/user_agent.hpp"

namespace quenlith {

namespace {

double clampedOrDefault(double value, double minimum, double maximum, double fallback) {
    if (!std::isfinite(value)) return fallback;
    return std::clamp(value, minimum, maximum);
}

bool isUsableWindowFrame(const CodableRect& frame) {
    return std::isfinite(frame.x) && std::isfinite(frame.y) && std::isfinite(frame.width) &&
           std::isfinite(frame.height) && frame.width >= kMinimumWindowFrameWidth &&
           frame.height >= kMinimumWindowFrameHeight;
}

bool readsTrue(const std::optional<bool>& flag) { return flag.value_or(false); }

}  // namespace

void WebAppProfile::normalize() {
    name = trimmedWhitespaceAndNewlines(name);
    if (accountName)
        accountName = prefixCharacters(trimmedWhitespaceAndNewlines(*accountName), kMaximumAccountNameCharacters);
    if ((readsTrue(isolatedAccount) || siteProxy) && !sessionIdentifier) sessionIdentifier = Uuid::random();
    if (linkedApplications && linkedApplications->size() > kMaximumLinkedApplications)
        linkedApplications->resize(kMaximumLinkedApplications);
    opacity = clampedOrDefault(opacity, kMinimumOpacity, kMaximumOpacity, 1.0);
    zoomLevel = clampedOrDefault(zoomLevel, kMinimumZoomLevel, kMaximumZoomLevel, 1.0);
    if (autoReloadInterval && !(std::isfinite(*autoReloadInterval) && *autoReloadInterval >= kMinimumAutoReloadInterval))
        autoReloadInterval.reset();
    if (customUserAgent &&
        (userAgentValidationMessage(customUserAgent) || trimmedWhitespaceAndNewlines(*customUserAgent).empty()))
        customUserAgent.reset();
    if (windowFrame && !isUsableWindowFrame(*windowFrame)) windowFrame.reset();
}

std::optional<Uuid> WebAppProfile::dataStoreIdentifier() const {
    if (readsTrue(isolatedAccount) || siteProxy) return sessionIdentifier;
    return std::nullopt;
}

std::string WebAppProfile::displayTitle() const {
    if (accountName && !accountName->empty() && dataStoreIdentifier()) return name + " \u00B7 " + *accountName;
    return name;
}

void WebAppProfile::setIsolatedAccount(bool isolated) {
    isolatedAccount = isolated;
    if (isolated && !sessionIdentifier) sessionIdentifier = Uuid::random();
}

WebAppProfile WebAppProfile::newAccountCopy() const {
    WebAppProfile copy = *this;
    copy.id = Uuid::random();
    copy.sessionIdentifier = Uuid::random();
    copy.isolatedAccount = true;
    copy.accountName = localizedString("New Account");
    copy.lastURL.reset();
    copy.windowFrame.reset();
    copy.globalShortcut.reset();
    copy.wasVisible = false;
    copy.launchAtStartup = false;
    copy.menuBarIconEnabled = false;
    copy.applicationLinkEnabled = false;
    // The new account never shares the stored proxy password of its source.
    if (copy.siteProxy) copy.siteProxy->credentialID.reset();
    return copy;
}

WebAppProfile WebAppProfile::duplicate(const AppPreferences& preferences, std::optional<bool> isolated) const {
    return duplicate(preferences.isolateNewWindows, isolated);
}

WebAppProfile WebAppProfile::duplicate(std::optional<bool> isolateNewWindows, std::optional<bool> isolated) const {
    WebAppProfile copy = *this;
    copy.id = Uuid::random();
    copy.sessionIdentifier.reset();
    bool independent = siteProxy ? true : isolated.value_or(isolateNewWindows.value_or(true));
    copy.setIsolatedAccount(independent);
    copy.accountName.reset();
    copy.lastURL.reset();
    copy.windowFrame.reset();
    copy.globalShortcut.reset();
    copy.wasVisible = false;
    copy.launchAtStartup = false;
    copy.rememberWindowFrame = false;
    copy.menuBarIconEnabled = false;
    copy.applicationLinkEnabled = false;
    copy.normalize();
    return copy;
}

void WebAppProfile::copyLiveSettings(const WebAppProfile& source) {
    alwaysOnTop = source.alwaysOnTop;
    followAcrossSpaces = source.followAcrossSpaces;
    opacity = source.opacity;
    zoomLevel = source.zoomLevel;
    compactMode = source.compactMode;
    customUserAgent = source.customUserAgent;
    autoReloadInterval = source.autoReloadInterval;
    trackerBlockingEnabled = readsTrue(source.trackerBlockingEnabled);
    edgeTuckEnabled = readsTrue(source.edgeTuckEnabled);
    keepAwakeEnabled = readsTrue(source.keepAwakeEnabled);
}

void WebAppProfile::mergeLiveSettings(const WebAppProfile& old, const WebAppProfile& updated) {
    auto take = [](auto& field, const auto& before, const auto& after) {
        if (before != after) field = after;
    };
    auto takeFlag = [](std::optional<bool>& field, const std::optional<bool>& before, const std::optional<bool>& after) {
        if (readsTrue(before) != readsTrue(after)) field = readsTrue(after);
    };
    take(alwaysOnTop, old.alwaysOnTop, updated.alwaysOnTop);
    take(followAcrossSpaces, old.followAcrossSpaces, updated.followAcrossSpaces);
    take(opacity, old.opacity, updated.opacity);
    take(zoomLevel, old.zoomLevel, updated.zoomLevel);
    take(compactMode, old.compactMode, updated.compactMode);
    take(customUserAgent, old.customUserAgent, updated.customUserAgent);
    take(autoReloadInterval, old.autoReloadInterval, updated.autoReloadInterval);
    takeFlag(trackerBlockingEnabled, old.trackerBlockingEnabled, updated.trackerBlockingEnabled);
    takeFlag(edgeTuckEnabled, old.edgeTuckEnabled, updated.edgeTuckEnabled);
    takeFlag(keepAwakeEnabled, old.keepAwakeEnabled, updated.keepAwakeEnabled);
}

void to_json(nlohmann::json& json, const WebAppProfile& profile) {
    json = nlohmann::json::object();
    json["id"] = profile.id;
    json["name"] = profile.name;
    json["homeURL"] = profile.homeURL;
    writeOptional(json, "iconURL", profile.iconURL);
    json["alwaysOnTop"] = profile.alwaysOnTop;
    json["followAcrossSpaces"] = profile.followAcrossSpaces;
    json["opacity"] = profile.opacity;
    json["zoomLevel"] = profile.zoomLevel;
    json["compactMode"] = profile.compactMode;
    json["rememberLastURL"] = profile.rememberLastURL;
    writeOptional(json, "lastURL", profile.lastURL);
    writeOptional(json, "customUserAgent", profile.customUserAgent);
    writeOptional(json, "autoReloadInterval", profile.autoReloadInterval);
    writeOptional(json, "globalShortcut", profile.globalShortcut);
    writeOptional(json, "windowFrame", profile.windowFrame);
    json["launchAtStartup"] = profile.launchAtStartup;
    json["sortOrder"] = profile.sortOrder;
    json["rememberWindowFrame"] = profile.rememberWindowFrame;
    json["isFavorite"] = profile.isFavorite;
    json["wasVisible"] = profile.wasVisible;
    writeOptional(json, "menuBarIconEnabled", profile.menuBarIconEnabled);
    writeOptional(json, "trackerBlockingEnabled", profile.trackerBlockingEnabled);
    writeOptional(json, "sessionIdentifier", profile.sessionIdentifier);
    writeOptional(json, "isolatedAccount", profile.isolatedAccount);
    writeOptional(json, "accountName", profile.accountName);
    writeOptional(json, "siteProxy", profile.siteProxy);
    writeOptional(json, "edgeTuckEnabled", profile.edgeTuckEnabled);
    writeOptional(json, "keepAwakeEnabled", profile.keepAwakeEnabled);
    writeOptional(json, "linkedApplications", profile.linkedApplications);
    writeOptional(json, "applicationLinkEnabled", profile.applicationLinkEnabled);
}

void from_json(const nlohmann::json& json, WebAppProfile& profile) {
    requireObject(json);
    readRequired(json, "id", profile.id);
    readRequired(json, "name", profile.name);
    readRequired(json, "homeURL", profile.homeURL);
    readOptional(json, "iconURL", profile.iconURL);
    readRequired(json, "alwaysOnTop", profile.alwaysOnTop);
    readRequired(json, "followAcrossSpaces", profile.followAcrossSpaces);
    readRequired(json, "opacity", profile.opacity);
    readRequired(json, "zoomLevel", profile.zoomLevel);
    readRequired(json, "compactMode", profile.compactMode);
    readRequired(json, "rememberLastURL", profile.rememberLastURL);
    readOptional(json, "lastURL", profile.lastURL);
    readOptional(json, "customUserAgent", profile.customUserAgent);
    readOptional(json, "autoReloadInterval", profile.autoReloadInterval);
    readOptional(json, "globalShortcut", profile.globalShortcut);
    readOptional(json, "windowFrame", profile.windowFrame);
    readRequired(json, "launchAtStartup", profile.launchAtStartup);
    readRequired(json, "sortOrder", profile.sortOrder);
    readRequired(json, "rememberWindowFrame", profile.rememberWindowFrame);
    readRequired(json, "isFavorite", profile.isFavorite);
    readRequired(json, "wasVisible", profile.wasVisible);
    readOptional(json, "menuBarIconEnabled", profile.menuBarIconEnabled);
    readOptional(json, "trackerBlockingEnabled", profile.trackerBlockingEnabled);
    readOptional(json, "sessionIdentifier", profile.sessionIdentifier);
    readOptional(json, "isolatedAccount", profile.isolatedAccount);
    readOptional(json, "accountName", profile.accountName);
    readOptional(json, "siteProxy", profile.siteProxy);
    readOptional(json, "edgeTuckEnabled", profile.edgeTuckEnabled);
    readOptional(json, "keepAwakeEnabled", profile.keepAwakeEnabled);
    readOptional(json, "linkedApplications", profile.linkedApplications);
    readOptional(json, "applicationLinkEnabled", profile.applicationLinkEnabled);
}

}  // namespace quenlith
