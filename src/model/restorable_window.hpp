#pragma once

// The records of the session-recovery snapshot: one browser window with its tabs, and the saved
// websites linked to those tabs.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/dock_edge.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

inline constexpr std::size_t kMaximumRestorableTabs = 100;
inline constexpr std::size_t kMaximumWebsiteLinks = 1'000;
inline constexpr std::size_t kRestorableTitleCharacters = 200;

// One tab of a saved window.
struct RestorableTab {
    std::optional<std::string> address;  // absent for the start page
    std::string title;
    bool startPage = false;
    bool sleeping = false;
    std::optional<double> readingPosition;  // scroll position, 0 to 1

    bool operator==(const RestorableTab&) const = default;
};

// A saved website shown in a tab of the window.
struct RestorableWebsiteLink {
    Uuid profileID;
    std::int64_t tabIndex = 0;

    bool operator==(const RestorableWebsiteLink&) const = default;
};

// One browser window of the snapshot.
struct RestorableWindow {
    Uuid id;
    std::optional<Uuid> savedProfileID;
    std::optional<WebAppProfile> temporaryProfile;
    std::vector<RestorableTab> tabs;
    std::int64_t selected = 0;
    CodableRect frame;
    bool visible = true;
    bool minimized = false;
    std::optional<DockEdge> edge;
    bool isMainBrowser = false;
    std::optional<std::vector<RestorableWebsiteLink>> websiteLinks;

    bool operator==(const RestorableWindow&) const = default;

    // The window as it may be restored: no unusable frame, only start pages and keepable website
    // addresses (at most 100 tabs), links and selection renumbered, titles and reading positions
    // cleaned, the temporary website stripped of addresses and links. Nothing when the frame is
    // unusable or no tab is left.
    std::optional<RestorableWindow> sanitized() const;
};

void to_json(nlohmann::json& json, const RestorableTab& tab);
void from_json(const nlohmann::json& json, RestorableTab& tab);
void to_json(nlohmann::json& json, const RestorableWebsiteLink& link);
void from_json(const nlohmann::json& json, RestorableWebsiteLink& link);
void to_json(nlohmann::json& json, const RestorableWindow& window);
void from_json(const nlohmann::json& json, RestorableWindow& window);

}  // namespace quenlith
