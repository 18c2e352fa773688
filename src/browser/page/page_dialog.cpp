#include "browser/page/page_dialog.hpp"

#include <webkit2/webkit2.h>

#include "browser/page/navigation_policy.hpp"
#include "model/localization.hpp"

namespace quenlith {

ScriptDialogContent scriptDialogContent(ScriptDialogKind kind, std::string_view pageURI, std::string_view message,
                                        std::string_view defaultText) {
    ScriptDialogContent content;
    content.title = uriHost(pageURI).value_or("");
    content.message = std::string(message);
    content.buttons.push_back(localizedString("OK"));
    if (kind != ScriptDialogKind::alert) content.buttons.push_back(localizedString("Cancel"));
    if (kind == ScriptDialogKind::prompt) {
        content.hasTextField = true;
        content.defaultText = std::string(defaultText);
    }
    return content;
}

std::string scriptDialogStopOffer() {
    return localizedString("Don't show more dialogs from this page");
}

bool isScriptDialogShown(ScriptDialogKind kind) { return kind != ScriptDialogKind::beforeUnload; }

ScriptDialogAnswer scriptDialogAnswer(ScriptDialogKind kind, std::optional<std::size_t> button,
                                      std::string_view fieldText) {
    ScriptDialogAnswer answer;
    bool first = button && *button == 0;
    switch (kind) {
        case ScriptDialogKind::alert: break;
        case ScriptDialogKind::confirm: answer.confirmed = first; break;
        case ScriptDialogKind::prompt:
            answer.confirmed = first;
            if (first) answer.text = std::string(fieldText);
            break;
        case ScriptDialogKind::beforeUnload: answer.confirmed = true; break;
    }
    return answer;
}

ScriptDialogKind scriptDialogKind(WebKitScriptDialog* dialog) {
    switch (webkit_script_dialog_get_dialog_type(dialog)) {
        case WEBKIT_SCRIPT_DIALOG_ALERT: return ScriptDialogKind::alert;
        case WEBKIT_SCRIPT_DIALOG_CONFIRM: return ScriptDialogKind::confirm;
        case WEBKIT_SCRIPT_DIALOG_PROMPT: return ScriptDialogKind::prompt;
        case WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM: return ScriptDialogKind::beforeUnload;
    }
    return ScriptDialogKind::alert;
}

ScriptDialogContent scriptDialogContent(WebKitScriptDialog* dialog, std::string_view pageURI) {
    ScriptDialogKind kind = scriptDialogKind(dialog);
    const char* message = webkit_script_dialog_get_message(dialog);
    const char* defaultText =
        kind == ScriptDialogKind::prompt ? webkit_script_dialog_prompt_get_default_text(dialog) : nullptr;
    return scriptDialogContent(kind, pageURI, message ? message : "", defaultText ? defaultText : "");
}

void answerScriptDialog(WebKitScriptDialog* dialog, const ScriptDialogAnswer& answer) {
    switch (scriptDialogKind(dialog)) {
        case ScriptDialogKind::alert: break;
        case ScriptDialogKind::confirm:
        case ScriptDialogKind::beforeUnload: webkit_script_dialog_confirm_set_confirmed(dialog, answer.confirmed); break;
        case ScriptDialogKind::prompt:
            // No text is the page's null; the engine takes a missing text as a cancelled prompt.
            webkit_script_dialog_prompt_set_text(dialog, answer.text ? answer.text->c_str() : nullptr);
            break;
    }
}

}  // namespace quenlith
