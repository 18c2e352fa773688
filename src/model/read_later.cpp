#include "model/read_later.hpp"

#include <algorithm>
#include <cmath>

#include "model/text_limits.hpp"

namespace quenlith {

PageClip readLaterEntry(const std::vector<PageClip>& clips, const std::string& url, const std::string& title,
                        std::optional<double> position, const std::optional<Uuid>& profileID,
                        const std::optional<WindowSessionReference>& windowSession, Date now) {
    auto found = std::find_if(clips.begin(), clips.end(), [&](const PageClip& clip) {
        return clip.matches(url, profileID, windowSession);
    });
    PageClip entry;
    if (found != clips.end()) {
        entry = *found;
    } else {
        entry.id = Uuid::random();
        entry.address = url;
        entry.modified = now;
        entry.profileID = profileID;
    }
    entry.windowSession = windowSession;
    if (entry.title.empty()) entry.title = prefixCharacters(title, kReadLaterTitleLimit);
    entry.readingState = ReadingState::unread;
    if (position && std::isfinite(*position))
        entry.readingPosition = std::clamp(*position, 0.0, 1.0);
    else
        entry.readingPosition = std::nullopt;
    return entry;
}

}  // namespace quenlith
