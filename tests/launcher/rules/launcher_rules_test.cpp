// Launcher size and place, icon cache keys and icon addresses, the letter of a tile, the page
// title of the details lookup and the texts of a running tab.
#include <gtest/gtest.h>

#include <array>

#include "app/status_item_icon.hpp"
#include "browser/engine/favicon_loader.hpp"
#include "browser/engine/website_details.hpp"
#include "launcher/launcher_geometry.hpp"
#include "launcher/running_websites_view.hpp"
#include "ui/site_icon.hpp"

namespace quenlith {
namespace {

TEST(LauncherRules, FrameFitsTheWorkAreaAtThePoint) {
    const std::tuple<LauncherRect, int, int, LauncherRect> cases[] = {  // work area, point, frame
        {{0, 0, 1440, 900}, 1400, 0, {1020, 0, 420, 590}},     // tray at the top right
        {{0, 25, 1440, 875}, 700, 25, {490, 25, 420, 590}},
        {{0, 0, 1440, 900}, 720, 900, {510, 310, 420, 590}},   // tray at the bottom: opens above
        {{0, 0, 1440, 436}, 10, 0, {0, 0, 420, 400}},           // 436 - 36 high, pushed off the left edge
        {{0, 0, 300, 500}, 150, 0, {12, 0, 276, 464}},
        {{0, 0, 10, 20}, 5, 0, {5, 0, 1, 1}},                   // never below 1
        {{0, 0, 10, 20}, 50, 0, {9, 0, 1, 1}},
        {{1440, 0, 1280, 800}, 100, 5000, {1440, 210, 420, 590}},  // a point outside is clamped first
    };
    for (const auto& [area, x, y, frame] : cases)
        EXPECT_EQ(launcherFrame(area, x, y), frame) << x << "," << y;
    // Wider where larger text needs it, as far as the work area goes; never narrower than 420.
    const std::tuple<LauncherRect, int, LauncherRect> wider[] = {  // work area, content width, frame
        {{0, 0, 1440, 900}, 560, {880, 0, 560, 590}},
        {{0, 0, 500, 900}, 560, {24, 0, 476, 590}},
        {{0, 0, 1440, 900}, 300, {1020, 0, 420, 590}},
    };
    for (const auto& [area, contentWidth, frame] : wider)
        EXPECT_EQ(launcherFrame(area, 1400, 0, contentWidth), frame) << contentWidth;
}

TEST(LauncherRules, IconKeysFollowSessionAddressAndProxy) {
    const WebAppProfile shared{.homeURL = "https://Example.com/home"};
    WebAppProfile account = shared;
    account.setIsolatedAccount(true);
    WebAppProfile proxied = account;
    proxied.siteProxy = BrowserProxySettings{.kind = BrowserProxyKind::socks5, .port = 1080};
    const WebAppProfile withIcon{.homeURL = shared.homeURL, .iconURL = "https://cdn.example.com/i.png"};

    EXPECT_EQ(FaviconLoader::key(shared), "shared|https://Example.com/home");
    EXPECT_EQ(FaviconLoader::key(withIcon), "shared|https://cdn.example.com/i.png");
    EXPECT_EQ(FaviconLoader::key(account), account.sessionIdentifier->string() + "|https://Example.com/home");
    EXPECT_NE(FaviconLoader::key(account), FaviconLoader::key(account.newAccountCopy()));
    EXPECT_NE(FaviconLoader::key(proxied), FaviconLoader::key(account));
    proxied.siteProxy->port = 1081;
    EXPECT_NE(FaviconLoader::key(proxied), FaviconLoader::key(account));
    EXPECT_EQ(FaviconLoader::key({.name = "Renamed", .homeURL = shared.homeURL}), FaviconLoader::key(shared));

    struct Case {
        std::string home;
        std::optional<std::string> icon;
        std::optional<std::string> address;
    } cases[] = {
        {"https://example.com:8443/a/b?q=1", std::nullopt, "https://example.com:8443/favicon.ico"},
        {"example.com", std::nullopt, "https://example.com/favicon.ico"},
        {"https://example.com", "https://cdn.example.com/i.png", "https://cdn.example.com/i.png"},
        {"https://example.com/x", "not an address", "https://example.com/favicon.ico"},
        {"has spaces inside", "https://cdn.example.com/i.png", std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FaviconLoader::iconAddress({.homeURL = c.home, .iconURL = c.icon}), c.address) << c.home;
}

TEST(LauncherRules, LetterIsTheFirstCharacterUpperCased) {
    std::pair<std::string, std::string> cases[] = {
        {"mail", "M"}, {"9gag", "9"}, {"", ""}, {"ärger", "Ä"}, {"istanbul", "I"},  // no Turkish dotted I
        {"\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA flag", "\xF0\x9F\x87\xA9\xF0\x9F\x87\xAA"}, {"<b>", "<"},
        {"\xC3\x9F", "SS"}};
    for (const auto& [title, letter] : cases) EXPECT_EQ(siteLetter(title), letter) << title;
}

TEST(LauncherRules, PageTitleIsReadLikeTheDetailsLookup) {
    std::pair<std::string, std::optional<std::string>> cases[] = {
        {"<html><TITLE lang='en'>\n  Hello &amp; &quot;you&quot; &#39;all&#39; &lt;3\n</TITLE>", "Hello & \"you\" 'all' &lt;3"},
        {"<title></title>", ""},
        {"<p>no title</p>", std::nullopt},
        {"<title>unterminated", std::nullopt},
        {"<title>" + std::string(150, 'x') + "</title>", std::string(100, 'x')},
        {"<title>first</title><title>second</title>", "first"},
        // Each entity is decoded once: an escaped entity stays an entity.
        {"<TITLE lang=x>A &amp;quot; B</TITLE>", "A &quot; B"},
        {"<title>&amp;#39;&amp;amp;</title>", "&#39;&amp;"},
    };
    for (const auto& [html, title] : cases) EXPECT_EQ(pageTitleFromHTML(html), title) << html.substr(0, 40);

    const std::string e = "\xC3\xA9";  // two bytes
    std::pair<std::string, std::optional<std::string>> bodies[] = {
        {"ab" + e, "ab" + e},          // within the limit of 4
        {"abc" + e + "x", "abc"},      // the limit cuts the last character: dropped
        {"abc" + e, "abc"},
        {"abc\xFF", std::nullopt},      // not UTF-8 inside the limit
        {"ab\xC3\xFF", std::nullopt},   // a broken character, not a cut one
        {"abc\xC3", std::nullopt},      // the page itself ends inside a character
    };
    for (const auto& [body, text] : bodies) EXPECT_EQ(pageText(body, 4), text) << body;
}

TEST(LauncherRules, RunningTabTextsFollowTheFirstRuleThatApplies) {
    RuntimeWindow window;
    const RuntimeWindow privateWindow{.isPrivate = true};
    auto tab = [](std::optional<std::string> url, bool start, bool selected, bool loading, bool error, bool sleeping) {
        return RuntimeTab{.url = std::move(url), .isSelected = selected, .isStartPage = start,
                          .isLoading = loading, .hasError = error, .isSleeping = sleeping};
    };
    struct Case {
        const RuntimeWindow& window;
        RuntimeTab tab;
        RunningTabTexts texts;
    } cases[] = {
        {window, tab("https://Mail.Example.com/x", false, true, false, false, false), {"Mail.Example.com", "", false}},
        {window, tab("https://a.example", false, false, false, true, true), {"a.example", "Sleeping · click to wake", false}},
        {window, tab("https://a.example", false, true, true, true, false), {"a.example", "Load Failed", true}},
        {window, tab("https://a.example", false, true, true, false, false), {"a.example", "Loading…", false}},
        {window, tab(std::nullopt, false, false, false, false, false), {"New Tab", "Background Tab", false}},
        {window, tab("https://a.example", true, true, false, false, false), {"Start Page", "", false}},
        {privateWindow, tab(std::nullopt, true, true, false, false, false), {"Private Window", "", false}},
    };
    for (const auto& c : cases) EXPECT_EQ(runningTabTexts(c.window, c.tab), c.texts) << c.texts.address;
}

// The dot of a website's tray icon: green in view, orange for any other open state, none closed.
TEST(LauncherRules, TrayIconDotFollowsTheActivity) {
    const StatusIconSource source{.letter = "M"};
    auto dot = [&](WebsiteActivity activity) {
        StatusIconPixmap pixmap = drawStatusIcon(source, activity, 40);
        std::size_t at = (33 * 40 + 33) * 4;  // the dot's centre, in ARGB order
        return std::array<int, 4>{pixmap.argb[at], pixmap.argb[at + 1], pixmap.argb[at + 2], pixmap.argb[at + 3]};
    };
    EXPECT_EQ(dot(WebsiteActivity::visible), (std::array<int, 4>{255, 40, 200, 64}));
    for (auto activity : {WebsiteActivity::background, WebsiteActivity::tucked, WebsiteActivity::hidden,
                          WebsiteActivity::minimized, WebsiteActivity::sleeping})
        EXPECT_EQ(dot(activity), (std::array<int, 4>{255, 255, 149, 0})) << rawValue(activity);
    auto closed = dot(WebsiteActivity::closed);  // the white tile's rounded corner shows through
    EXPECT_EQ((std::array<int, 3>{closed[1], closed[2], closed[3]}), (std::array<int, 3>{255, 255, 255}));
}

}  // namespace
}  // namespace quenlith
