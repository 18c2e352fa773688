// The rules behind a browser window's "more" menu and its sheets, without a display: the ad-filter
// domain editor, the per-site exception, the menu's items and states, and the sheets' Saves.
#include <gtest/gtest.h>

#include "model/ad_filter_domain_editor.hpp"
#include "model/more_menu.hpp"
#include "model/proxy_vault_fake.hpp"
#include "model/window_sheet_saves.hpp"

namespace quenlith {
namespace {

using List = std::vector<std::string>;

List numbered(int count) {
    List list;
    for (int i = 0; i < count; ++i) list.push_back("site" + std::to_string(1000 + i) + ".example");
    return list;
}

TEST(AdFilterDomainEditorTest, AddNormalisesRefusesCapsAndInsertsInOrder) {
    const std::string refusal = "Enter a domain such as example.com or an HTTP/HTTPS website URL.";
    struct Case {
        List domains;
        std::string input;
        std::optional<std::string> errorBefore;
        std::optional<List> changed;
        std::string inputAfter;
        std::optional<std::string> errorAfter;
    };
    const List full = numbered(100);
    List ninetyNine = numbered(99);
    List hundred = ninetyNine;
    hundred.push_back("zz.example");
    for (const Case& c : std::vector<Case>{
             {{}, "  HTTPS://News.Example.COM/a?b ", std::nullopt, List{"news.example.com"}, "", std::nullopt},
             {{"a.example", "c.example"}, "B.example", "old", List{"a.example", "b.example", "c.example"}, "", std::nullopt},
             {{"example.com"}, "Example.com", refusal, std::nullopt, "", std::nullopt},
             {{"a.example"}, "two words.example", std::nullopt, std::nullopt, "two words.example", refusal},
             {{}, "", std::nullopt, std::nullopt, "", refusal},
             {full, "new.example", "kept", std::nullopt, "new.example", "kept"},
             {full, "not valid", std::nullopt, std::nullopt, "not valid", refusal},
             {ninetyNine, "zz.example", std::nullopt, hundred, "", std::nullopt},
         }) {
        AdFilterDomainEditor editor(c.input, c.errorBefore);
        EXPECT_EQ(editor.add(c.domains), c.changed) << c.input;
        EXPECT_EQ(editor.input(), c.inputAfter) << c.input;
        EXPECT_EQ(editor.error(), c.errorAfter) << c.input;
    }

    AdFilterDomainEditor editor;
    editor.setInput(" \n ");
    EXPECT_FALSE(editor.canAdd({}));
    editor.setInput("x.example");
    EXPECT_TRUE(editor.canAdd(ninetyNine));
    EXPECT_FALSE(editor.canAdd(full));
    EXPECT_EQ(AdFilterDomainEditor::limitHint(), "Up to 100 domains per list.");
    EXPECT_EQ(AdFilterDomainEditor::remove({"a.example", "b.example", "a.example"}, "a.example"), List{"b.example"});
}

TEST(AdSiteExceptionTest, ParentDomainsCoverAndAreRemovedWithTheHost) {
    AdFilterSettings settings{.enabled = true, .allowedSites = {"other.test", "shop.test"}};
    EXPECT_EQ(adSiteException(settings, "news.shop.test"), (AdSiteException{true, true, "shop.test"}));
    EXPECT_EQ(adSiteException(settings, "shop.test"), (AdSiteException{true, true, std::nullopt}));
    EXPECT_EQ(settingsWithAdsAllowed(settings, false, "news.shop.test").allowedSites, List{"other.test"});
    EXPECT_EQ(settingsWithAdsAllowed(settings, true, "New.test").allowedSites,
              (List{"new.test", "other.test", "shop.test"}));

    settings.allowedSites = numbered(100);
    EXPECT_EQ(adSiteException(settings, "free.test"), (AdSiteException{false, false, std::nullopt}));
    EXPECT_EQ(adSiteException(settings, "www.site1000.example"), (AdSiteException{true, true, "site1000.example"}));
}

std::optional<MoreMenuEntry> find(const std::vector<MoreMenuEntry>& entries, MoreMenuItem item) {
    for (const auto& entry : entries)
        if (entry.item == item) return entry;
    return std::nullopt;
}

TEST(MoreMenuTest, ItemsFollowThePageTheSessionAndTheAdSettings) {
    MoreMenuFacts page;
    page.hasActiveTab = page.onPage = page.hasShareableURL = page.hasRecentlyClosed = true;
    page.pageHost = "news.shop.test";
    page.adSettings = {.enabled = true, .allowedSites = {"shop.test"}};
    auto entries = moreMenuEntries(page);
    ASSERT_EQ(entries.size(), 21u);
    EXPECT_EQ(entries[6].item, MoreMenuItem::separator) << "the separator follows the ad item";
    auto ads = find(entries, MoreMenuItem::allowAds);
    EXPECT_TRUE(ads && ads->title == "Allow Ads on shop.test" && ads->checked && ads->enabled);
    EXPECT_EQ(find(entries, MoreMenuItem::otherSessionWindow)->title, "New Independent Window");
    EXPECT_FALSE(find(entries, MoreMenuItem::hideControls));

    MoreMenuFacts startPage;
    startPage.hasActiveTab = true;
    startPage.compactMode = startPage.compactRevealed = true;
    entries = moreMenuEntries(startPage);
    EXPECT_FALSE(find(entries, MoreMenuItem::allowAds));
    EXPECT_EQ(entries[5].item, MoreMenuItem::separator);
    for (auto item : {MoreMenuItem::find, MoreMenuItem::print, MoreMenuItem::sleepOrWake, MoreMenuItem::openInBrowser,
                      MoreMenuItem::showInMenuBar, MoreMenuItem::reopenClosedTab})
        EXPECT_FALSE(find(entries, item)->enabled) << static_cast<int>(item);
    EXPECT_TRUE(find(entries, MoreMenuItem::hideControls));

    MoreMenuFacts privateWindow = page;
    privateWindow.persistentStore = false;
    privateWindow.activeTabSleeping = true;
    entries = moreMenuEntries(privateWindow);
    EXPECT_FALSE(find(entries, MoreMenuItem::otherSessionWindow));
    EXPECT_FALSE(find(entries, MoreMenuItem::print)->enabled);
    EXPECT_EQ(find(entries, MoreMenuItem::sleepOrWake)->title, "Wake Tab");

    // Without a tray the item says so and stays off, keeping the website's setting.
    MoreMenuFacts noTray = page;
    noTray.inMenuBar = true;
    noTray.trayAvailable = false;
    auto tray = find(moreMenuEntries(noTray), MoreMenuItem::showInMenuBar);
    EXPECT_EQ(tray, (MoreMenuEntry{
                        MoreMenuItem::showInMenuBar, "Show in Tray (No Tray Found)", true, false,
                        "No tray was found on this desktop. Tray icons appear once a tray is running."}));
    EXPECT_TRUE(find(moreMenuEntries(page), MoreMenuItem::showInMenuBar)->enabled);

    MoreMenuFacts proxied = page;
    proxied.ownSession = proxied.hasSiteProxy = true;
    auto other = find(moreMenuEntries(proxied), MoreMenuItem::otherSessionWindow);
    EXPECT_TRUE(other && other->title == "New Shared Window" && !other->enabled);

    // The ad item: off disables it even for an allowed site; a full list only for an uncovered one.
    MoreMenuFacts ads100 = page;
    ads100.adSettings.enabled = false;
    EXPECT_FALSE(find(moreMenuEntries(ads100), MoreMenuItem::allowAds)->enabled);
    ads100.adSettings = {.enabled = true, .allowedSites = numbered(100)};
    ads100.pageHost = "free.test";
    ads = find(moreMenuEntries(ads100), MoreMenuItem::allowAds);
    EXPECT_TRUE(ads && !ads->enabled && !ads->checked && ads->title == "Allow Ads on This Website");
    ads100.pageHost = "site1042.example";
    ads = find(moreMenuEntries(ads100), MoreMenuItem::allowAds);
    EXPECT_TRUE(ads && ads->enabled && ads->checked);
}

// Buttons a narrow title bar has no room for lead the menu, followed by a separator.
TEST(MoreMenuTest, ButtonsOutOfTheTitleBarLeadTheMenu) {
    auto leading = [](MoreMenuFacts facts) {
        std::string out;
        for (const auto& entry : moreMenuEntries(facts)) {
            if (entry.item == MoreMenuItem::showInMenuBar) break;
            out += (entry.title.empty() ? "|" : entry.title) + (entry.enabled ? "" : "(off)") + ";";
        }
        return out;
    };
    MoreMenuFacts wide;
    wide.saveWebsiteEnabled = true;
    MoreMenuFacts narrow = wide;
    narrow.narrowToolbar = true;
    MoreMenuFacts narrowOnStartPage = narrow;
    narrowOnStartPage.saveWebsiteEnabled = false;
    MoreMenuFacts everything = narrow;
    everything.mainMenuInMenu = true;
    MoreMenuFacts row = wide;  // the compact row has no main-menu button
    row.mainMenuInMenu = true;
    const std::pair<MoreMenuFacts, std::string> cases[] = {
        {wide, ""},
        {narrow, "Start Page;Save Website\u2026;|;"},
        {narrowOnStartPage, "Start Page;Save Website\u2026(off);|;"},
        {everything, "Main Menu;Start Page;Save Website\u2026;|;"},
        {row, "Main Menu;|;"},
    };
    for (const auto& [facts, expected] : cases) EXPECT_EQ(leading(facts), expected);
}

TEST(WindowSheetSavesTest, WindowSettingsCheckTheUserAgentThenTheIntervalText) {
    WebAppProfile draft;
    draft.name = "Site";
    draft.autoReloadInterval = 60;
    draft.zoomLevel = 9;  // accepted records come back normalised
    const std::string uaMessage = "User-Agent must be one line, without control characters, and at most 4096 bytes.";
    const std::string reloadMessage = "Auto reload must be at least 10 seconds.";
    // The user agent, the interval text, the interval stored (nothing: refused) and the message.
    const std::tuple<std::optional<std::string>, std::string, std::optional<double>, std::string> cases[] = {
        {std::nullopt, "10", 10.0, ""}, {std::nullopt, "9.5", std::nullopt, reloadMessage},
        {std::nullopt, "inf", std::nullopt, reloadMessage},
        {std::string(4097, 'a'), "5", std::nullopt, uaMessage},
        {"Agent/1", " 12.5 ", 12.5, ""}};
    for (const auto& [userAgent, intervalText, stored, message] : cases) {
        WebAppProfile edited = draft;
        edited.customUserAgent = userAgent;
        auto checked = checkWindowSettings(edited, intervalText);
        ASSERT_EQ(checked.ok(), stored.has_value()) << intervalText;
        if (checked)
            EXPECT_TRUE(checked->autoReloadInterval == stored && checked->zoomLevel == kMaximumZoomLevel);
        else
            EXPECT_EQ(checked.error().message, message);
    }
    EXPECT_EQ(userAgentToStore(std::string(" \t\n ")), std::nullopt);
    EXPECT_EQ(userAgentToStore(std::string(" Agent ")), " Agent ");
}

TEST(WindowSheetSavesTest, ProxySaveKeepsReplacesOrRollsBackTheCredential) {
    WebAppProfile website;
    website.name = "Proxied";
    website.homeURL = "https://site.example";
    website.setIsolatedAccount(true);
    website.siteProxy = test::authenticatedProxy("OLD");
    website.opacity = 0.1;  // handed over normalised
    struct Case {
        std::optional<BrowserProxySettings> proxy;
        std::string password;
        std::string portText;
        bool ownerStores;
        std::optional<std::string> storedCredential;  // of the website handed over, when one is
        std::vector<std::string> discarded;
        std::vector<std::string> removed;
        std::string error;
    };
    BrowserProxySettings moved = test::authenticatedProxy("OLD"), spaced = moved;
    moved.host = "  other.example ";
    spaced.host = " proxy.example ";
    for (const Case& c : std::vector<Case>{
             {test::authenticatedProxy("OLD"), "", "3128", true, "OLD", {}, {}, ""},
             {std::nullopt, "", "", true, std::nullopt, {"OLD"}, {}, ""},
             {spaced, "new", "3128", true, "NEW-1", {"OLD"}, {}, ""},
             {std::nullopt, "", "", false, std::nullopt, {}, {}, "Could not save website"},
             {test::authenticatedProxy("OLD"), "new", "3128", false, "NEW-1", {}, {"NEW-1"}, "Could not save website"},
             {moved, "", "3128", true, std::nullopt, {}, {}, "Enter the proxy password for this endpoint and username."},
             {test::authenticatedProxy("OLD"), "", "31 28", true, std::nullopt, {}, {}, "Proxy port must be between 1 and 65535."},
         }) {
        auto vault = std::make_shared<test::FakeProxyVault>();
        vault->items["OLD"] = "secret";
        std::vector<WebAppProfile> saved;
        std::vector<std::string> discarded;
        std::optional<Result<WebAppProfile>> outcome;
        WebAppProfile draft = website;
        draft.siteProxy = c.proxy;
        runWebsiteProxySave(draft, website, c.password, c.portText,
                            {vault, [&](const WebAppProfile& edited) { saved.push_back(edited); return c.ownerStores; },
                             [&](const std::string& id) { discarded.push_back(id); }},
                            [&](Result<WebAppProfile> result) { outcome = std::move(result); });
        vault->answerAll();
        ASSERT_TRUE(outcome.has_value());
        EXPECT_EQ(outcome->ok() ? "" : outcome->error().message, c.error) << c.password << c.portText;
        if (!saved.empty()) {
            auto proxy = saved.back().siteProxy;
            EXPECT_EQ(proxy ? proxy->credentialID : std::nullopt, c.storedCredential);
            EXPECT_TRUE(saved.back().opacity == kMinimumOpacity && (!proxy || proxy->host == "proxy.example"));
        }
        EXPECT_EQ(discarded, c.discarded);
        EXPECT_EQ(vault->removed, c.removed);
    }
}

}  // namespace
}  // namespace quenlith
