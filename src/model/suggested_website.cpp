#include "model/suggested_website.hpp"


#include "model/address_text.hpp"
#include "model/uri_components.hpp"

namespace quenlith {

namespace {

// The host of an address as the parser reads it; empty when it has none or does not parse.
std::string hostOf(std::string_view address) {
    return uriHost(address).value_or("");
}

}  // namespace

const std::vector<SuggestedWebsite>& SuggestedWebsite::all() {
    static const std::vector<SuggestedWebsite> rows = {
        {"google", "Google", "https://www.google.com", "web-browser-symbolic", 0x4285F4},
        {"youtube", "YouTube", "https://www.youtube.com", "video-x-generic-symbolic", 0xFF0000},
        {"wikipedia", "Wikipedia", "https://www.wikipedia.org", "accessories-dictionary-symbolic", 0x636466},
        {"github", "GitHub", "https://github.com", "applications-engineering-symbolic", 0x24292F},
        {"gmail", "Gmail", "https://mail.google.com", "mail-unread-symbolic", 0xEA4335},
        {"outlook", "Outlook", "https://outlook.live.com", "mail-send-symbolic", 0x0078D4},
        {"calendar", "Google Calendar", "https://calendar.google.com", "x-office-calendar-symbolic",
         0x1A73E8},
        {"translate", "Google Translate", "https://translate.google.com",
         "preferences-desktop-locale-symbolic", 0x4285F4},
        {"notion", "Notion", "https://www.notion.so", "accessories-text-editor-symbolic", 0x191919},
        {"reddit", "Reddit", "https://www.reddit.com", "system-users-symbolic", 0xFF4500},
        {"bilibili", "Bilibili", "https://www.bilibili.com", "media-playback-start-symbolic", 0x00A1D6},
        {"zhihu", "Zhihu", "https://www.zhihu.com", "dialog-question-symbolic", 0x1772F6},
    };
    return rows;
}

std::string SuggestedWebsite::canonicalAddress(std::string_view address) {
    std::string text(address);
    auto parts = splitUri(text);
    if (!parts) return text;
    // The parser lower-cases the scheme; the written scheme is kept as it was.
    if (parts->scheme) {
        std::string writtenScheme = text.substr(0, parts->scheme->size());
        if (asciiLowercased(writtenScheme) == *parts->scheme) parts->scheme = writtenScheme;
    }
    if (parts->host) parts->host = encodedHost(comparableHost(*parts->host));
    if (parts->path == "/") parts->path.clear();
    return joinUri(*parts).value_or(text);
}

bool SuggestedWebsite::hostMatches(std::string_view pageAddress, std::string_view websiteAddress) {
    std::string website = comparableHost(hostOf(websiteAddress));
    if (website.empty()) return false;
    std::string page = comparableHost(hostOf(pageAddress));
    if (page == website) return true;
    return page.size() > website.size() &&
           page.compare(page.size() - website.size(), website.size(), website) == 0 &&
           page[page.size() - website.size() - 1] == '.';
}

std::optional<SuggestedWebsite> SuggestedWebsite::matching(std::string_view address) {
    std::string host = comparableHost(hostOf(address));
    if (host.empty()) return std::nullopt;
    for (const auto& row : all())
        if (comparableHost(hostOf(row.address)) == host) return row;
    return std::nullopt;
}

}  // namespace quenlith
