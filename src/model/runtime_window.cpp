#include "model/runtime_window.hpp"

#include "model/localization.hpp"

namespace quenlith {

std::string_view rawValue(BrowserWindowState state) {
    switch (state) {
        case BrowserWindowState::tucked: return "Tucked at Edge";
        case BrowserWindowState::visible: return "Window Visible";
        case BrowserWindowState::hidden: return "Window Hidden";
        case BrowserWindowState::minimized: return "Window Minimized";
    }
    return "Window Hidden";
}

std::string title(BrowserWindowState state) {
    return localizedString(rawValue(state));
}

int lowestFreeSequence(const std::set<int>& used) {
    int candidate = 1;
    while (used.contains(candidate)) ++candidate;
    return candidate;
}

}  // namespace quenlith
