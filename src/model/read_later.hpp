#pragma once

#include <optional>
#include <string>
#include <vector>

#include "model/clock.hpp"
#include "model/page_clip.hpp"

namespace quenlith {

// The longest title a Read Later entry takes from its page, in characters.
inline constexpr std::size_t kReadLaterTitleLimit = 500;

// The Read Later entry to save for a page read in a window: the first clip that is the saved form
// of the page in that website and session, updated, else a new one. The entry is unread, keeps a
// title it already has (else takes the page's, cut to 500 characters) and takes the reading
// position clamped to 0 to 1 (none when none or not finite was read).
PageClip readLaterEntry(const std::vector<PageClip>& clips, const std::string& url, const std::string& title,
                        std::optional<double> position, const std::optional<Uuid>& profileID,
                        const std::optional<WindowSessionReference>& windowSession, Date now);

}  // namespace quenlith
