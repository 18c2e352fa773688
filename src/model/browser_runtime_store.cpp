#include "model/browser_runtime_store.hpp"

#include <algorithm>
#include <array>
#include <set>
#include <string>

#include <glib.h>

namespace quenlith {
namespace {

// The host as compared between websites and tabs: lower-cased, one leading "www." removed, empty
// when the address has none. Nothing when the text is not an absolute address.
std::optional<std::string> comparableHost(std::string_view address) {
    std::string text(address);
    GUri* uri = g_uri_parse(text.c_str(), static_cast<GUriFlags>(G_URI_FLAGS_ENCODED | G_URI_FLAGS_HAS_PASSWORD),
                            nullptr);
    if (!uri) return std::nullopt;
    std::string host;
    if (const char* raw = g_uri_get_host(uri)) {
        char* lower = g_utf8_strdown(raw, -1);
        host = lower;
        g_free(lower);
    }
    g_uri_unref(uri);
    if (host.starts_with("www.")) host.erase(0, 4);
    return host;
}

// The host of a website address as typed (the scheme may be left out); nothing for text that names
// no web address.
std::optional<std::string> websiteHost(std::string_view address) {
    std::string text(address);
    char* stripped = g_strstrip(g_strdup(text.c_str()));
    text = stripped;
    g_free(stripped);
    if (text.empty()) return std::nullopt;
    for (const char* p = text.c_str(); *p; p = g_utf8_next_char(p))
        if (g_unichar_isspace(g_utf8_get_char(p))) return std::nullopt;
    if (text.find("://") == std::string::npos) text = "https://" + text;
    GUri* uri = g_uri_parse(text.c_str(), static_cast<GUriFlags>(G_URI_FLAGS_ENCODED | G_URI_FLAGS_HAS_PASSWORD),
                            nullptr);
    if (!uri) return std::nullopt;
    std::string scheme = g_uri_get_scheme(uri);
    const char* rawHost = g_uri_get_host(uri);
    std::string host = rawHost ? rawHost : "";
    bool accepted = (scheme == "http" || scheme == "https") && !host.empty() && !g_uri_get_user(uri) &&
                    !g_uri_get_password(uri) &&
                    (host.find_first_of(".:") != std::string::npos || host == "localhost");
    g_uri_unref(uri);
    if (!accepted) return std::nullopt;
    return comparableHost(text);
}

bool hostMatches(const std::string& tabHost, const std::string& websiteHost) {
    if (tabHost == websiteHost) return true;
    return tabHost.size() > websiteHost.size() && tabHost.ends_with(websiteHost) &&
           tabHost[tabHost.size() - websiteHost.size() - 1] == '.';
}

WebsiteActivity activityOf(const RuntimeTab& tab, BrowserWindowState state) {
    if (tab.isSleeping) return WebsiteActivity::sleeping;
    switch (state) {
    case BrowserWindowState::tucked: return WebsiteActivity::tucked;
    case BrowserWindowState::visible: return tab.isSelected ? WebsiteActivity::visible : WebsiteActivity::background;
    case BrowserWindowState::hidden: return WebsiteActivity::hidden;
    case BrowserWindowState::minimized: return WebsiteActivity::minimized;
    }
    return WebsiteActivity::hidden;
}

// The most present activity wins.
constexpr std::array<WebsiteActivity, 6> kActivityPriority = {
    WebsiteActivity::visible, WebsiteActivity::background, WebsiteActivity::tucked,
    WebsiteActivity::hidden,  WebsiteActivity::minimized,  WebsiteActivity::sleeping};

}  // namespace

void BrowserRuntimeStore::update(std::vector<RuntimeWindow> windows) {
    std::stable_sort(windows.begin(), windows.end(),
                     [](const RuntimeWindow& a, const RuntimeWindow& b) { return a.sequence < b.sequence; });
    if (windows == windows_) return;
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
    auto host = websiteHost(address);
    if (!host || host->empty()) return WebsiteActivity::closed;

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
            auto tabHost = comparableHost(*tab.url);
            if (!tabHost || !hostMatches(*tabHost, *host)) continue;
            found.insert(activityOf(tab, window.state));
        }
    }
    for (auto activity : kActivityPriority)
        if (found.contains(activity)) return activity;
    return WebsiteActivity::closed;
}

}  // namespace quenlith
