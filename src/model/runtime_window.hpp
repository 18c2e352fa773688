#pragma once

#include <array>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "model/uuid.hpp"

namespace quenlith {

// What a browser window is doing, as the launcher and the status items show it. The raw value is
// also the English display text.
enum class BrowserWindowState { tucked, visible, hidden, minimized };

inline constexpr std::array<BrowserWindowState, 4> kAllBrowserWindowStates = {
    BrowserWindowState::tucked, BrowserWindowState::visible, BrowserWindowState::hidden,
    BrowserWindowState::minimized};

// "Tucked at Edge", "Window Visible", "Window Hidden", "Window Minimized".
std::string_view rawValue(BrowserWindowState state);
// The raw value in the interface language.
std::string title(BrowserWindowState state);

// One tab of an open window at the moment the snapshot was taken.
struct RuntimeTab {
    Uuid id;
    std::string title;
    std::optional<std::string> url;  // absolute address; none in private windows
    bool isSelected = false;
    bool isStartPage = false;
    bool isLoading = false;
    bool hasError = false;
    bool isSleeping = false;

    bool operator==(const RuntimeTab&) const = default;
};

// One open browser window at the moment the snapshot was taken; it does not follow the window.
struct RuntimeWindow {
    Uuid id;
    int sequence = 0;  // smallest free number of 1 or more when the window was created
    std::string title;
    BrowserWindowState state = BrowserWindowState::visible;
    std::vector<RuntimeTab> tabs;  // in the window's tab order
    bool isPrivate = false;
    std::optional<Uuid> profileID;
    std::optional<Uuid> sessionIdentifier;  // none for the shared default data store

    bool operator==(const RuntimeWindow&) const = default;
};

// The number a new window gets: the smallest integer of 1 or more that no open window uses, so
// numbers of closed windows are reused and the list order stays stable while windows stay open.
int lowestFreeSequence(const std::set<int>& used);

}  // namespace quenlith
