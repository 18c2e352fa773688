// Where the window's tab sleeping and "more" menu join the browser view. Each of them is built on
// top of the tab and chrome operations; until then these entry points keep the window consistent
// and do nothing else. The page events live in browser_view_controller_page_events.cpp.

#include "browser/view/browser_view_controller.hpp"

namespace quenlith {

void BrowserViewController::showMoreMenu() {}

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

void BrowserViewController::sleepIdleTabs() {}

}  // namespace quenlith
