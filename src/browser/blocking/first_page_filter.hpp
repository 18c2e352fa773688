#pragma once

// The ad filter of a web view that no browser view decides for yet (a page asked for at start,
// before its window is built): its first page waits, as every page a browser view decides does,
// until the filter the preferences ask for is on the view's content manager.

#include <functional>

#include "model/ad_filter_settings.hpp"

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class AdBlocking;

// Holds the view's first navigation until `blocking` has installed the settings `wanted` gives on
// the view's content manager (AdBlocking::applyCurrent), then asks the view's handlers again and
// stands down: a browser view that took the view meanwhile decides the page, else the engine lets
// it go; the browser view that takes the view keeps its filter from then on. Called before the
// view loads anything; `blocking` outlives the view.
void holdFirstPageForAdFilter(WebKitWebView* view, AdBlocking& blocking, std::function<AdFilterSettings()> wanted);

}  // namespace quenlith
