// Where the window's page events, tab sleeping and "more" menu join the browser view. Each of
// them is built on top of the tab and chrome operations; until then these entry points keep the
// window consistent and do nothing else.

#include "browser/browser_view_controller.hpp"

namespace quenlith {

// Navigation, policy, download and new-window handlers of a tab's web view; they are added with
// BrowserTab::addObservation so that detaching the tab ends them.
void BrowserViewController::connectPageEvents(BrowserTab&) {}

void BrowserViewController::showMoreMenu() {}

void BrowserViewController::retryLoading() {}

void BrowserViewController::openExternal() {}

void BrowserViewController::toggleTabSleep(const Uuid& id) {
    BrowserTab* tab = this->tab(id);
    if (!tab) return;
    if (tab->isSleeping) {
        wake(id);
        return;
    }
    sleepTab(id);
}

void BrowserViewController::sleepTab(const Uuid&) {}

void BrowserViewController::toggleTabMedia(const Uuid&) {}

void BrowserViewController::sleepIdleTabs() {}

}  // namespace quenlith
