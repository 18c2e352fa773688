#pragma once

#include <functional>

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

// Pauses (`paused` true) or resumes every audio and video element of the view's page. A script in
// the "quenlith" world stops the playing elements and keeps them stopped until resumed; the view is
// muted while paused for what the script cannot reach (other frames, elements outside the
// document). `done` runs once with whether the page ran the script.
void setPageMediaPaused(WebKitWebView* view, bool paused, std::function<void(bool ran)> done = {});

}  // namespace quenlith
