// Where the window's "more" menu joins the browser view. It is built on top of the tab and
// chrome operations; until then this entry point keeps the window consistent and does nothing else.
// The page events live in browser_view_controller_page_events.cpp.

#include "browser/view/browser_view_controller.hpp"

namespace quenlith {

void BrowserViewController::showMoreMenu() {}

}  // namespace quenlith
