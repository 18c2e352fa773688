#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenlith {

// The one translation from the symbol names the interface is described in ("chevron.left",
// "pin.fill") to icon-theme names: freedesktop symbolic names where one fits, else one of the
// application's own symbolic icons ("quenlith-…-symbolic", shipped in resources/icons).
// Empty for a symbol without an icon.
std::string iconNameForSymbol(std::string_view symbol);

// The application's own symbolic icon (the tray's item), installed with the desktop entry into
// the hicolor theme and shipped in resources/icons.
inline constexpr const char* kApplicationSymbolicIcon = "com.quenlith.Quenlith-symbolic";

// The application's own icon (the desktop entry's), in colour.
inline constexpr const char* kApplicationIcon = "com.quenlith.Quenlith";

// Every known symbol with its icon name, for checking that each one can be drawn.
const std::vector<std::pair<std::string_view, std::string_view>>& symbolIconTable();

// Whether the icon theme can draw the icon (the application's own icons included).
bool iconIsAvailable(const std::string& iconName);

// Makes the application's own icons findable through the default icon theme. Idempotent; called
// by every widget that shows a symbol.
void installApplicationIcons();

// Gives every window of the process, those made before and after, the application's icon, which
// window managers show in title bars and taskbars. Nothing when the icon cannot be drawn.
void useApplicationIconForWindows();

}  // namespace quenlith
