#pragma once

#include <deque>
#include <functional>
#include <string>

#include "browser/view/browser_find_bar.hpp"

typedef struct _WebKitWebView WebKitWebView;

namespace quenlith {

class BrowserTab;

// Find in page for one window: searches the active page as the find bar asks and shows the engine's
// answers in the bar, dropping answers to searches that were replaced or whose bar closed.
class FindSession {
public:
    // `activeView` is the page to search (nullptr: none); `isShown` tells whether a view still
    // belongs to the window; `onLayout` runs when the bar appears or goes.
    FindSession(BrowserFindBar& bar, std::function<WebKitWebView*()> activeView,
                std::function<bool(WebKitWebView*)> isShown, std::function<void()> onLayout);

    // Watches the tab's engine answers for as long as the tab observes its view.
    void observe(BrowserTab& tab);

    // Shows the bar with its text selected.
    void open();
    // Hides the bar and clears the marks of `view` (the page searched so far).
    void close(WebKitWebView* view);
    void find(const std::string& text, bool backwards);

private:
    static void onFoundText(void* finder, unsigned matchCount, void* self);
    static void onFailedToFindText(void* finder, void* self);
    void answer(WebKitWebView* view, bool found);

    struct Request {
        WebKitWebView* view;
        unsigned generation;
        std::string text;
    };
    BrowserFindBar& bar_;
    std::function<WebKitWebView*()> activeView_;
    std::function<bool(WebKitWebView*)> isShown_;
    std::function<void()> onLayout_;
    unsigned generation_ = 0;
    // Searches waiting for the engine's answer, oldest first.
    std::deque<Request> pending_;
};

}  // namespace quenlith
