#include "browser/engine/tab_sleep_guard.hpp"

#include <memory>

#include "browser/engine/script_evaluation.hpp"
#include "browser/engine/user_scripts.hpp"

namespace quenlith {

namespace {

// Kept as a string in the program (not a resource file): a guard that cannot be loaded would keep
// every page awake.
const char* const kGuardSource = R"JS((() => {
  if (globalThis.__quenlithSleepGuard) return;
  let dirty = false;
  let touched = 0;
  const edited = () => { dirty = true; touched = Date.now(); };
  const used = () => { touched = Date.now(); };
  for (const type of ["input", "change", "beforeinput"]) document.addEventListener(type, edited, true);
  for (const type of ["pointerdown", "keydown"]) document.addEventListener(type, used, true);
  const ignoredTypes = new Set(["hidden", "submit", "button", "checkbox", "radio", "range", "color"]);
  const filled = (element) => {
    if (element.tagName === "TEXTAREA") return element.value !== "";
    if (element.tagName === "INPUT") {
      const type = String(element.type || "").toLowerCase();
      if (type === "file") return !!element.files && element.files.length > 0;
      return !ignoredTypes.has(type) && element.value !== "";
    }
    return element.isContentEditable && String(element.textContent || "").trim() !== "";
  };
  globalThis.__quenlithSleepGuard = () => {
    if (dirty || Date.now() - touched < 60000) return true;
    if (document.querySelector("iframe, frame")) return true;
    for (const element of document.querySelectorAll("textarea,input,[contenteditable]"))
      if (filled(element)) return true;
    for (const media of document.querySelectorAll("video,audio"))
      if (!media.paused && !media.ended) return true;
    return false;
  };
})();
)JS";

const char* const kProbe = "globalThis.__quenlithSleepGuard ? globalThis.__quenlithSleepGuard() : true";

}  // namespace

const std::string& TabSleepGuard::source() {
    static const std::string text = kGuardSource;
    return text;
}

const char* TabSleepGuard::probe() {
    return kProbe;
}

void TabSleepGuard::install(WebKitUserContentManager* manager) {
    addUserScriptOnce(manager, source(), WEBKIT_USER_CONTENT_INJECT_ALL_FRAMES,
                      WEBKIT_USER_SCRIPT_INJECT_AT_DOCUMENT_START);
}

void isProtected(WebKitWebView* webView, std::function<void(bool)> completion) {
    evaluateScript(
        webView, kProbe, kScriptWorld, [completion = std::move(completion)](WebKitWebView*, JSCValue* value) {
            const bool maySleep = value && jsc_value_is_boolean(value) && !jsc_value_to_boolean(value);
            completion(!maySleep);
        });
}

}  // namespace quenlith
