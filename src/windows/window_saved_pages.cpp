// Opening a library entry again in the window it belongs to: its saved website's window, a window
// of the data-store session it was saved in, or the shared session's routing.

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/preferences_store.hpp"
#include "model/web_app_store.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/browser_window_manager.hpp"

namespace quenlith {

std::string removedAccountMessage() {
    return localizedString(
        "The account for this saved page or group was removed. Choose an existing website account.");
}

void BrowserWindowManager::showInTab(BrowserViewController& browser, const std::string& url) {
    const std::string& wanted = comparisonForms_.form(url);
    const auto& tabs = browser.tabs();
    // A start page is never selected for the page, whatever address it kept from before: it is
    // an empty tab, which takes the page instead (the selected one first).
    std::optional<std::size_t> startPage;
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        if (tabs[i]->showsStartPage) {
            if (!startPage || tabs[i].get() == browser.activeTab()) startPage = i;
            continue;
        }
        auto address = tabs[i]->address();
        if (!address || comparisonForms_.form(*address) != wanted) continue;
        browser.selectTab(i, true, true);
        return;
    }
    if (!startPage) {
        browser.addTab(url);
        return;
    }
    if (browser.activeTab() != tabs[*startPage].get()) browser.selectTab(*startPage, false, false);
    browser.load(url);
}

void BrowserWindowManager::openSavedPage(const PageClip& clip) {
    finishRestore();
    if (isResettingWebsiteData) return;
    auto url = normalizedWebsiteURL(clip.address);
    if (!url) return;
    // Only a Read Later entry scrolls back to where the reader was.
    std::optional<double> position = clip.readingState ? clip.readingPosition : std::nullopt;

    if (clip.profileID) {
        if (!store.profile(*clip.profileID)) {
            setContinuityError(removedAccountMessage());
            return;
        }
        BrowserWindowController* controller = showProfile(*clip.profileID);
        if (!controller) return;
        showInTab(controller->browser(), *url);
        controller->browser().restoreReadingPosition(position, *url);
        return;
    }
    if (!clip.windowSession) {
        if (BrowserViewController* browser = open(*url)) browser->restoreReadingPosition(position, *url);
        return;
    }

    const Uuid session = clip.windowSession->identifier;
    BrowserWindowController* controller = nullptr;
    for (const auto& [id, candidate] : windows_) {
        const auto& dataStore = candidate->browser().websiteDataStore();
        if (dataStore->isPersistent() && dataStore->identifier() == session) {
            controller = candidate.get();
            break;
        }
    }
    if (!controller) {
        const AppPreferences& values = preferences.value();
        WebAppProfile profile;
        profile.opacity = values.defaultOpacity;
        profile.compactMode = values.defaultCompact;
        profile.id = session;
        profile.sessionIdentifier = session;
        profile.isolatedAccount = true;
        profile.siteProxy = clip.windowSession->proxy;
        profile.name = kBrowserRecordName;
        profile.homeURL = "";
        profile.rememberLastURL = false;
        profile.rememberWindowFrame = false;
        browsingProfiles[profile.id] = profile;
        WindowRequest request;
        request.profile = profile;
        request.id = session;
        request.url = *url;
        request.dormant = true;
        // A window already registered under the session's id is the answer: it is used as it is.
        controller = &makeWindowController(std::move(request));
    }
    showInTab(controller->browser(), *url);
    controller->browser().restoreReadingPosition(position, *url);
    releaseLinks(*controller);
    controller->present(true, false, true);
    lastActiveID = controller->id;
    publishState();
}

}  // namespace quenlith
