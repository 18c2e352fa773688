#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "model/browser_scene.hpp"
#include "model/clock.hpp"
#include "model/history_visit.hpp"
#include "model/page_clip.hpp"
#include "model/result.hpp"

namespace quenlith {

// Limits of the library, checked by validation.
inline constexpr std::size_t kMaximumClips = 5'000;
inline constexpr std::size_t kMaximumScenes = 100;
inline constexpr std::size_t kMaximumHistoryVisits = 1'000;
inline constexpr double kHistoryLifetimeSeconds = 2'592'000;  // 30 days
inline constexpr std::size_t kVisitTitleCharacters = 500;
inline constexpr std::size_t kClipTitleCharacters = 500;

// The content of library.json and of a backup's "library".
struct LibraryDocument {
    std::int64_t version = 1;
    std::vector<PageClip> clips;
    std::vector<BrowserScene> scenes;
    std::vector<HistoryVisit> history;  // newest first

    bool operator==(const LibraryDocument&) const = default;

    // Replaces the clip with the same id where it stands, else puts the clip first.
    void upsert(PageClip clip);
    // One visit: earlier visits of the same address and visits over 30 days older than `date`
    // go, the new visit comes first, and at most 1,000 remain.
    void recordVisit(std::string_view url, std::string_view title, Date date);
    // Sets a clip's Read Later state (leaving Read Later also clears the reading position) and
    // its modification time.
    void setReadingState(std::optional<ReadingState> state, const Uuid& clipID, const Clock& clock = systemClock());
    void removeVisit(const Uuid& visitID);
    // Removes every page group with that id; the others keep their order.
    void removeScene(const Uuid& sceneID);
    // Names the page group with that id (its place and modification date stay); nothing when
    // there is none.
    void renameScene(const Uuid& sceneID, const std::string& name);
    // Removes visits more than 30 days old; visits dated in the future stay.
    void pruneExpiredHistory(const Clock& clock = systemClock());
    // True when some visit is more than 30 days older than `now`.
    bool hasExpiredHistory(Date now) const;
};

void to_json(nlohmann::json& json, const LibraryDocument& document);
void from_json(const nlohmann::json& json, LibraryDocument& document);

// Errors of the library file and of backups.
enum class LibraryError { invalidDocument, readOnly };

inline constexpr const char* kLibraryInvalidDocument = "library.invalidDocument";
inline constexpr const char* kLibraryReadOnly = "library.readOnly";

// The error value with its stable code and localised description.
Error libraryError(LibraryError error);

// The window sessions the library names: its saved pages' and its page groups' windows', in order.
std::vector<WindowSessionReference> windowSessionsOf(const LibraryDocument& document);

// Checks every rule a stored or imported library must meet, in order, stopping at the first
// failure (LibraryError::invalidDocument). Never repairs anything.
Status validateLibraryDocument(const LibraryDocument& document);

}  // namespace quenlith
