#include "model/browser_runtime_store.hpp"

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include "model/address.hpp"
#include "model/suggested_website.hpp"

namespace quenlith {
namespace {

WebsiteActivity activityOf(const RuntimeTab& tab, BrowserWindowState state) {
    if (tab.isSleeping) return WebsiteActivity::sleeping;
    switch (state) {
        case BrowserWindowState::tucked: return WebsiteActivity::tucked;
        case BrowserWindowState::visible:
            return tab.isSelected ? WebsiteActivity::visible : WebsiteActivity::background;
        case BrowserWindowState::hidden: return WebsiteActivity::hidden;
        case BrowserWindowState::minimized: return WebsiteActivity::minimized;
    }
    return WebsiteActivity::hidden;
}

// The most present activity wins.
constexpr std::array<WebsiteActivity, 6> kActivityPriority = {
    WebsiteActivity::visible, WebsiteActivity::background, WebsiteActivity::tucked,
    WebsiteActivity::hidden,  WebsiteActivity::minimized,  WebsiteActivity::sleeping};

// The windows as they would be without their titles and their tabs' titles.
std::vector<RuntimeWindow> untitled(std::vector<RuntimeWindow> windows) {
    for (auto& window : windows) {
        window.title.clear();
        for (auto& tab : window.tabs) tab.title.clear();
    }
    return windows;
}

}  // namespace

void BrowserRuntimeStore::update(std::vector<RuntimeWindow> windows) {
    std::stable_sort(windows.begin(), windows.end(),
                     [](const RuntimeWindow& a, const RuntimeWindow& b) { return a.sequence < b.sequence; });
    if (windows == windows_) return;
    if (untitled(windows) != untitled(windows_)) ++presenceRevision_;
    windows_ = std::move(windows);
    changed_.emit();
}

int BrowserRuntimeStore::pageCount() const {
    int count = 0;
    for (const auto& window : windows_)
        count += static_cast<int>(std::count_if(window.tabs.begin(), window.tabs.end(),
                                                [](const RuntimeTab& tab) { return !tab.isStartPage; }));
    return count;
}

WebsiteActivity BrowserRuntimeStore::activity(std::string_view address, const std::optional<Uuid>& websiteID,
                                              bool sharedStoreOnly,
                                              const std::optional<Uuid>& sessionIdentifier) const {
    // Website addresses are typed text: the same normaliser that opens them reads them here.
    auto website = normalizedWebsiteURL(address);
    if (!website) return WebsiteActivity::closed;

    std::set<WebsiteActivity> found;
    for (const auto& window : windows_) {
        if (window.isPrivate) continue;
        if (sessionIdentifier) {
            if (window.sessionIdentifier != sessionIdentifier) continue;
        } else if (websiteID && window.profileID != websiteID) {
            continue;
        }
        if (sharedStoreOnly && window.sessionIdentifier) continue;
        for (const auto& tab : window.tabs) {
            if (tab.isStartPage || !tab.url) continue;
            if (!SuggestedWebsite::hostMatches(*tab.url, *website)) continue;
            found.insert(activityOf(tab, window.state));
        }
    }
    for (auto activity : kActivityPriority)
        if (found.contains(activity)) return activity;
    return WebsiteActivity::closed;
}

}  // namespace quenlith
