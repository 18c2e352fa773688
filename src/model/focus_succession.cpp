#include "model/focus_succession.hpp"

#include <algorithm>

namespace quenlith {

void FocusSuccession::used(WindowID window) {
    std::erase(used_, window);
    used_.push_back(window);
}

std::optional<FocusSuccession::WindowID> FocusSuccession::successor(const Closing& closing,
                                                                    const std::vector<Window>& windows) {
    auto open = [&](WindowID id) {
        return id != closing.id &&
               std::any_of(windows.begin(), windows.end(), [id](const Window& window) { return window.id == id; });
    };
    std::erase_if(used_, [&](WindowID id) { return !open(id); });
    if (!closing.hadFocus || closing.focusAskedElsewhere) return std::nullopt;
    auto eligible = [&](WindowID id) {
        const auto found =
            std::find_if(windows.begin(), windows.end(), [id](const Window& window) { return window.id == id; });
        return found != windows.end() && found->shown && !found->minimised;
    };
    for (auto id = used_.rbegin(); id != used_.rend(); ++id)
        if (eligible(*id)) return *id;
    // Used windows that are eligible came first: what is left was never used.
    for (const Window& window : windows)
        if (window.id != closing.id && window.shown && !window.minimised) return window.id;
    return std::nullopt;
}

}  // namespace quenlith
