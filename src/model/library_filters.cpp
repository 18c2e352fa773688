#include "model/library_filters.hpp"

#include <algorithm>
#include <set>

namespace quenlith {

namespace {

void sortNewestFirst(std::vector<const PageClip*>& clips) {
    std::stable_sort(clips.begin(), clips.end(),
                     [](const PageClip* a, const PageClip* b) { return a->modified > b->modified; });
}

}  // namespace

bool matchesQuery(const LibraryQuery& query, std::initializer_list<std::string_view> texts) {
    if (query.empty()) return true;
    return std::any_of(texts.begin(), texts.end(), [&](std::string_view text) { return query.isContainedIn(text); });
}

std::vector<const PageClip*> filteredClips(const std::vector<PageClip>& clips, std::string_view folder,
                                           const LibraryQuery& query) {
    std::vector<const PageClip*> shown;
    for (const auto& clip : clips) {
        if (!folder.empty() && clip.collection != folder) continue;
        if (matchesQuery(query, {clip.title, clip.text, clip.address, clip.collection})) shown.push_back(&clip);
    }
    sortNewestFirst(shown);
    return shown;
}

std::vector<const PageClip*> readLaterClips(const std::vector<PageClip>& clips, ReadingState state,
                                            const LibraryQuery& query) {
    std::vector<const PageClip*> shown;
    for (const auto& clip : clips)
        if (clip.readingState == state && matchesQuery(query, {clip.title, clip.address, clip.collection}))
            shown.push_back(&clip);
    sortNewestFirst(shown);
    return shown;
}

std::size_t unreadCount(const std::vector<PageClip>& clips) {
    return static_cast<std::size_t>(std::count_if(clips.begin(), clips.end(), [](const PageClip& clip) {
        return clip.readingState == ReadingState::unread;
    }));
}

std::vector<std::string> collectionNames(const std::vector<PageClip>& clips) {
    // UTF-8 byte order is code-point order.
    std::set<std::string> names;
    for (const auto& clip : clips)
        if (!clip.collection.empty()) names.insert(clip.collection);
    return {names.begin(), names.end()};
}

std::vector<std::size_t> filteredHistory(const std::vector<HistoryVisit>& history, const LibraryQuery& query) {
    std::vector<std::size_t> shown;
    for (std::size_t i = 0; i < history.size(); ++i)
        if (matchesQuery(query, {history[i].title, history[i].address})) shown.push_back(i);
    return shown;
}

}  // namespace quenlith
