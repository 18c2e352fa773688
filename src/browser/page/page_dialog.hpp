#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

typedef struct _WebKitScriptDialog WebKitScriptDialog;

namespace quenlith {

// The dialogs a page script can open.
enum class ScriptDialogKind { alert, confirm, prompt, beforeUnload };

// What a script dialog shows. The engine cannot tell which frame asked, so the title names the
// host of the main page (empty when it has none); the page's own text is shown as plain text.
struct ScriptDialogContent {
    std::string title;
    std::string message;
    std::vector<std::string> buttons;  // the first one confirms
    bool hasTextField = false;         // prompt: a 280 x 24 field holding `defaultText`
    std::string defaultText;
};

ScriptDialogContent scriptDialogContent(ScriptDialogKind kind, std::string_view pageURI, std::string_view message,
                                        std::string_view defaultText = {});

// The check box of a dialog from a page that keeps asking: ticked, the page's later dialogs are
// answered at once without being shown.
std::string scriptDialogStopOffer();

// Whether the page asks at all: a "leave this page?" question never reaches the user (the page is
// left, as it would be without any answer).
bool isScriptDialogShown(ScriptDialogKind kind);

// What the page receives.
struct ScriptDialogAnswer {
    bool confirmed = false;           // confirm (and the before-unload question)
    std::optional<std::string> text;  // prompt: the field's text, or none
    bool operator==(const ScriptDialogAnswer&) const = default;
};

// The answer for the button that ended the dialog (its index in `buttons`), or for no button when
// no dialog could be shown (no window): an alert just completes, a confirm gets false, a prompt
// gets none. A before-unload question is always confirmed.
ScriptDialogAnswer scriptDialogAnswer(ScriptDialogKind kind, std::optional<std::size_t> button,
                                      std::string_view fieldText = {});

}  // namespace quenlith

namespace quenlith {

// The same, read from and given to the engine's dialog.
ScriptDialogKind scriptDialogKind(WebKitScriptDialog* dialog);
ScriptDialogContent scriptDialogContent(WebKitScriptDialog* dialog, std::string_view pageURI);
// Hands the answer to the page. A dialog kept for a later answer (referenced in the engine's
// signal, which returned true) must be closed and released by the caller afterwards.
void answerScriptDialog(WebKitScriptDialog* dialog, const ScriptDialogAnswer& answer);

}  // namespace quenlith
