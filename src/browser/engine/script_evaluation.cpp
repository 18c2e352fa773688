#include "browser/engine/script_evaluation.hpp"

#include <cmath>
#include <memory>

#include <webkit2/webkit2.h>

namespace quenlith {

namespace {

using Finish = JSCValue* (*)(WebKitWebView*, GAsyncResult*, GError**);

// The one completion of every script call: ends the call, hands over its value, releases both.
template <Finish finish>
void answer(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<ScriptAnswer> done(static_cast<ScriptAnswer*>(data));
    GError* error = nullptr;
    JSCValue* value = finish(WEBKIT_WEB_VIEW(source), result, &error);
    g_clear_error(&error);
    if (*done) (*done)(WEBKIT_WEB_VIEW(source), value);
    if (value) g_object_unref(value);
}

}  // namespace

void evaluateScript(WebKitWebView* view, std::string_view script, const char* world, ScriptAnswer done) {
    webkit_web_view_evaluate_javascript(view, script.data(), static_cast<gssize>(script.size()), world,
                                        nullptr, nullptr, answer<webkit_web_view_evaluate_javascript_finish>,
                                        new ScriptAnswer(std::move(done)));
}

void callScriptFunction(WebKitWebView* view, std::string_view body, GVariant* arguments, const char* world,
                        const char* sourceURI, ScriptAnswer done) {
    webkit_web_view_call_async_javascript_function(
        view, body.data(), static_cast<gssize>(body.size()), arguments, world, sourceURI, nullptr,
        answer<webkit_web_view_call_async_javascript_function_finish>, new ScriptAnswer(std::move(done)));
}

std::optional<std::string> scriptText(JSCValue* value) {
    if (!value || !jsc_value_is_string(value)) return std::nullopt;
    char* text = jsc_value_to_string(value);
    std::string result = text ? text : "";
    g_free(text);
    return result;
}

std::optional<double> scriptNumber(JSCValue* value) {
    if (!value || !jsc_value_is_number(value)) return std::nullopt;
    const double number = jsc_value_to_double(value);
    if (!std::isfinite(number)) return std::nullopt;
    return number;
}

}  // namespace quenlith
