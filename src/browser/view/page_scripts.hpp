#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

typedef struct _WebKitWebView WebKitWebView;
typedef struct _JSCValue JSCValue;

namespace quenlith {

// The window's own scripts in its pages (selection, scroll position, title, icon). An answer is
// delivered only while this helper lives, and, for a script run for a page, only while its view
// still belongs to the window and shows that page: an answer about a page that went away or moved
// on is dropped.
class PageScripts {
public:
    using Answer = std::function<void(WebKitWebView* view, JSCValue* value)>;

    explicit PageScripts(std::function<bool(WebKitWebView*)> isShown);

    // Runs `script` in `world` (nullptr: the page's own); `forPage` names the page the answer is
    // about (nothing: any page of any view).
    void run(WebKitWebView* view, std::string_view script, std::optional<std::string> forPage, Answer done,
             const char* world = nullptr);
    // Scrolls the page to a fraction (0 to 1) of its height.
    void scrollTo(WebKitWebView* view, double fraction);

private:
    std::function<bool(WebKitWebView*)> isShown_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

}  // namespace quenlith
