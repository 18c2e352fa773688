#pragma once

#include <functional>
#include <string>

#include <webkit2/webkit2.h>

namespace quenlith {

// The page script that tells tab sleeping whether a page may sleep: in every frame, from document
// start, it remembers typing and clicks and defines `__quenlithSleepGuard()`, which answers true
// (keep awake) for recent or unsaved input, embedded frames, filled fields and playing media.
class TabSleepGuard {
public:
    // The script's source text.
    static const std::string& source();
    // What the application evaluates in the page to ask the guard.
    static const char* probe();
    // Adds the guard to the manager unless it already holds it.
    static void install(WebKitUserContentManager* manager);
};

// Asks the page's guard whether the tab must stay awake. `completion` runs once on the main loop:
// false only when the guard answered exactly false; a missing guard, a failed evaluation or any
// other answer keeps the page awake.
void isProtected(WebKitWebView* webView, std::function<void(bool)> completion);

}  // namespace quenlith
