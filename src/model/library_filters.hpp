#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "model/history_visit.hpp"
#include "model/library_query.hpp"
#include "model/page_clip.hpp"

namespace quenlith {

// The lists the library window derives from the library on every change. They point into the
// document they were made from and are made again whenever it changes.

// True when the query is empty or one of `texts` contains it.
bool matchesQuery(const LibraryQuery& query, std::initializer_list<std::string_view> texts);

// Every saved page whose collection is exactly `folder` (all while it is empty) and whose title,
// excerpt, address or collection contains the query; newest change first, equal times in stored
// order.
std::vector<const PageClip*> filteredClips(const std::vector<PageClip>& clips, std::string_view folder,
                                           const LibraryQuery& query);

// The Read Later entries in `state` whose title, address or collection contains the query (the
// excerpt is not searched); newest change first, equal times in stored order.
std::vector<const PageClip*> readLaterClips(const std::vector<PageClip>& clips, ReadingState state,
                                            const LibraryQuery& query);

// The number of unread entries, whatever is searched or shown.
std::size_t unreadCount(const std::vector<PageClip>& clips);

// The distinct non-empty collection names, in code-point order (case-sensitive, not by locale).
std::vector<std::string> collectionNames(const std::vector<PageClip>& clips);

// The positions of the visits whose title or address contains the query, in stored order. Rows
// are told apart by position, so two visits with one id still open the one that was clicked.
std::vector<std::size_t> filteredHistory(const std::vector<HistoryVisit>& history, const LibraryQuery& query);

}  // namespace quenlith
