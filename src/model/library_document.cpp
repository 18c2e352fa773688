#include "model/library_document.hpp"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "model/address.hpp"
#include "model/json_coding.hpp"
#include "model/library_text.hpp"
#include "model/localization.hpp"
#include "model/record_fields.hpp"
#include "model/text_limits.hpp"

namespace quenlith {

void LibraryDocument::upsert(PageClip clip) {
    auto found = std::find_if(clips.begin(), clips.end(), [&](const PageClip& c) { return c.id == clip.id; });
    if (found != clips.end())
        *found = std::move(clip);
    else
        clips.insert(clips.begin(), std::move(clip));
}

void LibraryDocument::recordVisit(std::string_view url, std::string_view title, Date date) {
    std::erase_if(history, [&](const HistoryVisit& visit) {
        return visit.address == url || date.secondsSince(visit.date) > kHistoryLifetimeSeconds;
    });
    history.insert(history.begin(),
                   HistoryVisit{Uuid::random(), std::string(url), prefixCharacters(title, kVisitTitleCharacters), date});
    if (history.size() > kMaximumHistoryVisits) history.resize(kMaximumHistoryVisits);
}

void LibraryDocument::setReadingState(std::optional<ReadingState> state, const Uuid& clipID, const Clock& clock) {
    auto found = std::find_if(clips.begin(), clips.end(), [&](const PageClip& c) { return c.id == clipID; });
    if (found == clips.end()) return;
    found->readingState = state;
    if (!state) found->readingPosition.reset();
    found->modified = clock.now();
}

void LibraryDocument::removeVisit(const Uuid& visitID) {
    std::erase_if(history, [&](const HistoryVisit& visit) { return visit.id == visitID; });
}

void LibraryDocument::removeScene(const Uuid& sceneID) {
    std::erase_if(scenes, [&](const BrowserScene& scene) { return scene.id == sceneID; });
}

void LibraryDocument::renameScene(const Uuid& sceneID, const std::string& name) {
    for (auto& scene : scenes)
        if (scene.id == sceneID) scene.name = name;
}

void LibraryDocument::pruneExpiredHistory(const Clock& clock) {
    std::erase_if(history, [&](const HistoryVisit& visit) {
        return clock.now().secondsSince(visit.date) > kHistoryLifetimeSeconds;
    });
}

bool LibraryDocument::hasExpiredHistory(Date now) const {
    return std::any_of(history.begin(), history.end(), [&](const HistoryVisit& visit) {
        return now.secondsSince(visit.date) > kHistoryLifetimeSeconds;
    });
}

namespace {

constexpr RecordFields kFields{
    field("version", &LibraryDocument::version),
    field("clips", &LibraryDocument::clips),
    field("scenes", &LibraryDocument::scenes),
    field("history", &LibraryDocument::history),
};

}  // namespace

void to_json(Json& json, const LibraryDocument& document) {
    kFields.write(json, document);
}

void from_json(const Json& json, LibraryDocument& document) {
    kFields.read(json, document);
}

Error libraryError(LibraryError error) {
    switch (error) {
    case LibraryError::invalidDocument:
        return Error{kLibraryInvalidDocument,
                     localizedString("This backup is invalid, too large, or from an unsupported version.")};
    case LibraryError::readOnly:
        return Error{kLibraryReadOnly,
                     localizedString("The data file could not be read. Restore the previous backup before editing.")};
    }
    return Error{kLibraryInvalidDocument, ""};
}

namespace {

bool isFiniteBetween(double value, double low, double high) {
    return std::isfinite(value) && value >= low && value <= high;
}

bool isKeepableWebsiteAddress(std::string_view text) {
    auto address = normalizedWebsiteURL(text);
    return address && isCredentialFreeURL(*address);
}

template <typename Record>
bool idsAreDistinct(const std::vector<Record>& records) {
    std::unordered_set<Uuid> seen;
    seen.reserve(records.size());
    for (const auto& record : records)
        if (!seen.insert(record.id).second) return false;
    return true;
}

bool clipIsValid(const PageClip& clip) {
    if (!hasAtMostCharacters(clip.title, kClipTitleCharacters) || !hasAtMostCharacters(clip.text, 200'000) ||
        !hasAtMostCharacters(clip.collection, 100))
        return false;
    auto address = normalizedWebsiteURL(clip.address);
    if (!address) return false;
    if (clip.readingPosition && !isFiniteBetween(*clip.readingPosition, 0.0, 1.0)) return false;
    if (clip.readingState && !isCredentialFreeURL(*address)) return false;
    return true;
}

bool windowIsValid(const SceneWindow& window) {
    if (window.urls.empty() || window.urls.size() > 50) return false;
    if (window.selected < 0 || window.selected >= static_cast<std::int64_t>(window.urls.size())) return false;
    for (const auto& url : window.urls)
        if (!isKeepableWebsiteAddress(url)) return false;
    const auto& frame = window.frame;
    if (!std::isfinite(frame.x) || !std::isfinite(frame.y) || !std::isfinite(frame.width) ||
        !std::isfinite(frame.height) || !std::isfinite(window.opacity))
        return false;
    return frame.width >= 320 && frame.height >= 240 && window.opacity >= 0.35 && window.opacity <= 1.0;
}

bool sceneIsValid(const BrowserScene& scene) {
    if (trimmedWhitespaceAndNewlines(scene.name).empty() || !hasAtMostCharacters(scene.name, 100)) return false;
    if (scene.windows.empty() || scene.windows.size() > 20) return false;
    if (!idsAreDistinct(scene.windows)) return false;
    return std::all_of(scene.windows.begin(), scene.windows.end(), windowIsValid);
}

}  // namespace

std::vector<WindowSessionReference> windowSessionsOf(const LibraryDocument& document) {
    std::vector<WindowSessionReference> sessions;
    for (const auto& clip : document.clips)
        if (clip.windowSession) sessions.push_back(*clip.windowSession);
    for (const auto& scene : document.scenes)
        for (const auto& window : scene.windows)
            if (window.windowSession) sessions.push_back(*window.windowSession);
    return sessions;
}

Status validateLibraryDocument(const LibraryDocument& document) {
    auto invalid = [] { return Status(libraryError(LibraryError::invalidDocument)); };
    if (document.version != 1) return invalid();
    if (document.clips.size() > kMaximumClips || document.scenes.size() > kMaximumScenes ||
        document.history.size() > kMaximumHistoryVisits)
        return invalid();
    if (!idsAreDistinct(document.clips) || !idsAreDistinct(document.scenes)) return invalid();
    if (!std::all_of(document.clips.begin(), document.clips.end(), clipIsValid)) return invalid();
    if (!std::all_of(document.scenes.begin(), document.scenes.end(), sceneIsValid)) return invalid();
    for (const auto& visit : document.history)
        if (!isKeepableWebsiteAddress(visit.address)) return invalid();
    return success();
}

}  // namespace quenlith
