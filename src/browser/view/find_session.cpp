#include "browser/view/find_session.hpp"

#include <algorithm>

#include <webkit2/webkit2.h>

#include "browser/view/browser_tab.hpp"

namespace quenlith {

FindSession::FindSession(BrowserFindBar& bar, std::function<WebKitWebView*()> activeView,
                         std::function<bool(WebKitWebView*)> isShown, std::function<void()> onLayout)
    : bar_(bar),
      activeView_(std::move(activeView)),
      isShown_(std::move(isShown)),
      onLayout_(std::move(onLayout)) {
    bar_.setOnFind([this](const std::string& text, bool backwards) { find(text, backwards); });
    bar_.setOnClose([this] { close(activeView_()); });
}

void FindSession::observe(BrowserTab& tab) {
    WebKitFindController* finder = webkit_web_view_get_find_controller(tab.webView());
    tab.addObservation(finder, g_signal_connect(finder, "found-text", G_CALLBACK(onFoundText), this));
    tab.addObservation(finder,
                       g_signal_connect(finder, "failed-to-find-text", G_CALLBACK(onFailedToFindText), this));
}

void FindSession::open() {
    bar_.show();
    onLayout_();
    bar_.input().grab_focus();
    bar_.input().select_region(0, -1);
}

void FindSession::close(WebKitWebView* view) {
    if (!bar_.get_visible()) return;
    ++generation_;
    bar_.hide();
    if (view) webkit_find_controller_search_finish(webkit_web_view_get_find_controller(view));
    onLayout_();
}

void FindSession::find(const std::string& text, bool backwards) {
    ++generation_;
    WebKitWebView* view = activeView_();
    if (!view) return;
    WebKitFindController* finder = webkit_web_view_get_find_controller(view);
    if (text.empty()) {
        // Nothing to look for: clear the marks and the result at once.
        webkit_find_controller_search_finish(finder);
        bar_.showResult(false, text);
        return;
    }
    // Answers come back in request order. Requests of pages that are gone will get none, and a
    // long-forgotten backlog is not worth keeping.
    std::erase_if(pending_, [this](const Request& request) { return !isShown_(request.view); });
    if (pending_.size() >= 32) pending_.pop_front();
    pending_.push_back({view, generation_, text});
    auto options = WEBKIT_FIND_OPTIONS_CASE_INSENSITIVE | WEBKIT_FIND_OPTIONS_WRAP_AROUND;
    if (backwards) options |= WEBKIT_FIND_OPTIONS_BACKWARDS;
    webkit_find_controller_search(finder, text.c_str(), options, G_MAXUINT);
}

void FindSession::answer(WebKitWebView* view, bool found) {
    auto request =
        std::find_if(pending_.begin(), pending_.end(), [view](const Request& r) { return r.view == view; });
    if (request == pending_.end()) return;
    const Request answered = *request;
    pending_.erase(request);
    if (answered.generation == generation_) bar_.showResult(found, answered.text);
}

void FindSession::onFoundText(void* finder, unsigned, void* self) {
    static_cast<FindSession*>(self)->answer(
        webkit_find_controller_get_web_view(WEBKIT_FIND_CONTROLLER(finder)), true);
}

void FindSession::onFailedToFindText(void* finder, void* self) {
    static_cast<FindSession*>(self)->answer(
        webkit_find_controller_get_web_view(WEBKIT_FIND_CONTROLLER(finder)), false);
}

}  // namespace quenlith
