#include "model/page_group_text.hpp"

#include "model/library_query.hpp"
#include "model/library_text.hpp"
#include "model/localization.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

std::optional<std::string> renamedSceneName(std::string_view typed) {
    std::string trimmed = trimmedWhitespaceAndNewlines(typed);
    if (trimmed.empty() || !hasAtMostCharacters(trimmed, kSceneNameLimit)) return std::nullopt;
    return trimmed;
}

bool canSaveSceneName(std::string_view typed) {
    return !trimmedWhitespaceAndNewlines(typed).empty() && hasAtMostCharacters(typed, kSceneNameLimit);
}

SceneCounts sceneCounts(const BrowserScene& scene) {
    SceneCounts counts;
    counts.windows = static_cast<std::int64_t>(scene.windows.size());
    for (const auto& window : scene.windows) counts.pages += static_cast<std::int64_t>(window.urls.size());
    return counts;
}

std::string sceneCountsText(const BrowserScene& scene) {
    SceneCounts counts = sceneCounts(scene);
    return localizedPlural("%ld window", "%ld windows", counts.windows) + " · " +
           localizedPlural("%ld page", "%ld pages", counts.pages);
}

std::string sceneLink(const Uuid& id) {
    return "quenlith://workspace?id=" + id.string();
}

std::vector<BrowserScene> filteredScenes(const std::vector<BrowserScene>& scenes, std::string_view query) {
    const LibraryQuery search(query);
    if (search.empty()) return scenes;
    std::vector<BrowserScene> shown;
    for (const auto& scene : scenes)
        if (search.isContainedIn(scene.name)) shown.push_back(scene);
    return shown;
}

}  // namespace quenlith
