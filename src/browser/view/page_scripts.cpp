#include "browser/view/page_scripts.hpp"

#include <webkit2/webkit2.h>

#include "browser/engine/script_evaluation.hpp"
#include "browser/page/navigation_policy.hpp"
#include "model/deduplication.hpp"

namespace quenlith {

PageScripts::PageScripts(std::function<bool(WebKitWebView*)> isShown) : isShown_(std::move(isShown)) {}

void PageScripts::run(WebKitWebView* view, std::string_view script, std::optional<std::string> forPage,
                      Answer done, const char* world) {
    evaluateScript(
        view, script, world,
        [this, alive = std::weak_ptr<int>(alive_), forPage = std::move(forPage), done = std::move(done)](
            WebKitWebView* answered, JSCValue* value) {
            if (alive.expired()) return;
            if (forPage) {
                const char* now = webkit_web_view_get_uri(answered);
                if (!isShown_(answered) || !now || deduplicationKey(now) != deduplicationKey(*forPage))
                    return;
            }
            done(answered, value);
        });
}

void PageScripts::scrollTo(WebKitWebView* view, double fraction) {
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    g_variant_dict_insert(&arguments, "position", "d", fraction);
    callScriptFunction(view, kReadingPositionScript, g_variant_dict_end(&arguments), nullptr, nullptr, {});
}

}  // namespace quenlith
