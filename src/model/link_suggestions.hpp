#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "model/page_clip.hpp"
#include "model/runtime_window.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// An address offered in "Open Multiple Links", with the title it is shown by.
struct LinkSuggestion {
    std::string title;
    std::string url;
    bool operator==(const LinkSuggestion&) const = default;
};

inline constexpr std::size_t kLinkSuggestionLimit = 40;

// The suggestions of "Open Multiple Links": the open tabs of windows that are not private (no
// start pages, no addresses carrying credentials), then the saved websites' home addresses, then
// the saved pages' addresses (credential-free); a page already offered is not offered again, and
// at most the first 40 are kept.
std::vector<LinkSuggestion> linkSuggestions(const std::vector<RuntimeWindow>& windows,
                                            const std::vector<WebAppProfile>& websites,
                                            const std::vector<PageClip>& clips);

}  // namespace quenlith
