#pragma once

// The texts of page groups: names, counts, the link that opens a group and the name search.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/browser_scene.hpp"

namespace quenlith {

// Longest page group name, in user-perceived characters.
inline constexpr std::size_t kSceneNameLimit = 100;

// A renamed group's name: the typed text trimmed of white space and line breaks, when that has 1
// to 100 characters; else none (the name stays as it was).
std::optional<std::string> renamedSceneName(std::string_view typed);
// Whether a freshly captured group may be saved under the typed name: something is left after
// trimming and the text as typed has at most 100 characters.
bool canSaveSceneName(std::string_view typed);

struct SceneCounts {
    std::int64_t windows = 0;
    std::int64_t pages = 0;  // tab addresses over all windows
    bool operator==(const SceneCounts&) const = default;
};
SceneCounts sceneCounts(const BrowserScene& scene);
// "2 windows · 7 pages", localised.
std::string sceneCountsText(const BrowserScene& scene);

// "quenlith://workspace?id=" with the id in upper case: the link that opens the group.
std::string sceneLink(const Uuid& id);

// The groups in stored order; with a query, only those whose name contains it, ignoring case.
std::vector<BrowserScene> filteredScenes(const std::vector<BrowserScene>& scenes, std::string_view query);

}  // namespace quenlith
