#include "model/link_suggestions.hpp"

#include <set>

#include "model/address.hpp"
#include "model/deduplication.hpp"

namespace quenlith {

std::vector<LinkSuggestion> linkSuggestions(const std::vector<RuntimeWindow>& windows,
                                            const std::vector<WebAppProfile>& websites,
                                            const std::vector<PageClip>& clips) {
    std::vector<LinkSuggestion> suggestions;
    std::set<std::string> seen;
    auto offer = [&](const std::string& title, const std::string& url) {
        if (suggestions.size() < kLinkSuggestionLimit && seen.insert(deduplicationKey(url)).second)
            suggestions.push_back({title, url});
    };
    for (const auto& window : windows) {
        if (window.isPrivate) continue;
        for (const auto& tab : window.tabs)
            if (!tab.isStartPage && tab.url && isCredentialFreeURL(*tab.url)) offer(tab.title, *tab.url);
    }
    // Saved websites are the user's own choice: they are not put through the credential test.
    for (const auto& website : websites)
        if (auto url = normalizedWebsiteURL(website.homeURL)) offer(website.name, *url);
    for (const auto& clip : clips)
        if (auto url = normalizedWebsiteURL(clip.address); url && isCredentialFreeURL(*url))
            offer(clip.title, *url);
    return suggestions;
}

}  // namespace quenlith
