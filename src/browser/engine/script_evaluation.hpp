#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <glib.h>

typedef struct _WebKitWebView WebKitWebView;
typedef struct _JSCValue JSCValue;

namespace quenlith {

// The answer of a script: the view it ran in (alive while the closure runs) and its value, nullptr
// when the script failed or the page went away.
using ScriptAnswer = std::function<void(WebKitWebView* view, JSCValue* value)>;

// Runs `script` in the main frame, in `world` (nullptr: the page's own world). `done` runs once.
void evaluateScript(WebKitWebView* view, std::string_view script, const char* world, ScriptAnswer done);

// Runs `body` as an asynchronous function whose `arguments` (a dictionary, consumed when floating)
// are its parameters, in `world` (nullptr: the page's own). `done` runs once.
void callScriptFunction(WebKitWebView* view, std::string_view body, GVariant* arguments, const char* world,
                        const char* sourceURI, ScriptAnswer done);

// A script's text or finite number; nothing for any other value.
std::optional<std::string> scriptText(JSCValue* value);
std::optional<double> scriptNumber(JSCValue* value);

}  // namespace quenlith
