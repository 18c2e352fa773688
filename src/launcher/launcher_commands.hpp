#pragma once

#include <functional>
#include <string>

#include "model/kept_call.hpp"
#include "model/suggested_website.hpp"
#include "model/uuid.hpp"
#include "model/web_app_profile.hpp"

namespace quenlith {

// Everything the launcher asks of its owner and of the window manager; the application fills the
// window-manager members (app/window_commands.hpp), so the launcher never reaches a window itself.
// A member left empty turns its command into nothing.
struct LauncherCommands {
    // Window manager.
    std::function<void()> openBrowser;
    std::function<void()> openPrivateWindow;
    std::function<void(const Uuid& profileID)> showProfile;
    std::function<void(const std::string& url)> openURL;
    std::function<void(const std::string& text)> openAddress;
    std::function<void(const Uuid& profileID)> deleteWebsite;
    std::function<void()> restoreHiddenWindows;
    std::function<void()> returnToPreviousWindows;
    std::function<void()> hideAll;
    std::function<void()> restoreMouseControl;
    std::function<void(const Uuid& windowID, const Uuid& tabID)> focusTab;
    std::function<void(const Uuid& windowID, const Uuid& tabID)> closeTab;
    std::function<void(const Uuid& windowID)> hideWindow;
    std::function<void(const Uuid& windowID)> closeWindow;
    // Whether a page group is focused (its windows alone shown).
    std::function<bool()> hasFocusedScene;

    // Owner (the application shell).
    std::function<void()> onAdd;
    std::function<void(const Uuid& profileID)> onEdit;
    std::function<void(const SuggestedWebsite&)> onSaveSuggestion;
    std::function<void(const SuggestedWebsite&)> onPinSuggestion;
    std::function<void()> onLibrary;
    std::function<void()> onQuickOpen;
    std::function<void()> onBatchLinks;
    std::function<void()> onHelp;
    std::function<void()> onSettings;
    std::function<void()> onDownloads;
    std::function<void()> onQuit;
    std::function<void()> onDismiss;

    // Whether the owner provides one of its window commands now; a control whose command is
    // missing is not shown. Without it, a command is there when its member is set.
    using WindowCommand = std::function<void()> LauncherCommands::*;
    std::function<bool(WindowCommand)> provides;
    bool has(WindowCommand command) const { return provides ? provides(command) : static_cast<bool>(this->*command); }
};

// Calls `command` with the arguments when it is set, through a copy: a command may end the view
// that holds it (a website deleted from the start page in a tab of its own window).
template <typename Command, typename... Arguments>
void run(const Command& command, Arguments&&... arguments) {
    callKept(command, std::forward<Arguments>(arguments)...);
}

}  // namespace quenlith
