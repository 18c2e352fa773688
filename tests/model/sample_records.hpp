#pragma once

// Valid records for tests: the `full...` ones have every optional field present and every field
// away from its default; the others are minimal and each test changes the field it is about.

#include <ostream>
#include <string>
#include <string_view>

#include "model/app_preferences.hpp"
#include "model/browser_session.hpp"
#include "model/json_coding.hpp"
#include "model/library_document.hpp"
#include "model/web_app_profile.hpp"
#include "model/website_save_telling.hpp"

namespace quenlith {

// Readable failures for the records compared whole.
inline void PrintTo(const WebAppProfile& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const AppPreferences& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const LibraryDocument& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const PageClip& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const RestorableWindow& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const BrowserSessionDocument& v, std::ostream* out) { *out << Json(v).dump(); }
inline void PrintTo(const SaveFailureNotice& v, std::ostream* out) {
    *out << v.title << " / " << v.message;
}

}  // namespace quenlith

namespace quenlith::test {

inline std::string repeated(std::string_view unit, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) text += unit;
    return text;
}

inline BrowserProxySettings socksProxy() {
    BrowserProxySettings proxy;
    proxy.kind = BrowserProxyKind::socks5;
    proxy.host = "127.0.0.1";
    proxy.port = 1080;
    proxy.username = "alice";
    proxy.usesAuthentication = true;
    proxy.credentialID = "4C1D6F5E-2B3A-4C5D-8E9F-0A1B2C3D4E5F";
    return proxy;
}

inline WebAppProfile website(std::string name, std::string home, bool favorite = true) {
    WebAppProfile profile;
    profile.name = std::move(name);
    profile.homeURL = std::move(home);
    profile.isFavorite = favorite;
    return profile;
}

inline WebAppProfile fullProfile() {
    WebAppProfile p = website("Mail", "https://mail.example", false);
    p.iconURL = "https://mail.example/icon.png";
    p.alwaysOnTop = p.followAcrossSpaces = p.rememberLastURL = p.rememberWindowFrame = false;
    p.opacity = 0.8;
    p.zoomLevel = 1.25;
    p.compactMode = p.launchAtStartup = p.wasVisible = true;
    p.lastURL = "https://mail.example/inbox";
    p.customUserAgent = "Test/1.0";
    p.autoReloadInterval = 60;
    p.globalShortcut = ShortcutConfiguration{0x28, 0x0900};
    p.windowFrame = CodableRect{10, 20, 480, 720, 42};
    p.sortOrder = -7;
    p.menuBarIconEnabled = p.isolatedAccount = p.edgeTuckEnabled = p.applicationLinkEnabled = true;
    p.trackerBlockingEnabled = p.keepAwakeEnabled = false;
    p.sessionIdentifier = Uuid::random();
    p.accountName = "Work";
    p.siteProxy = socksProxy();
    p.linkedApplications = std::vector<LinkedApplication>{{"org.gnome.Terminal.desktop", "Terminal"}};
    return p;
}

inline AppPreferences fullPreferences() {
    AppPreferences p;
    p.showDockIcon = p.restoreWindows = p.defaultCompact = true;
    p.searchEngine = SearchEngine::duckDuckGo;
    p.linkBehavior = LinkBehavior::external;
    p.closeBehavior = CloseBehavior::release;
    p.theme = AppTheme::system;
    p.defaultOpacity = 0.75;
    p.defaultWidth = 640;
    p.defaultHeight = 900;
    p.pinShortcut = ShortcutConfiguration{0x23, kCommandModifier | kOptionModifier};
    p.compactShortcut = ShortcutConfiguration{0x08, kCommandModifier | kOptionModifier};
    p.launcherShortcut = ShortcutConfiguration{0x31, kControlModifier};
    p.proxy = socksProxy();
    p.historyEnabled = p.applicationLinksEnabled = true;
    p.backgroundSleepMinutes = 30;
    p.isolateNewWindows = false;
    AdFilterSettings filter;
    filter.enabled = true;
    filter.allowedSites = {"Z.example", "not a host"};  // stored as given, cleaned when read
    filter.blockedDomains = {"ads.test"};
    p.adFilter = filter;
    return p;
}

inline PageClip makeClip(std::string address = "https://example.com/article", std::string title = "Article") {
    PageClip clip;
    clip.id = Uuid::random();
    clip.title = std::move(title);
    clip.address = std::move(address);
    clip.text = "excerpt";
    clip.modified = Date{700000000.25};
    return clip;
}

inline SceneWindow makeSceneWindow() {
    SceneWindow window;
    window.id = Uuid::random();
    window.name = "Window";
    window.urls = {"https://example.com/", "https://example.org/page"};
    window.selected = 1;
    window.frame = CodableRect{10, 20, 800, 600, 1u};
    window.opacity = 0.9;
    window.onTop = true;
    return window;
}

inline BrowserScene makeScene(std::string name = "Morning") {
    return BrowserScene{Uuid::random(), std::move(name), {makeSceneWindow()}, Date{700000100.5}};
}

inline HistoryVisit makeVisit(std::string address, Date date) {
    return HistoryVisit{Uuid::random(), std::move(address), "Visited", date};
}

inline RestorableTab webTab(std::string address, std::string title = "Page") {
    return RestorableTab{std::move(address), std::move(title), false, false, std::nullopt};
}

inline RestorableTab startTab() { return RestorableTab{std::nullopt, "Start", true, false, std::nullopt}; }

inline RestorableWindow makeWindow(std::size_t tabs = 2) {
    RestorableWindow window;
    window.id = Uuid::random();
    window.frame = CodableRect{0, 0, 800, 600, 7u};
    for (std::size_t i = 0; i < tabs; ++i) window.tabs.push_back(webTab("https://example.com/" + std::to_string(i)));
    return window;
}

inline BrowserSessionDocument makeSession(std::size_t windows, std::size_t tabs) {
    BrowserSessionDocument document;
    for (std::size_t i = 0; i < windows; ++i) document.windows.push_back(makeWindow(tabs));
    if (!document.windows.empty()) document.activeWindow = document.windows[0].id;
    return document;
}

}  // namespace quenlith::test
