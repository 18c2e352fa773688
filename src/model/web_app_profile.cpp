#include "model/web_app_profile.hpp"

#include <algorithm>
#include <cmath>

#include "model/address.hpp"
#include "model/app_preferences.hpp"
#include "model/json_coding.hpp"
#include "model/localization.hpp"
#include "model/record_fields.hpp"
#include "model/suggested_website.hpp"
#include "model/text_limits.hpp"
#include "model/user_agent.hpp"
#include "model/website_switches.hpp"

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

// The value a live setting carries: an optional switch as a definite on or off, absent reading as off.
template <typename T>
const T& liveValue(const T& value) {
    return value;
}
std::optional<bool> liveValue(const std::optional<bool>& flag) {
    return readsTrue(flag);
}

constexpr FieldSet live = FieldSet::live, notCopied = FieldSet::notCopied;

// What a field not carried into a copy is there: off, or absent.
template <typename T>
void clearInCopy(std::optional<T>& value) {
    value.reset();
}
void clearInCopy(std::optional<bool>& flag) {
    flag = false;
}
void clearInCopy(bool& flag) {
    flag = false;
}

// Every stored field but the on/off settings, which website_switches.cpp declares; live ones are
// carried between an open window and the saved record, notCopied ones left out of copies.
constexpr RecordFields kFields{
    field("id", &WebAppProfile::id),
    field("name", &WebAppProfile::name),
    field("homeURL", &WebAppProfile::homeURL),
    field("iconURL", &WebAppProfile::iconURL),
    field("opacity", &WebAppProfile::opacity, live),
    field("zoomLevel", &WebAppProfile::zoomLevel, live),
    field("lastURL", &WebAppProfile::lastURL, notCopied),
    field("customUserAgent", &WebAppProfile::customUserAgent, live),
    field("autoReloadInterval", &WebAppProfile::autoReloadInterval, live),
    field("globalShortcut", &WebAppProfile::globalShortcut, notCopied),
    field("windowFrame", &WebAppProfile::windowFrame, notCopied),
    field("sortOrder", &WebAppProfile::sortOrder),
    field("wasVisible", &WebAppProfile::wasVisible, notCopied),
    field("trackerBlockingEnabled", &WebAppProfile::trackerBlockingEnabled, live),
    field("sessionIdentifier", &WebAppProfile::sessionIdentifier),
    field("isolatedAccount", &WebAppProfile::isolatedAccount),
    field("accountName", &WebAppProfile::accountName),
    field("siteProxy", &WebAppProfile::siteProxy),
    field("linkedApplications", &WebAppProfile::linkedApplications),
    field("applicationLinkEnabled", &WebAppProfile::applicationLinkEnabled, notCopied),
};

// Calls `visit(key, member, sets)` for every field: the table above, then the on/off settings.
template <typename Visit>
void forEachField(Visit&& visit) {
    kFields.forEach([&](const auto& field) { visit(field.key, field.member, field.sets); });
    for (const auto& setting : websiteSwitches())
        std::visit([&](auto member) { visit(setting.key, member, setting.sets); }, setting.member);
}

template <typename Visit>
void forEachLiveField(Visit&& visit) {
    forEachField([&](const char*, auto member, FieldSet sets) {
        if (contains(sets, FieldSet::live)) visit(member);
    });
}

void clearFieldsNotCopied(WebAppProfile& copy) {
    forEachField([&](const char*, auto member, FieldSet sets) {
        if constexpr (requires { clearInCopy(copy.*member); })
            if (contains(sets, FieldSet::notCopied)) clearInCopy(copy.*member);
    });
}

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

bool WebAppProfile::isOwnSitePage(std::string_view address) const {
    auto home = normalizedWebsiteURL(homeURL);
    return home && SuggestedWebsite::hostMatches(address, *home);
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
    clearFieldsNotCopied(copy);
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
    clearFieldsNotCopied(copy);
    copy.rememberWindowFrame = false;
    copy.normalize();
    return copy;
}

void WebAppProfile::copyLiveSettings(const WebAppProfile& source) {
    forEachLiveField([&](auto member) { this->*member = liveValue(source.*member); });
}

void WebAppProfile::mergeLiveSettings(const WebAppProfile& old, const WebAppProfile& updated) {
    forEachLiveField([&](auto member) {
        if (liveValue(old.*member) != liveValue(updated.*member)) this->*member = liveValue(updated.*member);
    });
}

void to_json(nlohmann::json& json, const WebAppProfile& profile) {
    json = nlohmann::json::object();
    forEachField([&](const char* key, auto member, FieldSet) { writeField(json, key, profile.*member); });
}

void from_json(const nlohmann::json& json, WebAppProfile& profile) {
    requireObject(json);
    forEachField([&](const char* key, auto member, FieldSet) { readField(json, key, profile.*member); });
}

}  // namespace quenlith
