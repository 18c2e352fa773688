#include "model/more_menu.hpp"

#include "model/ad_filter_domain_editor.hpp"
#include "model/localization.hpp"
#include "model/tray_presence.hpp"

namespace quenlith {

std::vector<MoreMenuEntry> moreMenuEntries(const MoreMenuFacts& facts) {
    std::vector<MoreMenuEntry> entries;
    auto add = [&](MoreMenuItem item, std::string_view title, bool enabled = true, bool checked = false) {
        entries.push_back({item, localizedString(title), checked, enabled, std::nullopt});
    };
    auto separator = [&] { entries.push_back({}); };

    if (facts.mainMenuInMenu) add(MoreMenuItem::mainMenu, "Main Menu");
    if (facts.narrowToolbar) {
        add(MoreMenuItem::startPage, "Start Page");
        add(MoreMenuItem::saveWebsite, "Save Website\u2026", facts.saveWebsiteEnabled);
    }
    if (facts.mainMenuInMenu || facts.narrowToolbar) separator();
    add(MoreMenuItem::showInMenuBar, kShowInTrayLabel, facts.hasShareableURL && facts.trayAvailable,
        facts.inMenuBar);
    if (!facts.trayAvailable) {
        entries.back().title = trayControlTitle(kShowInTrayLabel, false);
        entries.back().tooltip = noTrayExplanation();
    }
    add(MoreMenuItem::websiteSettings, "Website Settings\u2026");
    add(MoreMenuItem::userAgent, "User-Agent\u2026");
    add(MoreMenuItem::proxy, "Proxy\u2026");
    add(MoreMenuItem::adFiltering, "Ad Filtering\u2026");
    if (facts.pageHost) {
        const AdSiteException exception = adSiteException(facts.adSettings, *facts.pageHost);
        add(MoreMenuItem::allowAds, "Allow Ads on This Website", facts.adSettings.enabled && exception.toggleEnabled,
            exception.allowed);
        // Allowed through a parent domain: the item names the entry that switching it off removes.
        if (exception.parentEntry) entries.back().title = localizedFormat("Allow Ads on %@", {*exception.parentEntry});
        entries.back().tooltip = localizedString(
            "Changes apply to new page loads in every window. Refresh an open page to fully apply them; unsaved "
            "input may be lost.");
    }
    separator();
    add(MoreMenuItem::find, "Find in Page", facts.onPage);
    add(MoreMenuItem::print, "Print / Save PDF\u2026", facts.onPage && !facts.activeTabSleeping);
    add(MoreMenuItem::reopenClosedTab, "Reopen Closed Tab", facts.hasRecentlyClosed);
    add(MoreMenuItem::sleepOrWake, facts.activeTabSleeping ? "Wake Tab" : "Sleep Tab", facts.onPage);
    separator();
    add(MoreMenuItem::compactMode, "Compact Mode", true, facts.compactMode);
    if (facts.compactMode && facts.compactRevealed) add(MoreMenuItem::hideControls, kHideControlsLabel);
    add(MoreMenuItem::clickThrough, "Click-through (Ctrl+Alt+P to recover)", true, facts.clickThrough);
    add(MoreMenuItem::tuck, kTuckToScreenEdgeLabel);
    add(MoreMenuItem::duplicate, "Duplicate Window");
    if (facts.persistentStore)
        add(MoreMenuItem::otherSessionWindow, facts.ownSession ? kNewSharedWindowLabel : "New Independent Window",
            !facts.hasSiteProxy);
    separator();
    add(MoreMenuItem::openInBrowser, "Open in Default Browser", facts.onPage);
    add(MoreMenuItem::downloads, "Downloads\u2026");
    add(MoreMenuItem::closeWindow, "Close Window");
    return entries;
}

}  // namespace quenlith
