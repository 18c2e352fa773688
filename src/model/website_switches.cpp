#include "model/website_switches.hpp"

#include "model/localization.hpp"

namespace quenlith {

bool WebsiteSwitch::isOn(const WebAppProfile& profile) const {
    return std::visit(
        [&](auto pointer) {
            const auto& value = profile.*pointer;
            if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>)
                return value;
            else
                return value.value_or(false);
        },
        member);
}

void WebsiteSwitch::set(WebAppProfile& profile, bool on) const {
    std::visit([&](auto pointer) { profile.*pointer = on; }, member);
}

std::vector<WebsiteSwitch> websiteSwitches() {
    using Group = WebsiteSwitchGroup;
    // Built on each call: the texts follow the interface language.
    return {
        {localizedString("Favorite in launcher"), "", &WebAppProfile::isFavorite, Group::website, false},
        {localizedString("Show in Tray"), "", &WebAppProfile::menuBarIconEnabled, Group::website, false},
        {localizedString("Remember last page"), "", &WebAppProfile::rememberLastURL, Group::website, false},
        {localizedString("Open when Quenlith starts"), "", &WebAppProfile::launchAtStartup, Group::website,
         false},
        {localizedString("Tuck when dragged to an edge"),
         localizedString("Drag the window to the left or right screen edge to leave a small handle. Hover to "
                         "reveal without changing keyboard focus; click to keep it open."),
         &WebAppProfile::edgeTuckEnabled, Group::window, true},
        {localizedString("Always on top"), "", &WebAppProfile::alwaysOnTop, Group::window, true},
        {localizedString("Show on All Workspaces"), "", &WebAppProfile::followAcrossSpaces, Group::window,
         true},
        {localizedString("Remember position and size"), "", &WebAppProfile::rememberWindowFrame,
         Group::window, false},
        {localizedString("Compact mode"), "", &WebAppProfile::compactMode, Group::window, false},
        {localizedString("Keep this website awake"), "", &WebAppProfile::keepAwakeEnabled, Group::advanced,
         true},
    };
}

}  // namespace quenlith
