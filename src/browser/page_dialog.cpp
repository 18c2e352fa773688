#include "browser/page_dialog.hpp"

#include "browser/navigation_policy.hpp"
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

}  // namespace quenlith
