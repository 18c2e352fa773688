#include "model/runtime_website_links.hpp"

#include <algorithm>
#include <string>

#include <glib.h>

#include "model/address.hpp"
#include "model/suggested_website.hpp"
#include "model/uri_components.hpp"

namespace quenlith {
namespace {

struct SchemeAndPort {
    std::optional<std::string> scheme;
    int port = -1;  // -1: none written
    bool operator==(const SchemeAndPort&) const = default;
};

std::optional<SchemeAndPort> schemeAndPort(const std::string& address) {
    auto parts = parseUri(address);
    if (!parts) return std::nullopt;
    return SchemeAndPort{parts->scheme, parts->port};
}

bool sameSite(const std::string& tabAddress, const std::string& homeAddress) {
    auto tab = schemeAndPort(tabAddress);
    auto home = schemeAndPort(homeAddress);
    return tab && home && *tab == *home && SuggestedWebsite::hostMatches(tabAddress, homeAddress);
}

}  // namespace

std::set<Uuid> WebsiteWindowLinks::profileIDs(const Uuid& windowID) const {
    std::set<Uuid> ids;
    for (const auto& [profileID, target] : targets)
        if (target.windowID == windowID) ids.insert(profileID);
    return ids;
}

std::optional<WebsiteWindowTarget> WebsiteWindowLinks::target(const RuntimeWindow& window,
                                                              const std::optional<Uuid>& preferredTabID) {
    if (window.tabs.empty()) return std::nullopt;
    const RuntimeTab* chosen = nullptr;
    if (preferredTabID) {
        auto found = std::find_if(window.tabs.begin(), window.tabs.end(),
                                  [&](const RuntimeTab& tab) { return tab.id == *preferredTabID; });
        if (found != window.tabs.end()) chosen = &*found;
    }
    if (!chosen) {
        auto selected = std::find_if(window.tabs.begin(), window.tabs.end(),
                                     [](const RuntimeTab& tab) { return tab.isSelected; });
        chosen = selected != window.tabs.end() ? &*selected : &window.tabs.front();
    }
    return WebsiteWindowTarget{window.id, chosen->id};
}

std::optional<WebsiteWindowTarget> WebsiteWindowLinks::target(
    const WebAppProfile& website, const std::optional<Uuid>& dataStoreIdentifier,
    const std::vector<RuntimeWindow>& windows) const {
    std::vector<const RuntimeWindow*> candidates;
    for (const auto& window : windows)
        if (!window.isPrivate && window.sessionIdentifier == dataStoreIdentifier)
            candidates.push_back(&window);
    std::stable_sort(
        candidates.begin(), candidates.end(),
        [](const RuntimeWindow* a, const RuntimeWindow* b) { return a->sequence < b->sequence; });

    if (auto existing = targets.find(website.id); existing != targets.end()) {
        for (const auto* window : candidates)
            if (window->id == existing->second.windowID) return target(*window, existing->second.tabID);
    }

    for (const auto* window : candidates)
        if (window->id == website.id) return target(*window, std::nullopt);
    for (const auto* window : candidates)
        if (window->profileID == website.id) return target(*window, std::nullopt);

    auto home = normalizedWebsiteURL(website.homeURL);
    if (!home) return std::nullopt;
    const std::string homeForm = SuggestedWebsite::canonicalAddress(*home);
    auto firstTab = [&](auto&& matches) -> std::optional<WebsiteWindowTarget> {
        for (const auto* window : candidates)
            for (const auto& tab : window->tabs)
                if (!tab.isStartPage && tab.url && matches(*tab.url))
                    return WebsiteWindowTarget{window->id, tab.id};
        return std::nullopt;
    };
    if (auto exact = firstTab(
            [&](const std::string& url) { return SuggestedWebsite::canonicalAddress(url) == homeForm; }))
        return exact;
    return firstTab([&](const std::string& url) { return sameSite(url, *home); });
}

void WebsiteWindowLinks::update(const std::vector<RuntimeWindow>& windows) {
    for (auto it = targets.begin(); it != targets.end();) {
        auto window = std::find_if(windows.begin(), windows.end(),
                                   [&](const RuntimeWindow& w) { return w.id == it->second.windowID; });
        std::optional<WebsiteWindowTarget> next;
        if (window != windows.end() && !window->isPrivate) next = target(*window, it->second.tabID);
        if (next) {
            it->second = *next;
            ++it;
        } else {
            it = targets.erase(it);
        }
    }
}

void WebsiteWindowLinks::remove(const Uuid& profileID) {
    targets.erase(profileID);
}

void WebsiteWindowLinks::removeWindow(const Uuid& windowID) {
    std::erase_if(targets, [&](const auto& entry) { return entry.second.windowID == windowID; });
}

std::vector<RestorableWebsiteLink> WebsiteWindowLinks::restorableLinks(const Uuid& windowID,
                                                                       const std::vector<Uuid>& tabIDs) const {
    std::vector<RestorableWebsiteLink> links;
    for (const auto& [profileID, target] : targets) {
        if (target.windowID != windowID) continue;
        auto tab = std::find(tabIDs.begin(), tabIDs.end(), target.tabID);
        if (tab == tabIDs.end()) continue;
        links.push_back(RestorableWebsiteLink{profileID, static_cast<std::int64_t>(tab - tabIDs.begin())});
    }
    std::sort(links.begin(), links.end(), [](const RestorableWebsiteLink& a, const RestorableWebsiteLink& b) {
        return a.profileID.string() < b.profileID.string();
    });
    return links;
}

}  // namespace quenlith
