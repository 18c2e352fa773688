// Opening a library entry again in the window it belongs to: its saved website's window, a window
// of the data-store session it was saved in, or the shared session's routing.

#include "browser/engine/website_sessions.hpp"
#include "browser/view/browser_tab.hpp"
#include "browser/view/browser_view_controller.hpp"
#include "model/address.hpp"
#include "model/localization.hpp"
#include "model/web_app_store.hpp"
#include "windows/application_links.hpp"
#include "windows/browser_window_controller.hpp"
#include "windows/page_group_windows.hpp"
#include "windows/runtime_publisher.hpp"
#include "windows/window_factory.hpp"
#include "windows/window_host.hpp"
#include "windows/window_registry.hpp"
#include "windows/window_router.hpp"

namespace quenlith {

std::string removedAccountMessage() {
    return localizedString(
        "The account for this saved page or group was removed. Choose an existing website account.");
}

void PageGroupWindows::openSavedPage(const PageClip& clip) {
    host_.finishRestore();
    if (host_.isResettingWebsiteData()) return;
    auto url = normalizedWebsiteURL(clip.address);
    if (!url) return;
    // Only a Read Later entry scrolls back to where the reader was.
    std::optional<double> position = clip.readingState ? clip.readingPosition : std::nullopt;

    if (clip.profileID) {
        if (!store_.profile(*clip.profileID)) {
            publisher_.setContinuityError(removedAccountMessage());
            return;
        }
        BrowserWindowController* controller = router_.showProfile(*clip.profileID);
        if (!controller) return;
        router_.showInTab(controller->browser(), *url);
        controller->browser().page().restoreReadingPosition(position, *url);
        return;
    }
    if (!clip.windowSession) {
        if (BrowserViewController* browser = router_.open(*url))
            browser->page().restoreReadingPosition(position, *url);
        return;
    }

    const Uuid session = clip.windowSession->identifier;
    BrowserWindowController* controller = nullptr;
    for (const auto& [id, candidate] : registry_.windows()) {
        const auto& dataStore = candidate->browser().websiteDataStore();
        if (dataStore->isPersistent() && dataStore->identifier() == session) {
            controller = candidate.get();
            break;
        }
    }
    if (!controller) {
        // The browser window's record, on the page's own session and proxy.
        WebAppProfile profile = router_.browserProfile();
        profile.id = session;
        profile.sessionIdentifier = session;
        profile.isolatedAccount = true;
        profile.siteProxy = clip.windowSession->proxy;
        registry_.setBrowsingProfile(profile);
        WindowRequest request;
        request.profile = profile;
        request.id = session;
        request.url = *url;
        request.dormant = true;
        // A window already registered under the session's id is the answer: it is used as it is.
        controller = &factory_.make(std::move(request));
    }
    router_.showInTab(controller->browser(), *url);
    controller->browser().page().restoreReadingPosition(position, *url);
    links_.release(*controller);
    controller->present(true, false, true);
    registry_.setLastActiveID(controller->id);
    publisher_.publishState();
}

}  // namespace quenlith
