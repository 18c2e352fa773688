#include "model/restorable_window.hpp"

#include <cmath>
#include <unordered_map>

#include "model/address.hpp"
#include "model/json_coding.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

void to_json(Json& json, const RestorableTab& tab) {
    json = Json::object();
    writeOptional(json, "address", tab.address);
    json["title"] = tab.title;
    json["startPage"] = tab.startPage;
    json["sleeping"] = tab.sleeping;
    writeOptional(json, "readingPosition", tab.readingPosition);
}

void from_json(const Json& json, RestorableTab& tab) {
    requireObject(json);
    readOptional(json, "address", tab.address);
    readRequired(json, "title", tab.title);
    readRequired(json, "startPage", tab.startPage);
    readRequired(json, "sleeping", tab.sleeping);
    readOptional(json, "readingPosition", tab.readingPosition);
}

void to_json(Json& json, const RestorableWebsiteLink& link) {
    json = Json::object();
    json["profileID"] = link.profileID;
    json["tabIndex"] = link.tabIndex;
}

void from_json(const Json& json, RestorableWebsiteLink& link) {
    requireObject(json);
    readRequired(json, "profileID", link.profileID);
    readRequired(json, "tabIndex", link.tabIndex);
}

void to_json(Json& json, const RestorableWindow& window) {
    json = Json::object();
    json["id"] = window.id;
    writeOptional(json, "savedProfileID", window.savedProfileID);
    writeOptional(json, "temporaryProfile", window.temporaryProfile);
    json["tabs"] = window.tabs;
    json["selected"] = window.selected;
    json["frame"] = window.frame;
    json["visible"] = window.visible;
    json["minimized"] = window.minimized;
    writeOptional(json, "edge", window.edge);
    json["isMainBrowser"] = window.isMainBrowser;
    writeOptional(json, "websiteLinks", window.websiteLinks);
}

void from_json(const Json& json, RestorableWindow& window) {
    requireObject(json);
    readRequired(json, "id", window.id);
    readOptional(json, "savedProfileID", window.savedProfileID);
    readOptional(json, "temporaryProfile", window.temporaryProfile);
    readRequired(json, "tabs", window.tabs);
    readRequired(json, "selected", window.selected);
    readRequired(json, "frame", window.frame);
    readRequired(json, "visible", window.visible);
    readRequired(json, "minimized", window.minimized);
    readOptional(json, "edge", window.edge);
    readRequired(json, "isMainBrowser", window.isMainBrowser);
    readOptional(json, "websiteLinks", window.websiteLinks);
}

namespace {

// Whether a tab's stored address may be restored. Snapshots are written after every change and
// mostly repeat the same addresses, so the answers of these pure checks are remembered (a bounded
// table, emptied when full).
bool isRestorableAddress(const std::string& address) {
    thread_local std::unordered_map<std::string, bool> answers;
    if (auto found = answers.find(address); found != answers.end()) return found->second;
    auto normalized = normalizedWebsiteURL(address);
    bool restorable = normalized && isCredentialFreeURL(*normalized);
    if (answers.size() >= 8192) answers.clear();
    answers.emplace(address, restorable);
    return restorable;
}

}  // namespace

std::optional<RestorableWindow> RestorableWindow::sanitized() const {
    if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !std::isfinite(frame.width) ||
        !std::isfinite(frame.height) || frame.width < 320 || frame.height < 240)
        return std::nullopt;

    RestorableWindow result = *this;
    result.tabs.clear();
    std::vector<std::int64_t> formerIndexes;  // of each used tab, by new position
    for (std::size_t index = 0; index < tabs.size() && result.tabs.size() < kMaximumRestorableTabs; ++index) {
        const auto& tab = tabs[index];
        bool keep = tab.startPage;
        if (!keep && tab.address) keep = isRestorableAddress(*tab.address);
        if (!keep) continue;
        RestorableTab cleaned = tab;
        cleaned.title = prefixCharacters(tab.title, kRestorableTitleCharacters);
        if (cleaned.startPage) {
            cleaned.address.reset();
            cleaned.readingPosition.reset();
        } else if (cleaned.readingPosition &&
                   !(std::isfinite(*cleaned.readingPosition) && *cleaned.readingPosition >= 0.0 &&
                     *cleaned.readingPosition <= 1.0)) {
            cleaned.readingPosition.reset();
        }
        result.tabs.push_back(std::move(cleaned));
        formerIndexes.push_back(static_cast<std::int64_t>(index));
    }
    if (result.tabs.empty()) return std::nullopt;

    auto newPosition = [&](std::int64_t former) -> std::optional<std::int64_t> {
        for (std::size_t position = 0; position < formerIndexes.size(); ++position)
            if (formerIndexes[position] == former) return static_cast<std::int64_t>(position);
        return std::nullopt;
    };

    if (websiteLinks) {
        std::vector<RestorableWebsiteLink> links;
        std::size_t considered = std::min(websiteLinks->size(), kMaximumWebsiteLinks);
        for (std::size_t i = 0; i < considered; ++i) {
            if (auto position = newPosition((*websiteLinks)[i].tabIndex))
                links.push_back(RestorableWebsiteLink{(*websiteLinks)[i].profileID, *position});
        }
        result.websiteLinks = std::move(links);
    }
    result.selected = newPosition(selected).value_or(0);

    if (result.temporaryProfile) {
        auto& profile = *result.temporaryProfile;
        profile.homeURL = "";
        profile.lastURL.reset();
        profile.iconURL.reset();
        profile.linkedApplications.reset();
        profile.applicationLinkEnabled.reset();
        profile.globalShortcut.reset();
        profile.launchAtStartup = false;
        profile.normalize();
    }
    return result;
}

}  // namespace quenlith
