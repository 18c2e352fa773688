#include "browser/blocking/first_page_filter.hpp"

#include <memory>
#include <utility>

#include <webkit2/webkit2.h>

#include "browser/blocking/ad_blocking.hpp"
#include "browser/engine/gobject_ptr.hpp"

namespace quenlith {
namespace {

struct FirstPageGate {
    AdBlocking& blocking;
    std::function<AdFilterSettings()> wanted;
    gulong handler = 0;
    // Lives as long as the view: an answer that arrives after the view is gone finds it expired.
    std::shared_ptr<int> alive = std::make_shared<int>(0);
};

gboolean holdForAdFilter(WebKitWebView* view, WebKitPolicyDecision* decision, WebKitPolicyDecisionType type,
                         gpointer data) {
    // A page's responses and the windows it opens come after its navigation has been let go.
    if (type != WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION) return FALSE;
    auto* gate = static_cast<FirstPageGate*>(data);
    std::weak_ptr<int> alive = gate->alive;
    gate->blocking.applyCurrent(
        gate->wanted, webkit_web_view_get_user_content_manager(view),
        [view, gate, alive, kept = GObjectPtr<WebKitPolicyDecision>::retain(decision)] {
            if (alive.expired()) return;
            // Navigations held meanwhile are let go too, each once its own filter is installed.
            if (gate->handler != 0) g_signal_handler_disconnect(view, std::exchange(gate->handler, 0));
            gboolean handled = FALSE;
            g_signal_emit_by_name(view, "decide-policy", kept.get(), WEBKIT_POLICY_DECISION_TYPE_NAVIGATION_ACTION,
                                  &handled);
        });
    return TRUE;
}

}  // namespace

void holdFirstPageForAdFilter(WebKitWebView* view, AdBlocking& blocking, std::function<AdFilterSettings()> wanted) {
    auto* gate = new FirstPageGate{blocking, std::move(wanted)};
    g_object_set_data_full(G_OBJECT(view), "quenlith-first-page-filter", gate,
                           [](gpointer data) { delete static_cast<FirstPageGate*>(data); });
    gate->handler = g_signal_connect(view, "decide-policy", G_CALLBACK(holdForAdFilter), gate);
    // Asked for now, while the web process starts: the first navigation then mostly finds the list
    // installed and goes on at once.
    blocking.applyCurrent(gate->wanted, webkit_web_view_get_user_content_manager(view), [] {});
}

}  // namespace quenlith
