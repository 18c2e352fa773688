#include "model/website_switches.hpp"

#include <algorithm>
#include <array>

namespace quenlith {

namespace {

using Group = WebsiteSwitchGroup;
constexpr FieldSet live = FieldSet::live, stored = FieldSet::none, notCopied = FieldSet::notCopied;

// A new on/off setting of a website is a line here, its member, its consumer and its translation.
constexpr std::array kSwitches{
    WebsiteSwitch{"isFavorite", &WebAppProfile::isFavorite, stored, "Favorite in launcher", "",
                  Group::website, 0},
    WebsiteSwitch{"menuBarIconEnabled", &WebAppProfile::menuBarIconEnabled, notCopied, "Show in Tray", "",
                  Group::website, 0, true},
    WebsiteSwitch{"rememberLastURL", &WebAppProfile::rememberLastURL, stored, "Remember last page", "",
                  Group::website, 0},
    WebsiteSwitch{"launchAtStartup", &WebAppProfile::launchAtStartup, notCopied, "Open when Quenlith starts",
                  "", Group::website, 0},
    WebsiteSwitch{
        "edgeTuckEnabled", &WebAppProfile::edgeTuckEnabled, live, "Tuck when dragged to an edge",
        "Drag the window to the left or right screen edge to leave a small handle. Hover to reveal without "
        "changing keyboard focus; click to keep it open.",
        Group::window, 3},
    WebsiteSwitch{"alwaysOnTop", &WebAppProfile::alwaysOnTop, live, "Always on top", "", Group::window, 1},
    WebsiteSwitch{"followAcrossSpaces", &WebAppProfile::followAcrossSpaces, live, "Show on All Workspaces",
                  "", Group::window, 2},
    WebsiteSwitch{"rememberWindowFrame", &WebAppProfile::rememberWindowFrame, stored,
                  "Remember position and size", "", Group::window, 0},
    WebsiteSwitch{"compactMode", &WebAppProfile::compactMode, live, "Compact mode", "", Group::window, 0},
    WebsiteSwitch{"keepAwakeEnabled", &WebAppProfile::keepAwakeEnabled, live, "Keep this website awake", "",
                  Group::advanced, 4},
};

}  // namespace

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

std::span<const WebsiteSwitch> websiteSwitches() {
    return kSwitches;
}

std::vector<const WebsiteSwitch*> websiteSwitchesIn(WebsiteSwitchGroup group) {
    std::vector<const WebsiteSwitch*> shown;
    for (const auto& setting : kSwitches)
        if (setting.group == group) shown.push_back(&setting);
    return shown;
}

std::vector<const WebsiteSwitch*> windowSheetSwitches() {
    std::vector<const WebsiteSwitch*> shown;
    for (const auto& setting : kSwitches)
        if (setting.windowSheetPlace > 0) shown.push_back(&setting);
    std::ranges::sort(shown, {}, &WebsiteSwitch::windowSheetPlace);
    return shown;
}

const WebsiteSwitch& websiteSwitch(std::string_view key) {
    return *std::find_if(kSwitches.begin(), kSwitches.end(),
                         [key](const WebsiteSwitch& setting) { return setting.key == key; });
}

}  // namespace quenlith
