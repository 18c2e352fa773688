#include "model/restorable_window.hpp"

#include <cmath>
#include <unordered_map>

#include "model/address.hpp"
#include "model/address_limit.hpp"
#include "model/json_coding.hpp"
#include "model/record_fields.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

namespace {

constexpr RecordFields kTabFields{
    field("address", &RestorableTab::address),
    field("title", &RestorableTab::title),
    field("startPage", &RestorableTab::startPage),
    field("sleeping", &RestorableTab::sleeping),
    field("readingPosition", &RestorableTab::readingPosition),
};

constexpr RecordFields kWebsiteLinkFields{
    field("profileID", &RestorableWebsiteLink::profileID),
    field("tabIndex", &RestorableWebsiteLink::tabIndex),
};

constexpr RecordFields kWindowFields{
    field("id", &RestorableWindow::id),
    field("savedProfileID", &RestorableWindow::savedProfileID),
    field("temporaryProfile", &RestorableWindow::temporaryProfile),
    field("tabs", &RestorableWindow::tabs),
    field("selected", &RestorableWindow::selected),
    field("frame", &RestorableWindow::frame),
    field("visible", &RestorableWindow::visible),
    field("minimized", &RestorableWindow::minimized),
    field("edge", &RestorableWindow::edge),
    field("isMainBrowser", &RestorableWindow::isMainBrowser),
    field("websiteLinks", &RestorableWindow::websiteLinks),
};

}  // namespace

void to_json(Json& json, const RestorableTab& tab) {
    kTabFields.write(json, tab);
}

void from_json(const Json& json, RestorableTab& tab) {
    kTabFields.read(json, tab);
}

void to_json(Json& json, const RestorableWebsiteLink& link) {
    kWebsiteLinkFields.write(json, link);
}

void from_json(const Json& json, RestorableWebsiteLink& link) {
    kWebsiteLinkFields.read(json, link);
}

void to_json(Json& json, const RestorableWindow& window) {
    kWindowFields.write(json, window);
}

void from_json(const Json& json, RestorableWindow& window) {
    kWindowFields.read(json, window);
}

namespace {

// Whether a tab's stored address may be restored. Snapshots are written after every change and
// mostly repeat the same addresses, so the answers of these pure checks are remembered (a bounded
// table, emptied when full).
bool isRestorableAddress(const std::string& address) {
    // Checked before the table, which would otherwise keep a copy of it.
    if (!isWithinAddressLimit(address)) return false;
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
