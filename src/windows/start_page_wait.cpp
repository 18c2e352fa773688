#include "windows/start_page_wait.hpp"

#include <webkit2/webkit2.h>

#include "windows/window_factory.hpp"

namespace quenlith {

StartPageWait::StartPageWait(WindowFactory& factory, Scheduler& timers)
    : factory_(factory), timers_(timers), self_(std::make_shared<StartPageWait*>(this)) {}

StartPageWait::~StartPageWait() {
    self_.reset();
    end();
}

void StartPageWait::begin(std::function<void()> done) {
    using Weak = std::weak_ptr<StartPageWait*>;
    auto release = [](gpointer data, GClosure*) { delete static_cast<Weak*>(data); };
    auto changed = [](WebKitWebView* view, WebKitLoadEvent event, gpointer data) {
        if (auto wait = static_cast<Weak*>(data)->lock())
            (*wait)->pageChanged(view, event == WEBKIT_LOAD_FINISHED);
    };
    auto failed = [](WebKitWebView* view, WebKitLoadEvent, gchar*, GError*, gpointer data) -> gboolean {
        if (auto wait = static_cast<Weak*>(data)->lock()) (*wait)->pageChanged(view, true);
        return FALSE;
    };
    done_ = std::move(done);
    for (const auto& [id, page] : factory_.startPages()) {
        AwaitedPage awaited{page.webView, {}};
        awaited.handlers.push_back(g_signal_connect_data(page.webView.get(), "load-changed",
                                                         G_CALLBACK(+changed), new Weak(self_), release,
                                                         G_CONNECT_DEFAULT));
        awaited.handlers.push_back(g_signal_connect_data(page.webView.get(), "load-failed",
                                                         G_CALLBACK(+failed), new Weak(self_), release,
                                                         G_CONNECT_DEFAULT));
        awaited_.push_back(std::move(awaited));
    }
    if (awaited_.empty()) return;
    limit_ = timers_.schedule(kLimit, [this] { finish(); });
}

void StartPageWait::end() {
    limit_.cancel();
    for (auto& page : awaited_)
        for (gulong handler : page.handlers) g_signal_handler_disconnect(page.view.get(), handler);
    awaited_.clear();
}

void StartPageWait::pageChanged(WebKitWebView* view, bool finished) {
    if (!finished) return;
    std::erase_if(awaited_, [view](AwaitedPage& page) {
        if (page.view.get() != view) return false;
        for (gulong handler : page.handlers) g_signal_handler_disconnect(view, handler);
        return true;
    });
    if (awaited_.empty()) finish();
}

void StartPageWait::finish() {
    end();
    // What `done` does may begin another wait: it runs from a copy.
    if (auto done = std::exchange(done_, nullptr)) done();
}

}  // namespace quenlith
