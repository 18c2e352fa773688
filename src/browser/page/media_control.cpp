#include "browser/page/media_control.hpp"

#include <memory>
#include <string>

#include <webkit2/webkit2.h>

#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/user_scripts.hpp"
#include "model/app_paths.hpp"
#include "model/logging.hpp"

namespace quenlith {
namespace {

const std::string& mediaPauseScript() {
    static const std::string script = [] {
        std::string path = resourcePath("scripts/media_pause.js");
        char* contents = nullptr;
        gsize length = 0;
        if (!g_file_get_contents(path.c_str(), &contents, &length, nullptr)) {
            logFault(LogCategory::browser, "Missing page script: " + path);
            return std::string();
        }
        std::string text(contents, length);
        g_free(contents);
        return text;
    }();
    return script;
}

}  // namespace

void setPageMediaPaused(WebKitWebView* view, bool paused, std::function<void(bool ran)> done) {
    webkit_web_view_set_is_muted(view, paused);
    const std::string& script = mediaPauseScript();
    if (script.empty()) {
        if (done) done(false);
        return;
    }
    GVariantDict arguments;
    g_variant_dict_init(&arguments, nullptr);
    // Function arguments may be numbers, texts and dictionaries only.
    g_variant_dict_insert(&arguments, "paused", "i", paused ? 1 : 0);
    callScriptFunction(view, script, g_variant_dict_end(&arguments), kScriptWorld, "quenlith:media_pause.js",
                       [done = std::move(done)](WebKitWebView*, JSCValue* value) {
                           if (done) done(value != nullptr);
                       });
}

}  // namespace quenlith
